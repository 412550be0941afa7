#include "commands/doc_render.h"

#include <algorithm>

#include "engine/text.h"

namespace tamvo {

namespace {

bool IsDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

// Text that stands within a line, where nothing starts a block.
std::u16string Inline(std::u16string_view text) { return EscapeMarkdownText(text, false); }

std::u16string Joined(const DocText& text, std::u16string_view separator,
                      std::u16string (*escape)(std::u16string_view)) {
  std::u16string joined;
  for (std::size_t i = 0; i < text.lines.size(); ++i) {
    if (i > 0) joined += separator;
    joined += escape(text.lines[i]);
  }
  return joined;
}

// A Markdown fence longer than any run of backticks in the text.
std::u16string FenceFor(std::u16string_view text) {
  std::size_t longest = 0;
  std::size_t run = 0;
  for (const char16_t c : text) {
    run = c == u'`' ? run + 1 : 0;
    longest = std::max(longest, run);
  }
  return std::u16string(std::max<std::size_t>(3, longest + 1), u'`');
}

// Where a @see links to: another page, a procedure on it, or on this one.
std::u16string Target(const PageTag& tag, PageFormat format) {
  std::u16string target = LinkTarget(tag.linkPage, format);
  if (!tag.linkAnchor.empty()) target += u"#" + tag.linkAnchor;
  return target;
}

std::u16string Where(const ModulePage& page, const PageProc& proc) {
  return proc.scope + u" " + proc.keyword + u" \u00b7 " + page.file + u" line " +
         FromUtf8(std::to_string(proc.line));
}

// Code as a fenced block: its lines as they are, without escapes.
void MarkdownCode(std::u16string& out, const DocText& code, std::u16string_view language) {
  std::u16string text;
  for (const auto& line : code.lines) text += line + u"\n";
  const std::u16string fence = FenceFor(text);
  out += fence + std::u16string(language) + u"\n" + text + fence + u"\n\n";
}

// Markdown: paragraphs of escaped lines; an empty line parts paragraphs.
void MarkdownParagraphs(std::u16string& out, const DocText& text) {
  if (text.Empty()) return;
  for (const auto& line : text.lines) out += EscapeMarkdown(line) + u"\n";
  out += u"\n";
}

std::u16string MarkdownModule(const ModulePage& page) {
  std::u16string out = u"# " + Inline(page.name) + u"\n\n";
  out += u"*" + Inline(std::u16string(ModuleKindName(page.kind))) + u"* \u00b7 " + Inline(page.file) +
         u" \u00b7 [index](" + LinkTarget(u"index", PageFormat::Markdown) + u")\n\n";
  MarkdownParagraphs(out, page.description);
  if (!page.author.Empty()) out += u"- Author: " + Joined(page.author, u" ", Inline) + u"\n";
  if (!page.version.Empty()) out += u"- Version: " + Joined(page.version, u" ", Inline) + u"\n";
  for (const auto& tag : page.headerTags) {
    out += u"- " + Inline(tag.word) + u" " + Joined(tag.text, u" ", Inline) + u"\n";
  }
  if (!page.author.Empty() || !page.version.Empty() || !page.headerTags.empty()) out += u"\n";

  if (page.procs.empty()) return out;
  out += u"## Procedures\n\n";
  for (const auto& proc : page.procs) {
    out += u"- [" + Inline(proc.keyword + u" " + proc.name) + u"](#" + proc.anchor + u")";
    if (!proc.summary.Empty()) out += u" \u2014 " + Inline(proc.summary.lines.front());
    out += u"\n";
  }
  for (const auto& proc : page.procs) {
    out += u"\n<a id=\"" + EscapeHtml(proc.anchor) + u"\"></a>\n\n";
    out += u"### " + Inline(proc.keyword + u" " + proc.name) + u"\n\n";
    MarkdownCode(out, DocText{{proc.declaration}}, u"vb");
    MarkdownParagraphs(out, proc.summary);
    if (!proc.params.empty()) {
      out += u"| Parameter | Type | Default | Description |\n|---|---|---|---|\n";
      for (const auto& param : proc.params) {
        out += u"| " + Inline(param.name) + u" | " + Inline(param.type) + u" | " +
               Inline(param.defaultValue) + u" | " + Joined(param.description, u" ", Inline) + u" |\n";
      }
      out += u"\n";
    }
    if (!proc.returnType.empty() || proc.hasReturn) {
      out += u"**Returns**";
      if (!proc.returnType.empty()) out += u" " + Inline(proc.returnType);
      if (!proc.returnText.Empty()) out += u": " + Joined(proc.returnText, u" ", Inline);
      out += u"\n\n";
    }
    for (const auto& tag : proc.others) {
      out += u"**" + Inline(tag.word) + u"**";
      if (tag.code && !tag.text.Empty()) {
        out += u"\n\n";
        MarkdownCode(out, tag.text, u"vb");
        continue;
      }
      if (tag.referenceLength > 0) {
        const std::u16string& line = tag.text.lines.front();
        out += u" [" + Inline(line.substr(0, tag.referenceLength)) + u"](" +
               Target(tag, PageFormat::Markdown) + u")" + Inline(line.substr(tag.referenceLength));
        for (std::size_t i = 1; i < tag.text.lines.size(); ++i)
          out += u"  \n" + EscapeMarkdown(tag.text.lines[i]);
      } else if (!tag.text.Empty()) {
        out += u" " + Joined(tag.text, u"  \n", EscapeMarkdown);
      }
      out += u"\n\n";
    }
    if (!proc.documented) out += u"*(no doc block)*\n\n";
    out += u"*" + Inline(Where(page, proc)) + u"*\n";
  }
  return out;
}

std::u16string MarkdownIndex(const std::vector<ModulePage>& pages) {
  std::u16string out = u"# Modules\n\n| Module | Kind | File | Description |\n|---|---|---|---|\n";
  for (const auto& page : pages) {
    out += u"| [" + Inline(page.name) + u"](" + LinkTarget(page.pageName, PageFormat::Markdown) + u") | " +
           Inline(std::u16string(ModuleKindName(page.kind))) + u" | " + Inline(page.file) + u" | " +
           (page.description.Empty() ? u"" : Inline(page.description.lines.front())) + u" |\n";
  }
  return out;
}

// Inline, so that a page is one file that shows the same anywhere.
constexpr std::u16string_view kStyle =
    u"body{font-family:sans-serif;max-width:60em;margin:2em auto;padding:0 1em;line-height:1.5;color:#222}"
    u"pre{background:#f4f4f4;padding:.5em;overflow-x:auto}"
    u"table{border-collapse:collapse}th,td{border:1px solid #ccc;padding:.2em .5em;text-align:left;"
    u"vertical-align:top}"
    u".where,.kind{color:#666;font-size:.9em}section{border-top:1px solid #ddd;margin-top:1.5em}";

std::u16string HtmlHead(std::u16string_view title) {
  return u"<!DOCTYPE html>\n<html>\n<head>\n<meta charset=\"utf-8\">\n<title>" + EscapeHtml(title) +
         u"</title>\n<style>" + std::u16string(kStyle) + u"</style>\n</head>\n<body>\n";
}

std::u16string HtmlLines(const DocText& text) { return Joined(text, u"<br>\n", EscapeHtml); }

// Paragraphs of lines; an empty line parts paragraphs.
void HtmlParagraphs(std::u16string& out, const DocText& text) {
  if (text.Empty()) return;
  out += u"<p>";
  bool lineOpen = false;
  for (const auto& line : text.lines) {
    if (line.empty()) {
      out += u"</p>\n<p>";
      lineOpen = false;
      continue;
    }
    if (lineOpen) out += u"<br>\n";
    out += EscapeHtml(line);
    lineOpen = true;
  }
  out += u"</p>\n";
}

std::u16string HtmlModule(const ModulePage& page) {
  std::u16string out = HtmlHead(page.name);
  out += u"<h1>" + EscapeHtml(page.name) + u"</h1>\n<p class=\"kind\">" +
         EscapeHtml(ModuleKindName(page.kind)) + u" \u00b7 " + EscapeHtml(page.file) + u" \u00b7 <a href=\"" +
         LinkTarget(u"index", PageFormat::Html) + u"\">index</a></p>\n";
  HtmlParagraphs(out, page.description);
  if (!page.author.Empty() || !page.version.Empty() || !page.headerTags.empty()) {
    out += u"<ul>\n";
    if (!page.author.Empty()) out += u"<li>Author: " + HtmlLines(page.author) + u"</li>\n";
    if (!page.version.Empty()) out += u"<li>Version: " + HtmlLines(page.version) + u"</li>\n";
    for (const auto& tag : page.headerTags) {
      out += u"<li>" + EscapeHtml(tag.word) + u" " + HtmlLines(tag.text) + u"</li>\n";
    }
    out += u"</ul>\n";
  }
  if (!page.procs.empty()) {
    out += u"<h2>Procedures</h2>\n<ul>\n";
    for (const auto& proc : page.procs) {
      out += u"<li><a href=\"#" + EscapeHtml(proc.anchor) + u"\">" +
             EscapeHtml(proc.keyword + u" " + proc.name) + u"</a>";
      if (!proc.summary.Empty()) out += u" \u2014 " + EscapeHtml(proc.summary.lines.front());
      out += u"</li>\n";
    }
    out += u"</ul>\n";
  }
  for (const auto& proc : page.procs) {
    out += u"<section id=\"" + EscapeHtml(proc.anchor) + u"\">\n<h3>" +
           EscapeHtml(proc.keyword + u" " + proc.name) + u"</h3>\n<pre><code>" +
           EscapeHtml(proc.declaration) + u"</code></pre>\n";
    HtmlParagraphs(out, proc.summary);
    if (!proc.params.empty()) {
      out += u"<table>\n<tr><th>Parameter</th><th>Type</th><th>Default</th><th>Description</th></tr>\n";
      for (const auto& param : proc.params) {
        out += u"<tr><td>" + EscapeHtml(param.name) + u"</td><td>" + EscapeHtml(param.type) + u"</td><td>" +
               EscapeHtml(param.defaultValue) + u"</td><td>" + HtmlLines(param.description) + u"</td></tr>\n";
      }
      out += u"</table>\n";
    }
    if (!proc.returnType.empty() || proc.hasReturn) {
      out += u"<p><b>Returns</b>";
      if (!proc.returnType.empty()) out += u" " + EscapeHtml(proc.returnType);
      if (!proc.returnText.Empty()) out += u": " + HtmlLines(proc.returnText);
      out += u"</p>\n";
    }
    for (const auto& tag : proc.others) {
      if (tag.code && !tag.text.Empty()) {
        out += u"<p><b>" + EscapeHtml(tag.word) + u"</b></p>\n<pre><code>" +
               Joined(tag.text, u"\n", EscapeHtml) + u"</code></pre>\n";
        continue;
      }
      out += u"<p><b>" + EscapeHtml(tag.word) + u"</b> ";
      if (tag.referenceLength > 0) {
        DocText rest = tag.text;
        const std::u16string& line = tag.text.lines.front();
        rest.lines.front() = line.substr(tag.referenceLength);
        out += u"<a href=\"" + EscapeHtml(Target(tag, PageFormat::Html)) + u"\">" +
               EscapeHtml(line.substr(0, tag.referenceLength)) + u"</a>";
        out += HtmlLines(rest);
      } else {
        out += HtmlLines(tag.text);
      }
      out += u"</p>\n";
    }
    if (!proc.documented) out += u"<p><i>(no doc block)</i></p>\n";
    out += u"<p class=\"where\">" + EscapeHtml(Where(page, proc)) + u"</p>\n</section>\n";
  }
  return out + u"</body>\n</html>\n";
}

std::u16string HtmlIndex(const std::vector<ModulePage>& pages) {
  std::u16string out = HtmlHead(u"Modules");
  out +=
      u"<h1>Modules</h1>\n<table>\n<tr><th>Module</th><th>Kind</th><th>File</th><th>Description</th></tr>\n";
  for (const auto& page : pages) {
    out += u"<tr><td><a href=\"" + LinkTarget(page.pageName, PageFormat::Html) + u"\">" +
           EscapeHtml(page.name) + u"</a></td><td>" + EscapeHtml(ModuleKindName(page.kind)) + u"</td><td>" +
           EscapeHtml(page.file) + u"</td><td>" +
           (page.description.Empty() ? u"" : EscapeHtml(page.description.lines.front())) + u"</td></tr>\n";
  }
  return out + u"</table>\n</body>\n</html>\n";
}

}  // namespace

std::u16string_view PageExtension(PageFormat format) {
  return format == PageFormat::Html ? u".html" : u".md";
}

std::u16string RenderModulePage(const ModulePage& page, PageFormat format) {
  return format == PageFormat::Html ? HtmlModule(page) : MarkdownModule(page);
}

std::u16string RenderIndexPage(const std::vector<ModulePage>& pages, PageFormat format) {
  return format == PageFormat::Html ? HtmlIndex(pages) : MarkdownIndex(pages);
}

std::u16string EscapeMarkdown(std::u16string_view line) { return EscapeMarkdownText(line, true); }

std::u16string EscapeMarkdownText(std::u16string_view line, bool lineStart) {
  std::u16string out;
  out.reserve(line.size());
  // What starts a heading, a list, a quote or a rule at the start of a line.
  std::size_t digits = 0;
  while (lineStart && digits < line.size() && IsDigit(line[digits])) ++digits;
  for (std::size_t i = 0; i < line.size(); ++i) {
    const char16_t c = line[i];
    // Letters and digits, and all text beyond ASCII, stand for themselves.
    if (c >= 0x80 || (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (i > digits && IsDigit(c))) {
      out += c;
      continue;
    }
    const bool markup = std::u16string_view(u"\\`*_[]<>|~&!#").find(c) != std::u16string_view::npos;
    const bool atStart =
        lineStart && i == 0 && std::u16string_view(u"+-=").find(c) != std::u16string_view::npos;
    const bool listNumber = i == digits && digits > 0 && (c == u'.' || c == u')');
    if (markup || atStart || listNumber) out += u'\\';
    out += c;
  }
  return out;
}

std::u16string EscapeHtml(std::u16string_view text) {
  std::u16string out;
  out.reserve(text.size());
  for (const char16_t c : text) {
    switch (c) {
      case u'&':
        out += u"&amp;";
        break;
      case u'<':
        out += u"&lt;";
        break;
      case u'>':
        out += u"&gt;";
        break;
      case u'"':
        out += u"&quot;";
        break;
      case u'\'':
        out += u"&#39;";
        break;
      default:
        out += c;
    }
  }
  return out;
}

std::u16string LinkTarget(std::u16string_view pageName, PageFormat format) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::u16string target;
  for (const unsigned char byte : ToUtf8(pageName)) {
    const bool plain = (byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z') ||
                       (byte >= '0' && byte <= '9') || byte == '-' || byte == '.' || byte == '_' ||
                       byte == '~';
    if (plain) {
      target += static_cast<char16_t>(byte);
    } else {
      target += {u'%', static_cast<char16_t>(kHex[byte >> 4]), static_cast<char16_t>(kHex[byte & 0xF])};
    }
  }
  return target + std::u16string(PageExtension(format));
}

}  // namespace tamvo
