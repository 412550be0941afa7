#pragma once
// Reading the doc blocks that stand above procedures and at the top of a
// module, whoever wrote them: tamvo's own template, or a user who filled it
// in or wrote one in a style of their own. The update, the lint and the
// language server read blocks through this one reader, so that they agree on
// what a block says.
//
// A block is a run of comment lines from one whose text, trimmed, is "'/**"
// to the next whose text, trimmed, is "' */" or "'*/". Inside it, after the
// prefix "' *" (or "'*") and its blanks, the lines before the first tag line
// are the summary; a tag line starts with "@" and a letter, or with
// "Getter: " / "Setter: " (not on the summary's first line, which may start
// with that word); an annotation line ('@Ignore) is no tag; the lines after a tag line up to the next one
// continue its description.

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tamvo {

enum class DocTagKind {
  Param,     // @param [{Type}] [Optional|ParamArray] name[()] [= default] description
  Return,    // @return or @returns
  Accessor,  // Getter: name / Setter: name
  Other,     // any other @word: @see, @example, @throws, @modulename, ...
};

struct DocTag {
  DocTagKind kind = DocTagKind::Other;
  std::size_t line = 0;    // index of the tag's line among the lines read
  std::size_t column = 0;  // offset of the "@" (or of "Getter:"/"Setter:") in that line, from 0
  std::u16string word;     // as written: "@param", "@returns", "Getter:", "@see"
  // @param only: a type in braces with the blanks after it ("{Long} "), or empty.
  std::u16string type;
  // @param and accessors: the name as written, with what insert writes around
  // it ("Optional note", "d()", "ParamArray d()", "x = 5"); empty for others.
  std::u16string name;
  // What follows the name (or, for Return and Other, the word), byte for
  // byte: a separator such as " - " or ": " is part of it.
  std::u16string rest;
  std::size_t continuation = 0;  // lines after the tag line that continue it
};

struct DocBlock {
  std::size_t open = 0;   // index of the "'/**" line among the lines read
  std::size_t close = 0;  // index of the closing line
  std::vector<DocTag> tags;

  // The summary lines are open + 1 up to (not including) this index.
  std::size_t SummaryEnd() const { return tags.empty() ? close : tags.front().line; }
};

// The block that opens at lines[open]: nothing when that line is no opening
// line, no closing line follows, or a line before the closing one is not a
// comment or opens another block.
std::optional<DocBlock> ReadDocBlockAt(std::span<const std::u16string> lines, std::size_t open);

// A block's closing line: "' */" or "'*/", blanks around it aside.
bool IsDocBlockClosing(std::u16string_view line);

// True when the block's summary is empty or the "." insert writes.
bool IsSummaryEmpty(std::span<const std::u16string> lines, const DocBlock& block);

// The last block among the lines (a procedure's leading lines).
std::optional<DocBlock> FindLastDocBlock(std::span<const std::u16string> lines);

// The module header among the lines at the top of a module (lines[0] is
// the module's first line): the first block there, after any annotations
// and blank lines, with a "@modulename" tag (in any letter case, "' */" or
// "'*/" closing it); nothing when there is none.
std::optional<DocBlock> FindModuleHeader(std::span<const std::u16string> lines);
// The tag that names the module in a header.
bool IsModuleNameTag(const DocTag& tag);

// The text of a line inside a block after its prefix ("' *", "'*", or a bare
// "'") and the blanks after that.
std::u16string_view DocLineText(std::u16string_view line);

// A parameter's name as names are compared: without "Optional",
// "ParamArray", a trailing "()", a default (" = ...") and a type-declaration
// character ("a$" is a). Compare the keys
// with EqualsIgnoreCase, as VBA compares names.
std::u16string ParamKey(std::u16string_view name);

// True for a character that ends a name in a tag line: any Unicode space
// (U+3000 among them, where Japanese text puts it), ":" and its full-width
// form. "@param lngA\u3000the first" names lngA.
bool EndsDocName(char16_t c);

// A comment line whose text, after leading blanks, is "'@" and a letter: a
// directive another tool reads ('@Description("..."), '@TestMethod, ...).
bool IsAnnotationLine(std::u16string_view line);

// True for a comment line "'@name …" that is documentation, not a directive
// for another tool: name is a tag of the JavaDoc/JSDoc family (param,
// return, example, see, description, …) and no "(" follows it.
// '@Description("…"), '@Folder("…"), '@Ignore X and '@TestMethod are
// annotations.
bool IsDocTagCommentLine(std::u16string_view line);

// A comment line of a doc comment in another style: its text after the
// apostrophes and blanks starts with @param, @return or @returns.
bool IsForeignTagLine(std::u16string_view line);

}  // namespace tamvo
