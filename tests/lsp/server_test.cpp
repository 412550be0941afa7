#include "lsp/server.h"

#include <gtest/gtest.h>

#include <sstream>

#include "commands/commands.h"
#include "tests/commands/fakes.h"

namespace tamvo::lsp {
namespace {

using nlohmann::json;

const char* const kInitialize = R"({"jsonrpc":"2.0","id":1,"method":"initialize","params":{}})";
const char* const kOpen =
    R"({"jsonrpc":"2.0","method":"textDocument/didOpen","params":{"textDocument":{"uri":"file:///m/mdlA.bas",)"
    R"("languageId":"plaintext","version":1,"text":"Sub A()\r\nEnd Sub\r\n"}}})";

struct Exchange {
  const char* name;
  std::vector<std::string> in;
  // What comes out: a response's id and error code (0 for a result), or a
  // notification's method as the id with code 0.
  std::vector<std::pair<json, int>> out;
};

TEST(Server, AnswersEachRequestOnceAndOnlyRequests) {
  const Exchange cases[] = {
      {"not initialized yet", {R"({"jsonrpc":"2.0","id":7,"method":"shutdown"})", kOpen}, {{7, -32002}}},
      {"initialize twice", {kInitialize, kInitialize}, {{1, 0}, {1, -32600}}},
      {"unknown request, ignored notifications",
       {kInitialize, R"({"jsonrpc":"2.0","id":"x","method":"tamvo/none"})",
        R"({"jsonrpc":"2.0","method":"$/cancelRequest","params":{"id":1}})",
        R"({"jsonrpc":"2.0","method":"tamvo/none"})"},
       {{1, 0}, {"x", -32601}}},
      {"malformed",
       {kInitialize, "{", "[]", R"({"jsonrpc":"2.0","id":2})",
        R"({"jsonrpc":"1.0","id":3,"method":"shutdown"})",
        R"({"jsonrpc":"2.0","id":4,"method":"textDocument/codeAction","params":{"textDocument":{}}})",
        R"({"jsonrpc":"2.0","id":{},"method":"shutdown"})", R"({"jsonrpc":"2.0","id":5,"result":null})"},
       {{1, 0}, {2, -32600}, {3, -32600}, {4, -32602}}},
      {"after shutdown",
       {kInitialize, R"({"jsonrpc":"2.0","id":2,"method":"shutdown"})",
        R"({"jsonrpc":"2.0","id":3,"method":"shutdown"})"},
       {{1, 0}, {2, 0}, {3, -32600}}},
      {"a module by its file name, closed twice",
       {kInitialize, kOpen,
        R"({"jsonrpc":"2.0","method":"textDocument/didClose","params":{"textDocument":{"uri":"file:///m/mdlA.bas"}}})",
        R"({"jsonrpc":"2.0","method":"textDocument/didClose","params":{"textDocument":{"uri":"file:///m/mdlA.bas"}}})"},
       {{1, 0}, {"textDocument/publishDiagnostics", 0}, {"textDocument/publishDiagnostics", 0}}},
      {"not a module",
       {kInitialize,
        R"({"jsonrpc":"2.0","method":"textDocument/didOpen","params":{"textDocument":)"
        R"j({"uri":"file:///m/a.txt","languageId":"plaintext","version":1,"text":"Sub A()"}}})j"},
       {{1, 0}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    test::FakeSettings settings;
    std::ostringstream log;
    std::vector<std::pair<json, int>> out;
    Server server(
        settings,
        [&](const json& message) {
          if (message.contains("method")) {
            out.emplace_back(message.at("method"), 0);
          } else {
            out.emplace_back(message.at("id"),
                             message.contains("error") ? message.at("error").at("code").get<int>() : 0);
          }
        },
        log);
    for (const auto& body : c.in) server.Handle(body);
    EXPECT_EQ(out, c.out);
    EXPECT_FALSE(server.Exited());
  }
}

TEST(Server, ExitCodeTellsWhetherShutdownCame) {
  for (const bool shutdown : {false, true}) {
    test::FakeSettings settings;
    std::ostringstream log;
    Server server(
        settings, [](const json&) {}, log);
    server.Handle(kInitialize);
    if (shutdown) server.Handle(R"({"jsonrpc":"2.0","id":2,"method":"shutdown"})");
    server.Handle(R"({"jsonrpc":"2.0","method":"exit"})");
    EXPECT_TRUE(server.Exited());
    EXPECT_EQ(server.ExitCode(), shutdown ? 0 : 1);
  }
}

TEST(Server, TextThatIsNoModuleShowsWhy) {
  test::FakeSettings settings;
  std::ostringstream log;
  json published;
  Server server(
      settings, [&](const json& message) { published = message; }, log);
  server.Handle(kInitialize);
  server.Handle(
      R"({"jsonrpc":"2.0","method":"textDocument/didOpen","params":{"textDocument":{"uri":"file:///m/c.cls",)"
      R"("languageId":"vb","version":1,"text":"VERSION 1.0 CLASS\r\nBEGIN\r\n  MultiUse = -1\r\n"}}})");
  const json& diagnostics = published.at("params").at("diagnostics");
  ASSERT_EQ(diagnostics.size(), 1u);
  EXPECT_EQ(diagnostics[0].at("severity"), 1);
}

}  // namespace
}  // namespace tamvo::lsp
