#include "commands/update.h"

#include <gtest/gtest.h>

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
         rule == LintRule::ReturnStale;
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
                   u"' * @param b - the b\n' * @see Sub\n' */\nFunction Add(a As Long, b As Long) As Long\n"
                   u"End Function\n",
                   {"6: @param gone (no such parameter)"}},
        UpdateCase{"a rename: one stale @param and one new parameter",
                   u"'/**\n'* Logs.\n'* @param text - what to log\n'* @return nothing\n'*/\n"
                   u"Sub Log(Optional note As String)\nEnd Sub\n",
                   u"'/**\n'* Logs.\n' * @param Optional note - what to log\n'*/\n"
                   u"Sub Log(Optional note As String)\nEnd Sub\n",
                   {"4: @return (not a Function)"}},
        UpdateCase{"stale tags go and are named, letter case of names ignored",
                   u"'/**\n' * .\n' * @param A\n' * @param x - old\n' * @param y - old\n' */\n"
                   u"Sub S(a)\nEnd Sub\n",
                   u"'/**\n' * .\n' * @param a\n' */\nSub S(a)\nEnd Sub\n",
                   {"4: @param x (no such parameter)", "5: @param y (no such parameter)"}},
        UpdateCase{"a bare template summary takes the event's; a bare @return stays insert's",
                   u"Option Explicit\n\n'/**\n' * .\n' */\nPrivate Sub Form_Load()\nEnd Sub\n"
                   u"'/**\n' * .\n' * @return\n' */\nFunction F()\nEnd Function\n",
                   u"Option Explicit\n\n'/**\n' * Form 読み込み時.\n' */\nPrivate Sub Form_Load()\nEnd Sub\n"
                   u"'/**\n' * .\n' * @return \n' */\nFunction F()\nEnd Function\n",
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
        UpdateCase{"no block: insert's, above the annotations; the leading lines stay",
                   u"Option Explicit\nSub A()\nEnd Sub\n\n\n' about B\n'@TestMethod\nSub B(x)\nEnd Sub\n"
                   u"'@Ignore\nSub C()\nEnd Sub\n",
                   u"Option Explicit\n\n'/**\n' * .\n' */\nSub A()\nEnd Sub\n\n\n' about B\n'/**\n' * .\n"
                   u"' * @param x\n' */\n'@TestMethod\nSub B(x)\nEnd Sub\n\n'/**\n' * .\n' */\n'@Ignore\n"
                   u"Sub C()\nEnd Sub\n",
                   {}},
        UpdateCase{"another style is left alone",
                   u"' Adds.\n' @param a the a\nSub A(a, b)\nEnd Sub\n",
                   u"' Adds.\n' @param a the a\nSub A(a, b)\nEnd Sub\n",
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

}  // namespace
}  // namespace tamvo
