#pragma once
// Update: doc blocks brought in line with their procedures' declarations,
// keeping every word the user wrote. Where a procedure has no block, update
// writes the one insert writes; where it has one, it rebuilds the block's
// tag lines in place and leaves everything outside the block where it was.
//
// Procedures are addressed by a line of theirs, so that two procedures of
// one name (under #If ... #Else) each get their own block.
//
// What always holds: a second update changes nothing; an update on a module
// fresh from insert-all changes nothing; code lines never change; after
// UpdateAllProcComments the lint finds no tag problems.

#include <optional>
#include <string>
#include <vector>

#include "commands/leading_lines.h"
#include "engine/event_table.h"
#include "host/code_module.h"

namespace tamvo {

// A tag that an update took out of a block, to be named to the user.
struct RemovedTag {
  LineNumber line = 0;    // the tag's line in the module as it was before the update
  std::u16string tag;     // "@param old", "@return", "@returns"
  std::u16string reason;  // "no such parameter", "not a Function"
};

// Updates the comment of the procedure that holds the line and returns the
// tags it removed. A line of the declarations section changes nothing.
// Throws Failure when the declaration's parameter list can't be read;
// nothing has changed then.
std::vector<RemovedTag> UpdateProcComment(CodeModule& module, LineNumber line, const EventTable& events);

// Updates every procedure, last to first; the removed tags come in the
// order of their lines. A failure stops the walk with the procedures below
// the failing one done.
std::vector<RemovedTag> UpdateAllProcComments(CodeModule& module, const EventTable& events);

// The lines a block becomes when update brings it in line with its
// procedure's declaration (from its opening line through its closing one);
// the tags it takes out are appended to removed when that is given. Lint
// holds a block against this, so that the two never disagree. Throws
// Failure when the declaration's parameter list can't be read.
struct ProcDoc;
struct DocBlock;
std::vector<std::u16string> RebuildProcBlock(const ProcDoc& doc, const DocBlock& block,
                                             const EventTable& events,
                                             std::vector<RemovedTag>* removed = nullptr);

// Sets the "@modulename" value of the module header (a doc block at the top
// of the module with a "@modulename" line) to the module's name; the rest of
// the header stays. False when the module has no such header: nothing
// changed, and the caller writes one as insert-header does.
bool UpdateModuleHeader(CodeModule& module);

// Comment lines written by hand that an insert would replace: for each
// procedure (or the procedure that holds `line`, when it is not 0) whose
// leading comment lines are not a bare block as insert writes it, their
// first line and count (annotations and blank lines aside).
struct HandWrittenComment {
  LineNumber line = 0;
  LineNumber count = 0;
  std::u16string procName;  // empty for the comment lines at the top of the module
};
std::vector<HandWrittenComment> HandWrittenProcComments(CodeModule& module, LineNumber line,
                                                        const EventTable& events);
// The same for one procedure whose comment starts at first, from lines
// already read.
std::optional<HandWrittenComment> HandWrittenProcComment(LeadingLines& lines, const ProcLines& proc,
                                                         LineNumber first, const EventTable& events);
// The same for the comment lines at the top of the module that insert-header
// replaces; nothing when they are a header as insert-header writes it.
std::vector<HandWrittenComment> HandWrittenModuleHeader(CodeModule& module);

}  // namespace tamvo
