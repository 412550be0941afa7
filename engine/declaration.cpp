#include "engine/declaration.h"

#include "engine/failure.h"
#include "engine/statement.h"
#include "engine/text.h"

namespace tamvo {

namespace {

// Marks which code units of a statement are code, as opposed to string
// literal contents or an end-of-line comment. A doubled quote inside a
// literal toggles twice and so stays inside it. Bytes rather than bits:
// the mask is read once a code unit, and bits cost a shift and a mask each.
std::vector<char> CodeMask(std::u16string_view text) {
  std::vector<char> code(text.size(), false);
  bool inString = false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char16_t c = text[i];
    if (c == u'"') {
      inString = !inString;
      continue;
    }
    if (inString) continue;
    if (c == u'\'') break;
    code[i] = true;
  }
  return code;
}

// A piece of a declaration with the code mask of its code units.
struct Piece {
  std::u16string_view text;
  const std::vector<char>& code;
  std::size_t offset;  // of text within the mask

  bool IsCode(std::size_t i) const { return code[offset + i] != 0; }
};

// The piece without its type (" As ..."), without ByRef and ByVal (each with
// its space, where it starts a word outside string literals) and without
// spaces around it.
std::u16string ParamName(const Piece& piece) {
  std::size_t as = FindIgnoreCase(piece.text, u" As ");
  while (as != std::u16string_view::npos && !piece.IsCode(as))
    as = FindIgnoreCase(piece.text, u" As ", as + 1);
  const std::u16string_view text = piece.text.substr(0, as);
  std::u16string name;
  std::size_t i = 0;
  while (i < text.size()) {
    const bool wordStart = i == 0 || IsBlank(text[i - 1]) || text[i - 1] == u'(';
    if (piece.IsCode(i) && wordStart &&
        (StartsWithIgnoreCase(text.substr(i), u"ByRef ") ||
         StartsWithIgnoreCase(text.substr(i), u"ByVal "))) {
      i += 6;
    } else {
      name += text[i++];
    }
  }
  return TrimSpaces(name);
}

}  // namespace

std::vector<std::u16string> GetParamNames(std::u16string_view declaration) {
  const auto code = CodeMask(declaration);
  std::size_t open = 0;
  while (open < declaration.size() && !(code[open] && declaration[open] == u'(')) ++open;
  if (open == declaration.size()) return {};

  std::vector<std::size_t> commas;
  std::size_t close = std::u16string_view::npos;
  int depth = 0;
  for (std::size_t i = open + 1; i < declaration.size() && close == std::u16string_view::npos; ++i) {
    if (!code[i]) continue;
    switch (declaration[i]) {
      case u'(':
        ++depth;
        break;
      case u')':
        if (depth == 0) close = i;
        --depth;
        break;
      case u',':
        if (depth == 0) commas.push_back(i);
        break;
      default:
        break;
    }
  }
  if (close == std::u16string_view::npos) {
    throw Failure(std::u16string(kInvalidArgument) + u": the parameter list has no closing \")\": " +
                  std::u16string(declaration));
  }

  std::vector<std::u16string> names;
  if (close == open + 1) return names;
  std::size_t begin = open + 1;
  commas.push_back(close);
  names.reserve(commas.size());
  for (const std::size_t end : commas) {
    names.push_back(ParamName({declaration.substr(begin, end - begin), code, begin}));
    begin = end + 1;
  }
  return names;
}

bool IsFunctionDeclaration(std::u16string_view declaration) {
  std::size_t i = 0;
  while (true) {
    while (i < declaration.size() && IsBlank(declaration[i])) ++i;
    std::size_t end = i;
    while (end < declaration.size() && !IsBlank(declaration[end])) ++end;
    const auto word = declaration.substr(i, end - i);
    if (word.empty()) return false;
    if (EqualsIgnoreCase(word, u"Function")) return end < declaration.size();
    if (!IsProcModifier(word)) return false;
    i = end;
  }
}

}  // namespace tamvo
