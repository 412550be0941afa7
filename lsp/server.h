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
#include <string>
#include <string_view>
#include <vector>

#include "commands/services.h"
#include "engine/event_table.h"
#include "lsp/code_actions.h"
#include "lsp/document.h"
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

class Server {
 public:
  using Send = std::function<void(const nlohmann::json& message)>;

  // settings is read only: the server offers edits, it never stores.
  // Without optionsOf every document has the default options.
  Server(Settings& settings, Send send, std::ostream& log, ProjectOptionsOf optionsOf = {});

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

  // The document of a text the editor sent; version: the editor's, or one
  // past the last.
  void Open(const std::string& uri, const std::string& text, std::optional<std::int64_t> version);
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
  ProjectOptionsOf optionsOf_;
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
