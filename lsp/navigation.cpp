#include "lsp/navigation.h"

#include <algorithm>

#include "commands/doc_render.h"
#include "engine/text.h"
#include "lsp/protocol.h"

namespace tamvo::lsp {

using nlohmann::json;

namespace {

// The protocol's SymbolKind values the server gives.
constexpr int kSymbolMethod = 6;
constexpr int kSymbolProperty = 7;
constexpr int kSymbolFunction = 12;

std::string Joined(const DocText& text, std::string_view separator) {
  std::string joined;
  for (const auto& line : text.lines) {
    if (!joined.empty()) joined += separator;
    joined += ToUtf8(line);
  }
  return joined;
}

// The block's words as Markdown that reads back as them, a line at a time.
std::string EscapedMarkdown(std::string_view text) {
  std::string escaped;
  ForEachLine(FromUtf8(text), [&](std::u16string_view line, std::u16string_view end) {
    escaped += ToUtf8(EscapeMarkdown(line)) + ToUtf8(end);
    return true;
  });
  return escaped;
}

std::string HoverText(const Described& found, bool markdown) {
  const PageProc& proc = found.page;
  const auto words = [&](const DocText& text) {
    const std::string joined = Joined(text, markdown ? "  \n" : "\n");
    return markdown ? EscapedMarkdown(joined) : joined;
  };
  std::string text =
      markdown ? "```vb\n" + ToUtf8(proc.declaration) + "\n```\n" : ToUtf8(proc.declaration) + "\n";
  if (!proc.summary.Empty()) text += "\n" + words(proc.summary) + "\n";
  bool anyParam = false;
  for (const PageParam& param : proc.params) anyParam = anyParam || !param.description.Empty();
  if (anyParam) {
    text += markdown ? "\n**Parameters**\n" : "\nParameters:\n";
    for (const PageParam& param : proc.params) {
      const std::string name = ToUtf8(BareParamName(param.name));
      text += markdown ? "- `" + name + "`" : "  " + name;
      if (!param.description.Empty()) text += " — " + words(param.description);
      text += "\n";
    }
  }
  if (!proc.returnText.Empty())
    text += (markdown ? "\n**Returns** " : "\nReturns: ") + words(proc.returnText) + "\n";
  for (const PageTag& tag : proc.others) {
    const std::string word = ToUtf8(tag.word);
    text += "\n" + (markdown ? "*" + EscapedMarkdown(word) + "* " : word + " ") +
            (tag.code && markdown ? "\n```vb\n" + Joined(tag.text, "\n") + "\n```" : words(tag.text)) + "\n";
  }
  const std::string where = ToUtf8(found.module->name) + ", line " + std::to_string(proc.line);
  text += markdown ? "\n*" + EscapedMarkdown(where) + "*" : "\n" + where;
  return text;
}

json Markup(std::string value, bool markdown) {
  return {{"kind", markdown ? "markdown" : "plaintext"}, {"value", std::move(value)}};
}

// Signature help's documentation: Markdown where the client shows it, else
// a plain string, which every client shows (some show MarkupContent's
// plain text in part only).
json Documentation(std::string value, bool markdown) {
  return markdown ? Markup(std::move(value), true) : json(std::move(value));
}

Range NameRange(const IndexedProc& proc) {
  const auto length = static_cast<std::int64_t>(proc.name.size());
  return {{proc.line, proc.nameColumn}, {proc.line, proc.nameColumn + length}};
}

int SymbolKindOf(const IndexedModule& module, const IndexedProc& proc) {
  if (proc.isProperty) return kSymbolProperty;
  return module.kind == ModuleKind::Standard ? kSymbolFunction : kSymbolMethod;
}

// Reads a statement's text as VBA does, a character at a time: strings
// ("..." with "" inside) and a comment's apostrophe end what is code.
class CallReader {
 public:
  explicit CallReader(std::u16string_view text) : text_(text) {}

  std::vector<CallAt> Read() {
    std::size_t statementStart = 0;
    std::vector<Open> open;  // parentheses not yet closed
    std::int64_t topCommas = 0;
    std::size_t topArgumentStart = 0;
    for (std::size_t i = 0; i < text_.size(); ++i) {
      const char16_t c = text_[i];
      if (c == u'"') {
        i = StringEnd(i);
        // A string still open at the cursor: its commas are no commas.
        if (i == std::u16string_view::npos) break;
      } else if (c == u'\'') {
        return {};  // the cursor is in a comment
      } else if (c == u'(') {
        open.push_back({i, 0, i + 1});
      } else if (c == u')') {
        if (!open.empty()) open.pop_back();
      } else if (c == u',') {
        if (open.empty()) {
          ++topCommas;
          topArgumentStart = i + 1;
        } else {
          ++open.back().commas;
          open.back().argumentStart = i + 1;
        }
      } else if (c == u':' && open.empty() && (i + 1 == text_.size() || text_[i + 1] != u'=')) {
        statementStart = i + 1;  // statements separated by ":"
        topCommas = 0;
        topArgumentStart = i + 1;
      }
    }
    std::vector<CallAt> calls;
    for (auto it = open.rbegin(); it != open.rend(); ++it) {
      auto callee = NameBefore(it->at);
      if (!callee) continue;
      calls.push_back({std::move(*callee), it->commas, NamedArgument(it->argumentStart)});
    }
    if (auto callee = StatementCallee(statementStart)) {
      const auto argumentStart = std::max(topArgumentStart, static_cast<std::size_t>(callee->end) + 1);
      calls.push_back({std::move(*callee), topCommas, NamedArgument(argumentStart)});
    }
    return calls;
  }

