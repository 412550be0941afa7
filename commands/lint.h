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
#include "host/exported_module.h"

namespace tamvo {

enum class LintRule {
  MissingDoc,         // missing-doc: a procedure without a doc block
  ParamMissing,       // param-missing: a parameter without @param (not on properties)
  ParamStale,         // param-stale: a @param that names no parameter
  ReturnMissing,      // return-missing: a Function without @return
  ReturnStale,        // return-stale: a @return on what is not a Function
  SummaryEmpty,       // summary-empty: a summary that is empty or "."
  HeaderStale,        // header-stale: "@modulename" other than the module's name
  ForeignStyle,       // foreign-style: documented in another style, without a doc block
  AccessorStale,      // accessor-stale: a property's Getter:/Setter: line missing or naming another
  TagOrder,           // tag-order: tags not in the order update writes them
  ParamUndescribed,   // param-undescribed: a @param with no text after its name
  ReturnUndescribed,  // return-undescribed: a @return with no text
  DescriptionStale,   // description-stale: a VB_Description that is not the summary (descriptions on)
};

inline constexpr LintRule kLintRules[] = {
    LintRule::MissingDoc,       LintRule::ParamMissing,     LintRule::ParamStale,
    LintRule::ReturnMissing,    LintRule::ReturnStale,      LintRule::SummaryEmpty,
    LintRule::HeaderStale,      LintRule::ForeignStyle,     LintRule::AccessorStale,
    LintRule::TagOrder,         LintRule::ParamUndescribed, LintRule::ReturnUndescribed,
    LintRule::DescriptionStale,
};

// "missing-doc", "param-missing", ...
std::string_view LintRuleName(LintRule rule);
std::optional<LintRule> LintRuleOfName(std::string_view name);
// What the rule finds, in a few words: "a procedure without a doc block".
std::string_view LintRuleSummary(LintRule rule);
// Whether the rule finds words a person has yet to write rather than what
// is wrong: missing-doc, summary-empty, param-undescribed,
// return-undescribed. An editor shows these as information.
bool LintRuleInforms(LintRule rule);
// Whether updating the procedure's block mends what the rule finds: a
// missing or stale tag, no block at all, a comment in another style (which
// update adopts into a block).
bool LintRuleFixedByUpdate(LintRule rule);

// What a finding says, one wording per kind of finding; its words (names,
// tags) fill the wording's places.
enum class LintMessage {
  NoDocBlock,         // {0} has no doc block
  OtherStyle,         // {0} is documented in another style
  SummaryEmpty,       // the summary of {0} is empty
  ParamNamesNone,     // @param {1} names no parameter of {0}
  ParamMissing,       // parameter {1} of {0} has no @param
  ParamSaysNothing,   // @param {1} of {0} says nothing
  ReturnSaysNothing,  // {1} (the tag) of {0} says nothing
  ReturnMissing,      // Function {0} has no @return
  ReturnNotFunction,  // {1} (the tag) on {0}, which is not a Function
  AccessorMissing,    // Property {0} has no {1} (Getter:/Setter:) line
  AccessorOther,      // {1} {2} names another property than {0}
  TagOrder,           // the tags of {0} are not in update's order
  HeaderStale,        // @modulename {1} is not the module's name {0}
  DescriptionStale,   // the description of {0} is not its summary: {1}
};

// English for the command line and the language server, Japanese for the
// add-in, whose captions are Japanese.
enum class LintLanguage { English, Japanese };

struct LintFinding {
  LintRule rule = LintRule::MissingDoc;
  LineNumber line = 0;     // module line, from 1
  LineNumber column = 0;   // from 1, in UTF-16 code units
  std::u16string message;  // in English
  LintMessage wording = LintMessage::NoDocBlock;
  std::vector<std::u16string> words;  // what fills the wording's places
  std::u16string procedure;           // the procedure's name; empty for the module header
  ProcKind kind = ProcKind::Proc;
  LineNumber declaration = 0;  // the procedure's declaration line (ProcLines::body); 0 for the header
};

// The finding's message in a language.
std::u16string LintMessageText(const LintFinding& finding, LintLanguage language);

// Whether a declaration starts with Private: the procedures --scope public
// leaves out.
bool IsDeclaredPrivate(std::u16string_view declaration);

struct LintOptions {
  bool publicOnly = false;  // findings only for procedures not declared Private
  std::set<LintRule> disabled;
  // With descriptions on: the exported module whose module is linted, its
  // VB_Description attributes held against the summaries.
  ExportedModule* descriptions = nullptr;
};

// The findings of a module, in the order of their lines. A missing thing is
// found at the declaration's first non-blank character; a stale tag at its
// "@"; an empty summary where its text begins; a stale header at its
// "@modulename". A renamed parameter is two findings, param-stale and
// param-missing. A procedure whose parameter list can't be read gets no
// parameter findings. Every change update would make to a block is a
// finding: where the rules above name none, the block's tags are out of
// update's order (tag-order, at the block's opening line).
std::vector<LintFinding> LintModule(CodeModule& module, const LintOptions& options = {});

}  // namespace tamvo
