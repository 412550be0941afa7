#include "commands/update.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "commands/lint.h"
#include "engine/text.h"
#include "tests/commands/fakes.h"

namespace tamvo {
namespace {

using test::Editor;

std::vector<std::string> Shown(const std::vector<RemovedTag>& removed) {
  std::vector<std::string> shown;
  for (const auto& tag : removed) {
    shown.push_back(std::to_string(tag.line) + ": " + ToUtf8(tag.tag) + " (" + ToUtf8(tag.reason) + ")");
  }
  return shown;
}

bool IsTagRule(LintRule rule) {
  return rule == LintRule::ParamMissing || rule == LintRule::ParamStale || rule == LintRule::ReturnMissing ||
         rule == LintRule::ReturnStale || rule == LintRule::AccessorStale || rule == LintRule::TagOrder;
}

struct UpdateCase {
  const char* what;
  std::u16string before;
  std::u16string after;
  std::vector<std::string> removed;
  friend void PrintTo(const UpdateCase& c, std::ostream* os) { *os << c.what; }
};

class UpdateAll : public ::testing::TestWithParam<UpdateCase> {};

TEST_P(UpdateAll, KeepsTheUsersWordsOnceAndForAll) {
  Editor editor(GetParam().before);
  auto& module = editor.vbe.Module();
  EXPECT_EQ(Shown(UpdateAllProcComments(module, editor.events)), GetParam().removed);
  EXPECT_EQ(ToUtf8(editor.Text()), ToUtf8(GetParam().after));

  EXPECT_TRUE(UpdateAllProcComments(module, editor.events).empty()) << "second run";
  EXPECT_EQ(ToUtf8(editor.Text()), ToUtf8(GetParam().after)) << "second run";
  for (const auto& finding : LintModule(module)) {
    EXPECT_FALSE(IsTagRule(finding.rule)) << finding.line << ": " << ToUtf8(finding.message);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Modules, UpdateAll,
    ::testing::Values(
        UpdateCase{"tags follow the declaration, descriptions stay byte for byte",
                   u"'/**\n' * Adds.\n' *   more.\n' * @param {Long} a - the a\n' * @see Sub\n"
                   u"' * @param gone: was here\n' *   and here\n' * @param B - the b\n' * @returns the sum\n"
                   u"' */\nFunction Add(a As Long, b As Long) As Long\nEnd Function\n",
                   u"'/**\n' * Adds.\n' *   more.\n' * @returns the sum\n' * @param {Long} a - the a\n"
                   u"' * @param B - the b\n' * @see Sub\n' */\nFunction Add(a As Long, b As Long) As Long\n"
                   u"End Function\n",
                   {"6: @param gone (no such parameter)"}},
        UpdateCase{"a rename: one stale @param and one new parameter",
                   u"'/**\n'* Logs.\n'* @param text - what to log\n'* @return nothing\n'*/\n"
                   u"Sub Log(Optional note As String)\nEnd Sub\n",
                   u"'/**\n'* Logs.\n'* @param Optional note - what to log\n'*/\n"
                   u"Sub Log(Optional note As String)\nEnd Sub\n",
                   {"4: @return (not a Function)"}},
        UpdateCase{"stale tags go and are named, letter case of names ignored",
                   u"'/**\n' * .\n' * @param A\n' * @param x - old\n' * @param y - old\n' */\n"
                   u"Sub S(a)\nEnd Sub\n",
                   u"'/**\n' * .\n' * @param A\n' */\nSub S(a)\nEnd Sub\n",
                   {"4: @param x (no such parameter)", "5: @param y (no such parameter)"}},
        UpdateCase{"a bare template summary takes the event's; a tag line stays as written",
                   u"Option Explicit\n\n'/**\n' * .\n' */\nPrivate Sub Form_Load()\nEnd Sub\n"
                   u"'/**\n' * .\n' * @return\n' */\nFunction F()\nEnd Function\n",
                   u"Option Explicit\n\n'/**\n' * Form 読み込み時.\n' */\nPrivate Sub Form_Load()\nEnd Sub\n"
                   u"'/**\n' * .\n' * @return\n' */\nFunction F()\nEnd Function\n",
                   {}},
        UpdateCase{
            "properties: the accessor line, the user's @param kept, none added",
            u"'/**\n' * The value.\n' * @param v the value\n' * @param gone\n' */\n"
            u"Property Let Value(ByVal v As Long)\nEnd Property\n"
            u"'/**\n' * .\n' * Getter: Old - reads it\n' */\nProperty Get Value() As Long\nEnd Property\n",
            u"'/**\n' * The value.\n' * Setter: Value\n' * @param v the value\n' */\n"
            u"Property Let Value(ByVal v As Long)\nEnd Property\n"
            u"'/**\n' * .\n' * Getter: Value - reads it\n' */\nProperty Get Value() As Long\nEnd Property\n",
            {"4: @param gone (no such parameter)"}},
        UpdateCase{
            "no block: the comment a procedure owns becomes its block, above the annotations",
            u"Option Explicit\nSub A()\nEnd Sub\n\n' a banner\n\n' about B\n'@TestMethod\nSub B(x)\n"
            u"End Sub\n'@Ignore\nSub C()\nEnd Sub\n",
            u"Option Explicit\n\n'/**\n' * .\n' */\nSub A()\nEnd Sub\n\n' a banner\n\n'/**\n' * about B\n"
            u"' * @param x\n' */\n'@TestMethod\nSub B(x)\nEnd Sub\n\n'/**\n' * .\n' */\n'@Ignore\n"
            u"Sub C()\nEnd Sub\n",
            {}},
        UpdateCase{
            "a block without a summary takes the comment left above it",
            u"Option Explicit\n\n'SUM A SINGLE DIM ARRAY\n'/**\n' * .\n' * @return \n' * @param SourceArray\n"
            u"' */\nPublic Function ArraySum(ByVal SourceArray As Variant) As Double\nEnd Function\n",
            u"Option Explicit\n\n'/**\n' * SUM A SINGLE DIM ARRAY\n' * @return \n' * @param SourceArray\n"
            u"' */\nPublic Function ArraySum(ByVal SourceArray As Variant) As Double\nEnd Function\n",
            {}},
        UpdateCase{"the comment's tags take the place of the block's bare ones; a written summary keeps the "
                   "comment out",
                   u"' Adds.\n' @param a the a\n'/**\n' * .\n' * @param a\n' * @param b\n' */\nSub A(a, "
                   u"b)\nEnd Sub\n"
                   u"' kept\n'/**\n' * Written.\n' */\nSub B()\nEnd Sub\n",
                   u"'/**\n' * Adds.\n' * @param a the a\n' * @param b\n' */\nSub A(a, b)\nEnd Sub\n"
                   u"' kept\n'/**\n' * Written.\n' */\nSub B()\nEnd Sub\n",
                   {}},
        UpdateCase{
            "annotations among the comment stay below the block; a description seeds an empty summary",
            u"Option Explicit\n' Logs.\n'@Ignore ParameterNotUsed\n' @param level how loud\nSub "
            u"Log(msg)\nEnd Sub\n"
            u"'@Description(\"Says \"\"hi\"\".\")\nSub Hi()\nEnd Sub\n",
            u"Option Explicit\n'/**\n' * Logs.\n' * @param msg how loud\n' */\n'@Ignore ParameterNotUsed\n"
            u"Sub Log(msg)\nEnd Sub\n'/**\n' * Says \"hi\".\n' */\n'@Description(\"Says \"\"hi\"\".\")\n"
            u"Sub Hi()\nEnd Sub\n",
            {}},
        UpdateCase{
            "a comment's tags that name nothing keep their words as description lines",
            u"Option Explicit\n\n' Logs.\n' @param {String} The text\n' @param b two\n' @returns nothing\n"
            u"Sub Log(msg)\nEnd Sub\n' The value.\n' @returns the value\nProperty Get V()\nEnd Property\n",
            u"Option Explicit\n\n'/**\n' * Logs.\n' *\n' * {String} The text\n' * b two\n' * nothing\n"
            u"' * @param msg\n' */\nSub Log(msg)\nEnd Sub\n'/**\n' * The value.\n' * Getter: V\n"
            u"' * @returns the value\n' */\nProperty Get V()\nEnd Property\n",
            {}},
        UpdateCase{
            "a parameter without a name takes no rename",
            u"'/**\n' * x\n' * @param a the a\n' * @param old - the text\n' */\nSub F(a, As Long)\nEnd Sub\n",
            u"'/**\n' * x\n' * @param a the a\n' * @param \n' */\nSub F(a, As Long)\nEnd Sub\n",
            {"4: @param old (no such parameter)"}},
        UpdateCase{"a name renamed where it stood right after the tag's word",
                   u"'/**\n' * x\n' * @param\u001Eold the a\n' */\nSub F(a)\nEnd Sub\n",
                   u"'/**\n' * x\n' * @param a the a\n' */\nSub F(a)\nEnd Sub\n",
                   {}},
        UpdateCase{"another style is adopted with its tags",
                   u"' Adds.\n' @param a the a\nSub A(a, b)\nEnd Sub\n",
                   u"'/**\n' * Adds.\n' * @param a the a\n' * @param b\n' */\nSub A(a, b)\nEnd Sub\n",
                   {}},
        UpdateCase{
            "two procedures of one name under #If each get their own block",
            u"#If VBA7 Then\nFunction T() As LongPtr\nEnd Function\n#Else\nFunction T() As Long\n"
            u"End Function\n#End If\n",
            u"#If VBA7 Then\n\n'/**\n' * .\n' * @return \n' */\nFunction T() As LongPtr\nEnd Function\n"
            u"#Else\n\n'/**\n' * .\n' * @return \n' */\nFunction T() As Long\nEnd Function\n#End If\n",
            {}},
        UpdateCase{"a header that never closes is no header around the new block",
                   u"'/**\n' * @modulename M\n' *x\nSub A()\nEnd Sub\n",
                   u"'/**\n' * @modulename M\n' *x\n'/**\n' * .\n' */\nSub A()\nEnd Sub\n",
                   {}},
        UpdateCase{
            "a name ends at any Unicode space or colon: the descriptions after it stay",
            u"'/**\n' * 足す.\n' * @param lngA\u3000一つ目の数\n' * @param lngB\uFF1A二つ目の数\n' */\n"
            u"Sub Add(lngA, lngB)\nEnd Sub\n'/**\n' * .\n' * @param x\u3000の値\n' */\nSub One(x)\nEnd Sub\n",
            u"'/**\n' * 足す.\n' * @param lngA\u3000一つ目の数\n' * @param lngB\uFF1A二つ目の数\n' */\n"
            u"Sub Add(lngA, lngB)\nEnd Sub\n'/**\n' * .\n' * @param x\u3000の値\n' */\nSub One(x)\nEnd Sub\n",
            {}},
        UpdateCase{
            "a type-declaration character is no part of the name",
            u"'/**\n' * .\n' * @param a the text\n' * @param b the count\n' */\nSub T(a$, b%)\nEnd Sub\n",
            u"'/**\n' * .\n' * @param a the text\n' * @param b the count\n' */\nSub T(a$, b%)\nEnd Sub\n",
            {}},
        UpdateCase{"a summary may start with Getter: or Setter:",
                   u"'/**\n' * Setter: validates and stores the value.\n' * Setter: Value\n' */\n"
                   u"Property Let Value(v)\nEnd Property\n",
                   u"'/**\n' * Setter: validates and stores the value.\n' * Setter: Value\n' */\n"
                   u"Property Let Value(v)\nEnd Property\n",
                   {}},
        UpdateCase{"a first line of nothing but the accessor is the accessor, not a summary",
                   u"'/**\n' * Setter: Value\n' */\nProperty Let Value(v)\nEnd Property\n",
                   u"'/**\n' * Setter: Value\n' */\nProperty Let Value(v)\nEnd Property\n",
                   {}},
        UpdateCase{
            "lines update need not change stay as written: letter case, prefixes, an annotation",
            u"'/**\n'* Adds.\n'*   @Param a - the a\n'@Ignore ParameterNotUsed\n'*/\nSub A(a, b)\nEnd Sub\n",
            u"'/**\n'* Adds.\n'*   @Param a - the a\n'@Ignore ParameterNotUsed\n'*   @param b\n'*/\n"
            u"Sub A(a, b)\nEnd Sub\n",
            {}},
        UpdateCase{"a header of its own style is no procedure's comment: the block goes below an empty line",
                   u"'/**\n' * @ModuleName Module1\n'*/\nSub A()\nEnd Sub\n",
                   u"'/**\n' * @ModuleName Module1\n'*/\n\n'/**\n' * .\n' */\nSub A()\nEnd Sub\n",
                   {}},
        UpdateCase{"tabs around a parameter's keywords",
                   u"'/**\n' * .\n' * @param x the x\n' */\nSub T(\tByVal\tx\tAs Long)\nEnd Sub\n",
                   u"'/**\n' * .\n' * @param x the x\n' */\nSub T(\tByVal\tx\tAs Long)\nEnd Sub\n",
                   {}},
        UpdateCase{
            "a module header is no procedure's block",
            u"'/**\n' * Tools.\n' * @modulename Module1\n' */\nSub A()\nEnd Sub\n",
            u"'/**\n' * Tools.\n' * @modulename Module1\n' */\n\n'/**\n' * .\n' */\nSub A()\nEnd Sub\n",
            {}}));

TEST(UpdateAll, ChangesNothingAfterInsertAll) {
  const std::u16string module =
      u"Option Explicit\n'@Folder(\"x\")\nPrivate Sub Form_Load()\nEnd Sub\n' old\n'@TestMethod\n"
      u"Public Function Join3(ByVal a As String, _\n  Optional b = \"x\", ParamArray c()) As String\n"
      u"End Function\nProperty Get V()\nEnd Property\nProperty Set V(o As Object)\nEnd Property\n"
      u"#If X Then\nSub D()\nEnd Sub\n#Else\nSub D()\nEnd Sub\n#End If\n"
      u"Sub W(a b, {x}, Optional s = \"p q\", a)\nEnd Sub\n";
  Editor editor(module);
  editor.commands.InsertAllProcComments();
  const std::u16string inserted = editor.Text();
  EXPECT_TRUE(UpdateAllProcComments(editor.vbe.Module(), editor.events).empty());
  EXPECT_EQ(ToUtf8(editor.Text()), ToUtf8(inserted));
}

// A CI that runs both must be able to pass: lint finds something exactly
// where update would change something.
TEST(UpdateAndLint, LintIsCleanExactlyWhereUpdateChangesNothing) {
  const std::u16string modules[] = {
      u"'/**\n' * The old sum.\n' * @return the sum\n' * @param values every number\n' */\n"
      u"Public Function Sum(ParamArray values() As Variant) As Double\nEnd Function\n",
      u"'/**\n' * x\n' * @param b\n' * @param a\n' */\nSub F(a, b)\nEnd Sub\n",
      u"'/**\n' * x\n' * @see y\n' * @return\n' */\nFunction F()\nEnd Function\n",
      u"'/**\n' * x\n' * Getter: Old\n' */\nProperty Get V()\nEnd Property\n",
      u"'/**\n' * x\n' */\nProperty Set V(o)\nEnd Property\n",
      u"'/**\n' * x\n' * @param a$ the a\n' * @param b the b\n' */\nSub T(a$, b%)\nEnd Sub\n",
      u"'/**\n' * x\n' * @param old\n' */\nSub R(a)\nEnd Sub\n",
      u"'/**\n' * x\n' * @param Optional x\n' */\nSub O(Optional x)\nEnd Sub\n",
  };
  for (const auto& text : modules) {
    Editor editor(text);
    const auto findings = LintModule(editor.vbe.Module());
    const bool mended = std::any_of(findings.begin(), findings.end(), [](const LintFinding& f) {
      return f.rule != LintRule::ParamUndescribed && f.rule != LintRule::ReturnUndescribed &&
             f.rule != LintRule::SummaryEmpty;
    });
    UpdateAllProcComments(editor.vbe.Module(), editor.events);
    const bool changed = editor.Text() != text;
    EXPECT_EQ(mended, changed) << ToUtf8(text);
    EXPECT_TRUE(!changed || !findings.empty()) << ToUtf8(text);
  }
}

TEST(UpdateProcComment, EditsOnlyTheProcedureAtTheLine) {
  Editor editor(u"#If X Then\nSub D(a)\nEnd Sub\n#Else\nSub D(b)\nEnd Sub\n#End If\nSub E()\nEnd Sub\n");
  EXPECT_TRUE(UpdateProcComment(editor.vbe.Module(), 6, editor.events).empty());
  EXPECT_EQ(ToUtf8(editor.Text()),
            ToUtf8(u"#If X Then\nSub D(a)\nEnd Sub\n#Else\n\n'/**\n' * .\n' * @param b\n' */\nSub D(b)\n"
                   u"End Sub\n#End If\nSub E()\nEnd Sub\n"));
  UpdateProcComment(editor.vbe.Module(), 1, editor.events);
  EXPECT_EQ(editor.vbe.Module().CountOfLines(), 14) << "a line of the declarations section";
}

TEST(UpdateModuleHeader, SetsTheModuleNameAndKeepsTheRest) {
  struct Case {
    std::u16string before;
    std::u16string after;  // empty: no header, nothing changes
  };
  const Case cases[] = {
      {u"'/**\n' * Tools.\n' * @modulename Old  (renamed)\n' * @auther me\n' */\nOption Explicit\n",
       u"'/**\n' * Tools.\n' * @modulename mdlNew  (renamed)\n' * @auther me\n' */\nOption Explicit\n"},
      {u"'/**\n'* @modulename\n'*/\n", u"'/**\n'* @modulename mdlNew\n'*/\n"},
      {u"'/**\n' * Tools.\n' */\nOption Explicit\n", u""},
      {u"Option Explicit\n", u""},
  };
  for (const auto& c : cases) {
    Editor editor(c.before, u"mdlNew");
    EXPECT_EQ(UpdateModuleHeader(editor.vbe.Module()), !c.after.empty()) << ToUtf8(c.before);
    EXPECT_EQ(ToUtf8(editor.Text()), ToUtf8(c.after.empty() ? c.before : c.after));
  }
}

TEST(HandWritten, OnlyWhatInsertDidNotWrite) {
  Editor editor(
      u"'/**\n' * .\n' * @param a\n' */\nSub A(a)\nEnd Sub\n'/**\n' * Form 読み込み時.\n' */\n"
      u"Sub Form_Load()\nEnd Sub\n\n' mine\n'@TestMethod\n' more\nSub C()\nEnd Sub\n'/**\n' * .\n"
      u"' * @param x the x\n' */\nSub D(x)\nEnd Sub\n");
  const auto told = [](const std::vector<HandWrittenComment>& comments) {
    std::vector<std::string> found;
    for (const auto& c : comments)
      found.push_back(std::to_string(c.line) + "+" + std::to_string(c.count) + " " + ToUtf8(c.procName));
    return found;
  };
  const std::vector<std::string> expected{"13+2 C", "18+4 D"};
  EXPECT_EQ(told(HandWrittenProcComments(editor.vbe.Module(), 0, editor.events)), expected);
  EXPECT_EQ(HandWrittenProcComments(editor.vbe.Module(), 5, editor.events).size(), 0u);
  // The insert notes the same as it goes, lines as they were before it.
  editor.commands.InsertAllProcComments();
  EXPECT_EQ(told(editor.commands.HandWrittenComments()), expected);
}

TEST(HandWritten, BlankLinesAreNoComment) {
  Editor editor(u"Option Explicit\n\t\n  \nSub A()\nEnd Sub\n");
  EXPECT_TRUE(HandWrittenProcComments(editor.vbe.Module(), 0, editor.events).empty());
}

TEST(HandWritten, NoneInABlockInsertWroteForNamesWithBlanks) {
  Editor editor(u"Sub S(Optional x, ParamArray c(), Optional s = \"p q\")\nEnd Sub\n");
  editor.commands.InsertAllProcComments();
  editor.commands.InsertAllProcComments();
  EXPECT_TRUE(editor.commands.HandWrittenComments().empty());
}

}  // namespace
}  // namespace tamvo
