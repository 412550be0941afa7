// The language server on large modules, as an editor uses it: the
// diagnostics after a one-line change, which an editor waits for after each
// keystroke, the code actions at the cursor, which it asks for at each stop
// of the cursor, and hover, signature help and completion where code is
// written; and the index of a project of many modules. Counters: bytes, the
// JSON the server sends per request; heap, the heap in use after against
// before, by the text's bytes.

#include <benchmark/benchmark.h>

#include <malloc.h>

#include <filesystem>
#include <fstream>
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

std::string Request(const char* method, std::int64_t line, std::int64_t character) {
  return json{{"jsonrpc", "2.0"},
              {"id", 1},
              {"method", method},
              {"params",
               {{"textDocument", {{"uri", Session::kUri}}},
                {"position", {{"line", line}, {"character", character}}}}}}
      .dump();
}

// The heap in use, as glibc counts it.
double HeapInUse() { return static_cast<double>(mallinfo2().uordblks); }

// Where code is written, the text unchanged between requests (range(1)):
// 0 hover at a procedure's name in its body, 1 signature help in a call's
// second argument, 2 the completion of "'/**" above a procedure.
void BM_AtTheCursor(benchmark::State& state) {
  ModuleText module(state.range(0));
  const std::int64_t line = module.declarations[module.declarations.size() / 2];
  // The middle procedure's first body line calls the procedure above it;
  // a "'/**" stands above the one below it.
  std::vector<std::string> lines;
  std::istringstream in(module.utf8);
  for (std::string each; std::getline(in, each);) lines.push_back(each);
  const std::string above =
      lines[static_cast<std::size_t>(module.declarations[module.declarations.size() / 2 - 1])];
  const std::string callee = above.substr(16, above.find('(') - 16);
  lines[static_cast<std::size_t>(line + 1)] = "    mCount = " + callee + "(1, \r";
  const std::int64_t below = module.declarations[module.declarations.size() / 2 + 1];
  lines[static_cast<std::size_t>(below - 1)] = "'/**\r";
  module.utf8.clear();
  for (const auto& each : lines) module.utf8 += each + "\n";
  Session session(module,
                  {{"textDocument", {{"completion", {{"completionItem", {{"snippetSupport", true}}}}}}}});
  const std::string requests[] = {
      Request("textDocument/hover", line + 2, 6),
      Request("textDocument/signatureHelp", line + 1, 17 + static_cast<std::int64_t>(callee.size())),
      Request("textDocument/completion", below - 1, 4)};
  const std::string& request = requests[state.range(1)];
  session.server.Handle(request);  // the index of the text, made once
  session.sent = 0;
  for (auto _ : state) session.server.Handle(request);
  state.counters["bytes"] = benchmark::Counter(static_cast<double>(session.sent) / state.iterations());
}
BENCHMARK(BM_AtTheCursor)
    ->ArgNames({"lines", "request"})
    ->Args({10'000, 0})
    ->Args({10'000, 1})
    ->Args({10'000, 2})
    ->Unit(benchmark::kMillisecond);

// A one-character edit sent as a range, and the diagnostics it brings.
void BM_DiagnosticsAfterIncrementalChange(benchmark::State& state) {
  const ModuleText module(state.range(0));
  Session session(module, json::object());
  const std::int64_t line = module.declarations[module.declarations.size() / 2] + 1;
  const auto edit = [&](const char* text, std::int64_t to, std::int64_t version) {
    return Notification("textDocument/didChange",
                        {{"textDocument", {{"uri", Session::kUri}, {"version", version}}},
                         {"contentChanges",
                          {{{"range",
                             {{"start", {{"line", line}, {"character", 22}}},
                              {"end", {{"line", line}, {"character", to}}}}},
                            {"text", text}}}}})
        .dump();
  };
  std::int64_t version = 1;
  for (auto _ : state) {
    ++version;
    session.server.Handle(edit(version % 2 ? "a" : "", version % 2 ? 22 : 23, version));
  }
}
BENCHMARK(BM_DiagnosticsAfterIncrementalChange)->Arg(10'000)->Unit(benchmark::kMillisecond);

// The first hover after a one-line change: the change, its diagnostics,
// and the module's page read again (less BM_DiagnosticsAfterChange: the
// hover's own part).
void BM_HoverAfterChange(benchmark::State& state) {
  const ModuleText module(state.range(0));
  Session session(module, json::object());
  const std::string hover =
      Request("textDocument/hover", module.declarations[module.declarations.size() / 2], 18);
  for (auto _ : state) {
    session.ChangeOneLine();
    session.server.Handle(hover);
  }
}
BENCHMARK(BM_HoverAfterChange)->Arg(10'000)->Unit(benchmark::kMillisecond);

// The index of a project of range(0) modules of range(1) lines on disk,
// made at initialized; heap: what it holds against the text's bytes.
void BM_IndexProject(benchmark::State& state) {
  const auto folder = std::filesystem::temp_directory_path() / "tamvo-bench-index";
  std::filesystem::remove_all(folder);
  std::filesystem::create_directories(folder);
  std::size_t textBytes = 0;
  for (std::int64_t i = 0; i < state.range(0); ++i) {
    const std::string name = "mdl" + std::to_string(i);
    std::string text = "Attribute VB_Name = \"" + name + "\"\r\n";
    for (const auto& line : bench::GeneratedModule(state.range(1))) text += ToUtf8(line) + "\r\n";
    textBytes += text.size();
    std::ofstream(folder / (name + ".bas"), std::ios::binary) << text;
  }
  const lsp::ProjectAccess project{{}, [](const std::string& path) -> std::optional<std::u16string> {
                                     std::ifstream in(path, std::ios::binary);
                                     std::ostringstream bytes;
                                     bytes << in.rdbuf();
                                     return FromUtf8(bytes.str());
                                   }};
  const std::string initialize =
      json{{"jsonrpc", "2.0"},
           {"id", 0},
           {"method", "initialize"},
           {"params", {{"capabilities", json::object()}, {"rootUri", lsp::UriOfPath(folder.string())}}}}
          .dump();
  const std::string initialized = Notification("initialized", json::object()).dump();
  double heap = 0;
  for (auto _ : state) {
    NoSettings settings;
    std::ostringstream log;
    const double before = HeapInUse();
    lsp::Server server(
        settings, [](const json&) {}, log, project);
    server.Handle(initialize);
    server.Handle(initialized);
    heap = (HeapInUse() - before) / static_cast<double>(textBytes);
  }
  state.counters["heap"] = heap;
  std::filesystem::remove_all(folder);
}
BENCHMARK(BM_IndexProject)->Args({500, 400})->Unit(benchmark::kMillisecond)->UseRealTime();

// 10,000 edits in one session, a hover now and then: heap, the growth of
// the heap in use over the 10,000 edits against the heap in use before
// them (0.1: 10% more).
void BM_ManyEdits(benchmark::State& state) {
  const ModuleText module(state.range(0));
  for (auto _ : state) {
    Session session(module, json::object());
    session.server.Handle(Request("textDocument/hover", module.declarations[1], 18));
    session.ChangeOneLine();
    const double before = HeapInUse();
    for (int i = 0; i < 10'000; ++i) {
      session.ChangeOneLine();
      if (i % 100 == 0) session.server.Handle(Request("textDocument/hover", module.declarations[1], 18));
    }
    state.counters["heap"] = (HeapInUse() - before) / before;
  }
}
BENCHMARK(BM_ManyEdits)->Arg(1'000)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tamvo
