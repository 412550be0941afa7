#include "lsp/completion.h"

#include <algorithm>

#include "commands/proc_doc.h"
#include "commands/update.h"
#include "engine/failure.h"
#include "engine/text.h"
#include "lsp/navigation.h"
#include "lsp/protocol.h"

namespace tamvo::lsp {

using nlohmann::json;

namespace {

// The protocol's CompletionItemKind and InsertTextFormat values.
constexpr int kKindKeyword = 14;
constexpr int kKindSnippet = 15;
constexpr int kPlainText = 1;
constexpr int kSnippet = 2;

std::u16string_view WithoutEnd(std::u16string_view line) {
  while (!line.empty() && (line.back() == u'\n' || line.back() == u'\r')) line.remove_suffix(1);
  return line;
}

// The procedure whose comment lines hold a document line: between its
// first line and its declaration.
const IndexedProc* ProcAbove(const IndexedModule& module, std::int64_t line) {
  for (const IndexedProc& proc : module.procs) {
    if (proc.firstLine <= line && line < proc.line) return &proc;
  }
  return nullptr;
}

// The block update writes for the procedure, read from the text without
// the line being typed.
std::vector<std::u16string> BlockLines(Document& document, const IndexedProc& proc, std::int64_t typedLine,
                                       const EventTable& events) {
  std::u16string text;
  const auto& lines = document.Lines();
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (static_cast<std::int64_t>(i) != typedLine) text += lines[i];
  }
  ExportedModule copy = ExportedModule::FromText(text, document.Module().Name());
  MemoryModule& module = *copy.Module();
  const LineNumber declaration = copy.LineMap().ModuleLineOfFileLine(static_cast<LineNumber>(proc.line));
  UpdateProcComment(module, declaration, events);
  const auto lines_ = module.ProcLinesOfLine(declaration);
  if (!lines_) return {};
  const ProcDoc doc = ReadProcDoc(module, *lines_);
  if (!doc.block) return {};
  return {doc.lines.begin() + static_cast<std::ptrdiff_t>(doc.block->open),
          doc.lines.begin() + static_cast<std::ptrdiff_t>(doc.block->close) + 1};
}

json BlockCompletion(Document& document, const IndexedProc& proc, Position position, std::int64_t typedFrom,
                     const EventTable& events, bool snippets) {
  const std::vector<std::u16string> block = BlockLines(document, proc, position.line, events);
  if (block.empty()) return json::array();
  const std::u16string_view line = document.Lines()[static_cast<std::size_t>(position.line)];
  const std::u16string_view end = line.substr(WithoutEnd(line).size());
  const std::u16string newText = BlockSnippet(block, end.empty() ? u"\r\n" : end, snippets);
  json item = {{"label", "'/** … */"},
               {"kind", kKindSnippet},
               {"detail", "doc block of " + ToUtf8(proc.name)},
               {"filterText", "'/**"},
               {"insertTextFormat", snippets ? kSnippet : kPlainText},
               {"textEdit",
                {{"range", Range{document.InText({position.line, typedFrom}), document.InText(position)}},
                 {"newText", ToUtf8(newText)}}}};
  return json::array({std::move(item)});
}

// "@param NAME" for each parameter without its tag, "@return" where a
// Function or Property Get has none: the tags of the block the line is in.
json TagCompletions(Document& document, const IndexedProc& proc, Position position) {
  ExportedModule& file = document.Module();
  MemoryModule& module = *file.Module();
  const LineNumber declaration = file.LineMap().ModuleLineOfFileLine(static_cast<LineNumber>(proc.line + 1));
  const LineNumber here = file.LineMap().ModuleLineOfFileLine(static_cast<LineNumber>(position.line + 1));
  const auto lines = module.ProcLinesOfLine(declaration);
  if (!lines) return json::array();
  const ProcDoc doc = ReadProcDoc(module, *lines);
  if (!doc.block || here <= doc.first + static_cast<LineNumber>(doc.block->open) ||
      here >= doc.first + static_cast<LineNumber>(doc.block->close)) {
    return json::array();
  }
  std::vector<std::u16string> missing;
  try {
    const TagMatch match = MatchTags(*doc.block, lines->kind, doc.declaration);
    for (std::size_t i = 0; i < match.params.size(); ++i) {
      if (!match.paramTag[i]) missing.push_back(u"@param " + match.params[i]);
    }
    if (match.isFunction && !match.returnTag) missing.emplace_back(u"@return");
  } catch (const Failure&) {
    return json::array();  // a parameter list that can't be read
  }
  json items = json::array();
  const Range range{document.InText({position.line, position.character - 1}), document.InText(position)};
  for (const std::u16string& tag : missing) {
    items.push_back({{"label", ToUtf8(tag)},
                     {"kind", kKindKeyword},
                     {"insertTextFormat", kPlainText},
                     {"textEdit", {{"range", range}, {"newText", ToUtf8(tag) + " "}}}});
  }
  return items;
}

}  // namespace

json CompletionsAt(Document& document, const IndexedModule& module, Position position,
                   const EventTable& events, bool snippets) {
  const auto& lines = document.Lines();
  if (position.line < 0 || position.line >= static_cast<std::int64_t>(lines.size())) return json::array();
  // Columns of Content(): the editor's, less a byte order mark on line 0.
  const std::int64_t shift = document.InText({position.line, 0}).character;
  const std::u16string_view line = WithoutEnd(lines[static_cast<std::size_t>(position.line)]);
  const auto column = static_cast<std::size_t>(
      std::clamp<std::int64_t>(position.character - shift, 0, static_cast<std::int64_t>(line.size())));
  const Position at{position.line, static_cast<std::int64_t>(column)};
  const std::u16string_view before = line.substr(0, column);
  const IndexedProc* proc = ProcAbove(module, position.line);
  if (!proc) return json::array();
  try {
    if (StripBlanks(before) == u"'/**") {
      const auto typedFrom = static_cast<std::int64_t>(before.find(u'\''));
      return BlockCompletion(document, *proc, at, typedFrom, events, snippets);
    }
    if (before.ends_with(u'@')) return TagCompletions(document, *proc, at);
  } catch (const Failure&) {
    // No module, or a declaration update can't read: nothing to offer.
  }
  return json::array();
}

}  // namespace tamvo::lsp
