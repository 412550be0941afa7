#pragma once
// The language server's dispatch: one message in, the messages it causes
// out. It knows nothing of streams, so tests and the fuzzer drive it
// directly.

#include <functional>
#include <iosfwd>
#include <map>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <string_view>

#include "commands/services.h"
#include "engine/event_table.h"
#include "lsp/document.h"

namespace tamvo::lsp {

// JSON-RPC and protocol error codes.
inline constexpr int kInvalidRequest = -32600;
inline constexpr int kMethodNotFound = -32601;
inline constexpr int kInvalidParams = -32602;
inline constexpr int kServerNotInitialized = -32002;

class Server {
 public:
  using Send = std::function<void(const nlohmann::json& message)>;

  // settings is read only: the server offers edits, it never stores.
  Server(Settings& settings, Send send, std::ostream& log);

  // One message body as it came in a frame.
  void Handle(std::string_view body);

  // Set once exit came; the process's exit code then.
  bool Exited() const { return exited_; }
  int ExitCode() const { return shutdown_ ? 0 : 1; }

 private:
  void Dispatch(const std::string& method, const nlohmann::json& params, const nlohmann::json* id);
  nlohmann::json Initialize(const nlohmann::json& params);
  void DidOpen(const nlohmann::json& params);
  void DidChange(const nlohmann::json& params);
  void DidSave(const nlohmann::json& params);
  void DidClose(const nlohmann::json& params);
  nlohmann::json CodeActions(const nlohmann::json& params);
  void PublishDiagnostics(const std::string& uri, const Document& document);
  nlohmann::json Diagnostics(const Document& document);

  void Respond(const nlohmann::json& id, nlohmann::json result);
  void RespondError(const nlohmann::json& id, int code, const std::string& message);

  Settings& settings_;
  Send send_;
  std::ostream& log_;
  EventTable events_;
  std::optional<std::u16string> author_;
  std::map<std::string, Document> documents_;
  // The diagnostics last published for a document's text as it is: a save
  // without a change sends them again without reading the module again.
  std::map<std::string, nlohmann::json> published_;
  bool initialized_ = false;
  bool shutdown_ = false;
  bool exited_ = false;
};

}  // namespace tamvo::lsp
