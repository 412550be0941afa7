#include "host/memory_module.h"

#include <gtest/gtest.h>

#include <random>

#include "engine/failure.h"
#include "engine/text.h"

namespace tamvo {
namespace {

MemoryModule Load(std::u16string_view text) { return MemoryModule(u"Module1", SplitLines(text)); }

// Every line's procedure, as "name/kind" or "-" for the declarations section,
// and each procedure's start and body line.
std::string Layout(MemoryModule& module) {
  std::string layout;
  for (LineNumber line = 1; line <= module.CountOfLines(); ++line) {
    ProcKind kind = ProcKind::Proc;
    const auto name = module.ProcOfLine(line, kind);
    layout += name.empty() ? "-"
                           : ToUtf8(name) + "/" + std::to_string(static_cast<int>(kind)) + "@" +
                                 std::to_string(module.ProcStartLine(name, kind)) + ":" +
                                 std::to_string(module.ProcBodyLine(name, kind));
    layout += ' ';
  }
  return layout;
}

TEST(SplitLines, AnyLineEnd) {
  EXPECT_EQ(SplitLines(u""), std::vector<std::u16string>{});
  EXPECT_EQ(SplitLines(u"a\r\nb\rc\nd"), (std::vector<std::u16string>{u"a", u"b", u"c", u"d"}));
  EXPECT_EQ(SplitLines(u"a\r\n"), std::vector<std::u16string>{u"a"});
  EXPECT_EQ(SplitLines(u"\r\n\r\n"), (std::vector<std::u16string>{u"", u""}));
}

TEST(MemoryModule, ProcedureRulesOfTheEditor) {
  const struct {
    const char* what;
    std::u16string text;
    std::string layout;
  } cases[] = {
      {"declarations end at their last statement; comments below belong to the first procedure",
       u"Option Explicit\n' note\n\nSub A()\nEnd Sub\n", "- A/0@2:4 A/0@2:4 A/0@2:4 A/0@2:4 "},
      {"lines after an End belong to the next procedure, trailing lines to the last",
       u"Sub A()\nEnd Sub\n\n' c\nFunction B()\nEnd Function\n\n",
       "A/0@1:1 A/0@1:1 B/0@3:5 B/0@3:5 B/0@3:5 B/0@3:5 B/0@3:5 "},
      {"Declare statements, Type and Enum blocks are declarations",
       u"Private Declare PtrSafe Function F Lib \"k\" () As Long\nPublic Type T\n  x As Long\nEnd "
       u"Type\nSub A()\nEnd Sub",
       "- - - - A/0@5:5 A/0@5:5 "},
      {"#If lines before the first procedure are declarations, between procedures leading lines",
       u"#If VBA7 Then\n#End If\nSub A()\nEnd Sub\n#If X Then\nSub B()\nEnd Sub\n#End If",
       "- - A/0@3:3 A/0@3:3 B/0@5:6 B/0@5:6 B/0@5:6 B/0@5:6 "},
      {"a declaration continued over lines; a continued comment hides what follows",
       u"Public Sub A(a, _\n  b)\nEnd Sub\n' x _\nSub Hidden()\nSub C()\nEnd Sub",
       "A/0@1:1 A/0@1:1 A/0@1:1 C/0@4:6 C/0@4:6 C/0@4:6 C/0@4:6 "},
      {"properties of one name are two procedures; keywords in any case",
       u"public property get V() as long\nEND PROPERTY\nPrivate Property Let V(x)\nEnd "
       u"Property\nFriend Static Function F$()\nEnd Function",
       "V/3@1:1 V/3@1:1 V/1@3:3 V/1@3:3 F/0@5:5 F/0@5:5 "},
      {"Rem comments, End If and a module without procedures", u"Rem x\nDim a\nIf a Then\nEnd If",
       "- - - - "},
  };
  for (const auto& c : cases) {
    auto module = Load(c.text);
    EXPECT_EQ(Layout(module), c.layout) << c.what;
  }
}

TEST(MemoryModule, FindsProceduresIgnoringLetterCase) {
  auto module = Load(u"Sub DoIt()\nEnd Sub\nProperty Get V()\nEnd Property");
  EXPECT_EQ(module.ProcBodyLine(u"doit", ProcKind::Proc), 1);
  EXPECT_EQ(module.ProcBodyLine(u"v", ProcKind::Get), 3);
  EXPECT_THROW(module.ProcBodyLine(u"V", ProcKind::Let), Failure);
  EXPECT_THROW(module.ProcStartLine(u"Missing", ProcKind::Proc), Failure);
}

TEST(MemoryModule, LinesAndEditsAtTheBoundaries) {
  auto module = Load(u"a\nb\nc");
  EXPECT_EQ(module.Lines(2, 2), u"b\r\nc");
  EXPECT_EQ(module.Lines(4, 1), u"");
  EXPECT_THROW(module.Lines(0, 1), Failure);
  EXPECT_THROW(module.DeleteLines(3, 2), Failure);
  EXPECT_THROW(module.DeleteLines(0, 1), Failure);
  EXPECT_THROW(module.InsertLines(0, u"x"), Failure);
  EXPECT_THROW(module.ProcOfLine(4, *std::make_unique<ProcKind>()), Failure);
  module.DeleteLines(2, 0);
  module.InsertLines(2, u"");
  module.InsertLines(9, u"x\r\ny");
  EXPECT_EQ(module.Text(), u"a\r\n\r\nb\r\nc\r\nx\r\ny");
  ProcKind kind = ProcKind::Get;
  EXPECT_EQ(module.ProcOfLine(0, kind), u"");
  EXPECT_EQ(kind, ProcKind::Proc);

  auto empty = Load(u"");
  EXPECT_EQ(empty.CountOfLines(), 0);
  EXPECT_EQ(empty.Lines(1, 1), u"");
}

TEST(MemoryModule, LinesKeepTheirIdentityThroughEdits) {
  auto module = Load(u"a\nb\nc");
  module.InsertLines(2, u"new");
  module.DeleteLines(1, 1);
  EXPECT_GE(module.IdOfLine(1), 3u);
  EXPECT_EQ(module.IdOfLine(2), 1u);
  EXPECT_EQ(module.IdOfLine(3), 2u);
}

// The index is updated piecemeal on every edit; after any sequence of edits
// it must answer exactly as an index read afresh from the same text.
TEST(MemoryModule, EditedIndexAgreesWithAFreshReading) {
  const std::u16string pieces[] = {u"",
                                   u"' comment",
                                   u"Sub A()",
                                   u"End Sub",
                                   u"Function B(x)",
                                   u"End Function",
                                   u"Dim x",
                                   u"Property Get P()",
                                   u"Property Let P(v)",
                                   u"End Property",
                                   u"#If X Then",
                                   u"Sub C(a, _",
                                   u"  b)",
                                   u"' note _",
                                   u"x = 1",
                                   u"Sub D()",
                                   u"Declare Sub K Lib \"k\" ()"};
  std::mt19937 random(20261207);
  auto pick = [&](std::size_t n) { return static_cast<LineNumber>(random() % n); };
  for (int round = 0; round < 200; ++round) {
    auto module = Load(u"");
    std::string edits;
    for (int step = 0; step < 40; ++step) {
      const LineNumber count = module.CountOfLines();
      if (count > 0 && pick(3) == 0) {
        const LineNumber start = 1 + pick(count);
        const LineNumber n = 1 + pick(std::min<LineNumber>(3, count - start + 1));
        edits += "\ndelete " + std::to_string(start) + " " + std::to_string(n);
        module.DeleteLines(start, n);
      } else {
        std::u16string code;
        for (LineNumber n = 1 + pick(3); n > 0; --n) {
          code += pieces[pick(std::size(pieces))] + (n > 1 ? u"\r\n" : u"");
        }
        const LineNumber at = 1 + pick(count + 1);
        edits += "\ninsert " + std::to_string(at);
        module.InsertLines(at, code);
      }
      std::vector<std::u16string> lines;
      for (LineNumber line = 1; line <= module.CountOfLines(); ++line)
        lines.emplace_back(module.LineText(line));
      auto fresh = MemoryModule(u"Module1", lines);
      ASSERT_EQ(Layout(module), Layout(fresh)) << edits << "\ngives:\n" << ToUtf8(module.Text());
    }
  }
}

}  // namespace
}  // namespace tamvo
