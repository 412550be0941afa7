#include "engine/declaration.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "engine/doc_block.h"
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

// The pages list the parameters insert writes names for, one for one.
TEST_P(GetParamNamesTest, GivesTheNamesInOrderThatThePagesList) {
  EXPECT_THAT(GetParamNames(GetParam().declaration), ElementsAreArray(GetParam().names));
  const auto read = ReadDeclaration(GetParam().declaration);
  if (!read) return;
  std::vector<std::u16string> keys;
  for (const auto& name : GetParam().names) keys.push_back(ParamKey(name));
  std::vector<std::u16string> listed;
  for (const auto& param : read->params) listed.emplace_back(param.name);
  EXPECT_EQ(listed, keys);
}

INSTANTIATE_TEST_SUITE_P(
    Declarations, GetParamNamesTest,
    ::testing::Values(
        ParamCase{u"Sub S()", {}}, ParamCase{u"Sub S(a)", {u"a"}}, ParamCase{u"Sub S( a , b )", {u"a", u"b"}},
        ParamCase{u"Sub S(ByVal a As Long, ByRef b() As String, Optional c As Variant, "
                  u"ParamArray d() As Variant)",
                  {u"a", u"b()", u"Optional c", u"ParamArray d()"}},
        ParamCase{u"Sub S(ByVal  x As Long)", {u"x"}},
        ParamCase{u"Sub S(ByVal\tx\tAs Long, Optional\ty$\t= 1, b\t() As Long)",
                  {u"x", u"Optional\ty$\t= 1", u"b\t()"}},
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
  for (const std::u16string declaration :
       {u"Sub S(a", u"Sub S(a ' )", u"Sub S(s = \")\"", u"Sub S(a(1)", u"Sub S(a, b"}) {
    EXPECT_THROW(GetParamNames(declaration), Failure) << ToUtf8(declaration);
    // Nothing of a list that turns out open stays in the block being written.
    std::u16string text = u"' * @return";
    EXPECT_THROW(AppendParamNames(text, declaration, u"\n' * @param "), Failure) << ToUtf8(declaration);
    EXPECT_EQ(text, u"' * @return") << ToUtf8(declaration);
    EXPECT_EQ(ReadDeclaration(declaration), std::nullopt) << ToUtf8(declaration);
  }
}

// A declaration as "scope|keyword|name|return" and each parameter as
// "[offset passing optional paramArray name array type = default]".
std::string Shown(const std::optional<Declaration>& d) {
  if (!d) return "none";
  std::string shown =
      ToUtf8(d->scope) + "|" + ToUtf8(d->keyword) + "|" + ToUtf8(d->name) + "|" + ToUtf8(d->returnType);
  for (const auto& p : d->params) {
    shown += " [" + std::to_string(p.offset) + " " + ToUtf8(p.passing) + (p.optional ? " opt" : "") +
             (p.paramArray ? " pa" : "") + " " + ToUtf8(p.name) + (p.array ? "()" : "") + " " +
             ToUtf8(p.type) + " = " + ToUtf8(p.defaultValue) + "]";
  }
  return shown;
}

TEST(ReadDeclaration, ReadsEachPartAsDeclared) {
  const struct {
    std::u16string declaration;
    std::string shown;
  } cases[] = {
      {u"Public Function Add(ByVal a As Long, Optional ByRef b As String = \"x, (y)\") As Long",
       "Public|Function|Add|Long [20 ByVal a Long = ] [37 ByRef opt b String = \"x, (y)\"]"},
      {u"private static sub Run()", "private|Sub|Run|"},
      {u"Sub Go(x, Optional y = 5) ' note (a, b)", "|Sub|Go| [7  x  = ] [10  opt y  = 5]"},
      {u"Friend Property Get Item(ByVal i As Long) As Variant()",
       "Friend|Property Get|Item|Variant() [25 ByVal i Long = ]"},
      {u"Property Let Value(ParamArray args() As Variant)",
       "|Property Let|Value| [19  pa args() Variant = ]"},
      {u"Function F(a As Excel.Range, b(1 To 2) As Long) As Excel.Range",
       "|Function|F|Excel.Range [11  a Excel.Range = ] [29  b() Long = ]"},
      {u"Sub T(a$, b%, ByVal c&, d!(), Optional e# = 1, f@, g^)",
       "|Sub|T| [6  a String = ] [10  b Integer = ] [14 ByVal c Long = ] [24  d() Single = ]"
       " [30  opt e Double = 1] [47  f Currency = ] [51  g LongLong = ]"},
      {u"Function F$()", "|Function|F|String"},
      {u"Function G&(ByVal n As Long)", "|Function|G|Long [12 ByVal n Long = ]"},
      {u"Sub S(\tByVal\tx\tAs\tLong\t)", "|Sub|S| [7 ByVal x Long = ]"},
      // Insert writes a bare @param for an empty list written with a blank.
      {u"Sub S( )", "|Sub|S| [7    = ]"},
      {u"Dim x As Long", "none"},
      {u"Sub(a)", "none"},
      {u"Sub Broken(a As Long", "none"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(Shown(ReadDeclaration(c.declaration)), c.shown) << ToUtf8(c.declaration);
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
