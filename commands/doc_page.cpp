#include "commands/doc_page.h"

#include <algorithm>
#include <cctype>
#include <map>
#include <set>

#include "commands/proc_doc.h"
#include "engine/declaration.h"
#include "engine/doc_block.h"
#include "engine/text.h"

namespace tamvo {

namespace {

std::u16string_view TrimBlanks(std::u16string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

// The description after a tag: a separator the writer put first (" - ",
// ": ") goes, so does any blank at either end of a line; empty lines at
// the end go.
DocText ReadText(std::u16string_view first, const std::vector<std::u16string>& lines, std::size_t from,
                 std::size_t count) {
  DocText text;
  // A tag alone on its line ("@example", then the lines below) has its
  // text below it.
  first = WithoutSeparator(first);
  if (!first.empty() || count == 0) text.lines.emplace_back(first);
  for (std::size_t i = from; i < from + count && i < lines.size(); ++i) {
    text.lines.emplace_back(TrimBlanks(DocLineText(lines[i])));
  }
  while (!text.lines.empty() && text.lines.back().empty()) text.lines.pop_back();
  return text;
}

DocText TagText(const DocTag& tag, const std::vector<std::u16string>& lines) {
  return ReadText(tag.rest, lines, tag.line + 1, tag.continuation);
}

// An example's lines as code: the blanks between the comment's prefix and
// the code are its indentation, of which the part every line shares only
// sets the example apart from the tag. The text on the tag's own line has
// nothing to line up with and starts at its first character.
DocText CodeText(const DocTag& tag, const std::vector<std::u16string>& lines) {
  DocText text;
  const std::u16string_view first = TrimBlanks(tag.rest);
  if (!first.empty()) text.lines.emplace_back(first);
  const std::size_t from = text.lines.size();
  std::size_t shared = std::u16string::npos;
  for (std::size_t i = tag.line + 1; i < tag.line + 1 + tag.continuation && i < lines.size(); ++i) {
    const std::u16string_view line = lines[i];
    std::size_t start = static_cast<std::size_t>(DocLineText(line).data() - line.data());
    const std::size_t textStart = start;
    while (start > 0 && IsBlank(line[start - 1])) --start;
    std::u16string_view code = line.substr(start);
    while (!code.empty() && IsBlank(code.back())) code.remove_suffix(1);
    if (textStart < line.size()) shared = std::min(shared, textStart - start);
    text.lines.emplace_back(code);
  }
  for (std::size_t i = from; i < text.lines.size(); ++i) {
    auto& line = text.lines[i];
    line.erase(0, std::min(shared, line.size()));
  }
  while (!text.lines.empty() && text.lines.back().empty()) text.lines.pop_back();
  while (!text.lines.empty() && text.lines.front().empty()) text.lines.erase(text.lines.begin());
  return text;
}

// The summary lines; the template's bare "." says nothing.
DocText SummaryText(const DocBlock& block, const std::vector<std::u16string>& lines) {
  DocText text;
  for (std::size_t i = block.open + 1; i < block.SummaryEnd(); ++i) {
    text.lines.emplace_back(TrimBlanks(DocLineText(lines[i])));
  }
  while (!text.lines.empty() && text.lines.front().empty()) text.lines.erase(text.lines.begin());
  while (!text.lines.empty() && text.lines.back().empty()) text.lines.pop_back();
  if (text.lines.size() == 1 && text.lines.front() == u".") text.lines.clear();
  return text;
}

std::u16string DeclaredName(const DeclaredParam& param) {
  std::u16string name;
  if (param.optional) name += u"Optional ";
  if (!param.passing.empty()) name += std::u16string(param.passing) + u" ";
  if (param.paramArray) name += u"ParamArray ";
  name += param.name;
  if (param.array) name += u"()";
  return name;
}

std::u16string AnchorSuffix(std::u16string_view keyword) {
  if (keyword == u"Property Get") return u"-get";
  if (keyword == u"Property Let") return u"-let";
  if (keyword == u"Property Set") return u"-set";
  return u"";
}

PageProc ReadProc(CodeModule& module, const ProcLines& lines,
                  const std::function<LineNumber(LineNumber)>& fileLine) {
  const ProcDoc doc = ReadProcDoc(module, lines);
  PageProc proc;
  proc.name = lines.name;
  proc.declaration = TrimBlanks(doc.declaration);
  proc.line = fileLine(lines.body);
  const auto declared = ReadDeclaration(doc.declaration);
  if (declared) {
    proc.scope = declared->scope;
    proc.keyword = declared->keyword;
    proc.returnType = declared->returnType;
  }
  if (proc.scope.empty()) proc.scope = u"Public";
  if (proc.keyword.empty()) proc.keyword = u"Sub";
  if (declared) {
    for (const auto& param : declared->params) {
      proc.params.push_back(
          {DeclaredName(param), std::u16string(param.type), std::u16string(param.defaultValue), {}});
    }
  }
  if (!doc.block) return proc;

  const DocBlock& block = *doc.block;
  proc.documented = true;
  proc.summary = SummaryText(block, doc.lines);
  // The tags as update and lint pair them with the parameters, which are
  // the declaration's as read above: one reader gives both, in one order.
  const auto match =
      declared ? std::optional(MatchTags(block, doc.proc.kind, doc.declaration)) : std::nullopt;
  for (std::size_t t = 0; t < block.tags.size(); ++t) {
    const DocTag& tag = block.tags[t];
    if (const auto p = match ? match->ParamOf(t) : std::nullopt) {
      proc.params[*p].description = ReadText(match->paramRest[*p], doc.lines, tag.line + 1, tag.continuation);
      continue;
    }
    if (tag.kind == DocTagKind::Return && !proc.hasReturn) {
      proc.hasReturn = true;
      proc.returnText = TagText(tag, doc.lines);
      continue;
    }
    // Whatever else the block says stays on the page, a @param for no
    // parameter among it: nothing written is lost.
    PageTag other;
    other.word = tag.word;
    other.code = EqualsIgnoreCase(tag.word, u"@example");
    other.text = other.code ? CodeText(tag, doc.lines) : TagText(tag, doc.lines);
    if (!tag.name.empty()) {
      other.text = ReadText(tag.type + tag.name + tag.rest, doc.lines, tag.line + 1, tag.continuation);
    }
    proc.others.push_back(std::move(other));
  }
  return proc;
}

std::u16string Lowercase(std::u16string_view text) { return ToLowerAscii(text); }

std::u16string FileNameSafe(std::u16string_view text) {
  std::u16string safe;
  for (const char16_t c : text) {
    const bool bad = c < 0x20 || std::u16string_view(u"<>:\"/\\|?*").find(c) != std::u16string_view::npos;
    safe += bad ? u'_' : c;
  }
  if (safe.empty() || safe.starts_with(u'.')) safe.insert(safe.begin(), u'_');
  return safe;
}

}  // namespace

std::u16string_view WithoutSeparator(std::u16string_view text) {
  // Whatever ends a name in a tag line (any Unicode space, a colon of
  // either width) may stand between it and the text.
  while (!text.empty() && EndsDocName(text.front()) && text.front() != u':' && text.front() != u'\uFF1A')
    text.remove_prefix(1);
  text = TrimBlanks(text);
  for (const std::u16string_view separator : {u"-", u":", u"\u2013", u"\u2014"}) {
    if (text.starts_with(separator) && (text.size() == separator.size() || IsBlank(text[separator.size()]))) {
      return TrimBlanks(text.substr(separator.size()));
    }
  }
  if (text.starts_with(u'\uFF1A')) return TrimBlanks(text.substr(1));
  return text;
}

std::u16string_view ModuleKindName(ModuleKind kind) {
  switch (kind) {
    case ModuleKind::Standard:
      return u"standard module";
    case ModuleKind::Class:
      return u"class";
    case ModuleKind::Form:
      return u"form";
    case ModuleKind::Document:
      return u"document";
  }
  return u"standard module";
}

ModulePage BuildModulePage(CodeModule& module, ModuleKind kind, std::u16string file,
                           const std::function<LineNumber(LineNumber)>& fileLine,
                           const PageOptions& options) {
  ModulePage page;
  page.name = module.ComponentName();
  page.kind = kind;
  page.file = std::move(file);

  const HeaderDoc header = ReadHeaderDoc(module);
  if (header.block) {
    page.description = SummaryText(*header.block, header.lines);
    for (std::size_t t = 0; t < header.block->tags.size(); ++t) {
      const DocTag& tag = header.block->tags[t];
      if (header.nameTag == t) continue;
      DocText text = TagText(tag, header.lines);
      // "@auther" is how many headers spell it.
      if (EqualsIgnoreCase(tag.word, u"@author") || EqualsIgnoreCase(tag.word, u"@auther")) {
        if (page.author.Empty()) {
          page.author = std::move(text);
          continue;
        }
      }
      if (EqualsIgnoreCase(tag.word, u"@version") && page.version.Empty()) {
        page.version = std::move(text);
        continue;
      }
      PageTag other;
      other.word = tag.word;
      other.text = std::move(text);
      page.headerTags.push_back(std::move(other));
    }
  }

  std::vector<ProcLines> found;
  for (LineNumber line = module.CountOfLines(); line > 0;) {
    const auto proc = module.ProcLinesOfLine(line);
    if (!proc) break;
    found.push_back(*proc);
    line = proc->start - 1;
  }
  std::map<std::u16string, int> anchors;
  for (auto it = found.rbegin(); it != found.rend(); ++it) {
    PageProc proc = ReadProc(module, *it, fileLine);
    if (!options.includePrivate && EqualsIgnoreCase(proc.scope, u"Private")) continue;
    const std::u16string anchor = Lowercase(proc.name) + AnchorSuffix(proc.keyword);
    const int seen = ++anchors[anchor];
    proc.anchor = seen == 1 ? anchor : anchor + u"-" + FromUtf8(std::to_string(seen));
    page.procs.push_back(std::move(proc));
  }
  return page;
}

void NamePages(std::vector<ModulePage>& pages) {
  // The folders of each page's file that pages of the same name don't
  // share: of "src/Util.bas" and "src/old/Util.bas" the second is "old_Util".
  auto foldersOf = [](const ModulePage& page) {
    return page.file.substr(0, page.file.find_last_of(u'/') + 1);
  };
  std::map<std::u16string, std::vector<std::u16string>> folders;
  for (const auto& page : pages) folders[Lowercase(FileNameSafe(page.name))].push_back(foldersOf(page));
  std::map<std::u16string, std::size_t> shared;
  for (const auto& [name, list] : folders) {
    std::size_t common = list.front().size();
    for (const auto& other : list) {
      std::size_t n = 0;
      while (n < common && n < other.size() && list.front()[n] == other[n]) ++n;
      common = n;
    }
    shared[name] = list.front().find_last_of(u'/', common == 0 ? 0 : common - 1) + 1;
    if (common == 0) shared[name] = 0;
  }
  std::set<std::u16string> taken{u"index"};
  for (auto& page : pages) {
    std::u16string base = FileNameSafe(page.name);
    const std::u16string key = Lowercase(base);
    if (folders[key].size() > 1) {
      std::u16string own = foldersOf(page).substr(shared[key]);
      for (char16_t& c : own) c = c == u'/' || c == u'.' ? u'_' : c;
      base = FileNameSafe(own + page.name);
    }
    std::u16string name = base;
    for (int n = 2; taken.contains(Lowercase(name)); ++n) name = base + u"-" + FromUtf8(std::to_string(n));
    taken.insert(Lowercase(name));
    page.pageName = std::move(name);
  }
}

void LinkReferences(std::vector<ModulePage>& pages) {
  // Names looked up by their lowercase form: a page's procedures (the
  // first of a name), and the pages of each module name in their order.
  std::map<const ModulePage*, std::map<std::u16string, const PageProc*>> procsOf;
  std::map<std::u16string, std::vector<const ModulePage*>> modules;
  for (const auto& page : pages) {
    modules[Lowercase(page.name)].push_back(&page);
    auto& procs = procsOf[&page];
    for (const auto& proc : page.procs) procs.emplace(Lowercase(proc.name), &proc);
  }
  auto findProc = [&](const ModulePage& page, std::u16string_view name) -> const PageProc* {
    const auto& procs = procsOf[&page];
    const auto found = procs.find(Lowercase(name));
    return found == procs.end() ? nullptr : found->second;
  };
  // Of several modules of one name, the first that has what is named.
  auto findModule = [&](std::u16string_view name, std::u16string_view procName,
                        const PageProc*& proc) -> const ModulePage* {
    const auto found = modules.find(Lowercase(name));
    if (found == modules.end()) return nullptr;
    for (const ModulePage* page : found->second) {
      proc = procName.empty() ? nullptr : findProc(*page, procName);
      if (procName.empty() || proc) return page;
    }
    return nullptr;
  };
  for (auto& page : pages) {
    for (auto& proc : page.procs) {
      for (auto& tag : proc.others) {
        if (!EqualsIgnoreCase(tag.word, u"@see") || tag.text.Empty()) continue;
        const std::u16string& line = tag.text.lines.front();
        const std::size_t length = std::min(line.find_first_of(u" \t,;"), line.size());
        const std::u16string_view reference = std::u16string_view(line).substr(0, length);
        const std::size_t dot = reference.find_first_of(u".#");
        const ModulePage* target = nullptr;
        const PageProc* targetProc = nullptr;
        if (dot == std::u16string_view::npos) {
          targetProc = findProc(page, reference);
          target = targetProc ? &page : findModule(reference, u"", targetProc);
        } else {
          target = findModule(reference.substr(0, dot), reference.substr(dot + 1), targetProc);
        }
        if (!target) continue;
        tag.referenceLength = length;
        tag.linkPage = target->pageName;
        tag.linkAnchor = targetProc ? targetProc->anchor : u"";
      }
    }
  }
}

}  // namespace tamvo
