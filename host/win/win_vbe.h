#pragma once
// The code module access interface over the real editor's automation
// objects: VBE, CodePane, CodeModule, each resolved by name at run time.

#include "host/code_module.h"
#include "host/win/dispatch.h"

namespace tamvo::win {

class WinCodeModule : public CodeModule {
 public:
  explicit WinCodeModule(Dispatch module) : module_(std::move(module)) {}

  std::u16string ComponentName() override;
  LineNumber CountOfLines() override;
  std::u16string Lines(LineNumber startLine, LineNumber count) override;
  void InsertLines(LineNumber line, std::u16string_view code) override;
  void DeleteLines(LineNumber startLine, LineNumber count) override;
  LineNumber ProcStartLine(std::u16string_view procName, ProcKind kind) override;
  LineNumber ProcBodyLine(std::u16string_view procName, ProcKind kind) override;
  std::u16string ProcOfLine(LineNumber line, ProcKind& kind) override;
  std::shared_ptr<tamvo::CodePane> CodePane() override;

 private:
  Dispatch module_;
};

class WinCodePane : public CodePane {
 public:
  explicit WinCodePane(Dispatch pane) : pane_(std::move(pane)) {}

  std::shared_ptr<tamvo::CodeModule> CodeModule() override;
  Selection GetSelection() override;
  void SetSelection(LineNumber startLine, LineNumber startColumn, LineNumber endLine,
                    LineNumber endColumn) override;

 private:
  Dispatch pane_;
};

class WinVbe : public Vbe {
 public:
  explicit WinVbe(Dispatch vbe) : vbe_(std::move(vbe)) {}

  std::shared_ptr<CodePane> ActiveCodePane() override;
  const Dispatch& Object() const { return vbe_; }

 private:
  Dispatch vbe_;
};

}  // namespace tamvo::win
