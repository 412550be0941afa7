#pragma once
// Documentation pages as Markdown or as self-contained HTML: one page per
// module and an index page. Every text from a module is escaped, so that a
// page reads back as the text that was written; nothing on a page depends
// on the clock, the time zone or where the files lie, so that the same
// modules give the same bytes.

#include <string>
#include <string_view>
#include <vector>

#include "commands/doc_page.h"

namespace tamvo {

enum class PageFormat { Markdown, Html };

// ".md" or ".html".
std::u16string_view PageExtension(PageFormat format);

// The page of a module, linked to the index page.
std::u16string RenderModulePage(const ModulePage& page, PageFormat format);

// The index page: every module with its kind, file and the first line of
// its description, linked to its page.
std::u16string RenderIndexPage(const std::vector<ModulePage>& pages, PageFormat format);

// Escapes what Markdown would read as markup in one line of text, so that
// the line reads back as itself: a backslash before each such character.
std::u16string EscapeMarkdown(std::u16string_view line);
// The same for text that stands within a line (lineStart false), where
// nothing starts a heading or a list.
std::u16string EscapeMarkdownText(std::u16string_view text, bool lineStart);

// Escapes &, <, >, " and ' for HTML text and attribute values.
std::u16string EscapeHtml(std::u16string_view text);

// A page's name as a link target: UTF-8, with every byte other than ASCII
// letters, digits and "-._~" percent-encoded.
std::u16string LinkTarget(std::u16string_view pageName, PageFormat format);

}  // namespace tamvo
