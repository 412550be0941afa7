#include "lsp/server.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

#include "commands/commands.h"
#include "engine/text.h"
#include "lsp/code_actions.h"
#include "lsp/text_edits.h"
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
      {"optional members left out or null",
       {kInitialize,
        R"({"jsonrpc":"2.0","method":"textDocument/didOpen","params":{"textDocument":)"
        R"j({"uri":"file:///m/mdlA.bas","text":"Sub A()\r\nEnd Sub\r\n"}}})j",
        R"({"jsonrpc":"2.0","method":"textDocument/didSave","params":{"textDocument":{"uri":"file:///m/mdlA.bas"}}})",
        R"({"jsonrpc":"2.0","id":2,"method":"textDocument/codeAction","params":{"textDocument":{"uri":"file:///m/mdlA.bas"},)"
        R"("range":{"start":{"line":0,"character":0},"end":{"line":0,"character":0}},)"
        R"("context":{"diagnostics":[],"only":null}}})"},
       {{1, 0}, {"textDocument/publishDiagnostics", 0}, {"textDocument/publishDiagnostics", 0}, {2, 0}}},
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

TEST(Server, MalformedParamsAreInvalidAndNameTheMember) {
  const json position = {{"line", 0}, {"character", 0}};
  const json range = {{"start", position}, {"end", position}};
  const json document = {{"uri", "file:///m/mdlA.bas"}};
  const json diagnostic = {{"range", range}, {"message", "m"}};
  const struct {
    const char* method;
    json params;
    const char* problem;
  } cases[] = {
      {"textDocument/codeAction",
       {{"textDocument", document},
        {"range", {{"start", {{"line", "one"}, {"character", 0}}}, {"end", position}}},
        {"context", {{"diagnostics", json::array()}}}},
       "range.start.line: expected an integer"},
      {"textDocument/codeAction",
       {{"textDocument", document},
        {"range", range},
        {"context", {{"diagnostics", {diagnostic, {{"range", range}}}}}}},
       "context.diagnostics[1].message: missing"},
      {"textDocument/codeAction",
       {{"textDocument", document},
        {"range", range},
        {"context", {{"diagnostics", json::array()}, {"only", "quickfix"}}}},
       "context.only: expected an array"},
      {"textDocument/codeAction", {{"textDocument", document}, {"range", range}}, "context: missing"},
      {"textDocument/codeAction", json::array(), "params: expected an object"},
      {"initialize",
       {{"initializationOptions", {{"author", 5}}}},
       "initializationOptions.author: expected a string"},
      {"codeAction/resolve", {{"title", "Insert doc comment"}}, "data: missing"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.problem);
    test::FakeSettings settings;
    std::ostringstream log;
    json error;
    Server server(
        settings, [&](const json& message) { error = message.value("error", json()); }, log);
    if (c.method != std::string_view("initialize")) server.Handle(kInitialize);
    server.Handle(json{{"jsonrpc", "2.0"}, {"id", 2}, {"method", c.method}, {"params", c.params}}.dump());
    EXPECT_EQ(error,
              json({{"code", kInvalidParams}, {"message", std::string("invalid params: ") + c.problem}}));
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

// A server with one module open, and what it last published for it.
class OpenModule {
 public:
  static constexpr const char* kUri = "file:///m/mdlA.bas";

  // resolving: the client resolves the edits of code actions. optionsOf:
  // the project's options, as the server asks for them.
  explicit OpenModule(const std::u16string& text, bool resolving = false, ProjectAccess project = {},
                      std::string uri = kUri)
      : uri_(std::move(uri)),
        server_(
            settings_,
            [this](const json& message) {
              if (message.contains("method") && message.contains("params") &&
                  message.at("params").contains("diagnostics")) {
                diagnostics = message.at("params").at("diagnostics");
              }
              if (!message.contains("method")) response_ = message;
            },
            log_, std::move(project)) {
    const json capabilities = {
        {"textDocument", {{"codeAction", {{"resolveSupport", {{"properties", {"edit"}}}}}}}}};
    initialized = Request("initialize", {{"capabilities", resolving ? capabilities : json::object()}});
    Notify("textDocument/didOpen",
           {{"textDocument", {{"uri", uri_}, {"languageId", "vb"}, {"version", 1}, {"text", ToUtf8(text)}}}});
  }

  void Change(const std::u16string& text, std::int64_t version) {
    Notify("textDocument/didChange", {{"textDocument", {{"uri", uri_}, {"version", version}}},
                                      {"contentChanges", {{{"text", ToUtf8(text)}}}}});
  }

  void Notify(const char* method, const json& params) {
    server_.Handle(json{{"jsonrpc", "2.0"}, {"method", method}, {"params", params}}.dump());
  }

  json Actions(std::int64_t line, const json& diagnosticsHeld, const char* only) {
    return Request("textDocument/codeAction",
                   {{"textDocument", {{"uri", uri_}}},
                    {"range",
                     {{"start", {{"line", line}, {"character", 0}}},
                      {"end", {{"line", line}, {"character", 0}}}}},
                    {"context", {{"diagnostics", diagnosticsHeld}, {"only", {only}}}}})
        .at("result");
  }

  // The response: its result or its error.
  json Request(const char* method, const json& params) {
    server_.Handle(json{{"jsonrpc", "2.0"}, {"id", 2}, {"method", method}, {"params", params}}.dump());
    return response_;
  }

  json diagnostics;
  json initialized;

 private:
  std::string uri_;
  test::FakeSettings settings_;
  std::ostringstream log_;
  Server server_;
  json response_;
};

// The text an action's edit makes of text.
std::u16string Applied(const std::u16string& text, const json& action, const char* uri = OpenModule::kUri) {
  std::vector<TextEdit> edits;
  for (const auto& edit : action.at("edit").at("changes").at(uri)) {
    const json& range = edit.at("range");
    edits.push_back({{range.at("start").at("line"), range.at("start").at("character")},
                     {range.at("end").at("line"), range.at("end").at("character")},
                     FromUtf8(edit.at("newText").get<std::string>())});
  }
  return ApplyEdits(text, edits);
}

TEST(Server, QuickFixesTellTwoProceduresOfOneNameApart) {
  const std::u16string text =
      u"#If VBA7 Then\nSub F(ByVal p As LongPtr)\nEnd Sub\n#Else\nSub F(ByVal p As Long)\nEnd Sub\n#End If\n";
  OpenModule module(text);
  ASSERT_EQ(module.diagnostics.size(), 2u);
  const json actions = module.Actions(0, module.diagnostics, "quickfix");
  ASSERT_EQ(actions.size(), 2u);
  const std::u16string block = u"\n'/**\n' * .\n' * @param p\n' */\n";
  const std::u16string fixed[] = {
      u"#If VBA7 Then\n" + block +
          u"Sub F(ByVal p As LongPtr)\nEnd Sub\n#Else\nSub F(ByVal p As Long)\nEnd Sub\n#End If\n",
      u"#If VBA7 Then\nSub F(ByVal p As LongPtr)\nEnd Sub\n#Else\n" + block +
          u"Sub F(ByVal p As Long)\nEnd Sub\n#End If\n",
  };
  for (std::size_t i = 0; i < 2; ++i) {
    EXPECT_EQ(actions[i].at("diagnostics"), json::array({module.diagnostics[i]}));
    EXPECT_EQ(ToUtf8(Applied(text, actions[i])), ToUtf8(fixed[i]));
  }
}

TEST(Server, ByteOrderMarkInTheTextStaysFirst) {
  const std::u16string text = u"\uFEFFSub A()\nEnd Sub\n";
  OpenModule module(text);
  ASSERT_EQ(module.diagnostics.size(), 1u);
  EXPECT_EQ(module.diagnostics[0].at("code"), "missing-doc");
  EXPECT_EQ(module.diagnostics[0].at("range").at("start").at("character"), 1);
  const auto fixes = module.Actions(0, module.diagnostics, "quickfix");
  ASSERT_EQ(fixes.size(), 1u);
  EXPECT_EQ(ToUtf8(Applied(text, fixes[0])), ToUtf8(u"\uFEFF\n'/**\n' * .\n' */\nSub A()\nEnd Sub\n"));
  for (const auto& action : module.Actions(0, json::array(), "source")) {
    if (action.at("title") != kInsertModuleHeader) continue;
    const std::u16string headed = Applied(text, action);
    EXPECT_TRUE(headed.starts_with(u"\uFEFF'/**\n")) << ToUtf8(headed);
    EXPECT_TRUE(headed.ends_with(u"' */\nSub A()\nEnd Sub\n")) << ToUtf8(headed);
    return;
  }
  ADD_FAILURE() << "no " << kInsertModuleHeader;
}

// The titles of the actions offered.
std::vector<std::string> Titles(const json& actions) {
  std::vector<std::string> titles;
  for (const auto& action : actions) titles.push_back(action.at("title"));
  return titles;
}

const std::u16string kOwnHeader = ComposeModuleHeader(u"mdlA", u"") + u"\r\n";

struct OfferCase {
  const char* name;
  std::u16string text;
  std::int64_t line;  // the cursor's
  std::vector<std::string> atCursor;
  std::vector<std::string> forModule;
  // Words a person wrote, which every offered action keeps.
  std::vector<std::u16string> words;
};

TEST(Server, OffersNoActionThatRemovesWhatAPersonWrote) {
  const std::string insert(kInsertDocComment), update(kUpdateDocComment), remove(kDeleteDocComment);
  const std::string every(kDocumentEveryProcedure), insertHeader(kInsertModuleHeader),
      updateHeader(kUpdateModuleHeader), deleteHeader(kDeleteModuleHeader);
  const OfferCase cases[] = {
      {"nothing above",
       u"Option Explicit\nSub S()\nEnd Sub\n",
       1,
       {insert, update},
       {every, insertHeader, updateHeader},
       {}},
      {"blank lines only",
       u"Option Explicit\nSub A()\nEnd Sub\n\n\nSub S()\nEnd Sub\n",
       5,
       {insert, update},
       {every, insertHeader, updateHeader},
       {}},
      {"an annotation only",
       u"Option Explicit\n'@Ignore ProcedureNotUsed\nSub S()\nEnd Sub\n",
       2,
       {insert, update},
       {every, insertHeader, updateHeader},
       {u"'@Ignore ProcedureNotUsed"}},
      {"a bare block",
       u"Option Explicit\n\n'/**\n' * .\n' * @param a\n' */\nSub S(a)\nEnd Sub\n",
       6,
       {remove},
       {insertHeader, updateHeader},
       {}},
      {"a bare block of an older declaration",
       u"Option Explicit\n\n'/**\n' * .\n' * @param old\n' */\nSub S(a)\nEnd Sub\n",
       6,
       {update, remove},
       {every, insertHeader, updateHeader},
       {}},
      {"a hand-written comment",
       u"Option Explicit\n' Adds one.\nFunction Inc(ByVal a As Long) As Long\nEnd Function\n",
       2,
       {update},
       {every, insertHeader, updateHeader},
       {u"Adds one."}},
      {"a block with words",
       u"Option Explicit\n\n'/**\n' * Shows it.\n' * @param old\n' */\nSub S(a)\nEnd Sub\n",
       6,
       {update},
       {every, insertHeader, updateHeader},
       {u"Shows it."}},
      {"another style",
       u"Option Explicit\n' @param a the count\nSub S(a)\nEnd Sub\n",
       2,
       {update},
       {every, insertHeader, updateHeader},
       {u"the count"}},
      {"a licence at the top",
       u"' Copyright 2024 Somebody\nOption Explicit\nSub S()\nEnd Sub\n",
       2,
       {insert, update},
       {every, updateHeader},
       {u"Copyright 2024 Somebody"}},
      {"a licence above the first procedure",
       u"' Copyright 2024 Somebody\n\nSub S()\nEnd Sub\n",
       2,
       {update},
       {every, updateHeader},
       {u"Copyright 2024 Somebody"}},
      {"a header of insert's",
       kOwnHeader + u"Option Explicit\nSub S()\nEnd Sub\n",
       8,
       {insert, update},
       {every, deleteHeader},
       {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    OpenModule module(c.text);
    const json atCursor = module.Actions(c.line, json::array(), "refactor.rewrite");
    const json forModule = module.Actions(c.line, json::array(), "source");
    EXPECT_EQ(Titles(atCursor), c.atCursor);
    EXPECT_EQ(Titles(forModule), c.forModule);
    for (const json* actions : {&atCursor, &forModule}) {
      for (const auto& action : *actions) {
        const std::u16string after = Applied(c.text, action);
        for (const auto& word : c.words) {
          EXPECT_NE(after.find(word), std::u16string::npos) << action.at("title") << ":\n" << ToUtf8(after);
        }
      }
    }
  }
}

struct AdoptionCase {
  const char* name;
  std::u16string text;
  std::string_view title;
  const char* kind;
  std::u16string words;
};

TEST(Server, UpdateActionsMoveACommentsWordsIntoTheBlock) {
  const AdoptionCase cases[] = {
      {"every procedure",
       u"Option Explicit\n' Adds one.\nFunction Inc(ByVal a As Long) As Long\nEnd Function\n",
       kDocumentEveryProcedure, "source", u"Adds one."},
      {"the fix for another style", u"Option Explicit\n' @param a the count\nSub S(a)\nEnd Sub\n",
       kUpdateDocComment, "quickfix", u"the count"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    OpenModule module(c.text);
    const json actions = module.Actions(1, module.diagnostics, c.kind);
    const auto action =
        std::find_if(actions.begin(), actions.end(), [&](const json& a) { return a.at("title") == c.title; });
    ASSERT_NE(action, actions.end()) << actions.dump();
    const std::u16string after = Applied(c.text, *action);
    const std::size_t open = after.find(u"'/**\n");
    const std::size_t words = after.find(c.words);
    const std::size_t close = after.find(u"' */\n");
    EXPECT_TRUE(open < words && words < close) << ToUtf8(after);
  }
}

TEST(Server, AResolvingClientGetsEachEditWhenItAsksAsOthersGetItWithTheAction) {
  const struct {
    const char* name;
    std::u16string text;
    std::int64_t line;  // the cursor's
  } cases[] = {
      {"hidden lines, CR LF, no final line end",
       u"VERSION 1.0 CLASS\r\nBEGIN\r\n  MultiUse = -1\r\nEND\r\nAttribute VB_Name = \"mdlA\"\r\nOption "
       u"Explicit\r\n"
       u"' Adds one.\r\nFunction Inc(ByVal a As Long) As Long\r\nAttribute Inc.VB_Description = \"x\"\r\n"
       u"End Function\r\n\r\n'/**\r\n' * Shows it.\r\n' * @param old\r\n' */\r\nSub S(a)\r\nEnd Sub",
       7},
      {"a header of insert's, LF", kOwnHeader + u"Option Explicit\nSub S()\nEnd Sub\n", 8},
      {"CR", u"Option Explicit\r' @param a the count\rSub S(a)\rEnd Sub\r", 2},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    OpenModule whole(c.text);
    OpenModule resolving(c.text, true);
    const json& provider = resolving.initialized.at("result").at("capabilities").at("codeActionProvider");
    EXPECT_EQ(provider.at("resolveProvider"), true);
    EXPECT_FALSE(whole.initialized.at("result")
                     .at("capabilities")
                     .at("codeActionProvider")
                     .contains("resolveProvider"));
    for (const char* only : {"quickfix", "refactor.rewrite", "source"}) {
      SCOPED_TRACE(only);
      const json withEdits = whole.Actions(c.line, whole.diagnostics, only);
      const json offered = resolving.Actions(c.line, resolving.diagnostics, only);
      EXPECT_FALSE(withEdits.empty());
      ASSERT_EQ(Titles(offered), Titles(withEdits));
      for (std::size_t i = 0; i < offered.size(); ++i) {
        EXPECT_FALSE(offered[i].contains("edit")) << offered[i];
        const json resolved = resolving.Request("codeAction/resolve", offered[i]).at("result");
        EXPECT_EQ(resolved.at("title"), offered[i].at("title"));
        EXPECT_EQ(resolved.value("diagnostics", json()), withEdits[i].value("diagnostics", json()));
        EXPECT_EQ(ToUtf8(Applied(c.text, resolved)), ToUtf8(Applied(c.text, withEdits[i])));
      }
    }
  }
}

TEST(Server, AnActionOfAnotherTextIsNotResolved) {
  const std::u16string text = u"Sub A()\nEnd Sub\n";
  OpenModule module(text, true);
  const json offered = module.Actions(0, json::array(), "refactor.rewrite");
  ASSERT_FALSE(offered.empty());
  module.Change(u"Option Explicit\n" + text, 2);
  EXPECT_EQ(module.Request("codeAction/resolve", offered[0]).at("error").at("code"), kContentModified);
  const json current = module.Actions(1, json::array(), "refactor.rewrite");
  ASSERT_FALSE(current.empty());
  EXPECT_TRUE(module.Request("codeAction/resolve", current[0]).contains("result"));
  module.Notify("textDocument/didClose", {{"textDocument", {{"uri", OpenModule::kUri}}}});
  EXPECT_EQ(module.Request("codeAction/resolve", current[0]).at("error").at("code"), kContentModified);
}

// The rules of a publication's diagnostics, in order.
std::vector<std::string> Codes(const json& diagnostics) {
  std::vector<std::string> codes;
  for (const json& diagnostic : diagnostics) codes.push_back(diagnostic.value("code", std::string("-")));
  return codes;
}

TEST(Server, TheProjectsOptionsHoldAndAreAskedAgainWhenItsFileChanges) {
  ProjectOptions current;
  std::vector<std::string> asked;
  bool broken = false;
  OpenModule module(u"Option Explicit\nPublic Sub S()\nEnd Sub\nPrivate Sub P()\nEnd Sub\n", false,
                    {[&](const std::string& path) {
                       asked.push_back(path);
                       if (broken) throw std::runtime_error("/m/.tamvo.toml:2: unknown key \"scop\"");
                       return current;
                     },
                     {}});
  EXPECT_EQ(asked, std::vector<std::string>{"/m/mdlA.bas"});
  EXPECT_EQ(Codes(module.diagnostics), (std::vector<std::string>{"missing-doc", "missing-doc"}));
  const auto changed = [&](const char* uri) {
    module.Notify("workspace/didChangeWatchedFiles", {{"changes", {{{"uri", uri}, {"type", 2}}}}});
  };
  current.publicOnly = true;
  changed("file:///m/other.txt");  // not a configuration: nothing asked again
  EXPECT_EQ(Codes(module.diagnostics).size(), 2u);
  changed("file:///m/.tamvo.toml");
  EXPECT_EQ(Codes(module.diagnostics), std::vector<std::string>{"missing-doc"});
  current.disabled = {LintRule::MissingDoc};
  module.Change(u"Option Explicit\nPublic Sub S()\nEnd Sub\n", 2);  // a new text asks again
  EXPECT_TRUE(module.diagnostics.empty()) << module.diagnostics;
  broken = true;
  changed("file:///m/.tamvo.toml");
  ASSERT_EQ(Codes(module.diagnostics), (std::vector<std::string>{"-", "missing-doc"}));
  EXPECT_EQ(module.diagnostics[0].at("severity"), 1);
  EXPECT_EQ(module.diagnostics[0].at("message"), "/m/.tamvo.toml:2: unknown key \"scop\"");
}

TEST(Server, AClientThatWatchesFilesIsAskedToWatchTheConfiguration) {
  for (const bool watches : {false, true}) {
    test::FakeSettings settings;
    std::ostringstream log;
    std::vector<json> sent;
    Server server(
        settings, [&](const json& message) { sent.push_back(message); }, log,
        ProjectAccess{[](const std::string&) { return ProjectOptions(); }, {}});
    const json capabilities = {
        {"workspace", {{"didChangeWatchedFiles", {{"dynamicRegistration", watches}}}}}};
    server.Handle(json{
        {"jsonrpc", "2.0"}, {"id", 1}, {"method", "initialize"}, {"params", {{"capabilities", capabilities}}}}
                      .dump());
    server.Handle(R"({"jsonrpc":"2.0","method":"initialized","params":{}})");
    ASSERT_EQ(sent.size(), watches ? 2u : 1u);
    if (!watches) continue;
    EXPECT_EQ(sent[1].at("method"), "client/registerCapability");
    const json& registration = sent[1].at("params").at("registrations").at(0);
    EXPECT_EQ(registration.at("method"), "workspace/didChangeWatchedFiles");
    EXPECT_EQ(registration.at("registerOptions").at("watchers").at(0).at("globPattern"), "**/.tamvo.toml");
  }
}

TEST(Server, WithDescriptionsOnActionsWriteTheSummaryIntoTheAttribute) {
  const std::u16string stale =
      u"Attribute VB_Name = \"mdlA\"\n'/**\n' * Adds one.\n' * @return \n' * @param a\n' */\n"
      u"Function Inc(ByVal a As Long) As Long\nAttribute Inc.VB_Description = \"old\"\nEnd Function\n";
  const std::u16string written =
      u"Attribute VB_Name = \"mdlA\"\n'/**\n' * Adds one.\n' * @return \n' * @param a\n' */\n"
      u"Function Inc(ByVal a As Long) As Long\nAttribute Inc.VB_Description = \"Adds one.\"\nEnd Function\n";
  const std::u16string adopted =
      u"Attribute VB_Name = \"mdlA\"\n' Adds one.\nFunction Inc(ByVal a As Long) As Long\nEnd Function\n";
  const struct {
    const char* name;
    std::u16string text;
    bool descriptions;
    const char* uri;
    const char* kind;
    std::string_view title;  // empty: no action writes a description
  } cases[] = {
      {"a stale description, its fix", stale, true, OpenModule::kUri, "quickfix", kWriteDescriptions},
      {"a stale description, for the module", stale, true, OpenModule::kUri, "source", kWriteDescriptions},
      {"update writes it too", adopted, true, OpenModule::kUri, "refactor.rewrite", kUpdateDocComment},
      {"descriptions off", stale, false, OpenModule::kUri, "source", ""},
      {"a document's module keeps its own", stale, true, "file:///m/Sheet1.doccls", "source", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ProjectOptions options;
    options.descriptions = c.descriptions;
    OpenModule module(c.text, false, {[&](const std::string&) { return options; }, {}}, c.uri);
    const std::vector<std::string> codes = Codes(module.diagnostics);
    const bool staleShown = std::find(codes.begin(), codes.end(), "description-stale") != codes.end();
    EXPECT_EQ(staleShown, !c.title.empty() && c.text == stale) << module.diagnostics;
    // The cursor on the declaration.
    const auto line = static_cast<std::int64_t>(
        std::count(c.text.begin(), c.text.begin() + c.text.find(u"Function"), u'\n'));
    const json actions = module.Actions(line, module.diagnostics, c.kind);
    const auto writes = [&](const json& action) {
      return Applied(c.text, action, c.uri).find(u"VB_Description = \"Adds one.\"") != std::u16string::npos;
    };
    if (c.title.empty()) {
      EXPECT_TRUE(std::none_of(actions.begin(), actions.end(), writes)) << actions.dump();
      continue;
    }
    const auto action =
        std::find_if(actions.begin(), actions.end(), [&](const json& a) { return a.at("title") == c.title; });
    ASSERT_NE(action, actions.end()) << actions.dump();
    EXPECT_TRUE(writes(*action)) << ToUtf8(Applied(c.text, *action));
    if (c.text == stale) {
      EXPECT_EQ(ToUtf8(Applied(c.text, *action)), ToUtf8(written));
    }
  }
}

TEST(Server, PathsOfAddresses) {
  const std::pair<const char*, std::optional<std::string>> cases[] = {
      {"file:///m/a%20b.bas", "/m/a b.bas"}, {"file://localhost/m/a.bas", "/m/a.bas"},
      {"file:///C:/m/a.bas", "C:/m/a.bas"},  {"file:///c%3A/m/a.bas", "c:/m/a.bas"},
      {"FILE:///m/a.bas?x#y", "/m/a.bas"},   {"file://server/share/a.bas", std::nullopt},
      {"untitled:Untitled-1", std::nullopt},
  };
  for (const auto& [uri, path] : cases) EXPECT_EQ(PathOfUri(uri), path) << uri;
}

}  // namespace
}  // namespace tamvo::lsp
