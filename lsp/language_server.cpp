#include "lsp/language_server.h"

#include <istream>
#include <ostream>

#include "lsp/framing.h"
#include "lsp/server.h"

namespace tamvo::lsp {

int RunLanguageServer(std::istream& in, std::ostream& out, std::ostream& log, Settings& settings,
                      ProjectAccess project) {
  Server server(
      settings,
      [&](const nlohmann::json& message) {
        // Text from the editor may hold what is not UTF-8 after all: it goes
        // out replaced, never as a message the client can't read.
        out << WriteFrame(message.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace))
            << std::flush;
      },
      log, std::move(project));
  while (!server.Exited()) {
    const std::optional<Frame> frame = ReadFrame(in);
    if (!frame) break;
    if (!frame->error.empty()) {
      log << "tamvo lsp: skipped a message: " << frame->error << '\n';
      continue;
    }
    server.Handle(frame->body);
  }
  return server.ExitCode();
}

}  // namespace tamvo::lsp
