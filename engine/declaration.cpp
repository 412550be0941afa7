#include "engine/declaration.h"

#include "engine/failure.h"
#include "engine/text.h"

namespace tamvo {

namespace {

bool IsBlank(char16_t c) { return c == u' ' || c == u'\t'; }

// Marks which code units of a statement are code, as opposed to string
// literal contents or an end-of-line comment. A doubled quote inside a
// literal toggles twice and so stays inside it.
std::vector<bool> CodeMask(std::u16string_view text) {
  std::vector<bool> code(text.size(), false);
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

// Removes every occurrence of word (followed by its space) that starts a word
// and stands outside string literals.
std::u16string RemoveKeyword(std::u16string_view text, std::u16string_view word) {
  const auto code = CodeMask(text);
  std::u16string out;
  std::size_t i = 0;
  while (i < text.size()) {
    const bool wordStart = i == 0 || IsBlank(text[i - 1]) || text[i - 1] == u'(';
    if (code[i] && wordStart && StartsWithIgnoreCase(text.substr(i), word)) {
      i += word.size();
    } else {
      out += text[i++];
    }
  }
  return out;
}

std::u16string ParamName(std::u16string_view piece) {
  const auto code = CodeMask(piece);
  std::size_t as = FindIgnoreCase(piece, u" As ");
  while (as != std::u16string_view::npos && !code[as]) as = FindIgnoreCase(piece, u" As ", as + 1);
  std::u16string name(as == std::u16string_view::npos ? piece : piece.substr(0, as));
  name = RemoveKeyword(name, u"ByRef ");
  name = RemoveKeyword(name, u"ByVal ");
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
      case u'(': ++depth; break;
      case u')':
        if (depth == 0) close = i;
        --depth;
        break;
      case u',':
        if (depth == 0) commas.push_back(i);
        break;
      default: break;
    }
  }
  if (close == std::u16string_view::npos) {
    throw Failure(u"Invalid procedure call or argument: the parameter list has no closing \")\": " +
                  std::u16string(declaration));
  }

  std::vector<std::u16string> names;
  if (close == open + 1) return names;
  std::size_t begin = open + 1;
  commas.push_back(close);
  for (const std::size_t end : commas) {
    names.push_back(ParamName(declaration.substr(begin, end - begin)));
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
    const bool modifier = EqualsIgnoreCase(word, u"Public") || EqualsIgnoreCase(word, u"Private") ||
                          EqualsIgnoreCase(word, u"Friend") || EqualsIgnoreCase(word, u"Static");
    if (!modifier) return false;
    i = end;
  }
}

}  // namespace tamvo
