#pragma once
// The smallest whole-line edits that turn one text into another, as the
// protocol's text edits: 0-based lines, columns in UTF-16 code units.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tamvo::lsp {

struct Position {
  std::int64_t line = 0;
  std::int64_t character = 0;
};

struct TextEdit {
  Position start;
  Position end;
  std::u16string newText;
};

// The lines of a text with their line ends (CR LF, CR or LF) attached; a
// last line without one is the last element.
std::vector<std::u16string_view> LinesWithEnds(std::u16string_view text);

// Edits that replace only the lines that differ, each carrying the new
// lines with their own line ends, so the document keeps the line ends it
// has. When the texts differ too much for a line-by-line answer to be
// cheap, one edit replaces the lines between their common start and end.
std::vector<TextEdit> LineEdits(std::u16string_view before, std::u16string_view after);

// Applies edits given in document order that don't overlap.
std::u16string ApplyEdits(std::u16string_view text, const std::vector<TextEdit>& edits);

}  // namespace tamvo::lsp
