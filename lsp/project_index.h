#pragma once
// What the server knows of every module of the project: each procedure's
// declaration and what its block says, read as the documentation pages
// read it, and, where a procedure has no block, what update would write
// into one (its comment adopted, its '@Description or VB_Description).
// Names are resolved as VBA binds them.

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "commands/doc_page.h"
#include "engine/event_table.h"
#include "host/exported_module.h"

namespace tamvo::lsp {

// What names are resolved by: each procedure's name and where it stands.
// What its block says is read when asked for (ProjectIndex::PageOf), so
// that a project's index holds little beside its text.
struct IndexedProc {
  std::u16string name;
  std::int64_t line = 0;       // the declaration's first document line, from 0
  std::int64_t firstLine = 0;  // the procedure's lines, its comment included
  std::int64_t lastLine = 0;
  std::int64_t nameColumn = 0;  // where the name stands on the declaration's first line
  bool isPrivate = false;
  bool isProperty = false;
};

struct IndexedModule {
  std::string uri;
  std::u16string name;  // VB_Name, or the file's stem
  ModuleKind kind = ModuleKind::Standard;
  std::vector<IndexedProc> procs;  // in the module's order
};

// A module's page: each procedure's declaration and the words of its
// block, as the documentation pages read them; a procedure without a
// block has what update would write into one (its comment adopted, its
// '@Description or VB_Description). Its procedures are the index's, one
// for one. Throws Failure for text that is no module.
ModulePage ReadModulePage(std::u16string_view stem, std::u16string_view text, const EventTable& events);

// A module read from its text; a text that is no module gives one
// without procedures.
IndexedModule IndexModule(const std::string& uri, std::u16string_view stem, std::u16string_view text);

// The bare name of a parameter as the pages write it.
std::u16string BareParamName(std::u16string_view declared);

struct Resolved {
  const IndexedModule* module;
  const IndexedProc* proc;
  std::size_t index;  // of the procedure in its module
};

// The text of a module by its address: the editor's, else the file's.
using ModuleTextOfUri = std::function<std::optional<std::u16string>(const std::string& uri)>;

class ProjectIndex {
 public:
  void Set(IndexedModule module);
  void Remove(const std::string& uri);
  // Removes the module of a file, whatever the form of its address
  // ("file:///C:/a.bas" or "file:///c%3A/a.bas"; a drive's paths are
  // compared without letter case, as Windows compares them).
  void RemovePath(std::string_view path);
  const IndexedModule* Find(const std::string& uri) const;
  const std::map<std::string, IndexedModule>& Modules() const { return modules_; }

  // The procedures a name at a place in the module at uri stands for:
  // without a qualifier, the module's own procedures of that name, else
  // the public ones of standard modules; with one that names a module,
  // that module's; with any other (an object), the public members of that
  // name of classes and forms. Letter case is ignored, as VBA does.
  std::vector<Resolved> Resolve(const std::string& uri, std::u16string_view qualifier,
                                std::u16string_view name) const;

  // Procedures whose name holds the query, letter case ignored; all for an
  // empty query. At most limit of them.
  std::vector<Resolved> Search(std::u16string_view query, std::size_t limit) const;

  // The page of a module, read from its text when it is not among the few
  // last asked for; null when the text can't be had or its procedures are
  // no longer the index's.
  const ModulePage* PageOf(const IndexedModule& module, const ModuleTextOfUri& textOf,
                           const EventTable& events);
  // What a resolved name's block says, read from its procedure's lines
  // alone: a hover after a change of a large module reads little.
  std::optional<PageProc> PageProcOf(const Resolved& found, const ModuleTextOfUri& textOf,
                                     const EventTable& events) const;

 private:
  std::map<std::string, IndexedModule> modules_;  // by address
  std::map<std::string, ModulePage> pages_;       // the last few read, by address
};

}  // namespace tamvo::lsp