 private:
  // The closing quote of the string that opens at start ("" inside it is
  // a quote); npos while it is open.
  std::size_t StringEnd(std::size_t start) const {
    for (std::size_t at = start + 1; at < text_.size(); ++at) {
      if (text_[at] != u'"') continue;
      if (at + 1 < text_.size() && text_[at + 1] == u'"') {
        ++at;
        continue;
      }
      return at;
    }
    return std::u16string_view::npos;
  }

  struct Open {
    std::size_t at;
    std::int64_t commas;
    std::size_t argumentStart;
  };

  // The name right before a "(", blanks between allowed.
  std::optional<NameAt> NameBefore(std::size_t at) const {
    std::size_t end = at;
    while (end > 0 && IsBlank(text_[end - 1])) --end;
    if (end == 0 || !IsNameChar(text_[end - 1])) return std::nullopt;
    return NameAtColumn(text_, static_cast<std::int64_t>(end));
  }

  // "Foo a, b": a statement that starts with a name, then a blank, then
  // what is no "=" (an assignment) and no "(" (read above).
  std::optional<NameAt> StatementCallee(std::size_t start) const {
    while (start < text_.size() && IsBlank(text_[start])) ++start;
    if (StartsWithIgnoreCase(text_.substr(start), u"Call ")) return std::nullopt;
    std::size_t end = start;
    while (end < text_.size() && (IsNameChar(text_[end]) || text_[end] == u'.')) ++end;
    if (end == start || end == text_.size() || !IsBlank(text_[end])) return std::nullopt;
    std::size_t next = end;
    while (next < text_.size() && IsBlank(text_[next])) ++next;
    if (next < text_.size() && (text_[next] == u'=' || text_[next] == u'(')) return std::nullopt;
    auto name = NameAtColumn(text_, static_cast<std::int64_t>(end));
    // Keywords that start statements are no calls.
    static constexpr std::u16string_view kKeywords[] = {
        u"Dim",  u"If",     u"For",    u"Set",    u"Let",     u"Do",     u"While",    u"Select",
        u"Case", u"Return", u"ReDim",  u"Const",  u"Private", u"Public", u"Static",   u"Exit",
        u"End",  u"Else",   u"ElseIf", u"With",   u"On",      u"GoTo",   u"Loop",     u"Next",
        u"Wend", u"Friend", u"Global", u"Debug",  u"Err",     u"Open",   u"Close",    u"Print",
        u"Get",  u"Put",    u"Erase",  u"Resume", u"Stop",    u"Sub",    u"Function", u"Property"};
    if (!name || !name->qualifier.empty()) return name;
    for (const auto keyword : kKeywords) {
      if (EqualsIgnoreCase(name->name, keyword)) return std::nullopt;
    }
    return name;
  }

  std::u16string NamedArgument(std::size_t start) const {
    std::u16string_view argument = start < text_.size() ? text_.substr(start) : std::u16string_view();
    while (!argument.empty() && IsBlank(argument.front())) argument.remove_prefix(1);
    std::size_t end = 0;
    while (end < argument.size() && IsNameChar(argument[end])) ++end;
    std::u16string_view rest = argument.substr(end);
    while (!rest.empty() && IsBlank(rest.front())) rest.remove_prefix(1);
    return end > 0 && rest.starts_with(u":=") ? std::u16string(argument.substr(0, end)) : std::u16string();
  }

