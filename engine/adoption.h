#pragma once
// Adoption: a comment that a project wrote above a procedure in its own
// style, read into the lines of a doc block. Update moves such a comment
// into the block it writes, so that every word a person wrote ends up where
// the block reader (doc_block.h) finds it.
//
// Styles read (anything else is a description line, as written):
// - paragraphs of plain comment lines: the first is the summary, the later
//   ones description lines after an empty "' *" line;
// - JavaDoc/JSDoc tags ("@param a the a", "@returns …", "@example" with the
//   lines under it), with or without a blank after the apostrophe;
// - "'''" lines with sections "Args:"/"Arguments:"/"Parameters:"
//   ("name (Type): text" or "name: text") and "Returns:";
// - "''' <summary>" XML with <param name="…">, <returns> and <remarks>;
// - template headers of labelled lines ("Purpose : …" is the summary; other
//   labelled lines stay description lines).

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tamvo {

// The text of a comment line after its comment mark (a run of apostrophes,
// or Rem) and one blank; the line as it is when it is no comment.
std::u16string_view CommentText(std::u16string_view line);

// The lines between "'/**" and "' */" of the block that holds the words of
// the comment lines given: the summary first ("' * ." when the comment has
// none), then description lines and tags. Every line is "' * " and the
// text it holds, or "' *" for an empty one.
std::vector<std::u16string> AdoptComment(std::span<const std::u16string> lines);

// The text of an annotation '@Description("…") (quotes doubled inside it
// undone); nothing for any other line.
std::optional<std::u16string> DescriptionAnnotationText(std::u16string_view line);

}  // namespace tamvo
