#pragma once
// What the server offers from lint and update: the findings it shows as
// diagnostics and the updates behind "Update doc comment" and its kin.

#include <string>
#include <string_view>
#include <vector>

#include "host/code_module.h"

namespace tamvo::lsp {

struct Finding {
  LineNumber line = 1;    // of the module, 1-based
  LineNumber column = 1;  // 1-based, in UTF-16 code units
  std::string rule;
  std::u16string message;
};

class DocRules {
 public:
  virtual ~DocRules() = default;

  virtual std::vector<Finding> Lint(CodeModule& module) = 0;
  // Whether the updates below are there to offer.
  virtual bool CanUpdate() const = 0;
  // They throw Failure when the procedure or module can't be updated. The
  // procedure is the one that holds the module line.
  virtual void UpdateProc(CodeModule& module, LineNumber line) = 0;
  virtual void UpdateAll(CodeModule& module) = 0;
  // False when the module has no header to update; nothing changed then.
  virtual bool UpdateHeader(CodeModule& module) = 0;
};

// No findings and no updates: the server's actions are the six commands'.
class NoDocRules : public DocRules {
 public:
  std::vector<Finding> Lint(CodeModule&) override { return {}; }
  bool CanUpdate() const override { return false; }
  void UpdateProc(CodeModule&, LineNumber) override {}
  void UpdateAll(CodeModule&) override {}
  bool UpdateHeader(CodeModule&) override { return false; }
};

}  // namespace tamvo::lsp
