// The frame of the six commands: the error report, the walks over every
// procedure and the caret.

#include "commands/commands.h"

#include <algorithm>
#include <cstddef>

#include "commands/proc_walk.h"
#include "engine/failure.h"
#include "engine/text.h"

namespace tamvo {

void Commands::Report(const std::exception& failure) {
  const auto* own = dynamic_cast<const Failure*>(&failure);
  ui_.MsgBox(own ? own->Description() : FromUtf8(failure.what()), kMsgBoxWarning);
}

void Commands::Trap(const std::function<void()>& work) {
  try {
    work();
  } catch (const std::exception& failure) {
    Report(failure);
  }
}

// The procedure at the caret is found by its line: of two procedures of one
// name under #If ... #Else, the one the caret is in.
void Commands::InsertCurrentProcComment() {
  Trap([&] {
    auto module = ActiveModule();
    const auto proc = module->ProcLinesOfLine(GetSelectionLine());
    if (!proc) return;
    const LineNumber emptyLine = InsertProcCommentOf(*module, *proc);
    // The caret goes to the summary line, right before its ".".
    ActivePane()->SetSelection(emptyLine + 2, 5, emptyLine + 2, 5);
  });
}

void Commands::DeleteCurrentProcComment() {
  Trap([&] {
    auto module = ActiveModule();
    if (const auto proc = module->ProcLinesOfLine(GetSelectionLine())) DeleteProcCommentOf(*module, *proc);
  });
}

// Every procedure is looked up and read first, last to first, and only then
// edited, last to first: the editor may re-parse the module after an edit,
// so no lookup waits behind one. An edit changes only lines from the edited
// procedure's start down, so the lines of those above keep their numbers.
// A failure (a parameter list never closed) still leaves the procedures
// below the failing one done.
void Commands::WalkAllProcedures(bool insert) {
  Trap([&] {
    auto module = ActiveModule();
    const LineNumber count = module->CountOfLines();
    CommentPlan plan;
    const std::size_t noted = handWritten_.size();
    std::exception_ptr failure;
    try {
      LeadingLines lines(*module, count, insert ? 1 : 0);
      ForEachProcBottomUp(*module, count, [&](const ProcLines& proc) {
        lines.Reset(proc);
        PlanProcComment(plan, lines, proc, insert);
      });
    } catch (...) {
      failure = std::current_exception();
    }
    std::reverse(handWritten_.begin() + static_cast<std::ptrdiff_t>(noted), handWritten_.end());
    plan.Apply(*module);
    if (failure) std::rethrow_exception(failure);
  });
}

void Commands::InsertAllProcComments() { WalkAllProcedures(true); }

void Commands::DeleteAllProcComments() { WalkAllProcedures(false); }

void Commands::UpdateCurrentProcComment() {
  Trap([&] {
    auto removed = tamvo::UpdateProcComment(*ActiveModule(), GetSelectionLine(), events_);
    removedTags_.insert(removedTags_.end(), removed.begin(), removed.end());
  });
}

void Commands::UpdateAllProcComments() {
  Trap([&] {
    auto removed = tamvo::UpdateAllProcComments(*ActiveModule(), events_);
    removedTags_.insert(removedTags_.end(), removed.begin(), removed.end());
  });
}

void Commands::UpdateModuleHeader() {
  bool missing = false;
  Trap([&] { missing = !tamvo::UpdateModuleHeader(*ActiveModule()); });
  if (missing) WriteModuleHeader(false);
}

void Commands::Run(Command command) {
  switch (command) {
    case Command::InsertCurrentProcComment:
      InsertCurrentProcComment();
      break;
    case Command::InsertAllProcComments:
      InsertAllProcComments();
      break;
    case Command::InsertModuleHeader:
      InsertModuleHeader();
      break;
    case Command::DeleteCurrentProcComment:
      DeleteCurrentProcComment();
      break;
    case Command::DeleteAllProcComments:
      DeleteAllProcComments();
      break;
    case Command::DeleteModuleHeader:
      DeleteModuleHeader();
      break;
    case Command::UpdateCurrentProcComment:
      UpdateCurrentProcComment();
      break;
    case Command::UpdateAllProcComments:
      UpdateAllProcComments();
      break;
    case Command::UpdateModuleHeader:
      UpdateModuleHeader();
      break;
  }
}

}  // namespace tamvo
