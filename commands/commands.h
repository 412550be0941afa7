#pragma once
// The commands (the dialog's six, and update) and the edits they are made of. Each command works on the
// module of the editor's active code pane, resolved anew at every step,
// reports any failure of its own in a message box and returns normally.

#include <cstddef>
#include <cstdint>
#include <deque>
#include <exception>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "commands/services.h"
#include "commands/update.h"
#include "engine/event_table.h"
#include "host/code_module.h"

namespace tamvo {

// Where the author of module headers is kept.
inline constexpr std::u16string_view kAuthorApplication = u"tamv";
inline constexpr std::u16string_view kAuthorSection = u"settings";
inline constexpr std::u16string_view kAuthorKey = u"auther";
inline constexpr std::u16string_view kAuthorPrompt = u"作成者名";

// The six commands of the dialog, then those of the command line alone.
enum class Command {
  InsertCurrentProcComment,
  InsertAllProcComments,
  InsertModuleHeader,
  DeleteCurrentProcComment,
  DeleteAllProcComments,
  DeleteModuleHeader,
  UpdateCurrentProcComment,
  UpdateAllProcComments,
  UpdateModuleHeader,
};

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
  // them: one allocation per call rather than one per line. A deque never
  // moves what it holds, so the views stay valid as more is read; cleared,
  // it keeps its first block for the next procedure's texts.
  std::deque<std::u16string> texts_;
  std::vector<std::u16string_view> lines_;
  std::u16string joined_;  // a declaration continued on other lines
};

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

class Commands {
 public:
  Commands(Vbe& hostVbe, const EventTable& events, Ui& ui, Settings& settings)
      : hostVbe_(hostVbe), events_(events), ui_(ui), settings_(settings) {}

  void InsertCurrentProcComment();
  void InsertAllProcComments();
  void InsertModuleHeader();
  void DeleteCurrentProcComment();
  void DeleteAllProcComments();
  void DeleteModuleHeader();
  // Update (commands/update.h) of the procedure at the caret, of every
  // procedure, of the module header; a module without a header gets one as
  // InsertModuleHeader writes it.
  void UpdateCurrentProcComment();
  void UpdateAllProcComments();
  void UpdateModuleHeader();
  void Run(Command command);

  // The tags the update commands removed since this object was made.
  const std::vector<RemovedTag>& RemovedTags() const { return removedTags_; }
  // The comment lines written by hand that the insert commands replaced
  // since this object was made, as they read before the edit; a walk's in
  // the order of their lines.
  const std::vector<HandWrittenComment>& HandWrittenComments() const { return handWritten_; }

  // The edits and lookups the commands are made of; they throw Failure.

  // The declaration statement with its continuation lines joined
  // (JoinStatement).
  std::u16string GetProcDeclaration(std::u16string_view procName, ProcKind kind);
  // Replaces the comment above the declaration by one empty line and a
  // fresh comment block; annotation lines stay, in their order, between the
  // block and the declaration. Nothing changes when the block can't be built.
  void InsertProcComment(std::u16string_view procName, ProcKind kind);
  // Replaces the comment above the declaration by one empty line; annotation
  // lines stay, in their order, between it and the declaration.
  void DeleteProcComment(std::u16string_view procName, ProcKind kind);
  // The same for the procedure that holds the line, found by the line, so
  // that of two procedures of one name the one at the line is edited.
  void InsertProcCommentAt(LineNumber line);
  void DeleteProcCommentAt(LineNumber line);
  LineNumber GetSelectionLine();
  std::u16string GetProcNameOfLine(LineNumber line, ProcKind& kind);
  std::u16string GetCurrentProcName(ProcKind& kind);

 private:
  // The active code pane and its module: the one way every step reaches them.
  std::shared_ptr<CodePane> ActivePane();
  std::shared_ptr<CodeModule> ActiveModule();
  // Returns the line of the empty line above the new block.
  LineNumber InsertProcCommentOf(CodeModule& module, const ProcLines& proc);
  // Returns the line of the empty line left above the declaration.
  LineNumber DeleteProcCommentOf(CodeModule& module, const ProcLines& proc);
  LineNumber EditProcComment(CodeModule& module, const ProcLines& proc, bool insert);
  // Returns the comment's first line.
  LineNumber PlanProcComment(CommentPlan& plan, LeadingLines& lines, const ProcLines& proc, bool insert);
  void WalkAllProcedures(bool insert);
  // Runs work, showing its failure as the error report.
  void Trap(const std::function<void()>& work);
  void Report(const std::exception& failure);

  Vbe& hostVbe_;
  const EventTable& events_;
  Ui& ui_;
  Settings& settings_;
  std::vector<RemovedTag> removedTags_;
  std::vector<HandWrittenComment> handWritten_;
};

// The first line of a procedure's comment: the blank and comment statements
// (a comment continued with " _" whole) directly above its declaration,
// within the procedure's own lines, and below a module header at the top of
// the module.
LineNumber CommentStartLine(CodeModule& module, std::u16string_view procName, ProcKind kind);
LineNumber CommentStartLine(CodeModule& module, const ProcLines& proc);
LineNumber CommentStartLine(LeadingLines& lines, const ProcLines& proc);

// The declaration statement that starts at bodyLine, continuation lines joined.
std::u16string ProcDeclarationAt(CodeModule& module, LineNumber bodyLine);

// The seven-line module header, lines joined by CR LF. Line breaks in the
// author become spaces, so that they can't write code into the module.
std::u16string ComposeModuleHeader(std::u16string_view componentName, std::u16string_view author);

}  // namespace tamvo
