#include "engine/doc_block.h"

#include "engine/text.h"

namespace tamvo {

namespace {

bool IsAsciiLetter(char16_t c) { return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z'); }

bool IsWordChar(char16_t c) { return IsAsciiLetter(c) || (c >= u'0' && c <= u'9') || c == u'_'; }

std::size_t SkipBlanks(std::u16string_view text, std::size_t i) {
  while (i < text.size() && IsBlank(text[i])) ++i;
  return i;
}

std::u16string_view TrimBlanks(std::u16string_view text) {
  const std::size_t first = SkipBlanks(text, 0);
  std::size_t last = text.size();
  while (last > first && IsBlank(text[last - 1])) --last;
  return text.substr(first, last - first);
}

bool IsOpening(std::u16string_view line) { return TrimBlanks(line) == u"'/**"; }

bool IsClosing(std::u16string_view line) {
  const auto trimmed = TrimBlanks(line);
  return trimmed == u"' */" || trimmed == u"'*/";
}

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

// The end of a word that ends at a blank or a ":".
std::size_t WordEnd(std::u16string_view text, std::size_t i) {
  while (i < text.size() && !IsBlank(text[i]) && text[i] != u':') ++i;
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

std::optional<DocTag> ReadTag(std::u16string_view line, std::size_t index) {
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
      return tag;
    }
  }
  return std::nullopt;
}

}  // namespace

std::u16string_view DocLineText(std::u16string_view line) { return line.substr(TextOffset(line)); }

std::optional<DocBlock> ReadDocBlockAt(std::span<const std::u16string> lines, std::size_t open) {
  if (open >= lines.size() || !IsOpening(lines[open])) return std::nullopt;
  DocBlock block;
  block.open = open;
  for (std::size_t i = open + 1; i < lines.size(); ++i) {
    if (!IsCommentLine(lines[i])) return std::nullopt;
    if (IsClosing(lines[i])) {
      block.close = i;
      return block;
    }
    if (auto tag = ReadTag(lines[i], i)) {
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

std::u16string ParamKey(std::u16string_view name) {
  std::u16string_view key = TrimBlanks(name);
  for (bool stripped = true; stripped;) {
    stripped = false;
    for (const std::u16string_view keyword : {u"Optional", u"ParamArray"}) {
      if (StartsWithKeyword(key, keyword)) {
        key = TrimBlanks(key.substr(keyword.size()));
        stripped = true;
      }
    }
  }
  key = TrimBlanks(key.substr(0, key.find(u'=')));
  if (key.ends_with(u"()")) key = TrimBlanks(key.substr(0, key.size() - 2));
  return std::u16string(key);
}

bool IsAnnotationLine(std::u16string_view line) {
  const std::size_t i = SkipBlanks(line, 0);
  return i + 2 < line.size() && line[i] == u'\'' && line[i + 1] == u'@' && IsAsciiLetter(line[i + 2]);
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
