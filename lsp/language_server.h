#pragma once
// tamvo lsp: the language server over a byte stream in and out.

#include <iosfwd>

#include "commands/services.h"
#include "lsp/server.h"

namespace tamvo::lsp {

// Serves messages from in until exit or the end of input; writes nothing
// but framed protocol messages to out, its log to log. Returns the exit
// code: 0 when shutdown came before the end, 1 otherwise.
// project: as the Server's.
int RunLanguageServer(std::istream& in, std::ostream& out, std::ostream& log, Settings& settings,
                      ProjectAccess project = {});

}  // namespace tamvo::lsp
