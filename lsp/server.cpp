#include "lsp/server.h"

#include <algorithm>
#include <ostream>

#include "commands/commands.h"
#include "commands/lint.h"
#include "engine/failure.h"
#include "engine/text.h"
#include "lsp/code_actions.h"

namespace tamvo::lsp {

namespace {

using nlohmann::json;

constexpr int kSeverityWarning = 2;
constexpr int kSeverityInformation = 3;
constexpr int kSeverityError = 1;

// The rules that say what is not written yet, rather than what is wrong.
bool Informs(const std::string& rule) { return rule == "missing-doc" || rule == "summary-empty"; }

// A params member the protocol requires.
const json& Member(const json& object, const char* name) {
  if (!object.is_object() || !object.contains(name)) {
    throw std::invalid_argument(std::string("missing \"") + name + "\"");
  }
  return object.at(name);
}

std::string UriOf(const json& params) {
  return Member(Member(params, "textDocument"), "uri").get<std::string>();
}

json Range(std::int64_t line, std::int64_t from, std::int64_t to) {
  return {{"start", {{"line", line}, {"character", from}}}, {"end", {{"line", line}, {"character", to}}}};
}

}  // namespace

Server::Server(Settings& settings, Send send, std::ostream& log)
    : settings_(settings), send_(std::move(send)), log_(log) {
  events_.InitEventTable();
}

void Server::Respond(const json& id, json result) {
  send_({{"jsonrpc", "2.0"}, {"id", id}, {"result", std::move(result)}});
}

void Server::RespondError(const json& id, int code, const std::string& message) {
  send_({{"jsonrpc", "2.0"}, {"id", id}, {"error", {{"code", code}, {"message", message}}}});
}

void Server::Handle(std::string_view body) {
  json message;
  try {
    message = json::parse(body);
  } catch (const json::exception& e) {
    // Without a readable id there is no one to answer.
    log_ << "tamvo lsp: skipped a message that is not JSON: " << e.what() << '\n';
    return;
  }
  const json* id = nullptr;
  if (message.is_object() && message.contains("id")) {
    id = &message.at("id");
    if (!id->is_string() && !id->is_number_integer()) id = nullptr;
  }
  if (!message.is_object() || !message.contains("method") || !message.at("method").is_string() ||
      message.value("jsonrpc", json()) != "2.0") {
    if (message.is_object() && message.contains("id") && !message.contains("method") &&
        (message.contains("result") || message.contains("error"))) {
      return;  // A response to a request the server never sends.
    }
    if (id) {
      RespondError(*id, kInvalidRequest, "not a JSON-RPC 2.0 request");
    } else {
      log_ << "tamvo lsp: skipped a message that is not a JSON-RPC 2.0 request\n";
    }
    return;
  }
  if (message.contains("id") && !id) {
    log_ << "tamvo lsp: skipped a request whose id is neither a number nor a string\n";
    return;
  }
  const std::string method = message.at("method").get<std::string>();
  const json params = message.contains("params") ? message.at("params") : json::object();
  try {
    Dispatch(method, params, id);
  } catch (const std::exception& e) {
    if (id) {
      RespondError(*id, kInvalidParams, std::string("invalid params: ") + e.what());
    } else {
      log_ << "tamvo lsp: " << method << ": " << e.what() << '\n';
    }
  }
}

void Server::Dispatch(const std::string& method, const json& params, const json* id) {
  if (method == "exit") {
    exited_ = true;
    return;
  }
  if (!initialized_) {
    if (method == "initialize" && id) {
      Respond(*id, Initialize(params));
      initialized_ = true;
    } else if (id) {
      RespondError(*id, kServerNotInitialized, "the server is not initialized");
    }
    return;
  }
  if (shutdown_) {
    if (id) RespondError(*id, kInvalidRequest, "the server is shut down");
    return;
  }
  if (!id) {
    if (method == "textDocument/didOpen") {
      DidOpen(params);
    } else if (method == "textDocument/didChange") {
      DidChange(params);
    } else if (method == "textDocument/didSave") {
      DidSave(params);
    } else if (method == "textDocument/didClose") {
      DidClose(params);
    }
    // Any other notification ($/cancelRequest, initialized, ...) asks for nothing.
    return;
  }
  if (method == "shutdown") {
    shutdown_ = true;
    Respond(*id, nullptr);
  } else if (method == "textDocument/codeAction") {
    Respond(*id, CodeActions(params));
  } else if (method == "initialize") {
    RespondError(*id, kInvalidRequest, "the server is already initialized");
  } else {
    RespondError(*id, kMethodNotFound, "no such method: " + method);
  }
}

json Server::Initialize(const json& params) {
  if (params.is_object() && params.contains("initializationOptions")) {
    const json& options = params.at("initializationOptions");
    if (options.is_object() && options.contains("author") && options.at("author").is_string()) {
      author_ = FromUtf8(options.at("author").get<std::string>());
    }
  }
  return {
      {"capabilities",
       {{"textDocumentSync", {{"openClose", true}, {"change", 1}, {"save", {{"includeText", true}}}}},
        {"codeActionProvider", {{"codeActionKinds", {"quickfix", "refactor.rewrite", "source"}}}}}},
      {"serverInfo", {{"name", "tamvo"}, {"version", "1.0.0"}}},
  };
}

void Server::DidOpen(const json& params) {
  const json& item = Member(params, "textDocument");
  const std::string uri = Member(item, "uri").get<std::string>();
  const std::string language = item.value("languageId", "");
  if (!IsModuleDocument(language, uri)) return;
  auto [at, fresh] = documents_.insert_or_assign(
      uri, Document(StemOfUri(uri), FromUtf8(Member(item, "text").get<std::string>())));
  published_.erase(uri);
  PublishDiagnostics(uri, at->second);
}

void Server::DidChange(const json& params) {
  const std::string uri = UriOf(params);
  const auto document = documents_.find(uri);
  if (document == documents_.end()) return;
  // Full sync: the last change holds the whole text.
  const json& changes = Member(params, "contentChanges");
  if (!changes.is_array() || changes.empty()) return;
  document->second.SetText(FromUtf8(Member(changes.back(), "text").get<std::string>()));
  published_.erase(uri);
  PublishDiagnostics(uri, document->second);
}

void Server::DidSave(const json& params) {
  const std::string uri = UriOf(params);
  const auto document = documents_.find(uri);
  if (document == documents_.end()) return;
  if (params.contains("text")) {
    std::u16string text = FromUtf8(params.at("text").get<std::string>());
    if (text != document->second.Text()) {
      document->second.SetText(std::move(text));
      published_.erase(uri);
    }
  }
  PublishDiagnostics(uri, document->second);
}

void Server::DidClose(const json& params) {
  const std::string uri = UriOf(params);
  published_.erase(uri);
  if (documents_.erase(uri) == 0) return;
  send_({{"jsonrpc", "2.0"},
         {"method", "textDocument/publishDiagnostics"},
         {"params", {{"uri", uri}, {"diagnostics", json::array()}}}});
}

void Server::PublishDiagnostics(const std::string& uri, const Document& document) {
  json& diagnostics = published_[uri];
  if (diagnostics.is_null()) diagnostics = Diagnostics(document);
  send_({{"jsonrpc", "2.0"},
         {"method", "textDocument/publishDiagnostics"},
         {"params", {{"uri", uri}, {"diagnostics", diagnostics}}}});
}

json Server::Diagnostics(const Document& document) {
  json diagnostics = json::array();
  try {
    const ModuleFile file = document.Parse();
    const std::vector<std::int64_t> documentLines = Document::DocumentLinesOfModuleLines(file);
    auto& module = *file.Module();
    for (const LintFinding& finding : LintModule(module)) {
      const std::string rule(LintRuleName(finding.rule));
      if (finding.line < 1 || finding.line > module.CountOfLines()) continue;
      const auto length = static_cast<std::int64_t>(module.LineText(finding.line).size());
      const std::int64_t column = std::clamp<std::int64_t>(finding.column - 1, 0, length);
      diagnostics.push_back({{"range", Range(documentLines[finding.line], column, length)},
                             {"severity", Informs(rule) ? kSeverityInformation : kSeverityWarning},
                             {"code", rule},
                             {"source", "tamvo"},
                             {"message", ToUtf8(finding.message)}});
    }
  } catch (const Failure& failure) {
    // Text that is no module yet (a BEGIN block still without its END):
    // the reason shows where the editor shows problems.
    diagnostics.push_back({{"range", Range(0, 0, 0)},
                           {"severity", kSeverityError},
                           {"source", "tamvo"},
                           {"message", ToUtf8(failure.Description())}});
  }
  return diagnostics;
}

json Server::CodeActions(const json& params) {
  const auto document = documents_.find(UriOf(params));
  if (document == documents_.end()) return json::array();
  const std::u16string author =
      author_ ? *author_ : settings_.GetSetting(kAuthorApplication, kAuthorSection, kAuthorKey, u"");
  ActionServices services{events_, settings_, author, log_};
  try {
    return lsp::CodeActions(document->second, params, services);
  } catch (const Failure& failure) {
    log_ << "tamvo lsp: no code actions: " << ToUtf8(failure.Description()) << '\n';
    return json::array();
  }
}

}  // namespace tamvo::lsp
