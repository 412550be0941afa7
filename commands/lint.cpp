#include "commands/lint.h"

#include <algorithm>

#include "commands/proc_doc.h"
#include "engine/failure.h"
#include "engine/text.h"

namespace tamvo {

namespace {

constexpr std::string_view kRuleNames[] = {
    "missing-doc",  "param-missing", "param-stale",  "return-missing",
    "return-stale", "summary-empty", "header-stale", "foreign-style",
};

LineNumber FirstNonBlankColumn(std::u16string_view line) {
  std::size_t i = 0;
  while (i < line.size() && (line[i] == u' ' || line[i] == u'\t')) ++i;
  return static_cast<LineNumber>(i + 1);
}

bool IsDeclaredPrivate(std::u16string_view declaration) {
  const std::u16string trimmed = TrimSpaces(declaration);
  return StartsWithIgnoreCase(trimmed, u"Private ") || StartsWithIgnoreCase(trimmed, u"Private\t");
}

class Findings {
 public:
  Findings(const LintOptions& options, std::vector<LintFinding>& out) : options_(options), out_(out) {}

  void Add(LintRule rule, LineNumber line, LineNumber column, std::u16string message, const ProcLines* proc) {
    if (options_.disabled.contains(rule)) return;
    out_.push_back({rule, line, column, std::move(message), proc ? proc->name : std::u16string(),
                    proc ? proc->kind : ProcKind::Proc});
  }

 private:
  const LintOptions& options_;
  std::vector<LintFinding>& out_;
};

void LintProc(CodeModule& module, const ProcLines& proc, const LintOptions& options, Findings& findings) {
  const ProcDoc doc = ReadProcDoc(module, proc);
  const LineNumber declarationColumn = FirstNonBlankColumn(module.Lines(proc.body, 1));
  const std::u16string& name = proc.name;
  if (!doc.block) {
    if (doc.foreignLine) {
      const std::u16string& line = doc.lines[*doc.foreignLine];
      findings.Add(LintRule::ForeignStyle, doc.first + static_cast<LineNumber>(*doc.foreignLine),
                   static_cast<LineNumber>(line.find(u'@') + 1),
                   name + u" is documented in another style, without a '/** block", &proc);
    } else if (!(options.publicOnly && IsDeclaredPrivate(doc.declaration))) {
      findings.Add(LintRule::MissingDoc, proc.body, declarationColumn, name + u" has no doc block", &proc);
    }
    return;
  }
  const DocBlock& block = *doc.block;
  auto lineOf = [&](std::size_t index) { return doc.first + static_cast<LineNumber>(index); };
  auto tagColumn = [&](const DocTag& tag) { return static_cast<LineNumber>(tag.column + 1); };

  std::u16string summary;
  for (std::size_t i = block.open + 1; i < block.SummaryEnd(); ++i) summary += DocLineText(doc.lines[i]);
  summary = TrimSpaces(summary);
  if (summary.empty() || summary == u".") {
    const bool hasLine = block.SummaryEnd() > block.open + 1;
    const std::size_t at = hasLine ? block.open + 1 : block.open;
    const std::u16string& line = doc.lines[at];
    const auto column = hasLine ? static_cast<LineNumber>(line.size() - DocLineText(line).size() + 1)
                                : FirstNonBlankColumn(line);
    findings.Add(LintRule::SummaryEmpty, lineOf(at), column, u"the summary of " + name + u" is empty", &proc);
  }

  TagMatch match;
  try {
    match = MatchTags(block, proc.kind, doc.declaration);
  } catch (const Failure&) {
    // Without the parameters there is nothing to hold the tags against.
    return;
  }
  for (const std::size_t t : match.staleParams) {
    const DocTag& tag = block.tags[t];
    findings.Add(LintRule::ParamStale, lineOf(tag.line), tagColumn(tag),
                 u"@param " + ParamKey(tag.name) + u" names no parameter of " + name, &proc);
  }
  if (!match.isProperty) {
    for (std::size_t p = 0; p < match.params.size(); ++p) {
      if (match.paramTag[p]) continue;
      findings.Add(LintRule::ParamMissing, proc.body, declarationColumn,
                   u"parameter " + ParamKey(match.params[p]) + u" of " + name + u" has no @param", &proc);
    }
  }
  if (match.isFunction && !match.returnTag) {
    findings.Add(LintRule::ReturnMissing, proc.body, declarationColumn,
                 u"Function " + name + u" has no @return", &proc);
  }
  for (const std::size_t t : match.staleReturns) {
    const DocTag& tag = block.tags[t];
    findings.Add(LintRule::ReturnStale, lineOf(tag.line), tagColumn(tag),
                 tag.word + u" on " + name + u", which is not a Function", &proc);
  }
}

}  // namespace

std::string_view LintRuleName(LintRule rule) { return kRuleNames[static_cast<std::size_t>(rule)]; }

std::optional<LintRule> LintRuleOfName(std::string_view name) {
  for (const LintRule rule : kLintRules) {
    if (LintRuleName(rule) == name) return rule;
  }
  return std::nullopt;
}

std::vector<LintFinding> LintModule(CodeModule& module, const LintOptions& options) {
  std::vector<LintFinding> found;
  Findings findings(options, found);

  const HeaderDoc header = ReadHeaderDoc(module);
  if (header.block) {
    const DocTag& tag = header.block->tags[*header.nameTag];
    const std::u16string componentName = module.ComponentName();
    const std::u16string_view value = ModuleNameValue(tag);
    if (value != componentName) {
      findings.Add(LintRule::HeaderStale, static_cast<LineNumber>(tag.line + 1),
                   static_cast<LineNumber>(tag.column + 1),
                   u"@modulename " + std::u16string(value) + u" is not the module's name " + componentName,
                   nullptr);
    }
  }

  for (LineNumber line = module.CountOfLines(); const auto proc = module.ProcLinesOfLine(line);) {
    LintProc(module, *proc, options, findings);
    line = proc->start - 1;
  }
  std::stable_sort(found.begin(), found.end(), [](const LintFinding& a, const LintFinding& b) {
    return a.line != b.line ? a.line < b.line : a.column < b.column;
  });
  return found;
}

}  // namespace tamvo
