#pragma once
// Completion in a module: "'/**" typed on the line above a procedure
// becomes the block update would write there, and "@" inside a block
// offers the tags it lacks.

#include <nlohmann/json.hpp>

#include "engine/event_table.h"
#include "lsp/document.h"
#include "lsp/project_index.h"

namespace tamvo::lsp {

// The protocol's CompletionItem[] at a position of the document; module is
// the document's entry of the index. With snippets, the block's summary and
// tag descriptions are tab stops.
nlohmann::json CompletionsAt(Document& document, const IndexedModule& module, Position position,
                             const EventTable& events, bool snippets);

}  // namespace tamvo::lsp
