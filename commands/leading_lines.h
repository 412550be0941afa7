#pragma once
// A procedure's leading lines, read once: the comment above its declaration,
// the annotations among them, and the edits that replace them.

#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "host/code_module.h"

namespace tamvo {

// A procedure's lines from its first line through its declaration
// statement, read with one call into the editor where the declaration fits
// on one line: every call is a round trip, and the editor may re-parse the
// module on each.
class LeadingLines {
 public:
  // count is the module's CountOfLines, 0 to ask for it only when a
  // continued declaration needs it.
  LeadingLines(CodeModule& module, const ProcLines& proc, LineNumber count = 0);
  // Nothing read until Reset names a procedure. A walk reads every
  // procedure through one, so that what it keeps is allocated once, not
  // once a procedure. count is the module's CountOfLines; with past, each
  // read takes that many lines after the declaration's first line too
  // (short of the module's end): a walk that writes blocks reads a
  // declaration continued once, as many are, with the rest of the
  // procedure's lines, not with a second call.
  LeadingLines(CodeModule& module, LineNumber count, LineNumber past)
      : module_(module), start_(0), count_(count), past_(past) {}
  // Forgets what was read (the views given out with it) and reads the
  // procedure's lines as the constructor does.
  void Reset(const ProcLines& proc);

  // A line from the procedure's first line on; lines past the declaration's
  // first line are read when asked for. The view lasts as long as this
  // object.
  std::u16string_view At(LineNumber line);
  // The declaration statement that starts at body, continuation lines
  // joined; a view of its line where it has none, as most have. The view
  // lasts as long as this object, or until the next call.
  std::u16string_view Declaration(LineNumber body);

 private:
  LineNumber Count();
  void Read(LineNumber from, LineNumber count);

  CodeModule& module_;
  LineNumber start_;
  LineNumber count_;
  LineNumber past_ = 0;
  // Each text the editor gave, kept whole, and the lines as views into
  // them: one allocation per call rather than one per line (a string a
  // line costs a walk over every procedure 10 to 15% more instructions). A
  // deque never moves what it holds, so the views stay valid as more is
  // read; cleared, it keeps its first block for the next procedure's texts.
  std::deque<std::u16string> texts_;
  std::vector<std::u16string_view> lines_;
  std::u16string joined_;  // a declaration continued on other lines
};

// The first line of a procedure's comment: the blank and comment statements
// (a comment continued with " _" whole) directly above its declaration,
// within the procedure's own lines, and below a module header at the top of
// the module.
LineNumber CommentStartLine(LeadingLines& lines, const ProcLines& proc);

// The lines of the annotation statements among the lines from first to the
// line before body: an annotation line and the comment lines it continues
// onto with " _". No command deletes them.
std::vector<LineNumber> AnnotationLines(LeadingLines& lines, LineNumber first, LineNumber body);

// Edits of procedures' comments, worked out before any is made: for each,
// the runs to delete, bottom up, then one insert at the comment's first
// line. A walk plans every procedure before its first edit, so the plan is
// kept small: the texts of all edits packed in blocks, the runs in one
// vector, and nothing at all for an edit that would change nothing.
class CommentPlan {
 public:
  // The text of the next edit, empty, for the planner to write: the empty
  // line, then the block if any.
  std::u16string& NextText() {
    next_.clear();
    return next_;
  }
  // Plans the edit that replaces the lines from first to the declaration
  // by the next text, annotations kept; nothing when the comment already
  // reads as the edit would leave it.
  void Add(LeadingLines& lines, const ProcLines& proc, LineNumber first);
  // Makes the edits in the order they were planned, letting go of each
  // block of text once its edits are made: the module keeps a copy of what
  // it inserts, and the two need not hold all of it at once.
  void Apply(CodeModule& module);

 private:
  std::u16string_view Keep(std::u16string_view text);

  struct Edit {
    const char16_t* text = nullptr;
    std::uint32_t size = 0;
    LineNumber first = 0;
    std::size_t deletionsEnd = 0;  // its runs in deletions_ end here, the one before's end where they start
  };
  std::u16string next_;
  // Blocks that never move once written, rather than one string that
  // doubles: no copy as the plan grows, no half-empty buffer at the peak.
  std::deque<std::u16string> texts_;
  std::vector<std::pair<LineNumber, LineNumber>> deletions_;  // first line and count
  std::vector<Edit> edits_;
};

}  // namespace tamvo
