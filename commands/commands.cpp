// The frame of the six commands: the error report, the walks over every
// procedure and the caret.

#include "commands/commands.h"

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

void Commands::InsertCurrentProcComment() {
  Trap([&] {
    ProcKind kind = ProcKind::Proc;
    const std::u16string name = GetCurrentProcName(kind);
    if (name.empty()) return;
    InsertProcComment(name, kind);
    // The caret goes to the summary line, right before its ".".
    const LineNumber emptyLine = CommentStartLine(*ActiveModule(), name, kind);
    ActivePane()->SetSelection(emptyLine + 2, 5, emptyLine + 2, 5);
  });
}

void Commands::DeleteCurrentProcComment() {
  Trap([&] {
    ProcKind kind = ProcKind::Proc;
    const std::u16string name = GetCurrentProcName(kind);
    if (!name.empty()) DeleteProcComment(name, kind);
  });
}

// Last procedure to first: an edit changes only lines from the edited
// procedure's start down, so the lines still to visit keep their numbers.
void Commands::WalkAllProcedures(ProcEdit edit) {
  Trap([&] {
    auto module = ActiveModule();
    ProcKind kind = ProcKind::Proc;
    std::u16string name = GetProcNameOfLine(module->CountOfLines(), kind);
    while (!name.empty()) {
      (this->*edit)(name, kind);
      const LineNumber line = module->ProcStartLine(name, kind) - 1;
      name = GetProcNameOfLine(line, kind);
    }
  });
}

void Commands::InsertAllProcComments() { WalkAllProcedures(&Commands::InsertProcComment); }

void Commands::DeleteAllProcComments() { WalkAllProcedures(&Commands::DeleteProcComment); }

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
  }
}

}  // namespace tamvo