  std::u16string_view text_;
};

}  // namespace

std::optional<NameAt> NameAtColumn(std::u16string_view line, std::int64_t column) {
  auto at =
      static_cast<std::size_t>(std::clamp<std::int64_t>(column, 0, static_cast<std::int64_t>(line.size())));
  std::size_t start = at;
  while (start > 0 && IsNameChar(line[start - 1])) --start;
  std::size_t end = at;
  while (end < line.size() && IsNameChar(line[end])) ++end;
  if (start == end || (line[start] >= u'0' && line[start] <= u'9')) return std::nullopt;
  NameAt name;
  name.name = line.substr(start, end - start);
  name.start = static_cast<std::int64_t>(start);
  name.end = static_cast<std::int64_t>(end);
  if (start > 0 && line[start - 1] == u'.') {
    std::size_t qualifierStart = start - 1;
    while (qualifierStart > 0 && IsNameChar(line[qualifierStart - 1])) --qualifierStart;
    name.qualifier = line.substr(qualifierStart, start - 1 - qualifierStart);
  }
  return name;
}

std::vector<CallAt> CallsAt(std::u16string_view statement) { return CallReader(statement).Read(); }

json HoverOf(const std::vector<Described>& found, bool markdown, const Range& range) {
  std::string value;
  for (const Described& each : found) {
    if (!value.empty()) value += markdown ? "\n\n---\n\n" : "\n\n";
    value += HoverText(each, markdown);
  }
  return {{"contents", Markup(std::move(value), markdown)}, {"range", range}};
}

json SignatureHelpOf(const std::vector<Described>& found, const CallAt& call, bool markdown) {
  json signatures = json::array();
  std::int64_t activeParameter = call.argument;
  for (const Described& each : found) {
    const PageProc& proc = each.page;
    const std::u16string& label = proc.declaration;
    json parameters = json::array();
    // Each parameter's name in the label, in order, after the "(".
    std::size_t from = label.find(u'(');
    for (std::size_t i = 0; i < proc.params.size(); ++i) {
      const std::u16string name = BareParamName(proc.params[i].name);
      std::size_t at = from == std::u16string::npos ? from : FindIgnoreCase(label, name, from);
      while (at != std::u16string::npos && at + name.size() < label.size() &&
             IsNameChar(label[at + name.size()])) {
        at = FindIgnoreCase(label, name, at + 1);
      }
      json parameter;
      if (at == std::u16string::npos) {
        parameter["label"] = ToUtf8(name);
      } else {
        parameter["label"] = {at, at + name.size()};
        from = at + name.size();
      }
      if (!proc.params[i].description.Empty()) {
        parameter["documentation"] = Documentation(Joined(proc.params[i].description, "\n"), markdown);
      }
      parameters.push_back(std::move(parameter));
      if (!call.namedArgument.empty() && EqualsIgnoreCase(name, call.namedArgument) && signatures.empty()) {
        activeParameter = static_cast<std::int64_t>(i);
      }
    }
    json signature = {{"label", ToUtf8(label)}, {"parameters", std::move(parameters)}};
    if (!proc.summary.Empty())
      signature["documentation"] = Documentation(Joined(proc.summary, "\n"), markdown);
    signatures.push_back(std::move(signature));
  }
  return {
      {"signatures", std::move(signatures)}, {"activeSignature", 0}, {"activeParameter", activeParameter}};
}

json DocumentSymbolsOf(const IndexedModule& module, const ModulePage* page) {
  json symbols = json::array();
  for (std::size_t i = 0; i < module.procs.size(); ++i) {
    const IndexedProc& proc = module.procs[i];
    const Range selection = NameRange(proc);
    const Range range{{std::min(proc.firstLine, proc.line), 0}, {std::max(proc.lastLine, proc.line) + 1, 0}};
    json symbol = {{"name", ToUtf8(proc.name)},
                   {"kind", SymbolKindOf(module, proc)},
                   {"range", range},
                   {"selectionRange", selection}};
    if (page && !page->procs[i].summary.Empty()) symbol["detail"] = Joined(page->procs[i].summary, " ");
    symbols.push_back(std::move(symbol));
  }
  return symbols;
}

json WorkspaceSymbolsOf(const std::vector<Resolved>& found) {
  json symbols = json::array();
  for (const Resolved& each : found) {
    symbols.push_back({{"name", ToUtf8(each.proc->name)},
                       {"kind", SymbolKindOf(*each.module, *each.proc)},
                       {"location", {{"uri", each.module->uri}, {"range", NameRange(*each.proc)}}},
                       {"containerName", ToUtf8(each.module->name)}});
  }
  return symbols;
}

json LocationsOf(const std::vector<Resolved>& found) {
  json locations = json::array();
  for (const Resolved& each : found) {
    locations.push_back({{"uri", each.module->uri}, {"range", NameRange(*each.proc)}});
  }
  return locations;
}

std::u16string BlockSnippet(const std::vector<std::u16string>& blockLines, std::u16string_view lineEnd,
                            bool snippets) {
  std::u16string text;
  int stop = 0;
  for (std::size_t i = 0; i < blockLines.size(); ++i) {
    std::u16string line = blockLines[i];
    if (snippets) {
      std::u16string escaped;
      for (const char16_t c : line) {
        if (c == u'$' || c == u'}' || c == u'\\') escaped += u'\\';
        escaped += c;
      }
      line = std::move(escaped);
      const std::u16string_view words =
          std::u16string_view(line).substr(std::min<std::size_t>(line.size(), 4));
      if (i == 1 && words == u".") {
        line = u"' * ${" + FromUtf8(std::to_string(++stop)) + u"}";
      } else if (StartsWithIgnoreCase(words, u"@param ") || StartsWithIgnoreCase(words, u"@return")) {
        while (!line.empty() && line.back() == u' ') line.pop_back();
        line += u" ${" + FromUtf8(std::to_string(++stop)) + u"}";
      }
    }
    if (i > 0) text += lineEnd;
    text += line;
  }
  return text;
}

}  // namespace tamvo::lsp
