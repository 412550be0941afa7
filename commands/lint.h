#pragma once
// Lint: what is missing from or stale in a module's doc blocks, as findings
// with a place and a rule. It reads and changes nothing.

#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "engine/proc_kind.h"
#include "host/code_module.h"

namespace tamvo {

enum class LintRule {
  MissingDoc,     // missing-doc: a procedure without a doc block
  ParamMissing,   // param-missing: a parameter without @param (not on properties)
  ParamStale,     // param-stale: a @param that names no parameter
  ReturnMissing,  // return-missing: a Function without @return
  ReturnStale,    // return-stale: a @return on what is not a Function
  SummaryEmpty,   // summary-empty: a summary that is empty or "."
  HeaderStale,    // header-stale: "@modulename" other than the module's name
  ForeignStyle,   // foreign-style: documented in another style, without a doc block
};

inline constexpr LintRule kLintRules[] = {
    LintRule::MissingDoc,  LintRule::ParamMissing, LintRule::ParamStale,  LintRule::ReturnMissing,
    LintRule::ReturnStale, LintRule::SummaryEmpty, LintRule::HeaderStale, LintRule::ForeignStyle,
};

// "missing-doc", "param-missing", ...
std::string_view LintRuleName(LintRule rule);
std::optional<LintRule> LintRuleOfName(std::string_view name);

struct LintFinding {
  LintRule rule = LintRule::MissingDoc;
  LineNumber line = 0;    // module line, from 1
  LineNumber column = 0;  // from 1, in UTF-16 code units
  std::u16string message;
  std::u16string procedure;  // the procedure's name; empty for the module header
  ProcKind kind = ProcKind::Proc;
};

struct LintOptions {
  bool publicOnly = false;  // missing-doc only for procedures not declared Private
  std::set<LintRule> disabled;
};

// The findings of a module, in the order of their lines. A missing thing is
// found at the declaration's first non-blank character; a stale tag at its
// "@"; an empty summary where its text begins; a stale header at its
// "@modulename". A renamed parameter is two findings, param-stale and
// param-missing. A procedure whose parameter list can't be read gets no
// parameter findings.
std::vector<LintFinding> LintModule(CodeModule& module, const LintOptions& options = {});

}  // namespace tamvo
