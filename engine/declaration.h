#pragma once
// Reading a procedure's declaration statement (continuations already joined).

#include <string>
#include <string_view>
#include <vector>

namespace tamvo {

// The names of the parameters between the declaration's first "(" and its
// matching ")": each comma-separated piece loses its type (" As ..."), its
// ByRef/ByVal keyword and surrounding spaces; Optional, ParamArray, array
// parentheses and a default without type stay. Parentheses nest; text inside
// string literals and after an end-of-line comment does not count.
// A declaration without "(" has no parameters. Throws Failure when the "(" is
// never closed.
std::vector<std::u16string> GetParamNames(std::u16string_view declaration);
// The same names appended to text, each after before, with no string of
// their own. Throws as GetParamNames does, before anything is appended.
void AppendParamNames(std::u16string& text, std::u16string_view declaration, std::u16string_view before);

// True when the declaration is a Function statement, whatever its modifiers
// (Public, Private, Friend, Static) and letter case.
bool IsFunctionDeclaration(std::u16string_view declaration);

}  // namespace tamvo
