#include "engine/declaration.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "engine/failure.h"
#include "engine/text.h"

namespace tamvo {
namespace {

using ::testing::ElementsAreArray;

struct ParamCase {
  std::u16string declaration;
  std::vector<std::u16string> names;
  friend void PrintTo(const ParamCase& c, std::ostream* os) { *os << ToUtf8(c.declaration); }
};

class GetParamNamesTest : public ::testing::TestWithParam<ParamCase> {};

TEST_P(GetParamNamesTest, GivesTheNamesInOrder) {
  EXPECT_THAT(GetParamNames(GetParam().declaration), ElementsAreArray(GetParam().names));
}

INSTANTIATE_TEST_SUITE_P(
    Declarations, GetParamNamesTest,
    ::testing::Values(
        ParamCase{u"Sub S()", {}}, ParamCase{u"Sub S(a)", {u"a"}}, ParamCase{u"Sub S( a , b )", {u"a", u"b"}},
        ParamCase{u"Sub S(ByVal a As Long, ByRef b() As String, Optional c As Variant, "
                  u"ParamArray d() As Variant)",
                  {u"a", u"b()", u"Optional c", u"ParamArray d()"}},
        ParamCase{u"Sub S(ByVal  x As Long)", {u"x"}},
        ParamCase{u"Sub S(Optional x = 5)", {u"Optional x = 5"}}, ParamCase{u"Sub S( )", {u""}},
        ParamCase{u"Sub S(a,)", {u"a", u""}},
        ParamCase{u"Function F(a As Long, b As Long) As Long()", {u"a", u"b"}},
        ParamCase{u"Sub S(x As Long) ' note (y)", {u"x"}},
        ParamCase{u"Public Function GetTotal(ByVal lngA As Long, Optional ByRef lngB As Long = 0) As Long",
                  {u"lngA", u"Optional lngB"}},
        // Keywords in any letter case, as the editor accepts them.
        ParamCase{u"Sub S(byval x as Long, BYREF y AS String)", {u"x", u"y"}},
        // The first ")" that closes the first "(" ends the list.
        ParamCase{u"Function F() As Long()", {}}, ParamCase{u"Sub S(a) ' (x)", {u"a"}},
        ParamCase{u"Sub S(Optional s As String = \"a,b\")", {u"Optional s"}},
        ParamCase{u"Sub S(Optional s = \"a, (b\", t)", {u"Optional s = \"a, (b\"", u"t"}},
        ParamCase{u"Sub S(Optional s = \"x As y\")", {u"Optional s = \"x As y\""}},
        ParamCase{u"Sub S(a() As Long, b)", {u"a()", u"b"}},
        // A name that merely ends in a keyword keeps it.
        ParamCase{u"Sub S(Optional xByVal = 1)", {u"Optional xByVal = 1"}},
        // No "(" at all: no parameters.
        ParamCase{u"Sub S a)", {}}, ParamCase{u"Sub S", {}}, ParamCase{u"Sub S ' (x)", {}},
        ParamCase{u"", {}}));

TEST(GetParamNames, FailsWhenTheListIsNeverClosed) {
  for (const std::u16string declaration : {u"Sub S(a", u"Sub S(a ' )", u"Sub S(s = \")\"", u"Sub S(a(1)"}) {
    EXPECT_THROW(GetParamNames(declaration), Failure) << ToUtf8(declaration);
  }
}

TEST(IsFunctionDeclaration, AnyModifiersAnyCase) {
  const struct {
    std::u16string declaration;
    bool isFunction;
  } cases[] = {
      {u"Function F()", true},
      {u"Public Function F() As Long", true},
      {u"Private Function F()", true},
      {u"Friend Function F()", true},
      {u"Static Function F()", true},
      {u"Public Static Function F()", true},
      {u"Private Static Function F()", true},
      {u"  function f()", true},
      {u"PUBLIC FUNCTION F()", true},
      {u"Sub Function_Click()", false},
      {u"Public Sub F()", false},
      {u"Public Property Get Function1()", false},
      {u"Function", false},
      {u"Public Declare Function F Lib \"x\" ()", false},
      {u"", false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(IsFunctionDeclaration(c.declaration), c.isFunction) << ToUtf8(c.declaration);
  }
}

}  // namespace
}  // namespace tamvo
