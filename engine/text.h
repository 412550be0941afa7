#pragma once
// Small text helpers over UTF-16 strings, shared by every layer.

#include <string>
#include <string_view>

namespace tamvo {

// The blanks that separate words in VBA code: space and tab.
constexpr bool IsBlank(char16_t c) { return c == u' ' || c == u'\t'; }

// Removes leading and trailing U+0020 spaces only; tabs stay.
std::u16string TrimSpaces(std::u16string_view text);

// Letter case folding for VBA keywords and identifiers: ASCII letters only.
// Inline: every statement of a module is compared with keywords this way.
constexpr char16_t ToLowerAscii(char16_t c) {
  return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c - u'A' + u'a') : c;
}
std::u16string ToLowerAscii(std::u16string_view text);
constexpr bool EqualsIgnoreCase(std::u16string_view a, std::u16string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (ToLowerAscii(a[i]) != ToLowerAscii(b[i])) return false;
  }
  return true;
}
constexpr bool StartsWithIgnoreCase(std::u16string_view text, std::u16string_view prefix) {
  return text.size() >= prefix.size() && EqualsIgnoreCase(text.substr(0, prefix.size()), prefix);
}

// Position of the first occurrence of needle at or after from, letters
// compared without regard to ASCII case; npos when there is none.
std::size_t FindIgnoreCase(std::u16string_view text, std::u16string_view needle, std::size_t from = 0);

// UTF-8 <-> UTF-16. Ill-formed input (a lone surrogate, a bad byte) becomes
// U+FFFD: these are for messages and the command line, not for module files.
std::string ToUtf8(std::u16string_view text);
std::u16string FromUtf8(std::string_view text);

}  // namespace tamvo
