#pragma once
// What a documentation page says about one module: its name, kind and
// header, and each procedure with its declaration and what its doc block
// says. The words are the block's own; the page writers only format them.

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "host/code_module.h"
#include "host/exported_module.h"

namespace tamvo {

// "standard module", "class", "form", "document".
std::u16string_view ModuleKindName(ModuleKind kind);

// A tag's text without the separator a writer put before it ("- the sum",
// ": the sum", "：和", a full-width space), and without blanks at either end.
std::u16string_view WithoutSeparator(std::u16string_view text);

struct DocText {
  std::vector<std::u16string> lines;
  bool Empty() const { return lines.empty(); }
};

struct PageParam {
  std::u16string name;  // as declared: "Optional ByVal x", "ParamArray args()"
  std::u16string type;
  std::u16string defaultValue;
  DocText description;
};

struct PageTag {
  std::u16string word;  // as written: "@see", "@example", "Getter:"
  DocText text;
  // An @example is code: its lines keep their indentation (less what they
  // all share) and are shown as a code block, not as text.
  bool code = false;
  // A @see whose first word names a module or procedure of these pages:
  // that word's length, and the page (without extension) and anchor it
  // links to; the anchor is empty for a module's page.
  std::size_t referenceLength = 0;
  std::u16string linkPage;
  std::u16string linkAnchor;
};

struct PageProc {
  std::u16string name;
  std::u16string scope;        // "Public", "Private", "Friend"; "Public" when not written
  std::u16string keyword;      // "Sub", "Function", "Property Get", ...
  std::u16string declaration;  // one line, continuations joined
  LineNumber line = 0;         // of the declaration, as --line counts
  bool documented = false;     // has a doc block
  DocText summary;
  std::vector<PageParam> params;
  std::u16string returnType;
  DocText returnText;
  bool hasReturn = false;  // a @return tag was written
  std::vector<PageTag> others;
  std::u16string anchor;  // unique on its page
};

struct ModulePage {
  std::u16string name;
  ModuleKind kind = ModuleKind::Standard;
  std::u16string file;  // as shown on the page
  DocText description;  // from the module header
  DocText author;
  DocText version;
  std::vector<PageTag> headerTags;  // the header's other tags, @modulename aside
  std::vector<PageProc> procs;
  std::u16string pageName;  // file name of the page without extension, unique among pages
};

struct PageOptions {
  bool includePrivate = false;  // list procedures declared Private too
};

// Reads a module into its page. fileLine turns a module line into the line
// --line counts.
ModulePage BuildModulePage(CodeModule& module, ModuleKind kind, std::u16string file,
                           const std::function<LineNumber(LineNumber)>& fileLine, const PageOptions& options);

// Gives each page a page name: the module's name where no other page has it
// (letter case ignored, as on file systems that ignore it), else the name
// with the folders of its file, so that both keep their page; characters a
// file name can't hold become "_".
void NamePages(std::vector<ModulePage>& pages);

// Links each @see whose first word names a procedure of its own module
// ("Add"), a module ("mdlMath") or a module's procedure ("mdlMath.Add",
// "mdlMath#Add"), letter case ignored, to that page and procedure. Call
// after NamePages.
void LinkReferences(std::vector<ModulePage>& pages);

}  // namespace tamvo
