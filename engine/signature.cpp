#include "engine/signature.h"

#include "engine/text.h"

namespace tamvo {

namespace {

// The statement without an end-of-line comment: a "'" outside string literals.
std::u16string_view CodePart(std::u16string_view text) {
  bool inString = false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == u'"') inString = !inString;
    if (!inString && text[i] == u'\'') return text.substr(0, i);
  }
  return text;
}

std::u16string_view Trim(std::u16string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

// Takes the next word (up to a blank or "(") off text.
std::u16string_view NextWord(std::u16string_view& text) {
  text = Trim(text);
  std::size_t end = 0;
  while (end < text.size() && !IsBlank(text[end]) && text[end] != u'(') ++end;
  const auto word = text.substr(0, end);
  text.remove_prefix(end);
  return word;
}

// Takes a leading keyword (a whole word, any letter case) off text.
bool TakeKeyword(std::u16string_view& text, std::u16string_view keyword) {
  std::u16string_view rest = text;
  if (!EqualsIgnoreCase(NextWord(rest), keyword)) return false;
  text = rest;
  return true;
}

// The position of the ")" that closes the "(" at open, outside string
// literals; npos when it never closes.
std::size_t ClosingParen(std::u16string_view text, std::size_t open) {
  int depth = 0;
  bool inString = false;
  for (std::size_t i = open; i < text.size(); ++i) {
    const char16_t c = text[i];
    if (c == u'"') inString = !inString;
    if (inString) continue;
    if (c == u'(') ++depth;
    if (c == u')' && --depth == 0) return i;
  }
  return std::u16string_view::npos;
}

// The list split at commas outside parentheses and string literals.
std::vector<std::u16string_view> SplitParams(std::u16string_view list) {
  std::vector<std::u16string_view> pieces;
  int depth = 0;
  bool inString = false;
  std::size_t start = 0;
  for (std::size_t i = 0; i < list.size(); ++i) {
    const char16_t c = list[i];
    if (c == u'"') inString = !inString;
    if (inString) continue;
    if (c == u'(') ++depth;
    if (c == u')') --depth;
    if (c == u',' && depth == 0) {
      pieces.push_back(Trim(list.substr(start, i - start)));
      start = i + 1;
    }
  }
  if (!Trim(list).empty()) pieces.push_back(Trim(list.substr(start)));
  return pieces;
}

// Where " = " starts the default, outside string literals and parentheses.
std::size_t DefaultStart(std::u16string_view piece) {
  bool inString = false;
  int depth = 0;
  for (std::size_t i = 0; i < piece.size(); ++i) {
    const char16_t c = piece[i];
    if (c == u'"') inString = !inString;
    if (inString) continue;
    if (c == u'(') ++depth;
    if (c == u')') --depth;
    if (c == u'=' && depth == 0) return i;
  }
  return std::u16string_view::npos;
}

SignatureParam ReadParam(std::u16string_view piece) {
  SignatureParam param;
  if (const std::size_t equals = DefaultStart(piece); equals != std::u16string_view::npos) {
    param.defaultValue = Trim(piece.substr(equals + 1));
    piece = Trim(piece.substr(0, equals));
  }
  for (bool more = true; more;) {
    more = false;
    if (TakeKeyword(piece, u"Optional")) more = param.optional = true;
    if (TakeKeyword(piece, u"ParamArray")) more = param.paramArray = true;
    for (const std::u16string_view passing : {u"ByVal", u"ByRef"}) {
      std::u16string_view rest = piece;
      const auto word = NextWord(rest);
      if (EqualsIgnoreCase(word, passing)) {
        param.passing = word;
        piece = rest;
        more = true;
      }
    }
  }
  piece = Trim(piece);
  std::size_t nameEnd = 0;
  while (nameEnd < piece.size() && !IsBlank(piece[nameEnd]) && piece[nameEnd] != u'(') ++nameEnd;
  param.name = piece.substr(0, nameEnd);
  piece.remove_prefix(nameEnd);
  piece = Trim(piece);
  if (piece.starts_with(u"(")) {
    param.array = true;
    const std::size_t close = ClosingParen(piece, 0);
    piece.remove_prefix(close == std::u16string_view::npos ? piece.size() : close + 1);
  }
  if (TakeKeyword(piece, u"As")) param.type = Trim(piece);
  return param;
}

}  // namespace

std::optional<Signature> ReadSignature(std::u16string_view declaration) {
  std::u16string_view text = Trim(CodePart(declaration));
  Signature signature;
  for (bool more = true; more;) {
    more = false;
    for (const std::u16string_view scope : {u"Public", u"Private", u"Friend"}) {
      std::u16string_view rest = text;
      const auto word = NextWord(rest);
      if (EqualsIgnoreCase(word, scope)) {
        signature.scope = word;
        text = rest;
        more = true;
      }
    }
    if (TakeKeyword(text, u"Static")) more = signature.isStatic = true;
  }
  if (TakeKeyword(text, u"Sub")) {
    signature.keyword = u"Sub";
  } else if (TakeKeyword(text, u"Function")) {
    signature.keyword = u"Function";
  } else if (TakeKeyword(text, u"Property")) {
    for (const std::u16string_view accessor : {u"Get", u"Let", u"Set"}) {
      if (TakeKeyword(text, accessor)) signature.keyword = u"Property " + std::u16string(accessor);
    }
  }
  if (signature.keyword.empty()) return std::nullopt;
  signature.name = NextWord(text);
  if (signature.name.empty()) return std::nullopt;
  text = Trim(text);
  if (text.starts_with(u"(")) {
    const std::size_t close = ClosingParen(text, 0);
    if (close == std::u16string_view::npos) return std::nullopt;
    for (const auto piece : SplitParams(text.substr(1, close - 1)))
      signature.params.push_back(ReadParam(piece));
    text.remove_prefix(close + 1);
  }
  if (TakeKeyword(text, u"As")) signature.returnType = Trim(text);
  return signature;
}

}  // namespace tamvo
