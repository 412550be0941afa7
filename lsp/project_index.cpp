#include "lsp/project_index.h"

#include <algorithm>

#include "commands/descriptions.h"
#include "commands/proc_walk.h"
#include "commands/update.h"
#include "engine/failure.h"
#include "engine/text.h"
#include "lsp/document.h"

namespace tamvo::lsp {

namespace {

// Where a procedure's name stands on its declaration's first line: the
// first whole word of that name.
std::int64_t NameColumn(std::u16string_view line, std::u16string_view name) {
  for (std::size_t at = FindIgnoreCase(line, name); at != std::u16string_view::npos;
       at = FindIgnoreCase(line, name, at + 1)) {
    const bool startsWord = at == 0 || !IsNameChar(line[at - 1]);
    const bool endsWord = at + name.size() == line.size() || !IsNameChar(line[at + name.size()]);
    if (startsWord && endsWord) return static_cast<std::int64_t>(at);
  }
  return 0;
}

// A procedure without a block takes the words update would give it.
void TakeAdoptedWords(PageProc& proc, PageProc& adopted) {
  proc.summary = std::move(adopted.summary);
  if (proc.params.size() == adopted.params.size()) {
    for (std::size_t i = 0; i < proc.params.size(); ++i) {
      proc.params[i].description = std::move(adopted.params[i].description);
    }
  }
  proc.returnText = std::move(adopted.returnText);
  proc.hasReturn = adopted.hasReturn;
  proc.others = std::move(adopted.others);
}

}  // namespace

std::u16string BareParamName(std::u16string_view declared) {
  if (declared.ends_with(u"()")) declared.remove_suffix(2);
  const auto space = declared.find_last_of(u' ');
  return std::u16string(space == std::u16string_view::npos ? declared : declared.substr(space + 1));
}

ModulePage ReadModulePage(std::u16string_view stem, std::u16string_view text, const EventTable& events) {
  ExportedModule exported = ExportedModule::FromText(text, stem);
  const ModuleLineMap& map = exported.LineMap();
  const auto fileLine = [&](LineNumber line) { return map.FileLineOfModuleLine(line); };
  PageOptions options;
  options.includePrivate = true;
  ModulePage page = BuildModulePage(*exported.Module(), exported.Kind(), u"", fileLine, options);
  const bool undocumented = std::any_of(page.procs.begin(), page.procs.end(),
                                        [](const PageProc& proc) { return !proc.documented; });
  if (undocumented) {
    // One procedure for one: update keeps every procedure where it is.
    ExportedModule copy = ExportedModule::FromText(text, stem);
    UpdateAllProcComments(*copy.Module(), events);
    SeedSummariesFromDescriptions(copy);
    ModulePage adopted = BuildModulePage(*copy.Module(), exported.Kind(), u"", fileLine, options);
    if (adopted.procs.size() == page.procs.size()) {
      for (std::size_t i = 0; i < page.procs.size(); ++i) {
        if (!page.procs[i].documented) TakeAdoptedWords(page.procs[i], adopted.procs[i]);
      }
    }
  }
  return page;
}

IndexedModule IndexModule(const std::string& uri, std::u16string_view stem, std::u16string_view text) {
  IndexedModule indexed;
  indexed.uri = uri;
  indexed.name = stem;
  try {
    ExportedModule exported = ExportedModule::FromText(text, stem);
    indexed.name = exported.Name();
    indexed.kind = exported.Kind();
    MemoryModule& module = *exported.Module();
    const ModuleLineMap& map = exported.LineMap();
    std::vector<ProcLines> lines;
    ForEachProcBottomUp(module, [&](const ProcLines& proc) { lines.push_back(proc); });
    std::reverse(lines.begin(), lines.end());
    const auto documentLine = [&](LineNumber line) {
      return static_cast<std::int64_t>(map.FileLineOfModuleLine(line)) - 1;
    };
    for (std::size_t i = 0; i < lines.size(); ++i) {
      IndexedProc& proc = indexed.procs.emplace_back();
      proc.name = lines[i].name;
      proc.line = documentLine(lines[i].body);
      proc.firstLine = documentLine(lines[i].start);
      proc.lastLine = i + 1 < lines.size() ? documentLine(lines[i + 1].start) - 1
                                           : static_cast<std::int64_t>(map.FileLineCount()) - 1;
      const std::u16string_view declaration = module.LineText(lines[i].body);
      proc.nameColumn = NameColumn(declaration, lines[i].name);
      proc.isPrivate = StartsWithIgnoreCase(StripBlanks(declaration), u"Private ");
      proc.isProperty = lines[i].kind != ProcKind::Proc;
    }
  } catch (const Failure&) {
    // Text that is no module yet: nothing to find in it.
  }
  return indexed;
}

void ProjectIndex::Set(IndexedModule module) {
  std::string uri = module.uri;
  pages_.erase(uri);
  modules_.insert_or_assign(std::move(uri), std::move(module));
}

void ProjectIndex::Remove(const std::string& uri) {
  pages_.erase(uri);
  modules_.erase(uri);
}

void ProjectIndex::RemovePath(std::string_view path) {
  const auto key = [](std::string_view each) {
    std::u16string text = FromUtf8(each);
    std::replace(text.begin(), text.end(), u'\\', u'/');
    const bool drive = text.size() >= 2 && text[1] == u':';
    return drive ? ToLowerAscii(text) : text;
  };
  const std::u16string wanted = key(path);
  for (auto module = modules_.begin(); module != modules_.end();) {
    const std::optional<std::string> own = PathOfUri(module->first);
    if (own && key(*own) == wanted) {
      pages_.erase(module->first);
      module = modules_.erase(module);
    } else {
      ++module;
    }
  }
}

const ModulePage* ProjectIndex::PageOf(const IndexedModule& module, const ModuleTextOfUri& textOf,
                                       const EventTable& events) {
  auto page = pages_.find(module.uri);
  if (page == pages_.end()) {
    const std::optional<std::u16string> text = textOf(module.uri);
    if (!text) return nullptr;
    // A few pages are kept: those of the modules being worked with.
    if (pages_.size() >= 16) pages_.clear();
    try {
      page = pages_.emplace(module.uri, ReadModulePage(module.name, *text, events)).first;
    } catch (const Failure&) {
      return nullptr;
    }
  }
  return page->second.procs.size() == module.procs.size() ? &page->second : nullptr;
}

std::optional<PageProc> ProjectIndex::PageProcOf(const Resolved& found, const ModuleTextOfUri& textOf,
                                                 const EventTable& events) const {
  const std::optional<std::u16string> text = textOf(found.module->uri);
  if (!text) return std::nullopt;
  // The procedure's own lines are all its page needs: its comment, its
  // declaration with the attributes below it, its body.
  std::u16string lines;
  std::int64_t line = 0;
  ForEachLine(*text, [&](std::u16string_view each, std::u16string_view end) {
    if (line >= found.proc->firstLine && line <= found.proc->lastLine) (lines += each) += end;
    return ++line <= found.proc->lastLine;
  });
  try {
    ModulePage page = ReadModulePage(found.module->name, lines, events);
    if (page.procs.size() != 1 || !EqualsIgnoreCase(page.procs.front().name, found.proc->name))
      return std::nullopt;
    page.procs.front().line += static_cast<LineNumber>(found.proc->firstLine);
    return std::move(page.procs.front());
  } catch (const Failure&) {
    return std::nullopt;
  }
}

const IndexedModule* ProjectIndex::Find(const std::string& uri) const {
  const auto found = modules_.find(uri);
  return found == modules_.end() ? nullptr : &found->second;
}

std::vector<Resolved> ProjectIndex::Resolve(const std::string& uri, std::u16string_view qualifier,
                                            std::u16string_view name) const {
  std::vector<Resolved> found;
  const auto addFrom = [&](const IndexedModule& module, bool publicOnly) {
    for (std::size_t i = 0; i < module.procs.size(); ++i) {
      const IndexedProc& proc = module.procs[i];
      if (EqualsIgnoreCase(proc.name, name) && !(publicOnly && proc.isPrivate))
        found.push_back({&module, &proc, i});
    }
  };
  const IndexedModule* self = Find(uri);
  if (qualifier.empty() || EqualsIgnoreCase(qualifier, u"Me")) {
    if (self) addFrom(*self, false);
    if (!found.empty() || !qualifier.empty()) return found;
    for (const auto& [address, module] : modules_) {
      if (module.kind == ModuleKind::Standard && &module != self) addFrom(module, true);
    }
    return found;
  }
  bool namesModule = false;
  for (const auto& [address, module] : modules_) {
    if (EqualsIgnoreCase(module.name, qualifier)) {
      namesModule = true;
      addFrom(module, &module != self);
    }
  }
  if (namesModule) return found;
  // An object: a member of that name of any class or form.
  for (const auto& [address, module] : modules_) {
    if (module.kind != ModuleKind::Standard) addFrom(module, true);
  }
  return found;
}

std::vector<Resolved> ProjectIndex::Search(std::u16string_view query, std::size_t limit) const {
  const std::u16string wanted = ToLowerAscii(query);
  std::vector<Resolved> found;
  for (const auto& [address, module] : modules_) {
    for (std::size_t i = 0; i < module.procs.size(); ++i) {
      if (found.size() == limit) return found;
      if (ToLowerAscii(module.procs[i].name).find(wanted) != std::u16string::npos) {
        found.push_back({&module, &module.procs[i], i});
      }
    }
  }
  return found;
}

}  // namespace tamvo::lsp
