#pragma once
// What the server answers where the cursor is: the hover of a procedure's
// name, the signature help of a call, the symbols of a document and of the
// project, and where a name is declared. Each answer is the protocol's
// result, read from the project's index.

#include <cstdint>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "lsp/project_index.h"
#include "lsp/protocol.h"

namespace tamvo::lsp {

// A name in a line of code, with the name before its dot ("mdlMath" of
// "mdlMath.Add"; empty without one), and the columns the name spans.
struct NameAt {
  std::u16string qualifier;
  std::u16string name;
  std::int64_t start = 0;
  std::int64_t end = 0;
};

// The name the column touches (at its start, inside it or at its end).
std::optional<NameAt> NameAtColumn(std::u16string_view line, std::int64_t column);

// A call whose arguments the cursor stands among: the callee's name, the
// argument the cursor is in (from 0) and, when it is written "name:=", its
// name.
struct CallAt {
  NameAt callee;
  std::int64_t argument = 0;
  std::u16string namedArgument;
};

// The calls around the end of a statement's text, innermost first: those
// with parentheses ("x = Foo(a, Bar(b" gives Bar, then Foo), then one
// without ("Foo a, b"). The text runs from the statement's start to the
// cursor, continued lines joined; nothing after a comment's apostrophe.
std::vector<CallAt> CallsAt(std::u16string_view statement);

// A procedure a name stands for, with what its block says.
struct Described {
  const IndexedModule* module;
  const IndexedProc* proc;
  PageProc page;
};

// The hover of procedures of one name: Markdown or plain text.
nlohmann::json HoverOf(const std::vector<Described>& found, bool markdown, const Range& range);

// The signature help of a call whose callee has these candidates.
nlohmann::json SignatureHelpOf(const std::vector<Described>& found, const CallAt& call, bool markdown);

// textDocument/documentSymbol's answer for one module; page, when there is
// one, gives each procedure its summary as detail.
nlohmann::json DocumentSymbolsOf(const IndexedModule& module, const ModulePage* page);

// workspace/symbol's answer.
nlohmann::json WorkspaceSymbolsOf(const std::vector<Resolved>& found);

// textDocument/definition's answer.
nlohmann::json LocationsOf(const std::vector<Resolved>& found);

// The block text update writes, as a snippet whose tab stops are the
// summary and each tag's description; plain when snippets is false.
std::u16string BlockSnippet(const std::vector<std::u16string>& blockLines, std::u16string_view lineEnd,
                            bool snippets);

}  // namespace tamvo::lsp
