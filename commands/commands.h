#pragma once
// The commands (the dialog's six, and update) and the edits they are made of. Each command works on the
// module of the editor's active code pane, resolved anew at every step,
// reports any failure of its own in a message box and returns normally.

#include <exception>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "commands/leading_lines.h"
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

// How many lines at the top of the module the header removal takes: the
// comment statements from line 1 up to an annotation or a statement, and,
// where no declaration stands above the first procedure, up to that
// procedure's own comment (below a module header) or its own block.
LineNumber ModuleHeaderLineCount(CodeModule& module);

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
  // InsertModuleHeader writes it, but above the comment lines at the top (a
  // licence, a banner), which all stay.
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

  // The caret's line: the first line of the active pane's selection.
  LineNumber GetSelectionLine();

 private:
  // The active code pane and its module: the one way every step reaches them.
  std::shared_ptr<CodePane> ActivePane();
  std::shared_ptr<CodeModule> ActiveModule();
  // Replaces the comment above the declaration by one empty line and a
  // fresh comment block; annotation lines stay, in their order, between the
  // block and the declaration. Nothing changes when the block can't be
  // built. Returns the line of the empty line above the new block.
  LineNumber InsertProcCommentOf(CodeModule& module, const ProcLines& proc);
  // Replaces the comment above the declaration by one empty line; annotation
  // lines stay, in their order, between it and the declaration. Returns the
  // line of the empty line.
  LineNumber DeleteProcCommentOf(CodeModule& module, const ProcLines& proc);
  LineNumber EditProcComment(CodeModule& module, const ProcLines& proc, bool insert);
  // Returns the comment's first line.
  LineNumber PlanProcComment(CommentPlan& plan, LeadingLines& lines, const ProcLines& proc, bool insert);
  void WalkAllProcedures(bool insert);
  // Asks for the author and writes a new header at the top; replaceTop: the
  // comment lines there go first, as DeleteModuleHeader takes them.
  void WriteModuleHeader(bool replaceTop);
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

// The seven-line module header, lines joined by CR LF. Line breaks in the
// author become spaces, so that they can't write code into the module.
std::u16string ComposeModuleHeader(std::u16string_view componentName, std::u16string_view author);

}  // namespace tamvo
