#pragma once
// Reading a procedure's declaration statement (continuations already joined).
// One reader for everything that needs the declaration's parts: the names
// insert writes after "@param" and what the pages show come from the same
// reading, so that they never disagree on how many parameters there are or
// which is which.
//
// The parameter list is the first "(" outside string literals and the ")"
// that closes it; parentheses nest, and text inside string literals and
// after an end-of-line comment ("'") does not count. A parameter is the text
// between the list's commas (outside nested parentheses and literals); its
// type starts at its first "As" with a blank (space or tab) on each side,
// its default at its first "=" outside nested parentheses.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tamvo {

// The names insert writes for the parameters, in order: each parameter
// without its type (" As ..."), without ByRef and ByVal wherever they start
// a word before the type, and without blanks around it. Optional,
// ParamArray, array parentheses and a default without type stay, with the
// blanks between them as written. A declaration without "(" has no
// parameters. Throws Failure when the list is never closed.
std::vector<std::u16string> GetParamNames(std::u16string_view declaration);
// The same names appended to text, each after before, with no string of
// their own. Throws as GetParamNames does, text then as it was.
void AppendParamNames(std::u16string& text, std::u16string_view declaration, std::u16string_view before);

// True when the declaration is a Function statement, whatever its modifiers
// (Public, Private, Friend, Static) and letter case.
bool IsFunctionDeclaration(std::u16string_view declaration);

// A declaration's parts are views of the text read (a type a type
// character stands for: of static text), words as written unless said.
struct DeclaredParam {
  std::size_t offset = 0;  // where the parameter starts in the declaration, blanks aside
  // The keywords before the name, in any order.
  bool optional = false;
  bool paramArray = false;
  std::u16string_view passing;  // "ByVal" or "ByRef", or empty
  // What stands before the type and the default once those keywords are
  // off, up to a "(", without a type character ("a$" is a). For every
  // parameter the editor accepts, the name insert writes compares as this
  // (ParamKey).
  std::u16string_view name;
  bool array = false;                // a "(" after the name
  std::u16string_view type;          // after "As", else a type character's ("$": String), or empty
  std::u16string_view defaultValue;  // after "=", or empty
};

struct Declaration {
  std::u16string_view scope;  // the last of Public, Private, Friend, or empty
  bool isStatic = false;
  std::u16string_view keyword;        // "Sub", "Function", "Property Get", ... as VBA writes it
  std::u16string_view name;           // without a type character
  std::vector<DeclaredParam> params;  // one for each name GetParamNames gives, in its order
  // After the list's ")" and "As" ("Variant()" for an array), else the
  // name's type character's, or empty.
  std::u16string_view returnType;
};

// Nothing when the text is no Sub, Function or Property declaration with a
// name, or its parameter list is never closed.
std::optional<Declaration> ReadDeclaration(std::u16string_view declaration);

}  // namespace tamvo
