// The language server's answer to an edit of a large module: the document
// read again and its diagnostics published, as an editor waits for them
// after each keystroke. And the code actions offered at a procedure.

#include <benchmark/benchmark.h>

#include <sstream>

#include "bench/generated_module.h"
#include "bench/quiet_services.h"
#include "engine/text.h"
#include "lsp/server.h"

namespace tamvo {
namespace {

using bench::NoSettings;

std::string ModuleText(std::int64_t lines) {
  std::u16string text = u"Attribute VB_Name = \"mdlBench\"\r\n";
  for (const auto& line : bench::GeneratedModule(lines)) text += line + u"\r\n";
  return ToUtf8(text);
}

nlohmann::json Notification(const char* method, nlohmann::json params) {
  return {{"jsonrpc", "2.0"}, {"method", method}, {"params", std::move(params)}};
}

struct Session {
  explicit Session(std::int64_t lines) : text(ModuleText(lines)) {
    server.Handle(R"({"jsonrpc":"2.0","id":0,"method":"initialize","params":{}})");
    server.Handle(Notification("textDocument/didOpen",
                               {{"textDocument",
                                 {{"uri", kUri}, {"languageId", "vb"}, {"version", 1}, {"text", text}}}})
                      .dump());
  }

  static constexpr const char* kUri = "file:///bench/mdlBench.bas";
  std::string text;
  NoSettings settings;
  std::size_t sent = 0;
  std::ostringstream log;
  lsp::Server server{settings, [this](const nlohmann::json& message) { sent += message.dump().size(); }, log};
};

void BM_DiagnosticsAfterChange(benchmark::State& state) {
  Session session(state.range(0));
  const std::string change =
      Notification("textDocument/didChange", {{"textDocument", {{"uri", Session::kUri}, {"version", 2}}},
                                              {"contentChanges", {{{"text", session.text}}}}})
          .dump();
  for (auto _ : state) session.server.Handle(change);
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_DiagnosticsAfterChange)->Arg(10'000)->Unit(benchmark::kMillisecond);

void BM_CodeActionsAtProcedure(benchmark::State& state) {
  Session session(state.range(0));
  const std::string request =
      nlohmann::json{
          {"jsonrpc", "2.0"},
          {"id", 1},
          {"method", "textDocument/codeAction"},
          {"params",
           {{"textDocument", {{"uri", Session::kUri}}},
            {"range", {{"start", {{"line", 5}, {"character", 0}}}, {"end", {{"line", 5}, {"character", 0}}}}},
            {"context", {{"diagnostics", nlohmann::json::array()}}}}}}
          .dump();
  for (auto _ : state) session.server.Handle(request);
}
BENCHMARK(BM_CodeActionsAtProcedure)->Arg(10'000)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tamvo
