#include "lsp/navigation.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "engine/text.h"
#include "lsp/server.h"
#include "tests/commands/fakes.h"

namespace tamvo::lsp {
namespace {

using nlohmann::json;

TEST(Navigation, CallsAroundTheCursor) {
  const struct {
    const char16_t* statement;
    // Each call, innermost first: "qualifier.name argument [named]".
    std::vector<std::string> calls;
  } cases[] = {
      {u"x = Foo(a, b", {"Foo 1"}},
      {u"Foo a, ", {"Foo 1"}},
      {u"Foo", {}},
      {u"x = Foo(a, Bar(b", {"Bar 0", "Foo 1"}},
      {u"x = Foo(a, Bar(b), ", {"Foo 2"}},
      {u"Foo(a, \",\"\",\", ", {"Foo 2"}},
      {u"Foo \"a, b", {"Foo 0"}},
      {u"Call Foo(a", {"Foo 0"}},
      {u"x = mdlMath.Add(1, ", {"mdlMath.Add 1"}},
      {u"Foo b:=1, a:=", {"Foo 1 a"}},
      {u"x = Foo(b := 1", {"Foo 0 b"}},
      {u"' Foo(a, ", {}},
      {u"Dim a, b", {}},
      {u"x = 1: Foo a, ", {"Foo 1"}},
      {u"Set x = New Foo", {}},
  };
  for (const auto& c : cases) {
    std::vector<std::string> calls;
    for (const CallAt& call : CallsAt(c.statement)) {
      std::string text = call.callee.qualifier.empty() ? "" : ToUtf8(call.callee.qualifier) + ".";
      text += ToUtf8(call.callee.name) + " " + std::to_string(call.argument);
      if (!call.namedArgument.empty()) text += " " + ToUtf8(call.namedArgument);
      calls.push_back(text);
    }
    EXPECT_EQ(calls, c.calls) << ToUtf8(c.statement);
  }
}

TEST(Navigation, NameAtAColumn) {
  const std::u16string line = u"x = mdlMath.Add(1) + 2";
  const struct {
    std::int64_t column;
    const char* found;  // "qualifier.name", or "" for none
  } cases[] = {{12, "mdlMath.Add"}, {15, "mdlMath.Add"}, {5, "mdlMath"}, {16, ""}, {21, ""}, {0, "x"}};
  for (const auto& c : cases) {
    const auto name = NameAtColumn(line, c.column);
    const std::string found =
        name ? (name->qualifier.empty() ? "" : ToUtf8(name->qualifier) + ".") + ToUtf8(name->name) : "";
    EXPECT_EQ(found, c.found) << c.column;
  }
}

// A project of three modules on disk, one of them open in the editor.
class Workspace : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = std::filesystem::temp_directory_path() / ("tamvo-navigation-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder_ / "src");
    Write(
        "src/mdlMath.bas",
        "Attribute VB_Name = \"mdlMath\"\r\n'/**\r\n' * Adds two numbers.\r\n' * @return the sum\r\n"
        "' * @param a the first\r\n' * @param b the second\r\n' */\r\n"
        "Public Function Add(ByVal a As Long, ByVal b As Long) As Long\r\n    Add = a + b\r\nEnd Function\r\n"
        "' Doubles it, hand-written.\r\nPublic Function Twice(ByVal n As Long) As Long\r\nEnd Function\r\n"
        "Private Function Hidden()\r\nEnd Function\r\n");
    Write("src/clsBox.cls",
          "VERSION 1.0 CLASS\r\nBEGIN\r\n  MultiUse = -1\r\nEND\r\nAttribute VB_Name = \"clsBox\"\r\n"
          "Public Property Get Size() As Long\r\nAttribute Size.VB_Description = \"The size.\"\r\n"
          "End Property\r\nPublic Sub Add(ByVal item As Variant)\r\nEnd Sub\r\n");
    Write(".git/ignored.bas", "Public Function Add()\r\nEnd Function\r\n");
    server_ = std::make_unique<Server>(
        settings_, [this](const json& message) { sent_.push_back(message); }, log_,
        ProjectAccess{{}, [](const std::string& path) -> std::optional<std::u16string> {
                        std::ifstream in(path, std::ios::binary);
                        if (!in) return std::nullopt;
                        std::ostringstream bytes;
                        bytes << in.rdbuf();
                        return FromUtf8(bytes.str());
                      }});
    json capabilities = {{"textDocument",
                          {{"hover", {{"contentFormat", {"markdown"}}}},
                           {"completion", {{"completionItem", {{"snippetSupport", true}}}}}}}};
    if (ShowsProgress()) capabilities["window"] = {{"workDoneProgress", true}};
    Request("initialize", {{"capabilities", capabilities}, {"rootUri", UriOfPath(folder_.string())}});
    Notify("initialized", json::object());
    Notify("textDocument/didOpen", {{"textDocument",
                                     {{"uri", MainUri()},
                                      {"languageId", "vb"},
                                      {"version", 1},
                                      {"text",
                                       "Attribute VB_Name = \"mdlMain\"\r\nSub Main()\r\n"
                                       "    x = Add(1, 2)\r\n    mdlMath.Twice 3\r\n"
                                       "    box.Add 4\r\nEnd Sub\r\n\r\n"
                                       "Public Function Local(ByVal text As String) As String\r\n"
                                       "End Function\r\n"}}}});
  }
  void TearDown() override { std::filesystem::remove_all(folder_); }
  virtual bool ShowsProgress() const { return false; }

