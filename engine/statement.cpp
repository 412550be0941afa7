#include "engine/statement.h"

#include <array>
#include <string_view>

#include "engine/text.h"

namespace tamvo {

using namespace std::string_view_literals;

namespace {

// Every statement of a module is read through this: one look-up a code unit.
constexpr auto kEndsWord = [] {
  std::array<bool, 128> ends{};
  for (const char c : std::string_view(" \t()':,\"=")) ends[static_cast<unsigned char>(c)] = true;
  return ends;
}();

bool IsWordChar(char16_t c) { return c >= kEndsWord.size() || !kEndsWord[c]; }

// Reads words from the start of a statement: "Public Sub Foo(" gives Public,
// Sub, Foo, then an empty word at the "(".
class WordReader {
 public:
  explicit WordReader(std::u16string_view text) : text_(text) {}

  std::u16string_view Next() {
    while (pos_ < text_.size() && IsBlank(text_[pos_])) ++pos_;
    const std::size_t start = pos_;
    while (pos_ < text_.size() && IsWordChar(text_[pos_])) ++pos_;
    return text_.substr(start, pos_ - start);
  }

 private:
  std::u16string_view text_;
  std::size_t pos_ = 0;
};

bool Is(std::u16string_view word, std::u16string_view keyword) { return EqualsIgnoreCase(word, keyword); }

// The editor reports "Function F$()" as F.
std::u16string_view WithoutTypeCharacter(std::u16string_view name) {
  if (name.size() > 1 && u"$%&!#@^"sv.find(name.back()) != std::u16string_view::npos) {
    name.remove_suffix(1);
  }
  return name;
}

}  // namespace

bool ContinuesOnNextLine(std::u16string_view line) {
  while (!line.empty() && IsBlank(line.back())) line.remove_suffix(1);
  return line.size() >= 2 && line.back() == u'_' && IsBlank(line[line.size() - 2]);
}

void AppendContinuationLine(std::u16string& statement, std::u16string_view line) {
  while (!statement.empty() && IsBlank(statement.back())) statement.pop_back();
  if (!statement.empty() && statement.back() == u'_') statement.pop_back();
  std::size_t first = 0;
  while (first < line.size() && IsBlank(line[first])) ++first;
  statement += line.substr(first);
}

bool IsProcModifier(std::u16string_view word) {
  return Is(word, u"Public"sv) || Is(word, u"Private"sv) || Is(word, u"Friend"sv) || Is(word, u"Static"sv);
}

Statement ClassifyStatement(std::u16string_view text) {
  std::size_t first = 0;
  while (first < text.size() && IsBlank(text[first])) ++first;
  if (first == text.size()) return {StatementKind::Blank, {}, ProcKind::Proc};
  if (text[first] == u'\'') return {StatementKind::Comment, {}, ProcKind::Proc};

  WordReader words(text);
  std::u16string_view word = words.Next();
  if (Is(word, u"Rem"sv)) return {StatementKind::Comment, {}, ProcKind::Proc};
  if (Is(word, u"End"sv)) {
    const auto what = words.Next();
    if (Is(what, u"Sub"sv) || Is(what, u"Function"sv) || Is(what, u"Property"sv)) {
      return {StatementKind::ProcEnd, {}, ProcKind::Proc};
    }
    return {StatementKind::Code, {}, ProcKind::Proc};
  }

  while (IsProcModifier(word)) word = words.Next();
  ProcKind kind = ProcKind::Proc;
  if (Is(word, u"Property"sv)) {
    const auto accessor = words.Next();
    if (Is(accessor, u"Get"sv)) {
      kind = ProcKind::Get;
    } else if (Is(accessor, u"Let"sv)) {
      kind = ProcKind::Let;
    } else if (Is(accessor, u"Set"sv)) {
      kind = ProcKind::Set;
    } else {
      return {StatementKind::Code, {}, ProcKind::Proc};
    }
  } else if (!Is(word, u"Sub"sv) && !Is(word, u"Function"sv)) {
    return {StatementKind::Code, {}, ProcKind::Proc};
  }
  const auto name = words.Next();
  if (name.empty()) return {StatementKind::Code, {}, ProcKind::Proc};
  return {StatementKind::ProcStart, WithoutTypeCharacter(name), kind};
}

bool EndsProcedure(std::u16string_view text) {
  if (ClassifyStatement(text).kind == StatementKind::ProcEnd) return true;
  // The statements after each ":" outside string literals, up to a comment.
  // A named argument's ":=" separates nothing.
  bool inString = false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char16_t c = text[i];
    if (c == u'"') inString = !inString;
    if (inString) continue;
    if (c == u'\'') return false;
    if (c != u':' || (i + 1 < text.size() && text[i + 1] == u'=')) continue;
    const Statement next = ClassifyStatement(text.substr(i + 1));
    if (next.kind == StatementKind::ProcEnd) return true;
    if (next.kind == StatementKind::Comment) return false;
  }
  return false;
}

bool IsBlankOrCommentLine(std::u16string_view line) {
  // As ClassifyStatement would tell it, reading no further than the first word.
  std::size_t first = 0;
  while (first < line.size() && IsBlank(line[first])) ++first;
  return first == line.size() || line[first] == u'\'' || Is(WordReader(line).Next(), u"Rem"sv);
}

}  // namespace tamvo
