#include "engine/statement.h"

#include <gtest/gtest.h>

#include <vector>

#include "engine/text.h"

namespace tamvo {
namespace {

// A statement read from line 1 of the lines, and what it is.
TEST(JoinStatement, ContinuedLinesReadAsOneStatement) {
  const struct {
    const char* what;
    std::vector<std::u16string> lines;
    std::u16string text;
    LineNumber lastLine;
    StatementKind kind;
    std::u16string name;
    ProcKind procKind;
  } cases[] = {
      {"one line", {u"Sub F(a)", u"End Sub"}, u"Sub F(a)", 1, StatementKind::ProcStart, u"F", ProcKind::Proc},
      {"blanks after the _ still continue",
       {u"Sub F(a, _  \t", u"    b)", u"End Sub"},
       u"Sub F(a, b)",
       2,
       StatementKind::ProcStart,
       u"F",
       ProcKind::Proc},
      {"split right after the keyword",
       {u"Private Sub _", u"cmdOK_Click()"},
       u"Private Sub cmdOK_Click()",
       2,
       StatementKind::ProcStart,
       u"cmdOK_Click",
       ProcKind::Proc},
      {"split after Property Get",
       {u"Public Property Get _", u"  Total() As Long"},
       u"Public Property Get Total() As Long",
       2,
       StatementKind::ProcStart,
       u"Total",
       ProcKind::Get},
      {"split after a modifier",
       {u"Private _", u"Sub cmdCancel_Click()"},
       u"Private Sub cmdCancel_Click()",
       2,
       StatementKind::ProcStart,
       u"cmdCancel_Click",
       ProcKind::Proc},
      {"a tab before the _",
       {u"Friend\t_", u"Function F()"},
       u"Friend\tFunction F()",
       2,
       StatementKind::ProcStart,
       u"F",
       ProcKind::Proc},
      {"over three lines",
       {u"Sub F(a, _", u" b, _ ", u" c)"},
       u"Sub F(a, b, c)",
       3,
       StatementKind::ProcStart,
       u"F",
       ProcKind::Proc},
      {"a _ without a blank before it ends the statement",
       {u"Sub F(a,_", u"b)"},
       u"Sub F(a,_",
       1,
       StatementKind::ProcStart,
       u"F",
       ProcKind::Proc},
      {"a comment continues, and what follows is comment",
       {u"' note _", u"Sub Hidden()"},
       u"' note Sub Hidden()",
       2,
       StatementKind::Comment,
       u"",
       ProcKind::Proc},
      {"a continued comment takes in a blank line",
       {u"' note _", u""},
       u"' note ",
       2,
       StatementKind::Comment,
       u"",
       ProcKind::Proc},
      {"continued on the last line",
       {u"Sub F(a, _"},
       u"Sub F(a, _",
       1,
       StatementKind::ProcStart,
       u"F",
       ProcKind::Proc},
      {"End split from Sub", {u"End _", u"Sub"}, u"End Sub", 2, StatementKind::ProcEnd, u"", ProcKind::Proc},
  };
  for (const auto& c : cases) {
    const auto lineAt = [&](LineNumber line) -> std::u16string_view { return c.lines.at(line - 1); };
    const JoinedStatement joined = JoinStatement(lineAt, 1, static_cast<LineNumber>(c.lines.size()));
    EXPECT_EQ(ToUtf8(joined.text), ToUtf8(c.text)) << c.what;
    EXPECT_EQ(joined.lastLine, c.lastLine) << c.what;
    const Statement statement = ClassifyStatement(joined.text);
    EXPECT_EQ(statement.kind, c.kind) << c.what;
    EXPECT_EQ(ToUtf8(statement.procName), ToUtf8(c.name)) << c.what;
    EXPECT_EQ(statement.procKind, c.procKind) << c.what;
  }
}

TEST(EndsProcedure, AnEndBehindAColonCountsAsOnItsOwnLine) {
  const struct {
    std::u16string text;
    bool ends;
  } cases[] = {
      {u"End Sub", true},
      {u"Sub A(): End Sub", true},
      {u"  x = 1: end function", true},
      {u"Label1: End Property", true},
      {u"For Each v In values: Sum = Sum + v: Next", false},
      {u"MsgBox \"a: End Sub\"", false},
      {u"x = 1 ' note: End Sub", false},
      {u"x = 1: Rem : End Sub", false},
      {u"Call F(a:= End)", false},
      {u"End If: x = 1", false},
  };
  for (const auto& c : cases) EXPECT_EQ(EndsProcedure(c.text), c.ends) << ToUtf8(c.text);
}

}  // namespace
}  // namespace tamvo
