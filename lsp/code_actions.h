#pragma once
// The code actions on a document: the commands, update among them, each
// offered as the edit it would make, and only where it would change something.

#include <iosfwd>
#include <nlohmann/json.hpp>
#include <string>

#include "commands/services.h"
#include "engine/event_table.h"
#include "lsp/document.h"

namespace tamvo::lsp {

// Titles, as the editor shows them.
inline constexpr std::string_view kInsertDocComment = "Insert doc comment";
inline constexpr std::string_view kUpdateDocComment = "Update doc comment";
inline constexpr std::string_view kDeleteDocComment = "Delete doc comment";
inline constexpr std::string_view kDocumentEveryProcedure = "Document every procedure";
inline constexpr std::string_view kInsertModuleHeader = "Insert module header";
inline constexpr std::string_view kUpdateModuleHeader = "Update module header";
inline constexpr std::string_view kDeleteModuleHeader = "Delete module header";

struct ActionServices {
  const EventTable& events;
  Settings& settings;  // read, never written
  const std::u16string& author;
  std::ostream& log;
};

// The CodeAction[] answering a textDocument/codeAction request's params.
// Throws nlohmann::json::exception for params that are not the protocol's.
nlohmann::json CodeActions(const Document& document, const nlohmann::json& params, ActionServices& services);

}  // namespace tamvo::lsp
