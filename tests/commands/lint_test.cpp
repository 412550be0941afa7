#include "commands/lint.h"

#include <gtest/gtest.h>

#include <set>

#include "engine/text.h"
#include "tests/commands/fakes.h"

namespace tamvo {
namespace {

using test::Editor;

// Findings as "LINE:COLUMN rule procedure".
std::vector<std::string> Lint(std::u16string_view text, const LintOptions& options = {}) {
  Editor editor(text, u"mdlTools");
  std::vector<std::string> shown;
  for (const auto& f : LintModule(editor.vbe.Module(), options)) {
    shown.push_back(std::to_string(f.line) + ":" + std::to_string(f.column) + " " +
                    std::string(LintRuleName(f.rule)) + " " + ToUtf8(f.procedure));
  }
  return shown;
}

using Found = std::vector<std::string>;

TEST(Lint, FindsWhatIsMissingOrStaleWhereItIs) {
  struct Case {
    const char* what;
    std::u16string text;
    Found found;
  };
  const Case cases[] = {
      {"a clean block",
       u"'/**\n' * Adds.\n' * @return the sum\n' * @param a the a\n' */\nFunction F(a)\nEnd Function\n",
       {}},
      {"tags without words, and a summary insert made of a name that is no event",
       u"'/**\n' * Adds.\n' * @return\n' * @param a\n' */\nFunction F(a)\nEnd Function\n"
       u"'/**\n' * dict.\n' */\nSub dict_Add()\nEnd Sub\n'/**\n' * Form.\n' */\nSub Form_Load()\nEnd Sub\n",
       {"3:5 return-undescribed F", "4:5 param-undescribed F", "9:5 summary-empty dict_Add"}},
      {"no block, at the declaration's first character",
       u"Option Explicit\n  Private Sub A()\nEnd Sub\n",
       {"2:3 missing-doc A"}},
      {"a rename is two findings; the stale one at its @",
       u"'/**\n' * Adds.\n'*   @param old\n' */\nSub F(a)\nEnd Sub\n",
       {"3:6 param-stale F", "5:1 param-missing F"}},
      {"a Property Get may say what it gives back",
       u"'/**\n' * x\n' * Getter: V\n' * @return the v\n' */\nProperty Get V()\nEnd Property\n",
       {}},
      {"return missing, and stale on a Sub",
       u"'/**\n' * x\n' */\nFunction F()\nEnd Function\n'/**\n' * x\n' * @returns y\n' */\nSub S()\nEnd "
       u"Sub\n",
       {"4:1 return-missing F", "8:5 return-stale S"}},
      {"an empty summary, where its text begins; none at all: the opening line",
       u"'/**\n' *   .\n' */\nSub A()\nEnd Sub\n '/**\n' * @see A\n' */\nSub B()\nEnd Sub\n",
       {"2:7 summary-empty A", "6:2 summary-empty B"}},
      {"properties: no parameter is missing, a stale one is",
       u"'/**\n' * x\n' * Setter: V\n' * @param w\n' */\nProperty Let V(v)\nEnd Property\n",
       {"4:5 param-stale V"}},
      {"another style, once",
       u"' @param a\n' @return\nFunction F(a)\nEnd Function\n",
       {"1:3 foreign-style F"}},
      {"a stale header at its @modulename",
       u"'/**\n' * .\n' * @modulename Module1\n' */\nOption Explicit\n",
       {"3:5 header-stale "}},
      {"a header with the module's name",
       u"'/**\n' * .\n' * @modulename mdlTools\n' */\nOption Explicit\n",
       {}},
      {"a parameter list that can't be read: no tag findings", u"'/**\n' * x\n' */\nSub S(a\nEnd Sub\n", {}},
      {"tags out of update's order, once, at the opening line",
       u"'/**\n' * x\n' * @see F\n' * @param b the b\n' * @param a the a\n' */\nSub F(a, b)\nEnd Sub\n",
       {"1:1 tag-order F"}},
      {"a property's accessor line naming another property, or none",
       u"'/**\n' * x\n' * Getter: Old\n' */\nProperty Get V()\nEnd Property\n'/**\n' * x\n' */\n"
       u"Property Let V(v)\nEnd Property\n",
       {"3:5 accessor-stale V", "10:1 accessor-stale V"}},
      {"names as VBA compares them: suffix, ParamArray, letter case",
       u"'/**\n' * x\n' * @return y\n' * @param A the a\n' * @param values all\n' */\n"
       u"Function F(a$, ParamArray values() As Variant) As Double\nEnd Function\n",
       {}},
      {"a stale header below an annotation",
       u"'@Folder(\"x\")\n'/**\n' * @modulename Old\n' */\nOption Explicit\n",
       {"3:5 header-stale "}},
      {"a tab is one column", u"'/**\n' * x\n'\t* @param z\n' */\nSub A()\nEnd Sub\n", {"3:5 param-stale A"}},
  };
  for (const auto& c : cases) EXPECT_EQ(Lint(c.text), c.found) << c.what;
}

TEST(Lint, ScopeAndDisabledRules) {
  const std::u16string text = u"Private Sub A()\nEnd Sub\nSub B()\nEnd Sub\nFriend Sub C()\nEnd Sub\n";
  EXPECT_EQ(Lint(text), (Found{"1:1 missing-doc A", "3:1 missing-doc B", "5:1 missing-doc C"}));
  LintOptions publicOnly;
  publicOnly.publicOnly = true;
  EXPECT_EQ(Lint(text, publicOnly), (Found{"3:1 missing-doc B", "5:1 missing-doc C"}));
  // The scope holds for every rule.
  EXPECT_EQ(Lint(u"'/**\n' * .\n' * @param gone\n' */\nPrivate Sub A()\nEnd Sub\n", publicOnly), Found{});
  LintOptions disabled;
  disabled.disabled = {LintRule::MissingDoc};
  EXPECT_EQ(Lint(text, disabled), Found{});
}

TEST(Lint, RuleNamesGoBothWays) {
  for (const LintRule rule : kLintRules) EXPECT_EQ(LintRuleOfName(LintRuleName(rule)), rule);
  EXPECT_EQ(LintRuleOfName("missing"), std::nullopt);
}

// Every finding a module of every kind of fault gives says in Japanese what
// it says in English: the same names, each word once.
TEST(Lint, JapaneseMessagesNameWhatTheEnglishOnesName) {
  MemoryModule module(u"M",
                      SplitLines(u"'/**\n' * @modulename Old\n' */\n"
                                 u"Sub A()\nEnd Sub\n' Adds.\n' @param x the x\nSub B(x)\nEnd Sub\n"
                                 u"'/**\n' * \n' * @param gone\n' * @return\n' */\nSub C(y)\nEnd Sub\n"
                                 u"'/**\n' * x\n' * @param z\n' */\nFunction D(z)\nEnd Function\n"
                                 u"'/**\n' * x\n' * Getter: Old\n' */\nProperty Get E()\nEnd Property\n"
                                 u"'/**\n' * x\n' */\nProperty Let G(v)\nEnd Property\n"
                                 u"'/**\n' * x\n' * @see y\n' * @param w the w\n' */\nSub H(w)\nEnd Sub\n"));
  std::set<LintMessage> wordings;
  for (const LintFinding& finding : LintModule(module)) {
    wordings.insert(finding.wording);
    const std::u16string japanese = LintMessageText(finding, LintLanguage::Japanese);
    EXPECT_EQ(LintMessageText(finding, LintLanguage::English), finding.message);
    EXPECT_EQ(japanese.find(u'{'), std::u16string::npos) << ToUtf8(japanese);
    for (const std::u16string& word : finding.words) {
      EXPECT_NE(japanese.find(word), std::u16string::npos) << ToUtf8(japanese) << " lacks " << ToUtf8(word);
    }
  }
  EXPECT_GE(wordings.size(), 10u);
}

}  // namespace
}  // namespace tamvo
