#include "commands/coverage.h"

#include <algorithm>
#include <iterator>
#include <set>

#include "commands/lint.h"
#include "commands/proc_doc.h"
#include "commands/proc_walk.h"

namespace tamvo {

namespace {

// The rules that find words missing from a procedure's documentation; the
// others find what is stale or out of order, which update mends.
constexpr LintRule kUndocumentedRules[] = {
    LintRule::MissingDoc,    LintRule::ForeignStyle,     LintRule::SummaryEmpty,      LintRule::ParamMissing,
    LintRule::ReturnMissing, LintRule::ParamUndescribed, LintRule::ReturnUndescribed,
};

}  // namespace

double Coverage::Percent() const {
  return procedures == 0 ? 100.0 : 100.0 * static_cast<double>(documented) / static_cast<double>(procedures);
}

Coverage& Coverage::operator+=(const Coverage& other) {
  documented += other.documented;
  procedures += other.procedures;
  return *this;
}

Coverage CountDocumented(CodeModule& module, bool publicOnly) {
  LintOptions options;
  options.publicOnly = publicOnly;
  for (const LintRule rule : kLintRules) {
    if (std::find(std::begin(kUndocumentedRules), std::end(kUndocumentedRules), rule) ==
        std::end(kUndocumentedRules)) {
      options.disabled.insert(rule);
    }
  }
  // Procedures by their declaration's line: two of one name under #If are two.
  std::set<LineNumber> undocumented;
  for (const LintFinding& finding : LintModule(module, options)) undocumented.insert(finding.declaration);

  Coverage coverage;
  ForEachProcBottomUp(module, [&](const ProcLines& proc) {
    if (publicOnly && IsDeclaredPrivate(ReadProcDoc(module, proc).declaration)) return;
    ++coverage.procedures;
    if (!undocumented.contains(proc.body)) ++coverage.documented;
  });
  return coverage;
}

}  // namespace tamvo
