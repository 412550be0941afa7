#include "engine/doc_block.h"

#include <algorithm>

#include "engine/text.h"

namespace tamvo {

namespace {

bool IsAsciiLetter(char16_t c) { return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z'); }

bool IsWordChar(char16_t c) { return IsAsciiLetter(c) || (c >= u'0' && c <= u'9') || c == u'_'; }

std::size_t SkipBlanks(std::u16string_view text, std::size_t i) {
  while (i < text.size() && IsBlank(text[i])) ++i;
  return i;
}

bool IsOpening(std::u16string_view line) { return StripBlanks(line) == u"'/**"; }

bool IsCommentLine(std::u16string_view line) {
  const std::size_t first = SkipBlanks(line, 0);
  return first < line.size() && line[first] == u'\'';
}

// The offset in line where DocLineText begins.
std::size_t TextOffset(std::u16string_view line) {
  std::size_t i = SkipBlanks(line, 0);
  if (i < line.size() && line[i] == u'\'') i = SkipBlanks(line, i + 1);
  if (i < line.size() && line[i] == u'*') i = SkipBlanks(line, i + 1);
  return i;
}

// The end of a word that ends where a name ends (EndsDocName).
std::size_t WordEnd(std::u16string_view text, std::size_t i) {
  while (i < text.size() && !EndsDocName(text[i])) ++i;
  return i;
}

bool StartsWithKeyword(std::u16string_view text, std::u16string_view keyword) {
  return StartsWithIgnoreCase(text, keyword) && text.size() > keyword.size() && IsBlank(text[keyword.size()]);
}

// Reads "[{Type}] [Optional|ParamArray] name[()] [= default]" from the text
// after "@param"; fills the tag's type, name and rest.
void ReadParam(std::u16string_view text, DocTag& tag) {
  std::size_t i = SkipBlanks(text, 0);
  if (i < text.size() && text[i] == u'{') {
    const std::size_t close = text.find(u'}', i);
    if (close != std::u16string_view::npos) {
      const std::size_t next = SkipBlanks(text, close + 1);
      tag.type = text.substr(i, next - i);
      i = next;
    }
  }
  const std::size_t nameStart = i;
  for (const std::u16string_view keyword : {u"Optional", u"ParamArray"}) {
    const auto after = text.substr(i);
    if (StartsWithKeyword(after, keyword)) {
      const std::size_t next = SkipBlanks(text, i + keyword.size());
      if (next < text.size()) i = next;
    }
  }
  i = WordEnd(text, i);
  // A default, as insert writes it for a parameter without a type.
  if (text.substr(i).starts_with(u" = ")) {
    std::size_t value = i + 3;
    if (value < text.size() && text[value] == u'"') {
      const std::size_t quote = text.find(u'"', value + 1);
      value = quote == std::u16string_view::npos ? text.size() : quote + 1;
    } else {
      while (value < text.size() && !IsBlank(text[value])) ++value;
    }
    i = value;
  }
  tag.name = text.substr(nameStart, i - nameStart);
  tag.rest = text.substr(i);
}

// firstLine: the line right after the opening one, where a summary starts
// that may well begin with "Getter:" or "Setter:" as a word of its own.
// There only a line that holds nothing but the word and one name is the
// accessor line: the block has no summary, and reading the line as one
// would have update write the accessor a second time.
std::optional<DocTag> ReadTag(std::u16string_view line, std::size_t index, bool firstLine) {
  // A directive of another tool written inside the block ('@Ignore) is
  // text of the block, not a tag of it.
  if (IsAnnotationLine(line) && !IsDocTagCommentLine(line)) return std::nullopt;
  const std::size_t offset = TextOffset(line);
  const std::u16string_view text = line.substr(offset);
  DocTag tag;
  tag.line = index;
  tag.column = offset;
  if (text.size() >= 2 && text[0] == u'@' && IsAsciiLetter(text[1])) {
    std::size_t end = 1;
    while (end < text.size() && IsWordChar(text[end])) ++end;
    tag.word = text.substr(0, end);
    const auto after = text.substr(end);
    if (EqualsIgnoreCase(tag.word, u"@param")) {
      tag.kind = DocTagKind::Param;
      ReadParam(after, tag);
    } else {
      tag.kind = EqualsIgnoreCase(tag.word, u"@return") || EqualsIgnoreCase(tag.word, u"@returns")
                     ? DocTagKind::Return
                     : DocTagKind::Other;
      tag.rest = after;
    }
    return tag;
  }
  for (const std::u16string_view word : {u"Getter:", u"Setter:"}) {
    if (text.starts_with(word) && (text.size() == word.size() || IsBlank(text[word.size()]))) {
      tag.kind = DocTagKind::Accessor;
      tag.word = word;
      const std::size_t nameStart = SkipBlanks(text, word.size());
      const std::size_t nameEnd = WordEnd(text, nameStart);
      tag.name = text.substr(nameStart, nameEnd - nameStart);
      tag.rest = text.substr(nameEnd);
      if (firstLine && (tag.name.empty() || !StripBlanks(tag.rest).empty())) return std::nullopt;
      return tag;
    }
  }
  return std::nullopt;
}

}  // namespace

std::u16string_view DocLineText(std::u16string_view line) { return line.substr(TextOffset(line)); }

bool IsDocBlockClosing(std::u16string_view line) {
  const auto trimmed = StripBlanks(line);
  return trimmed == u"' */" || trimmed == u"'*/";
}

bool IsSummaryEmpty(std::span<const std::u16string> lines, const DocBlock& block) {
  std::u16string summary;
  for (std::size_t i = block.open + 1; i < block.SummaryEnd(); ++i) summary += DocLineText(lines[i]);
  const auto trimmed = StripBlanks(summary);
  return trimmed.empty() || trimmed == u".";
}

std::optional<DocBlock> ReadDocBlockAt(std::span<const std::u16string> lines, std::size_t open) {
  if (open >= lines.size() || !IsOpening(lines[open])) return std::nullopt;
  DocBlock block;
  block.open = open;
  for (std::size_t i = open + 1; i < lines.size(); ++i) {
    // A second opening line: this one never closed.
    if (!IsCommentLine(lines[i]) || IsOpening(lines[i])) return std::nullopt;
    if (IsDocBlockClosing(lines[i])) {
      block.close = i;
      return block;
    }
    if (auto tag = ReadTag(lines[i], i, i == open + 1)) {
      block.tags.push_back(std::move(*tag));
    } else if (!block.tags.empty()) {
      ++block.tags.back().continuation;
    }
  }
  return std::nullopt;
}

std::optional<DocBlock> FindLastDocBlock(std::span<const std::u16string> lines) {
  for (std::size_t i = lines.size(); i > 0; --i) {
    if (auto block = ReadDocBlockAt(lines, i - 1)) return block;
  }
  return std::nullopt;
}

bool IsModuleNameTag(const DocTag& tag) {
  return tag.kind == DocTagKind::Other && EqualsIgnoreCase(tag.word, u"@modulename");
}

std::optional<DocBlock> FindModuleHeader(std::span<const std::u16string> lines) {
  std::size_t open = 0;
  while (open < lines.size() && (StripBlanks(lines[open]).empty() || IsAnnotationLine(lines[open]))) ++open;
  auto block = ReadDocBlockAt(lines, open);
  if (block && std::none_of(block->tags.begin(), block->tags.end(), IsModuleNameTag)) block.reset();
  return block;
}

std::u16string ParamKey(std::u16string_view name) {
  std::u16string_view key = StripBlanks(name);
  for (bool stripped = true; stripped;) {
    stripped = false;
    for (const std::u16string_view keyword : {u"Optional", u"ParamArray"}) {
      if (StartsWithKeyword(key, keyword)) {
        key = StripBlanks(key.substr(keyword.size()));
        stripped = true;
      }
    }
  }
  key = StripBlanks(key.substr(0, key.find(u'=')));
  if (key.ends_with(u"()")) key = StripBlanks(key.substr(0, key.size() - 2));
  // "a$" is a: the type-declaration character is no part of the name.
  if (key.size() > 1 && std::u16string_view(u"$%&!#@^").find(key.back()) != std::u16string_view::npos) {
    key.remove_suffix(1);
  }
  return std::u16string(key);
}

bool EndsDocName(char16_t c) {
  switch (c) {
    case u' ':
    case u'\t':
    case u'\u00A0':
    case u'\u1680':
    case u'\u2028':
    case u'\u2029':
    case u'\u202F':
    case u'\u205F':
    case u'\u3000':
    case u':':
    case u'\uFF1A':  // a full-width colon
      return true;
    default:
      return c >= u'\u2000' && c <= u'\u200A';
  }
}

bool IsAnnotationLine(std::u16string_view line) {
  const std::size_t i = SkipBlanks(line, 0);
  return i + 2 < line.size() && line[i] == u'\'' && line[i + 1] == u'@' && IsAsciiLetter(line[i + 2]);
}

bool IsDocTagCommentLine(std::u16string_view line) {
  if (!IsAnnotationLine(line)) return false;
  const std::size_t at = line.find(u'@');
  std::size_t end = at + 1;
  while (end < line.size() && IsWordChar(line[end])) ++end;
  const std::u16string_view name = line.substr(at + 1, end - at - 1);
  if (end < line.size() && line[end] == u'(') return false;
  static constexpr std::u16string_view kDocTags[] = {
      u"param",   u"return",      u"returns",    u"example",    u"examples",    u"see",        u"remark",
      u"remarks", u"throws",      u"throw",      u"exception",  u"description", u"summary",    u"note",
      u"notes",   u"todo",        u"deprecated", u"since",      u"version",     u"author",     u"auther",
      u"link",    u"constructor", u"protected",  u"private",    u"public",      u"static",     u"override",
      u"type",    u"typedef",     u"property",   u"callback",   u"fires",       u"license",    u"copyright",
      u"default", u"arg",         u"argument",   u"inheritdoc", u"abstract",    u"modulename",
  };
  for (const std::u16string_view tag : kDocTags) {
    if (EqualsIgnoreCase(name, tag)) return true;
  }
  return false;
}

bool IsForeignTagLine(std::u16string_view line) {
  std::size_t i = SkipBlanks(line, 0);
  if (i == line.size() || line[i] != u'\'') return false;
  while (i < line.size() && (line[i] == u'\'' || IsBlank(line[i]))) ++i;
  const auto text = line.substr(i);
  for (const std::u16string_view tag : {u"@param", u"@returns", u"@return"}) {
    if (text.starts_with(tag) && (text.size() == tag.size() || !IsWordChar(text[tag.size()]))) return true;
  }
  return false;
}

}  // namespace tamvo
