#include "engine/declaration.h"

#include <algorithm>

#include "engine/failure.h"
#include "engine/statement.h"
#include "engine/text.h"

namespace tamvo {

using namespace std::string_view_literals;

namespace {

// A piece of a declaration with the code mask of its code units.
struct Piece {
  std::u16string_view text;
  const char* code;  // of the piece's first code unit

  bool IsCode(std::size_t i) const { return code[i] != 0; }
};

// Appends the piece without its type (" As ..."), without ByRef and ByVal
// (each with its space, where it starts a word outside string literals) and
// without spaces around it.
void AppendParamName(std::u16string& name, const Piece& piece) {
  std::size_t as = FindIgnoreCase(piece.text, u" As "sv);
  while (as != std::u16string_view::npos && !piece.IsCode(as))
    as = FindIgnoreCase(piece.text, u" As "sv, as + 1);
  const std::u16string_view text = piece.text.substr(0, as);
  const std::size_t start = name.size();
  std::size_t i = 0;
  while (i < text.size()) {
    const bool wordStart = i == 0 || IsBlank(text[i - 1]) || text[i - 1] == u'(';
    if (piece.IsCode(i) && wordStart && ToLowerAscii(text[i]) == u'b' &&
        (StartsWithIgnoreCase(text.substr(i), u"ByRef "sv) ||
         StartsWithIgnoreCase(text.substr(i), u"ByVal "sv))) {
      i += 6;
    } else if (text[i] == u' ' && name.size() == start) {
      ++i;  // a leading space
    } else {
      name += text[i++];
    }
  }
  while (name.size() > start && name.back() == u' ') name.pop_back();
}

// Calls f with each parameter's piece. A block is built for every
// procedure of a module, so the mask lives on the stack for any common
// declaration, and nothing else is allocated.
template <typename F>
void ForEachParam(std::u16string_view declaration, F&& f) {
  constexpr std::size_t kOnStack = 512;
  char onStack[kOnStack];
  std::vector<char> onHeap;
  char* code = onStack;
  if (declaration.size() > kOnStack) {
    onHeap.resize(declaration.size());
    code = onHeap.data();
  }
  // One pass marks which code units are code, as opposed to string literal
  // contents or an end-of-line comment (a doubled quote inside a literal
  // toggles twice and so stays inside it), finds the list's "(" and its
  // closing ")", and stops there: nothing after the list is looked at. The
  // list is read whole before the first piece, so that one never closed
  // gives no piece at all. Bytes rather than bits: the mask is read once a
  // code unit, and bits cost a shift and a mask each.
  constexpr std::size_t kNone = std::u16string_view::npos;
  std::size_t open = kNone;
  std::size_t close = kNone;
  bool inString = false;
  int depth = 0;
  const char16_t* const text = declaration.data();
  for (std::size_t i = 0; i < declaration.size(); ++i) {
    const char16_t c = text[i];
    if (c == u'\'' && !inString) break;
    const bool quote = c == u'"';
    inString = inString != quote;
    const bool isCode = !inString && !quote;
    code[i] = isCode;
    if (!isCode) continue;
    if (c == u'(') {
      if (open == kNone) {
        open = i;
      } else {
        ++depth;
      }
    } else if (c == u')' && open != kNone) {
      if (depth == 0) {
        close = i;
        break;
      }
      --depth;
    }
  }
  if (open == kNone) return;
  if (close == kNone) {
    throw Failure(std::u16string(kInvalidArgument) + u": the parameter list has no closing \")\": " +
                  std::u16string(declaration));
  }
  if (close == open + 1) return;
  std::size_t begin = open + 1;
  depth = 0;
  for (std::size_t i = begin; i <= close; ++i) {
    if (i < close && !code[i]) continue;
    const char16_t c = declaration[i];
    if (c == u'(') ++depth;
    if (c == u')') --depth;
    if (i == close || (c == u',' && depth == 0)) {
      f(Piece{declaration.substr(begin, i - begin), code + begin});
      begin = i + 1;
    }
  }
}

}  // namespace

std::vector<std::u16string> GetParamNames(std::u16string_view declaration) {
  std::vector<std::u16string> names;
  ForEachParam(declaration, [&](const Piece& piece) { AppendParamName(names.emplace_back(), piece); });
  return names;
}

void AppendParamNames(std::u16string& text, std::u16string_view declaration, std::u16string_view before) {
  ForEachParam(declaration, [&](const Piece& piece) {
    text += before;
    AppendParamName(text, piece);
  });
}

bool IsFunctionDeclaration(std::u16string_view declaration) {
  std::size_t i = 0;
  while (true) {
    while (i < declaration.size() && IsBlank(declaration[i])) ++i;
    std::size_t end = i;
    while (end < declaration.size() && !IsBlank(declaration[end])) ++end;
    const auto word = declaration.substr(i, end - i);
    if (word.empty()) return false;
    if (EqualsIgnoreCase(word, u"Function"sv)) return end < declaration.size();
    if (!IsProcModifier(word)) return false;
    i = end;
  }
}

}  // namespace tamvo
