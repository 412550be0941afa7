#include "engine/comment_block.h"

#include <gtest/gtest.h>

#include "engine/failure.h"
#include "engine/text.h"
#include "tests/test_text.h"

namespace tamvo {
namespace {

using test::CrLf;

TEST(AppendLine, NeverStartsOrEndsWithALineBreak) {
  std::u16string block;
  AppendLine(block, u"");
  EXPECT_EQ(block, u"");
  AppendLine(block, u"a");
  EXPECT_EQ(block, u"a");
  AppendLine(block, u"");
  EXPECT_EQ(block, u"a\r\n");
  AppendLine(block, u"b");
  EXPECT_EQ(block, u"a\r\n\r\nb");
}

struct BlockCase {
  std::u16string name;
  ProcKind kind;
  std::u16string declaration;
  std::u16string block;
  friend void PrintTo(const BlockCase& c, std::ostream* os) { *os << ToUtf8(c.declaration); }
};

class BuildProcCommentTest : public ::testing::TestWithParam<BlockCase> {
 protected:
  void SetUp() override { events.InitEventTable(); }
  EventTable events;
};

TEST_P(BuildProcCommentTest, GivesTheExactBlock) {
  const auto& c = GetParam();
  EXPECT_EQ(ToUtf8(BuildProcComment(c.name, c.declaration, c.kind, events)), ToUtf8(c.block));
}

INSTANTIATE_TEST_SUITE_P(
    Procedures, BuildProcCommentTest,
    ::testing::Values(
        BlockCase{u"cmdExec_Click", ProcKind::Proc, u"Private Sub cmdExec_Click(Index As Integer)",
                  CrLf({u"'/**", u"' * cmdExec クリック時.", u"' * @param Index", u"' */"})},
        BlockCase{u"Form_Load", ProcKind::Proc, u"Private Sub Form_Load()",
                  CrLf({u"'/**", u"' * Form 読み込み時.", u"' */"})},
        BlockCase{u"GetTotal", ProcKind::Proc,
                  u"Public Function GetTotal(ByVal lngA As Long, Optional ByRef lngB As Long = 0) As Long",
                  CrLf({u"'/**", u"' * .", u"' * @return ", u"' * @param lngA", u"' * @param Optional lngB",
                        u"' */"})},
        BlockCase{u"Calc_Sum", ProcKind::Proc, u"Function Calc_Sum(a, b)",
                  CrLf({u"'/**", u"' * Calc.", u"' * @return ", u"' * @param a", u"' * @param b", u"' */"})},
        BlockCase{u"Value", ProcKind::Get, u"Public Property Get Value() As Long",
                  CrLf({u"'/**", u"' * .", u"' * Getter: Value", u"' */"})},
        BlockCase{u"Value", ProcKind::Let, u"Public Property Let Value(ByVal lngNew As Long)",
                  CrLf({u"'/**", u"' * .", u"' * Setter: Value", u"' */"})},
        BlockCase{u"Value", ProcKind::Set, u"Public Property Set Value(ByVal o As Object)",
                  CrLf({u"'/**", u"' * .", u"' * Setter: Value", u"' */"})},
        // Any Function gets the return tag, whatever its modifiers.
        BlockCase{u"F", ProcKind::Proc, u"  Private Static Function F() As Long",
                  CrLf({u"'/**", u"' * .", u"' * @return ", u"' */"})},
        BlockCase{u"F", ProcKind::Proc, u"Friend Function F(x)",
                  CrLf({u"'/**", u"' * .", u"' * @return ", u"' * @param x", u"' */"})},
        // An empty parameter name still gets its line.
        BlockCase{u"S", ProcKind::Proc, u"Sub S(a,)",
                  CrLf({u"'/**", u"' * .", u"' * @param a", u"' * @param ", u"' */"})},
        // Unknown kinds give the bare block; properties never read the declaration.
        BlockCase{u"S", static_cast<ProcKind>(4), u"Sub S(a)", CrLf({u"'/**", u"' * .", u"' */"})},
        BlockCase{u"S", static_cast<ProcKind>(-1), u"Sub S(a", CrLf({u"'/**", u"' * .", u"' */"})},
        BlockCase{u"P", ProcKind::Get, u"Property Get P(",
                  CrLf({u"'/**", u"' * .", u"' * Getter: P", u"' */"})}));

TEST(BuildProcComment, SummaryIsEmptyWhileTheTableIsNotReady) {
  EventTable events;
  EXPECT_EQ(BuildProcComment(u"Form_Load", u"Private Sub Form_Load()", ProcKind::Proc, events),
            CrLf({u"'/**", u"' * .", u"' */"}));
}

TEST(BuildProcComment, UnreadableParametersGiveNoBlock) {
  EventTable events;
  EXPECT_THROW(BuildProcComment(u"S", u"Sub S(a", ProcKind::Proc, events), Failure);
}

}  // namespace
}  // namespace tamvo
