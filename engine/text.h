#pragma once
// Small text helpers over UTF-16 strings, shared by every layer.

#include <cstddef>
#include <string>
#include <string_view>

namespace tamvo {

// The blanks that separate words in VBA code: space and tab.
constexpr bool IsBlank(char16_t c) { return c == u' ' || c == u'\t'; }

// Removes leading and trailing U+0020 spaces only; tabs stay.
std::u16string TrimSpaces(std::u16string_view text);

// Removes leading and trailing blanks, spaces and tabs alike.
constexpr std::u16string_view StripBlanks(std::u16string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

// Calls f(line, end) for each line of text, lines ended by CR LF, CR or LF
// as the editor ends them: the line without its end, and the end. n line
// ends make n + 1 lines, the last with an empty end (and empty itself when
// the text ends with a line end), so that text split as the editor's Lines
// joins it gives back every line. Stops early when f returns false.
template <typename F>
void ForEachLine(std::u16string_view text, F&& f) {
  std::size_t start = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    // One comparison for most code units: both ends lie at or below CR.
    const char16_t c = text[i];
    if (c > u'\r' || (c != u'\r' && c != u'\n')) continue;
    const std::size_t endSize = c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n' ? 2 : 1;
    if (!f(text.substr(start, i - start), text.substr(i, endSize))) return;
    i += endSize - 1;
    start = i + 1;
  }
  f(text.substr(start), std::u16string_view());
}

// How many lines two versions of a text have in common at their start
// (head), and then at their end (tail, never overlapping head): a line diff
// has only the lines between to look at.
struct CommonEnds {
  std::size_t head = 0;
  std::size_t tail = 0;
};
template <typename Lines>
CommonEnds CommonEndsOf(const Lines& a, const Lines& b) {
  CommonEnds common;
  while (common.head < a.size() && common.head < b.size() && a[common.head] == b[common.head]) ++common.head;
  while (common.tail < a.size() - common.head && common.tail < b.size() - common.head &&
         a[a.size() - 1 - common.tail] == b[b.size() - 1 - common.tail]) {
    ++common.tail;
  }
  return common;
}

// A character of a VBA name: an ASCII letter or digit, "_", or any
// character beyond ASCII (names in Japanese are names).
constexpr bool IsNameChar(char16_t c) {
  return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') || c == u'_' ||
         c >= 0x80;
}

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
