#include "commands/lint.h"

#include <algorithm>
#include <iterator>

#include "commands/descriptions.h"
#include "commands/proc_doc.h"
#include "commands/proc_walk.h"
#include "commands/update.h"
#include "engine/event_table.h"
#include "engine/failure.h"
#include "engine/text.h"

namespace tamvo {

namespace {

struct RuleProperties {
  std::string_view name;
  std::string_view summary;
  bool informs;        // LintRuleInforms
  bool fixedByUpdate;  // LintRuleFixedByUpdate
};

// By LintRule, in its order: name, summary, informs, fixed by update.
constexpr RuleProperties kRuleProperties[] = {
    {"missing-doc", "a procedure without a doc block", true, true},
    {"param-missing", "a parameter without @param (not on properties)", false, true},
    {"param-stale", "a @param that names no parameter", false, true},
    {"return-missing", "a Function without @return", false, true},
    {"return-stale", "a @return on what is not a Function", false, true},
    {"summary-empty", "a summary that is empty or \".\"", true, false},
    // update-header mends it, not the procedure's update.
    {"header-stale", "a header whose @modulename is not the module's name", false, false},
    {"foreign-style", "documented in another style, without a doc block", false, true},
    {"accessor-stale", "a property's Getter:/Setter: line missing or naming another property", false, true},
    {"tag-order", "tags not in the order update writes them", false, true},
    {"param-undescribed", "a @param with no text after its name", true, false},
    {"return-undescribed", "a @return with no text", true, false},
    {"description-stale", "a VB_Description attribute that is not the summary", false, true},
};
static_assert(std::size(kRuleProperties) == std::size(kLintRules));

const RuleProperties& PropertiesOf(LintRule rule) { return kRuleProperties[static_cast<std::size_t>(rule)]; }

struct Wording {
  std::u16string_view english;
  std::u16string_view japanese;
};

// By LintMessage, in its order; {N} stands for the finding's N-th word.
constexpr Wording kWordings[] = {
    {u"{0} has no doc block", u"{0} にドキュメントコメントがありません"},
    {u"{0} is documented in another style, without a '/** block; update-all converts it",
     u"{0} は別の書式で説明されています ('/** のブロックがありません)。コメント更新で変換できます"},
    {u"the summary of {0} is empty", u"{0} の概要が空です"},
    {u"@param {1} names no parameter of {0}", u"@param {1} は {0} の引数にありません"},
    {u"parameter {1} of {0} has no @param", u"{0} の引数 {1} に @param がありません"},
    {u"@param {1} of {0} says nothing", u"{0} の @param {1} に説明がありません"},
    {u"{1} of {0} says nothing", u"{0} の {1} に説明がありません"},
    {u"Function {0} has no @return", u"Function {0} に @return がありません"},
    {u"{1} on {0}, which is not a Function", u"{0} は Function ではないのに {1} があります"},
    {u"Property {0} has no {1} line", u"Property {0} に {1} の行がありません"},
    {u"{1} {2} names another property than {0}", u"{1} {2} は {0} とは別のプロパティを指しています"},
    {u"the tags of {0} are not in the order update writes them",
     u"{0} のタグの順序がコメント更新の順序と違います"},
    {u"@modulename {1} is not the module's name {0}", u"@modulename {1} がモジュール名 {0} と違います"},
    {u"the description of {0} is not its summary: \"{1}\"",
     u"{0} の説明 (VB_Description) が概要と違います: \"{1}\""},
};

static_assert(std::size(kWordings) == static_cast<std::size_t>(LintMessage::DescriptionStale) + 1);

std::u16string Worded(std::u16string_view wording, const std::vector<std::u16string>& words) {
  std::u16string text;
  for (std::size_t i = 0; i < wording.size(); ++i) {
    if (wording[i] == u'{' && i + 2 < wording.size() && wording[i + 2] == u'}' && wording[i + 1] >= u'0' &&
        wording[i + 1] <= u'9') {
      const auto word = static_cast<std::size_t>(wording[i + 1] - u'0');
      if (word < words.size()) text += words[word];
      i += 2;
    } else {
      text += wording[i];
    }
  }
  return text;
}

LineNumber FirstNonBlankColumn(std::u16string_view line) {
  std::size_t i = 0;
  while (i < line.size() && (line[i] == u' ' || line[i] == u'\t')) ++i;
  return static_cast<LineNumber>(i + 1);
}

bool IsTagRule(LintRule rule) {
  return rule == LintRule::ParamMissing || rule == LintRule::ParamStale || rule == LintRule::ReturnMissing ||
         rule == LintRule::ReturnStale || rule == LintRule::AccessorStale;
}

class Findings {
 public:
  Findings(const LintOptions& options, std::vector<LintFinding>& out) : options_(options), out_(out) {}