  void Write(const std::string& name, const std::string& text) {
    std::filesystem::create_directories((folder_ / name).parent_path());
    std::ofstream(folder_ / name, std::ios::binary) << text;
  }
  std::string MainUri() const { return UriOfPath((folder_ / "src" / "mdlMain.bas").string()); }
  std::string UriOf(const std::string& name) const { return UriOfPath((folder_ / name).string()); }

  json Request(const char* method, const json& params) {
    server_->Handle(json{{"jsonrpc", "2.0"}, {"id", 9}, {"method", method}, {"params", params}}.dump());
    return sent_.back().at("result");
  }
  void Notify(const char* method, const json& params) {
    server_->Handle(json{{"jsonrpc", "2.0"}, {"method", method}, {"params", params}}.dump());
  }
  json At(const char* method, std::int64_t line, std::int64_t character) {
    return Request(method, {{"textDocument", {{"uri", MainUri()}}},
                            {"position", {{"line", line}, {"character", character}}}});
  }

  std::filesystem::path folder_;
  test::FakeSettings settings_;
  std::ostringstream log_;
  std::vector<json> sent_;
  std::unique_ptr<Server> server_;
};

TEST_F(Workspace, HoverShowsTheBlockOfAProcedureOfAnotherModule) {
  const struct {
    std::int64_t line;
    std::int64_t character;
    std::vector<std::string> shows;  // each in the hover's text; none: no hover
  } cases[] = {
      {2,
       9,
       {"```vb\nPublic Function Add(ByVal a As Long, ByVal b As Long) As Long\n```", "Adds two numbers.",
        "- `a` — the first", "**Returns** the sum", "*mdlMath, line 8*"}},
      {3, 14, {"Doubles it, hand-written.", "mdlMath, line 12"}},   // an adopted comment
      {4, 9, {"Public Sub Add(ByVal item As Variant)", "clsBox"}},  // a member of an object
      {1, 1, {}},                                                   // "Sub" names no procedure
  };
  for (const auto& c : cases) {
    const json hover = At("textDocument/hover", c.line, c.character);
    if (c.shows.empty()) {
      EXPECT_TRUE(hover.is_null()) << hover;
      continue;
    }
    ASSERT_TRUE(hover.is_object()) << c.line;
    EXPECT_EQ(hover.at("contents").at("kind"), "markdown");
    const std::string text = hover.at("contents").at("value");
    for (const auto& shown : c.shows) EXPECT_NE(text.find(shown), std::string::npos) << shown << "\n" << text;
  }
  // A name of the module itself wins over a public one elsewhere.
  const json own = At("textDocument/definition", 7, 18);
  ASSERT_EQ(own.size(), 1u);
  EXPECT_EQ(own[0].at("uri"), MainUri());
}

TEST_F(Workspace, SignatureHelpMarksTheArgumentAndSaysWhatItIs) {
  Notify(
      "textDocument/didChange",
      {{"textDocument", {{"uri", MainUri()}, {"version", 2}}},
       {"contentChanges",
        {{{"range", {{"start", {{"line", 2}, {"character", 17}}}, {"end", {{"line", 2}, {"character", 17}}}}},
          {"text", " + Add(5, "}}}}});
  const json help = At("textDocument/signatureHelp", 2, 27);
  ASSERT_TRUE(help.is_object()) << help;
  EXPECT_EQ(help.at("activeParameter"), 1);
  const json& signature = help.at("signatures").at(0);
  EXPECT_EQ(signature.at("label"), "Public Function Add(ByVal a As Long, ByVal b As Long) As Long");
  EXPECT_EQ(signature.at("parameters").at(1).at("label"), json::array({43, 44}));
  EXPECT_EQ(signature.at("parameters").at(1).at("documentation"), "the second");
  EXPECT_EQ(signature.at("documentation"), "Adds two numbers.") << "a plain string: no Markdown asked for";
  EXPECT_TRUE(At("textDocument/signatureHelp", 1, 4).is_null());
}

TEST_F(Workspace, SymbolsAndDefinitionsAcrossTheProject) {
  const json symbols = Request("workspace/symbol", {{"query", "add"}});
  std::vector<std::string> found;
  for (const json& symbol : symbols) found.push_back(symbol.at("containerName").get<std::string>());
  std::sort(found.begin(), found.end());
  EXPECT_EQ(found, (std::vector<std::string>{"clsBox", "mdlMath"})) << "none from .git";
  const json definition = At("textDocument/definition", 3, 14);
  ASSERT_EQ(definition.size(), 1u);
  EXPECT_EQ(definition[0].at("uri"), UriOf("src/mdlMath.bas"));
  EXPECT_EQ(definition[0].at("range").at("start"), (json{{"line", 11}, {"character", 16}}));
  const json own = Request("textDocument/documentSymbol", {{"textDocument", {{"uri", MainUri()}}}});
  ASSERT_EQ(own.size(), 2u);
  EXPECT_EQ(own[1].at("name"), "Local");
  EXPECT_EQ(own[1].at("kind"), 12);
}

TEST_F(Workspace, CompletionWritesTheBlockAndTheMissingTags) {
  // "'/**" typed above Local.
  Notify(
      "textDocument/didChange",
      {{"textDocument", {{"uri", MainUri()}, {"version", 2}}},
       {"contentChanges",
        {{{"range", {{"start", {{"line", 6}, {"character", 0}}}, {"end", {{"line", 6}, {"character", 0}}}}},
          {"text", "'/**"}}}}});
  const json items = At("textDocument/completion", 6, 4);
  ASSERT_EQ(items.size(), 1u) << items;
  EXPECT_EQ(items[0].at("textEdit").at("newText"),
            "'/**\r\n' * ${1}\r\n' * @return ${2}\r\n' * @param text ${3}\r\n' */");
  // Then "@" inside a block that has its summary only.
  Notify(
      "textDocument/didChange",
      {{"textDocument", {{"uri", MainUri()}, {"version", 3}}},
       {"contentChanges",
        {{{"range", {{"start", {{"line", 6}, {"character", 0}}}, {"end", {{"line", 6}, {"character", 4}}}}},
          {"text", "'/**\r\n' * Local.\r\n' * @\r\n' */"}}}}});
  std::vector<std::string> labels;
  for (const json& item : At("textDocument/completion", 8, 5)) labels.push_back(item.at("label"));
  EXPECT_EQ(labels, (std::vector<std::string>{"@param text", "@return"}));
}

TEST_F(Workspace, AFileOpenUnderAnotherFormOfItsAddressIsOneModule) {
  // "file://localhost/..." names the file the index read as "file:///...".
  std::string uri = UriOf("src/mdlMath.bas");
  uri.insert(std::string("file://").size(), "localhost");
  Notify("textDocument/didOpen",
         {{"textDocument",
           {{"uri", uri},
            {"languageId", "vb"},
            {"version", 1},
            {"text", "Attribute VB_Name = \"mdlMath\"\r\nPublic Function Add()\r\nEnd Function\r\n"}}}});
  std::vector<std::string> found;
  for (const json& symbol : Request("workspace/symbol", {{"query", "add"}})) {
    found.push_back(symbol.at("location").at("uri"));
  }
  std::sort(found.begin(), found.end());
  EXPECT_EQ(found, (std::vector<std::string>{UriOf("src/clsBox.cls"), uri}));
}

// A client that shows progress gets the index once it has the progress's
// token; a request before that finds the index made there and then.
class WorkspaceShowingProgress : public Workspace {
 protected:
  bool ShowsProgress() const override { return true; }
};

TEST_F(WorkspaceShowingProgress, ARequestBeforeTheTokenFindsTheIndex) {
  const auto asked = std::find_if(sent_.begin(), sent_.end(), [](const json& message) {
    return message.value("method", "") == "window/workDoneProgress/create";
  });
  ASSERT_NE(asked, sent_.end());
  const json hover = At("textDocument/hover", 2, 9);
  ASSERT_TRUE(hover.is_object()) << hover;
  EXPECT_NE(hover.at("contents").at("value").get<std::string>().find("Adds two numbers."), std::string::npos);
  // The token's answer then shows no progress of an index already made.
  const std::size_t before = sent_.size();
  server_->Handle(R"({"jsonrpc":"2.0","id":"tamvo/index","result":null})");
  EXPECT_EQ(sent_.size(), before);
}

}  // namespace
}  // namespace tamvo::lsp
