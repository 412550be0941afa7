#pragma once
// The language server's dispatch: one message in, the messages it causes
// out. It knows nothing of streams, so tests and the fuzzer drive it
// directly.

#include <functional>
#include <iosfwd>
#include <map>
#include <memory>
#include <nlohmann/json.hpp>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "commands/services.h"
#include "engine/event_table.h"
#include "lsp/code_actions.h"
#include "lsp/document.h"
#include "lsp/navigation.h"
#include "lsp/project_index.h"
#include "lsp/protocol.h"

namespace tamvo::lsp {

// JSON-RPC and protocol error codes.
inline constexpr int kInvalidRequest = -32600;
inline constexpr int kMethodNotFound = -32601;
inline constexpr int kInvalidParams = -32602;
inline constexpr int kServerNotInitialized = -32002;
inline constexpr int kRequestFailed = -32803;
inline constexpr int kContentModified = -32801;

// The name of a project's configuration file, which the server has the
// client watch.
inline constexpr std::string_view kProjectConfigName = ".tamvo.toml";

// The project's options for the file at a path. Asked again for every new
// text of a document and whenever a configuration file changed, so it
// should read a file again only when it changed. Throws std::exception,
// its what() naming the file, for a configuration that can't be taken.
using ProjectOptionsOf = std::function<ProjectOptions(const std::string& path)>;

// The text of the module file at a path, decoded as the command line reads
// it; nothing when it can't be read.
using ModuleTextOf = std::function<std::optional<std::u16string>(const std::string& path)>;

// What the server reads of the project beside the documents the editor
// sends: its configuration, and the module files the editor hasn't opened.
struct ProjectAccess {
  ProjectOptionsOf optionsOf;  // none: the defaults
  ModuleTextOf textOf;         // none: only open documents are known
};

class Server {
 public:
  using Send = std::function<void(const nlohmann::json& message)>;

  // settings is read only: the server offers edits, it never stores.
  Server(Settings& settings, Send send, std::ostream& log, ProjectAccess project = {});

  // One message body as it came in a frame.
  void Handle(std::string_view body);

  // Set once exit came; the process's exit code then.
  bool Exited() const { return exited_; }
  int ExitCode() const { return shutdown_ ? 0 : 1; }

 private:
  using RequestHandler = std::function<nlohmann::json(Server&, const nlohmann::json& params)>;
  using NotificationHandler = std::function<void(Server&, const nlohmann::json& params)>;
  // The methods the server serves, each with its handler, which reads the
  // params as its own type: params that are not throw InvalidValue.
  static const std::map<std::string, RequestHandler>& Requests();
  static const std::map<std::string, NotificationHandler>& Notifications();

  void Dispatch(const std::string& method, const nlohmann::json& params, const nlohmann::json* id);
  nlohmann::json Call(const std::string& method, const nlohmann::json& params);

  nlohmann::json Initialize(const InitializeParams& params);
  nlohmann::json Shutdown();
  std::vector<CodeAction> CodeActions(const CodeActionParams& params);
  CodeAction ResolveCodeAction(const CodeAction& action);
  void DidOpen(const DidOpenTextDocumentParams& params);
  void DidChange(const DidChangeTextDocumentParams& params);
  void DidSave(const DidSaveTextDocumentParams& params);
  void DidClose(const DidCloseTextDocumentParams& params);
  void Initialized(const nlohmann::json& params);
  void DidChangeWatchedFiles(const DidChangeWatchedFilesParams& params);
  nlohmann::json Hover(const TextDocumentPositionParams& params);
  nlohmann::json SignatureHelp(const TextDocumentPositionParams& params);
  nlohmann::json Completion(const TextDocumentPositionParams& params);
  nlohmann::json Definition(const TextDocumentPositionParams& params);
  nlohmann::json DocumentSymbols(const DocumentSymbolParams& params);
  nlohmann::json WorkspaceSymbols(const WorkspaceSymbolParams& params);

  // The module files under the workspace's folders, into the index, the
  // progress shown to a client that has its token.
  void IndexProject(bool showProgress);
  // The index with every open document's latest text in it.
  const ProjectIndex& Index();
  // What the procedures found say, their pages read where needed.
  std::vector<Described> Describe(const std::vector<Resolved>& found);
  // A module's text by its address: the editor's, else the file's.
  std::optional<std::u16string> TextOfUri(const std::string& uri);
  // The document the editor holds at that address, if any.
  Document* DocumentAt(const std::string& uri);
  // The line of a document as the editor counts its columns.
  std::u16string_view LineOf(Document& document, std::int64_t line);

  // The document of a text the editor sent; version: the editor's, or one
  // past the last.
  void Open(const std::string& uri, std::u16string text, std::optional<std::int64_t> version);
  // The document's options from its project's configuration.
  void Configure(const std::string& uri, Document& document);
  void PublishDiagnostics(const std::string& uri, Document& document);
  std::vector<Diagnostic> Diagnostics(Document& document);
  std::u16string Author(const Document& document);
  ActionServices Services(Document& document, const std::u16string& author);

  void Respond(const nlohmann::json& id, nlohmann::json result);
  void RespondError(const nlohmann::json& id, int code, const std::string& message);
  void Notify(const char* method, nlohmann::json params);

  Settings& settings_;
  Send send_;
  std::ostream& log_;
  ProjectAccess project_;
  ProjectIndex index_;
  // Open documents whose latest text the index doesn't hold yet.
  std::set<std::string> unindexed_;
  // The folders whose module files the index holds (paths).
  std::vector<std::string> folders_;
  bool markdown_ = false;           // the client shows Markdown in hovers
  bool snippets_ = false;           // the client takes snippets in completions
  bool showsProgress_ = false;      // the client shows the server's progress
  bool indexPending_ = false;       // initialized came, the index is not yet made
  bool signatureMarkdown_ = false;  // the client shows Markdown in signature help
  EventTable events_;
  std::optional<std::u16string> author_;
  // Each document as its latest text.
  std::map<std::string, std::unique_ptr<Document>> documents_;
  // Whether the client resolves the edits of code actions: then they go
  // out without, and codeAction/resolve makes the one picked.
  bool resolvesEdits_ = false;
  // Whether the client watches the files the server names: then it is
  // asked to tell of changed configuration files.
  bool watchesFiles_ = false;
  bool initialized_ = false;
  bool shutdown_ = false;
  bool exited_ = false;
};

}  // namespace tamvo::lsp