  // words: the procedure's (or module's) name first, then what the wording names.
  void Add(LintRule rule, LineNumber line, LineNumber column, LintMessage wording,
           std::vector<std::u16string> words, const ProcLines* proc) {
    if (IsTagRule(rule)) ++tagFindings;
    if (options_.disabled.contains(rule)) return;
    LintFinding& finding = out_.emplace_back();
    finding.rule = rule;
    finding.line = line;
    finding.column = column;
    finding.wording = wording;
    finding.words = std::move(words);
    finding.message = LintMessageText(finding, LintLanguage::English);
    if (proc) {
      finding.procedure = proc->name;
      finding.kind = proc->kind;
      finding.declaration = proc->body;
    }
  }

  // Findings about tags update mends, those of disabled rules too.
  std::size_t tagFindings = 0;

 private:
  const LintOptions& options_;
  std::vector<LintFinding>& out_;
};

// The summary insert writes for a name with "_" that is no event: the text
// before the "_" ("dict_Add" gets "dict."), which says nothing.
bool IsPlaceholderSummary(const std::vector<std::u16string>& lines, const DocBlock& block,
                          std::u16string_view name) {
  if (block.SummaryEnd() != block.open + 2) return false;
  static const EventTable events = [] {
    EventTable table;
    table.InitEventTable();
    return table;
  }();
  const std::u16string object = GetObjectName(name);
  return !object.empty() && events.GetProcSummary(name) == object &&
         TrimSpaces(DocLineText(lines[block.open + 1])) == object + u".";
}

bool IsUndescribed(const DocTag& tag) { return TrimSpaces(tag.rest).empty() && tag.continuation == 0; }

void LintProc(CodeModule& module, const ProcLines& proc, const LintOptions& options, Findings& findings) {
  const std::size_t before = findings.tagFindings;
  const ProcDoc doc = ReadProcDoc(module, proc);
  // Public scope: a Private procedure's documentation is its author's business.
  if (options.publicOnly && IsDeclaredPrivate(doc.declaration)) return;
  const LineNumber declarationColumn = FirstNonBlankColumn(module.Lines(proc.body, 1));
  const std::u16string& name = proc.name;
  if (!doc.block) {
    if (doc.foreignLine) {
      const std::u16string& line = doc.lines[*doc.foreignLine];
      findings.Add(LintRule::ForeignStyle, doc.first + static_cast<LineNumber>(*doc.foreignLine),
                   static_cast<LineNumber>(line.find(u'@') + 1), LintMessage::OtherStyle, {name}, &proc);
    } else {
      findings.Add(LintRule::MissingDoc, proc.body, declarationColumn, LintMessage::NoDocBlock, {name},
                   &proc);
    }
    return;
  }
  const DocBlock& block = *doc.block;
  auto lineOf = [&](std::size_t index) { return doc.first + static_cast<LineNumber>(index); };
  auto tagColumn = [&](const DocTag& tag) { return static_cast<LineNumber>(tag.column + 1); };

  if (IsSummaryEmpty(doc.lines, block) || IsPlaceholderSummary(doc.lines, block, name)) {
    const bool hasLine = block.SummaryEnd() > block.open + 1;
    const std::size_t at = hasLine ? block.open + 1 : block.open;
    const std::u16string& line = doc.lines[at];
    const auto column = hasLine ? static_cast<LineNumber>(line.size() - DocLineText(line).size() + 1)
                                : FirstNonBlankColumn(line);
    findings.Add(LintRule::SummaryEmpty, lineOf(at), column, LintMessage::SummaryEmpty, {name}, &proc);
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
    findings.Add(LintRule::ParamStale, lineOf(tag.line), tagColumn(tag), LintMessage::ParamNamesNone,
                 {name, ParamKey(tag.name)}, &proc);
  }
  if (!match.isProperty) {
    for (std::size_t p = 0; p < match.params.size(); ++p) {
      if (match.paramTag[p]) continue;
      findings.Add(LintRule::ParamMissing, proc.body, declarationColumn, LintMessage::ParamMissing,
                   {name, ParamKey(match.params[p])}, &proc);
    }
  }
  for (std::size_t p = 0; p < match.params.size(); ++p) {
    if (!match.paramTag[p]) continue;
    const DocTag& tag = block.tags[*match.paramTag[p]];
    if (IsUndescribed(tag)) {
      findings.Add(LintRule::ParamUndescribed, lineOf(tag.line), tagColumn(tag),
                   LintMessage::ParamSaysNothing, {name, ParamKey(tag.name)}, &proc);
    }
  }
  if (match.returnTag && IsUndescribed(block.tags[*match.returnTag])) {
    const DocTag& tag = block.tags[*match.returnTag];
    findings.Add(LintRule::ReturnUndescribed, lineOf(tag.line), tagColumn(tag),
                 LintMessage::ReturnSaysNothing, {name, std::u16string(tag.word)}, &proc);
  }
  if (match.isFunction && !match.returnTag) {
    findings.Add(LintRule::ReturnMissing, proc.body, declarationColumn, LintMessage::ReturnMissing, {name},
                 &proc);
  }
  for (const std::size_t t : match.staleReturns) {
    const DocTag& tag = block.tags[t];
    findings.Add(LintRule::ReturnStale, lineOf(tag.line), tagColumn(tag), LintMessage::ReturnNotFunction,
                 {name, std::u16string(tag.word)}, &proc);
  }
  if (match.isProperty) {
    const std::u16string_view word = proc.kind == ProcKind::Get ? u"Getter:" : u"Setter:";
    if (!match.accessorTag) {
      findings.Add(LintRule::AccessorStale, proc.body, declarationColumn, LintMessage::AccessorMissing,
                   {name, std::u16string(word)}, &proc);
    } else if (const DocTag& tag = block.tags[*match.accessorTag]; !EqualsIgnoreCase(tag.name, name)) {
      findings.Add(LintRule::AccessorStale, lineOf(tag.line), tagColumn(tag), LintMessage::AccessorOther,
                   {name, std::u16string(tag.word), std::u16string(tag.name)}, &proc);
    }
  }
  if (findings.tagFindings > before) return;
  // Summaries are the summary rule's: no event summary is looked up here.
  static const EventTable kNoEvents;
  const std::vector<std::u16string> rebuilt = RebuildProcBlock(doc, block, kNoEvents);
  if (!std::equal(rebuilt.begin(), rebuilt.end(), doc.lines.begin() + static_cast<std::ptrdiff_t>(block.open),
                  doc.lines.begin() + static_cast<std::ptrdiff_t>(block.close) + 1)) {
    findings.Add(LintRule::TagOrder, lineOf(block.open), FirstNonBlankColumn(doc.lines[block.open]),
                 LintMessage::TagOrder, {name}, &proc);
  }
}

}  // namespace

std::string_view LintRuleName(LintRule rule) { return PropertiesOf(rule).name; }

bool IsDeclaredPrivate(std::u16string_view declaration) {
  const std::u16string trimmed = TrimSpaces(declaration);
  return StartsWithIgnoreCase(trimmed, u"Private ") || StartsWithIgnoreCase(trimmed, u"Private\t");
}

std::u16string LintMessageText(const LintFinding& finding, LintLanguage language) {
  const Wording& wording = kWordings[static_cast<std::size_t>(finding.wording)];
  return Worded(language == LintLanguage::English ? wording.english : wording.japanese, finding.words);
}

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
    const std::u16string_view value = ModuleNameValue(tag, componentName);
    if (value != componentName) {
      findings.Add(LintRule::HeaderStale, static_cast<LineNumber>(tag.line + 1),
                   static_cast<LineNumber>(tag.column + 1), LintMessage::HeaderStale,
                   {componentName, std::u16string(value)}, nullptr);
    }
  }

  ForEachProcBottomUp(module, [&](const ProcLines& proc) { LintProc(module, proc, options, findings); });
  if (options.descriptions) {
    for (const StaleDescription& stale : StaleDescriptions(*options.descriptions)) {
      const auto proc = stale.procedure.empty() ? std::nullopt : module.ProcLinesOfLine(stale.line);
      if (proc && options.publicOnly && IsDeclaredPrivate(ReadProcDoc(module, *proc).declaration)) continue;
      findings.Add(LintRule::DescriptionStale, stale.line, 1, LintMessage::DescriptionStale,
                   {proc ? proc->name : module.ComponentName(), stale.description}, proc ? &*proc : nullptr);
    }
  }
  std::stable_sort(found.begin(), found.end(), [](const LintFinding& a, const LintFinding& b) {
    return a.line != b.line ? a.line < b.line : a.column < b.column;
  });
  return found;
}

std::string_view LintRuleSummary(LintRule rule) { return PropertiesOf(rule).summary; }

bool LintRuleInforms(LintRule rule) { return PropertiesOf(rule).informs; }

bool LintRuleFixedByUpdate(LintRule rule) { return PropertiesOf(rule).fixedByUpdate; }

}  // namespace tamvo
