#pragma once
// Helpers for tests that compare module text.

#include <initializer_list>
#include <string>

namespace tamvo::test {

// Lines joined by CR LF, as comment blocks and the editor's multi-line text.
inline std::u16string CrLf(std::initializer_list<std::u16string> lines) {
  std::u16string text;
  bool first = true;
  for (const auto& line : lines) {
    if (!first) text += u"\r\n";
    text += line;
    first = false;
  }
  return text;
}

}  // namespace tamvo::test
