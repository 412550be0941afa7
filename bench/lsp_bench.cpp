// The language server on large modules, as an editor uses it: the
// diagnostics after a one-line change, which an editor waits for after each
// keystroke, and the code actions at the cursor, which it asks for at each
// stop of the cursor. Counters: bytes, the JSON the server sends per request.

#include <benchmark/benchmark.h>

#include <sstream>

#include "bench/generated_module.h"
#include "bench/quiet_services.h"
#include "engine/text.h"
#include "lsp/server.h"

namespace tamvo {
namespace {

using bench::NoSettings;
using nlohmann::json;

// The generated module, and its document line of each declaration.
struct ModuleText {
  explicit ModuleText(std::int64_t lines) {
    std::u16string text = u"Attribute VB_Name = \"mdlBench\"\r\n";
    std::int64_t line = 1;
    for (const auto& moduleLine : bench::GeneratedModule(lines)) {
      if (moduleLine.starts_with(u"Public Function")) declarations.push_back(line);
      text += moduleLine + u"\r\n";
      ++line;
    }
    utf8 = ToUtf8(text);
  }
  std::string utf8;
  std::vector<std::int64_t> declarations;
};

json Notification(const char* method, json params) {
  return {{"jsonrpc", "2.0"}, {"method", method}, {"params", std::move(params)}};
}

// A client as VS Code's and Neovim's are: it resolves an action's edit when
// the user picks the action.
const json kResolvingClient = {
    {"textDocument",
     {{"codeAction", {{"dataSupport", true}, {"resolveSupport", {{"properties", {"edit"}}}}}}}}};

struct Session {
  Session(const ModuleText& module, const json& capabilities) : module(module) {
    server.Handle(json{
        {"jsonrpc", "2.0"}, {"id", 0}, {"method", "initialize"}, {"params", {{"capabilities", capabilities}}}}
                      .dump());
    server.Handle(
        Notification("textDocument/didOpen",
                     {{"textDocument",
                       {{"uri", kUri}, {"languageId", "vb"}, {"version", version}, {"text", module.utf8}}}})
            .dump());
  }

  // The module with one line of a procedure in its middle changed, or back,
  // as the editor sends it.
  void ChangeOneLine() { server.Handle(changes[++version % 2]); }

  std::string Change(bool changed, std::int64_t toVersion) const {
    std::string text = module.utf8;
    if (changed) text.replace(text.find("mCount = mCount + a", text.size() / 2), 19, "mCount = mCount + 1");
    return Notification("textDocument/didChange", {{"textDocument", {{"uri", kUri}, {"version", toVersion}}},
                                                   {"contentChanges", {{{"text", text}}}}})
        .dump();
  }

  static std::string CodeActionRequest(std::int64_t line) {
    const json position = {{"line", line}, {"character", 0}};
    return json{{"jsonrpc", "2.0"},
                {"id", 1},
                {"method", "textDocument/codeAction"},
                {"params",
                 {{"textDocument", {{"uri", kUri}}},
                  {"range", {{"start", position}, {"end", position}}},
                  {"context", {{"diagnostics", json::array()}}}}}}
        .dump();
  }

  static constexpr const char* kUri = "file:///bench/mdlBench.bas";
  const ModuleText& module;
  std::int64_t version = 1;
  const std::string changes[2] = {Change(true, 2), Change(false, 3)};
  NoSettings settings;
  std::size_t sent = 0;
  std::ostringstream log;
  lsp::Server server{settings, [this](const json& message) { sent += message.dump().size(); }, log};
};

void BM_DiagnosticsAfterChange(benchmark::State& state) {
  const ModuleText module(state.range(0));
  Session session(module, json::object());
  for (auto _ : state) session.ChangeOneLine();
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_DiagnosticsAfterChange)->Arg(10'000)->Arg(100'000)->Unit(benchmark::kMillisecond);

// The cursor stops at one procedure after another (range(1): whether the
// client resolves edits), the document unchanged between stops.
void BM_CodeActionsAtProcedure(benchmark::State& state) {
  const ModuleText module(state.range(0));
  Session session(module, state.range(1) ? kResolvingClient : json::object());
  std::vector<std::string> requests;
  for (const std::int64_t line : module.declarations) requests.push_back(Session::CodeActionRequest(line));
  std::size_t next = 0;
  session.sent = 0;
  for (auto _ : state) {
    session.server.Handle(requests[next]);
    next = (next + 1) % requests.size();
  }
  state.counters["bytes"] = benchmark::Counter(static_cast<double>(session.sent) / state.iterations());
}
BENCHMARK(BM_CodeActionsAtProcedure)
    ->ArgNames({"lines", "resolving"})
    ->Args({10'000, 1})
    ->Args({10'000, 0})
    ->Args({100'000, 1})
    ->Unit(benchmark::kMillisecond);

// The first stop after a change: the change and its diagnostics, then the
// code actions on the new text (a resolving client).
void BM_CodeActionsAfterChange(benchmark::State& state) {
  const ModuleText module(state.range(0));
  Session session(module, kResolvingClient);
  const std::string request = Session::CodeActionRequest(module.declarations[module.declarations.size() / 2]);
  for (auto _ : state) {
    session.ChangeOneLine();
    session.server.Handle(request);
  }
}
BENCHMARK(BM_CodeActionsAfterChange)->Arg(10'000)->Arg(100'000)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tamvo
