// Any bytes into the language server. It never crashes, and whatever it
// writes is a run of well-framed messages, each a JSON-RPC 2.0 object.
//
// The first byte chooses how the rest goes in: as raw bytes (the framing
// under attack), or cut at NUL bytes into message bodies that are framed
// correctly after an initialize, so that the dispatch, the documents and
// the code actions (and their resolving) see the fuzzer's JSON.

#include <cstdio>
#include <cstdlib>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <string_view>

#include "lsp/framing.h"
#include "lsp/language_server.h"
#include "tests/commands/fakes.h"

namespace tamvo {
namespace {

[[noreturn]] void Violated(const char* property, std::string_view output) {
  std::fprintf(stderr, "property violated: %s\noutput: %s\n", property, std::string(output).c_str());
  std::abort();
}

void CheckFramed(const std::string& output) {
  std::istringstream in(output);
  std::size_t read = 0;
  while (auto frame = lsp::ReadFrame(in)) {
    if (!frame->error.empty()) Violated("a bad frame", output);
    const auto message = nlohmann::json::parse(frame->body, nullptr, false);
    if (!message.is_object() || message.value("jsonrpc", "") != "2.0") Violated("not JSON-RPC 2.0", output);
    read += lsp::WriteFrame(frame->body).size();
  }
  if (read != output.size()) Violated("bytes outside any frame", output);
}

}  // namespace
}  // namespace tamvo

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::string_view rest(reinterpret_cast<const char*>(data) + 1, size - 1);
  std::string input;
  if (data[0] % 2 == 0) {
    input = rest;
  } else {
    // Every fourth input comes from a client that resolves the edits of
    // code actions.
    input = tamvo::lsp::WriteFrame(
        data[0] % 4 == 3 ? R"({"jsonrpc":"2.0","id":0,"method":"initialize","params":{"capabilities":)"
                           R"({"textDocument":{"codeAction":{"resolveSupport":{"properties":["edit"]}}}}}})"
                         : R"({"jsonrpc":"2.0","id":0,"method":"initialize","params":{}})");
    for (std::size_t start = 0; start <= rest.size();) {
      const std::size_t end = std::min(rest.find('\0', start), rest.size());
      input += tamvo::lsp::WriteFrame(rest.substr(start, end - start));
      start = end + 1;
    }
  }
  std::istringstream in(input);
  std::ostringstream out;
  std::ostringstream log;
  tamvo::test::FakeSettings settings;
  const int code = tamvo::lsp::RunLanguageServer(in, out, log, settings);
  if (code != 0 && code != 1) tamvo::Violated("an exit code other than 0 or 1", out.str());
  tamvo::CheckFramed(out.str());
  return 0;
}
