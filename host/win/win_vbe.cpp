#include "host/win/win_vbe.h"

namespace tamvo::win {

std::u16string WinCodeModule::ComponentName() { return module_.GetObject(u"Parent").Get(u"Name").ToString(); }

LineNumber WinCodeModule::CountOfLines() { return module_.Get(u"CountOfLines").ToLong(); }

std::u16string WinCodeModule::Lines(LineNumber startLine, LineNumber count) {
  return module_.Get(u"Lines", {Variant(LONG{startLine}), Variant(LONG{count})}).ToString();
}

void WinCodeModule::InsertLines(LineNumber line, std::u16string_view code) {
  module_.Call(u"InsertLines", {Variant(LONG{line}), Variant(code)});
}

void WinCodeModule::DeleteLines(LineNumber startLine, LineNumber count) {
  // Nothing to delete is no change, whatever the editor would say to it.
  if (count == 0) return;
  module_.Call(u"DeleteLines", {Variant(LONG{startLine}), Variant(LONG{count})});
}

LineNumber WinCodeModule::ProcStartLine(std::u16string_view procName, ProcKind kind) {
  return module_.Get(u"ProcStartLine", {Variant(procName), Variant(static_cast<LONG>(kind))}).ToLong();
}

LineNumber WinCodeModule::ProcBodyLine(std::u16string_view procName, ProcKind kind) {
  return module_.Get(u"ProcBodyLine", {Variant(procName), Variant(static_cast<LONG>(kind))}).ToLong();
}

std::u16string WinCodeModule::ProcOfLine(LineNumber line, ProcKind& kind) {
  LONG reported = 0;
  const std::u16string name =
      module_.Get(u"ProcOfLine", {Variant(LONG{line}), Variant::ByRef(&reported)}).ToString();
  kind = static_cast<ProcKind>(reported);
  return name;
}

std::shared_ptr<CodePane> WinCodeModule::CodePane() {
  return std::make_shared<WinCodePane>(module_.GetObject(u"CodePane"));
}

std::shared_ptr<CodeModule> WinCodePane::CodeModule() {
  return std::make_shared<WinCodeModule>(pane_.GetObject(u"CodeModule"));
}

Selection WinCodePane::GetSelection() {
  LONG startLine = 0, startColumn = 0, endLine = 0, endColumn = 0;
  pane_.Call(u"GetSelection", {Variant::ByRef(&startLine), Variant::ByRef(&startColumn),
                               Variant::ByRef(&endLine), Variant::ByRef(&endColumn)});
  return {startLine, startColumn, endLine, endColumn};
}

void WinCodePane::SetSelection(LineNumber startLine, LineNumber startColumn, LineNumber endLine,
                               LineNumber endColumn) {
  pane_.Call(u"SetSelection", {Variant(LONG{startLine}), Variant(LONG{startColumn}), Variant(LONG{endLine}),
                               Variant(LONG{endColumn})});
}

std::shared_ptr<CodePane> WinVbe::ActiveCodePane() {
  return std::make_shared<WinCodePane>(vbe_.GetObject(u"ActiveCodePane"));
}

}  // namespace tamvo::win
