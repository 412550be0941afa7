#include "commands/commands.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "engine/text.h"
#include "tests/commands/fakes.h"

namespace tamvo {
namespace {

using test::Editor;

struct WalkCase {
  const char* what;
  std::u16string text;
  std::u16string commented;    // after InsertAllProcComments
  std::u16string uncommented;  // after DeleteAllProcComments
  friend void PrintTo(const WalkCase& c, std::ostream* os) { *os << c.what; }
};

class WalkTest : public ::testing::TestWithParam<WalkCase> {};

TEST_P(WalkTest, InsertAllCommentsEveryProcedureOnce) {
  Editor editor(GetParam().text);
  editor.commands.InsertAllProcComments();
  EXPECT_EQ(ToUtf8(editor.Text()), ToUtf8(GetParam().commented));
  editor.commands.InsertAllProcComments();
  EXPECT_EQ(ToUtf8(editor.Text()), ToUtf8(GetParam().commented)) << "second run";
  EXPECT_TRUE(editor.ui.messages.empty());
}

TEST_P(WalkTest, DeleteAllLeavesOneEmptyLineAboveEachDeclaration) {
  Editor editor(GetParam().text);
  editor.commands.DeleteAllProcComments();
  EXPECT_EQ(ToUtf8(editor.Text()), ToUtf8(GetParam().uncommented));

  Editor commented(GetParam().text);
  commented.commands.InsertAllProcComments();
  commented.commands.DeleteAllProcComments();
  EXPECT_EQ(ToUtf8(commented.Text()), ToUtf8(GetParam().uncommented)) << "after insert";
  EXPECT_TRUE(commented.ui.messages.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Modules, WalkTest,
    ::testing::Values(
        WalkCase{"procedures separated by blank lines, after declarations",
                 u"Option Explicit\n\n\nSub A()\nEnd Sub\n\n\n\nPrivate Function B(x As Long) As "
                 u"Long\nEnd Function\n' old\n\nProperty Get C() As Long\nEnd Property\nProperty Let "
                 u"C(v As Long)\nEnd Property\n",
                 u"Option Explicit\n\n'/**\n' * .\n' */\nSub A()\nEnd Sub\n\n'/**\n' * .\n' * @return "
                 u"\n' * @param x\n' */\nPrivate Function B(x As Long) As Long\nEnd Function\n\n'/**\n' * "
                 u".\n' * Getter: C\n' */\nProperty Get C() As Long\nEnd Property\n\n'/**\n' * .\n' * "
                 u"Setter: C\n' */\nProperty Let C(v As Long)\nEnd Property\n",
                 u"Option Explicit\n\nSub A()\nEnd Sub\n\nPrivate Function B(x As Long) As Long\nEnd "
                 u"Function\n\nProperty Get C() As Long\nEnd Property\n\nProperty Let C(v As "
                 u"Long)\nEnd Property\n"},
        WalkCase{"event procedures and a continued declaration",
                 u"Private Sub Form_Load()\nEnd Sub\nPublic Function Join3(ByVal a As String, _\n"
                 u"        ByVal b As String, _\n        ByVal c As String) As String\nEnd Function\n",
                 u"\n'/**\n' * Form 読み込み時.\n' */\nPrivate Sub Form_Load()\nEnd Sub\n\n'/**\n' * .\n"
                 u"' * @return \n' * @param a\n' * @param b\n' * @param c\n' */\nPublic Function "
                 u"Join3(ByVal a As String, _\n        ByVal b As String, _\n        ByVal c As String) As "
                 u"String\nEnd Function\n",
                 u"\nPrivate Sub Form_Load()\nEnd Sub\n\nPublic Function Join3(ByVal a As String, _\n"
                 u"        ByVal b As String, _\n        ByVal c As String) As String\nEnd Function\n"},
        WalkCase{"declarations split after a keyword or a modifier, blanks after a _, a continued comment",
                 u"Private Sub _\ncmdOK_Click()\nEnd Sub\n' old note _\n  continued\nPrivate _\n"
                 u"Sub cmdCancel_Click()\nEnd Sub\nPublic Property Get _\nTotal() As Long\nEnd Property\n"
                 u"Sub F(a, _  \n    b)\nEnd Sub\n",
                 u"\n'/**\n' * cmdOK クリック時.\n' */\nPrivate Sub _\ncmdOK_Click()\nEnd Sub\n\n'/**\n"
                 u"' * cmdCancel クリック時.\n' */\nPrivate _\nSub cmdCancel_Click()\nEnd Sub\n\n'/**\n"
                 u"' * .\n' * Getter: Total\n' */\nPublic Property Get _\nTotal() As Long\nEnd Property\n\n"
                 u"'/**\n' * .\n' * @param a\n' * @param b\n' */\nSub F(a, _  \n    b)\nEnd Sub\n",
                 u"\nPrivate Sub _\ncmdOK_Click()\nEnd Sub\n\nPrivate _\nSub cmdCancel_Click()\nEnd Sub\n\n"
                 u"Public Property Get _\nTotal() As Long\nEnd Property\n\nSub F(a, _  \n    b)\nEnd Sub\n"},
        WalkCase{"a conditional-compilation line and what stands above it stay",
                 u"Sub A()\nEnd Sub\n#If VBA7 Then\n' old\nSub B()\nEnd Sub\n#End If\n",
                 u"\n'/**\n' * .\n' */\nSub A()\nEnd Sub\n#If VBA7 Then\n\n'/**\n' * .\n' */\nSub "
                 u"B()\nEnd Sub\n#End If\n",
                 u"\nSub A()\nEnd Sub\n#If VBA7 Then\n\nSub B()\nEnd Sub\n#End If\n"},
        WalkCase{"a module header above the first procedure of a module without declarations",
                 u"'/**\n' * .\n' * \n' * @modulename Module1\n' * @auther     me\n' * @version    "
                 u"1.0.0\n' */\n' old\nSub A()\nEnd Sub\n",
                 u"'/**\n' * .\n' * \n' * @modulename Module1\n' * @auther     me\n' * @version    "
                 u"1.0.0\n' */\n\n'/**\n' * .\n' */\nSub A()\nEnd Sub\n",
                 u"'/**\n' * .\n' * \n' * @modulename Module1\n' * @auther     me\n' * @version    "
                 u"1.0.0\n' */\n\nSub A()\nEnd Sub\n"},
        WalkCase{"a comment block that is no module header goes", u"'/**\n' * x\n' */\nSub A()\nEnd Sub\n",
                 u"\n'/**\n' * .\n' */\nSub A()\nEnd Sub\n", u"\nSub A()\nEnd Sub\n"},
        WalkCase{
            "annotations stay, in their order, right above the declaration",
            u"Option Explicit\n\n' old\n'@Description(\"x\")\n' older\n  '@TestMethod\nSub A()\nEnd Sub\n",
            u"Option Explicit\n\n'/**\n' * .\n' */\n'@Description(\"x\")\n  '@TestMethod\nSub A()\nEnd Sub\n",
            u"Option Explicit\n\n'@Description(\"x\")\n  '@TestMethod\nSub A()\nEnd Sub\n"},
        WalkCase{"two procedures of one name under #If each get their own block",
                 u"#If X Then\n' a\nSub D()\nEnd Sub\n#Else\n' b\nSub D()\nEnd Sub\n#End If\n",
                 u"#If X Then\n\n'/**\n' * .\n' */\nSub D()\nEnd Sub\n#Else\n\n'/**\n' * .\n' */\nSub D()\n"
                 u"End Sub\n#End If\n",
                 u"#If X Then\n\nSub D()\nEnd Sub\n#Else\n\nSub D()\nEnd Sub\n#End If\n"},
        WalkCase{"a continued annotation stays whole; so does a continued comment that looks like one",
                 u"Sub A()\nEnd Sub\n'@Ignore ProcedureNotUsed _\n' because a button calls it\nSub F()\n"
                 u"End Sub\n' old _\n'@Ignore X\nSub G()\nEnd Sub\n",
                 u"\n'/**\n' * .\n' */\nSub A()\nEnd Sub\n\n'/**\n' * .\n' */\n'@Ignore ProcedureNotUsed _\n"
                 u"' because a button calls it\nSub F()\nEnd Sub\n\n'/**\n' * .\n' */\nSub G()\nEnd Sub\n",
                 u"\nSub A()\nEnd Sub\n\n'@Ignore ProcedureNotUsed _\n' because a button calls it\nSub F()\n"
                 u"End Sub\n\nSub G()\nEnd Sub\n"},
        WalkCase{"a procedure on one line ends there, as one whose End follows a colon",
                 u"Sub A(): End Sub\nSub B()\n  x = 1: End Sub\nSub C(s)\n  s = \"a: End Sub\" ' b: End Sub\n"
                 u"End Sub\n",
                 u"\n'/**\n' * .\n' */\nSub A(): End Sub\n\n'/**\n' * .\n' */\nSub B()\n  x = 1: End Sub\n"
                 u"\n'/**\n' * .\n' * @param s\n' */\nSub C(s)\n  s = \"a: End Sub\" ' b: End Sub\nEnd Sub\n",
                 u"\nSub A(): End Sub\n\nSub B()\n  x = 1: End Sub\n\nSub C(s)\n  s = \"a: End Sub\" ' b: "
                 u"End Sub\n"
                 u"End Sub\n"},
        WalkCase{"tabs around a parameter's keywords", u"Sub T(\tByVal\tx\tAs Long,\tOptional\ty)\nEnd Sub\n",
                 u"\n'/**\n' * .\n' * @param x\n' * @param Optional\ty\n' */\n"
                 u"Sub T(\tByVal\tx\tAs Long,\tOptional\ty)\nEnd Sub\n",
                 u"\nSub T(\tByVal\tx\tAs Long,\tOptional\ty)\nEnd Sub\n"},
        WalkCase{
            "a module header written in its own way, below an annotation, stays above the first procedure",
            u"'@Folder(\"x\")\n'/**\n'  @ModuleName Module1\n'*/\nSub A()\nEnd Sub\n",
            u"'@Folder(\"x\")\n'/**\n'  @ModuleName Module1\n'*/\n\n'/**\n' * .\n' */\nSub A()\nEnd Sub\n",
            u"'@Folder(\"x\")\n'/**\n'  @ModuleName Module1\n'*/\n\nSub A()\nEnd Sub\n"},
        WalkCase{"only declarations", u"Option Explicit\n' x\nDim a As Long\n",
                 u"Option Explicit\n' x\nDim a As Long\n", u"Option Explicit\n' x\nDim a As Long\n"},
        WalkCase{"an empty module", u"", u"", u""}));

// The procedure Save starts at line 11 (an empty line) and is declared at 13.
const std::u16string kSaveModule =
    u"Option Explicit\nDim a\nDim b\nDim c\nDim d\nDim e\nDim f\nDim g\nSub Before()\nEnd Sub\n\n"
    u"' saves\nPublic Sub Save(ByVal path As String)\nEnd Sub\n";

TEST(InsertCurrentProcComment, ReplacesTheLeadingLinesAndPutsTheCaretOnTheSummary) {
  Editor editor(kSaveModule);
  editor.PutCaret(12);
  editor.commands.InsertCurrentProcComment();
  EXPECT_EQ(ToUtf8(editor.Text()),
            ToUtf8(u"Option Explicit\nDim a\nDim b\nDim c\nDim d\nDim e\nDim f\nDim g\nSub Before()\nEnd "
                   u"Sub\n\n'/**\n' * .\n' * @param path\n' */\nPublic Sub Save(ByVal path As String)\nEnd "
                   u"Sub\n"));
  EXPECT_EQ(editor.Caret().startLine, 13);
  EXPECT_EQ(editor.Caret().startColumn, 5);
  EXPECT_EQ(editor.Caret().endLine, 13);
  EXPECT_EQ(editor.Caret().endColumn, 5);
  EXPECT_TRUE(editor.ui.messages.empty());
}

TEST(InsertCurrentProcComment, CaretLandsOnTheSummaryBelowACodeLine) {
  Editor editor(u"Sub A()\nEnd Sub\n#If X Then\nSub B()\nEnd Sub\n#End If\n");
  editor.PutCaret(5);
  editor.commands.InsertCurrentProcComment();
  EXPECT_EQ(editor.vbe.Module().LineText(editor.Caret().startLine), u"' * .");
}

TEST(InsertCurrentProcComment, UsesTheStartOfASelection) {
  Editor editor(u"Sub A()\nEnd Sub\nSub B()\nEnd Sub\n");
  editor.vbe.Pane().SetSelection(3, 1, 4, 3);
  editor.commands.InsertCurrentProcComment();
  EXPECT_EQ(ToUtf8(editor.Text()), ToUtf8(u"Sub A()\nEnd Sub\n\n'/**\n' * .\n' */\nSub B()\nEnd Sub\n"));
}

TEST(CurrentProcCommands, DoNothingInTheDeclarationsSection) {
  const std::u16string text = u"Option Explicit\n\nSub A()\nEnd Sub\n";
  Editor editor(text);
  editor.PutCaret(1);
  editor.commands.InsertCurrentProcComment();
  editor.commands.DeleteCurrentProcComment();
  EXPECT_EQ(editor.Text(), text);
  EXPECT_TRUE(editor.ui.messages.empty());
  EXPECT_EQ(editor.Caret().startLine, 1);
}

TEST(DeleteCurrentProcComment, OnlyTheProcedureOfTheGivenKind) {
  Editor editor(u"' get\nProperty Get V()\nEnd Property\n' let\nProperty Let V(x)\nEnd Property\n");
  editor.PutCaret(4);
  editor.commands.DeleteCurrentProcComment();
  editor.commands.DeleteCurrentProcComment();
  EXPECT_EQ(ToUtf8(editor.Text()),
            ToUtf8(u"' get\nProperty Get V()\nEnd Property\n\nProperty Let V(x)\nEnd Property\n"));
}

TEST(InsertCurrentProcComment, AnUnreadableDeclarationKeepsTheOldComment) {
  const std::u16string text = u"' precious\nSub S(a\nEnd Sub\n";
  Editor editor(text);
  editor.PutCaret(2);
  editor.commands.InsertCurrentProcComment();
  EXPECT_EQ(editor.Text(), text);
  ASSERT_EQ(editor.ui.messages.size(), 1u);
  EXPECT_EQ(editor.ui.messages[0].flags, 48);
  EXPECT_NE(editor.ui.messages[0].text.find(u"Sub S(a"), std::u16string::npos);
}

TEST(InsertAllProcComments, StopsAtAFailureWithTheProceduresBelowDone) {
  Editor editor(u"' a\nSub A()\nEnd Sub\n' b\nSub B(x\nEnd Sub\n' c\nSub C()\nEnd Sub\n");
  editor.commands.InsertAllProcComments();
  EXPECT_EQ(ToUtf8(editor.Text()),
            ToUtf8(u"' a\nSub A()\nEnd Sub\n' b\nSub B(x\nEnd Sub\n\n'/**\n' * .\n' */\nSub C()\nEnd Sub\n"));
  EXPECT_EQ(editor.ui.messages.size(), 1u);
}

TEST(Commands, WithoutAnActivePaneReportTheFailure) {
  for (const Command command :
       {Command::InsertCurrentProcComment, Command::InsertAllProcComments, Command::InsertModuleHeader,
        Command::DeleteCurrentProcComment, Command::DeleteAllProcComments, Command::DeleteModuleHeader}) {
    Editor editor(u"Sub A()\nEnd Sub\n");
    editor.vbe.SetPaneActive(false);
    editor.ui.answer = u"me";
    editor.commands.Run(command);
    // The module header reports both its removal and its insertion.
    EXPECT_EQ(editor.ui.messages.size(), command == Command::InsertModuleHeader ? 2u : 1u)
        << static_cast<int>(command);
    for (const auto& message : editor.ui.messages) {
      EXPECT_EQ(message.text, u"Object variable or With block variable not set");
      EXPECT_EQ(message.flags, 48);
    }
    EXPECT_EQ(editor.Text(), u"Sub A()\nEnd Sub\n");
  }
}

// Counts the calls into the module, member by member and in order, over the
// in-memory one; procedures are looked up by name, as in the editor, where
// every call is a round trip and an edit may make it re-parse the module.
class CountingModule : public CodeModule {
 public:
  explicit CountingModule(MemoryModule& module) : module_(module) {}

  std::u16string ComponentName() override {
    Count("ComponentName");
    return module_.ComponentName();
  }
  LineNumber CountOfLines() override {
    Count("CountOfLines");
    return module_.CountOfLines();
  }
  std::u16string Lines(LineNumber startLine, LineNumber count) override {
    Count("Lines");
    return module_.Lines(startLine, count);
  }
  void InsertLines(LineNumber line, std::u16string_view code) override {
    Count("InsertLines");
    module_.InsertLines(line, code);
  }
  void DeleteLines(LineNumber startLine, LineNumber count) override {
    Count("DeleteLines");
    module_.DeleteLines(startLine, count);
  }
  LineNumber ProcStartLine(std::u16string_view procName, ProcKind kind) override {
    Count("ProcStartLine");
    return module_.ProcStartLine(procName, kind);
  }
  LineNumber ProcBodyLine(std::u16string_view procName, ProcKind kind) override {
    Count("ProcBodyLine");
    return module_.ProcBodyLine(procName, kind);
  }
  std::u16string ProcOfLine(LineNumber line, ProcKind& kind) override {
    Count("ProcOfLine");
    return module_.ProcOfLine(line, kind);
  }
  std::shared_ptr<tamvo::CodePane> CodePane() override { return module_.CodePane(); }

  std::size_t Edits() const {
    return static_cast<std::size_t>(std::count_if(calls.begin(), calls.end(), [](const std::string& call) {
      return call == "InsertLines" || call == "DeleteLines";
    }));
  }

  std::vector<std::string> calls;

 private:
  void Count(const char* member) { calls.emplace_back(member); }

  MemoryModule& module_;
};

class CountingVbe : public Vbe, public CodePane {
 public:
  explicit CountingVbe(MemoryVbe& vbe) : vbe_(vbe), module_(std::make_shared<CountingModule>(vbe.Module())) {}

  std::shared_ptr<tamvo::CodePane> ActiveCodePane() override {
    return std::shared_ptr<tamvo::CodePane>(std::shared_ptr<void>(), this);
  }
  std::shared_ptr<tamvo::CodeModule> CodeModule() override { return module_; }
  Selection GetSelection() override { return vbe_.Pane().GetSelection(); }
  void SetSelection(LineNumber startLine, LineNumber startColumn, LineNumber endLine,
                    LineNumber endColumn) override {
    vbe_.Pane().SetSelection(startLine, startColumn, endLine, endColumn);
  }

  CountingModule& Module() { return *module_; }

 private:
  MemoryVbe& vbe_;
  std::shared_ptr<CountingModule> module_;
};

TEST(Walks, FewCallsIntoTheEditorAndNoneBehindAnEdit) {
  constexpr std::size_t kProcedures = 12;
  std::u16string text = u"Option Explicit\n";
  for (std::size_t i = 0; i < kProcedures; ++i) {
    const auto n = FromUtf8(std::to_string(i));
    // An annotation stays below the block: a second insert-all must still
    // find nothing to change.
    text += i % 2 ? u"Function F" + n + u"(a, _\n b) As Long\nEnd Function\n"
                  : u"\n'@Ignore\nSub S" + n + u"()\nEnd Sub\n";
  }
  Editor editor(text);
  CountingVbe vbe(editor.vbe);
  Commands commands(vbe, editor.events, editor.ui, editor.settings);
  const struct {
    const char* what;
    void (Commands::*command)();
    std::size_t perProcedure;
    bool edits;
  } steps[] = {
      {"insert-all", &Commands::InsertAllProcComments, 8, true},
      {"insert-all again", &Commands::InsertAllProcComments, 8, false},
      {"delete-all", &Commands::DeleteAllProcComments, 6, true},
      {"delete-all again", &Commands::DeleteAllProcComments, 6, false},
  };
  for (const auto& step : steps) {
    SCOPED_TRACE(step.what);
    auto& calls = vbe.Module().calls;
    calls.clear();
    (commands.*step.command)();
    // The walk's own CountOfLines and its last lookup, in the declarations.
    EXPECT_LE(calls.size(), step.perProcedure * kProcedures + 2);
    // One read a procedure, its declaration continued once included.
    EXPECT_EQ(static_cast<std::size_t>(std::count(calls.begin(), calls.end(), "Lines")), kProcedures);
    EXPECT_EQ(vbe.Module().Edits() > 0, step.edits);
    const auto firstEdit = std::find_if(calls.begin(), calls.end(), [](const std::string& call) {
      return call == "InsertLines" || call == "DeleteLines";
    });
    EXPECT_EQ(static_cast<std::size_t>(calls.end() - firstEdit), vbe.Module().Edits())
        << "a lookup behind an edit";
  }
  EXPECT_EQ(ToUtf8(editor.Text()), ToUtf8(u"Option Explicit\n" + [&] {
              std::u16string uncommented;
              for (std::size_t i = 0; i < kProcedures; ++i) {
                const auto n = FromUtf8(std::to_string(i));
                uncommented += i % 2 ? u"\nFunction F" + n + u"(a, _\n b) As Long\nEnd Function\n"
                                     : u"\n'@Ignore\nSub S" + n + u"()\nEnd Sub\n";
              }
              return uncommented;
            }()));
  EXPECT_TRUE(editor.ui.messages.empty());
}

}  // namespace
}  // namespace tamvo
