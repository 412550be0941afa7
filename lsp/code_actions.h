#pragma once
// The code actions on a document: the commands, update among them, each
// offered as the edit it would make, only where it would change something
// and never where it would take away a line a person wrote.

#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

#include "commands/services.h"
#include "engine/event_table.h"
#include "lsp/document.h"
#include "lsp/protocol.h"

namespace tamvo::lsp {

// Titles, as the editor shows them.
inline constexpr std::string_view kInsertDocComment = "Insert doc comment";
inline constexpr std::string_view kUpdateDocComment = "Update doc comment";
inline constexpr std::string_view kDeleteDocComment = "Delete doc comment";
inline constexpr std::string_view kDocumentEveryProcedure = "Document every procedure";
inline constexpr std::string_view kInsertModuleHeader = "Insert module header";
inline constexpr std::string_view kUpdateModuleHeader = "Update module header";
inline constexpr std::string_view kDeleteModuleHeader = "Delete module header";
inline constexpr std::string_view kWriteDescriptions = "Write descriptions";

// The source of the server's diagnostics, by which a quick fix knows them.
inline constexpr std::string_view kDiagnosticSource = "tamvo";

struct ActionServices {
  const EventTable& events;
  Settings& settings;  // read, never written
  const std::u16string& author;
  std::ostream& log;
  // Descriptions on, for a module that takes them: an update writes the
  // summaries into the descriptions too.
  bool descriptions = false;
};

// The actions answering a textDocument/codeAction request. Each comes with
// its edit, or, for a client that resolves edits, with the data that
// ResolveCodeAction makes it from.
std::vector<CodeAction> CodeActions(Document& document, const CodeActionParams& params,
                                    ActionServices& services, bool resolving);

// The action with its edit, made from its data; the document is the version
// the data names. Throws InvalidValue for data that names no command or no
// procedure's declaration, Failure when the command fails.
CodeAction ResolveCodeAction(Document& document, CodeAction action, ActionServices& services);

}  // namespace tamvo::lsp
