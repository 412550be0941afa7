#include "lsp/server.h"

#include <algorithm>
#include <filesystem>
#include <ostream>
#include <stdexcept>

#include "commands/commands.h"
#include "commands/descriptions.h"
#include "commands/lint.h"
#include "engine/failure.h"
#include "engine/text.h"
#include "host/file_io.h"
#include "lsp/code_actions.h"
#include "lsp/completion.h"
#include "lsp/navigation.h"

namespace tamvo::lsp {

namespace {

using nlohmann::json;

// An error answer to a request.
class ResponseError : public std::runtime_error {
 public:
  ResponseError(int code, const std::string& message) : std::runtime_error(message), code(code) {}
  int code;
};

// The entries of the tables of methods: each reads the message's params as
// the type its member function takes.
template <class Result, class Params>
auto Request(Result (Server::*handler)(const Params&)) {
  return [handler](Server& server, const json& params) -> json {
    return (server.*handler)(params.get<Params>());
  };
}

// A notification whose params are not read (initialized).
auto Notification(void (Server::*handler)(const json&)) {
  return [handler](Server& server, const json& params) { (server.*handler)(params); };
}

// A request without params (shutdown): whatever came is not read.
template <class Result>
auto Request(Result (Server::*handler)()) {
  return [handler](Server& server, const json&) -> json { return (server.*handler)(); };
}

template <class Params>
auto Notification(void (Server::*handler)(const Params&)) {
  return [handler](Server& server, const json& params) { (server.*handler)(params.get<Params>()); };
}

// The token of the progress of the index, and the id of the request that
// creates it.
const char* const kIndexProgress = "tamvo/index";

// The module files' extensions, which the index reads and the client
// watches.
constexpr std::string_view kModuleExtensions[] = {".bas", ".cls", ".frm", ".doccls"};

// A range on one line of the document, given in module text columns.
Range RangeOnLine(const Document& document, std::int64_t line, std::int64_t from, std::int64_t to) {
  return {document.InText({line, from}), document.InText({line, to})};
}

}  // namespace

const std::map<std::string, Server::RequestHandler>& Server::Requests() {
  static const std::map<std::string, RequestHandler> requests = {
      {"initialize", Request(&Server::Initialize)},
      {"shutdown", Request(&Server::Shutdown)},
      {"textDocument/codeAction", Request(&Server::CodeActions)},
      {"codeAction/resolve", Request(&Server::ResolveCodeAction)},
      {"textDocument/hover", Request(&Server::Hover)},
      {"textDocument/signatureHelp", Request(&Server::SignatureHelp)},
      {"textDocument/completion", Request(&Server::Completion)},
      {"textDocument/definition", Request(&Server::Definition)},
      {"textDocument/documentSymbol", Request(&Server::DocumentSymbols)},
      {"workspace/symbol", Request(&Server::WorkspaceSymbols)},
  };
  return requests;
}

const std::map<std::string, Server::NotificationHandler>& Server::Notifications() {
  static const std::map<std::string, NotificationHandler> notifications = {
      {"textDocument/didOpen", Notification(&Server::DidOpen)},
      {"textDocument/didChange", Notification(&Server::DidChange)},
      {"textDocument/didSave", Notification(&Server::DidSave)},
      {"textDocument/didClose", Notification(&Server::DidClose)},
      {"initialized", Notification(&Server::Initialized)},
      {"workspace/didChangeWatchedFiles", Notification(&Server::DidChangeWatchedFiles)},
  };
  return notifications;
}

Server::Server(Settings& settings, Send send, std::ostream& log, ProjectAccess project)
    : settings_(settings), send_(std::move(send)), log_(log), project_(std::move(project)) {
  events_.InitEventTable();
}

void Server::Respond(const json& id, json result) {
  send_({{"jsonrpc", "2.0"}, {"id", id}, {"result", std::move(result)}});
}

void Server::RespondError(const json& id, int code, const std::string& message) {
  send_({{"jsonrpc", "2.0"}, {"id", id}, {"error", {{"code", code}, {"message", message}}}});
}

void Server::Notify(const char* method, json params) {
  send_({{"jsonrpc", "2.0"}, {"method", method}, {"params", std::move(params)}});
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
      // The answer to the request for a progress token: the index can be
      // made with its progress shown. Other answers ask for nothing.
      if (message.at("id") == kIndexProgress && indexPending_ && !shutdown_) IndexProject(showsProgress_);
      return;
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
  // Moved, not copied: a document's text comes in its params.
  const json params = message.contains("params") ? std::move(message.at("params")) : json::object();
  try {
    Dispatch(method, params, id);
  } catch (const ResponseError& e) {
    RespondError(*id, e.code, e.what());  // only requests get one
  } catch (const std::exception& e) {
    if (id) {
      RespondError(*id, kInvalidParams, std::string("invalid params: ") + e.what());
    } else {
      log_ << "tamvo lsp: " << method << ": " << e.what() << '\n';
    }
  }
}

void Server::Dispatch(const std::string& method, const json& params, const json* id) {
  // exit ends the server in any state, even sent as a request.
  if (method == "exit") {
    exited_ = true;
  } else if (id) {
    Respond(*id, Call(method, params));
  } else if (initialized_ && !shutdown_) {
    // Any other notification ($/cancelRequest, initialized, ...) asks for nothing.
    const auto handler = Notifications().find(method);
    if (handler != Notifications().end()) handler->second(*this, params);
  }
}

json Server::Call(const std::string& method, const json& params) {
  if (!initialized_ && method != "initialize") {
    throw ResponseError(kServerNotInitialized, "the server is not initialized");
  }
  if (shutdown_) throw ResponseError(kInvalidRequest, "the server is shut down");
  const auto handler = Requests().find(method);
  if (handler == Requests().end()) throw ResponseError(kMethodNotFound, "no such method: " + method);
  return handler->second(*this, params);
}

json Server::Initialize(const InitializeParams& params) {
  if (initialized_) throw ResponseError(kInvalidRequest, "the server is already initialized");
  if (params.initializationOptions && params.initializationOptions->author) {
    author_ = FromUtf8(*params.initializationOptions->author);
  }
  if (params.capabilities && params.capabilities->textDocument &&
      params.capabilities->textDocument->codeAction &&
      params.capabilities->textDocument->codeAction->resolveSupport) {
    const std::vector<std::string>& properties =
        params.capabilities->textDocument->codeAction->resolveSupport->properties;
    resolvesEdits_ = std::find(properties.begin(), properties.end(), "edit") != properties.end();
  }
  if (params.capabilities && params.capabilities->workspace &&
      params.capabilities->workspace->didChangeWatchedFiles) {
    watchesFiles_ =
        params.capabilities->workspace->didChangeWatchedFiles->dynamicRegistration.value_or(false);
  }
  if (params.capabilities && params.capabilities->textDocument) {
    const TextDocumentClientCapabilities& text = *params.capabilities->textDocument;
    if (text.hover && text.hover->contentFormat) {
      const auto& formats = *text.hover->contentFormat;
      markdown_ = std::find(formats.begin(), formats.end(), "markdown") != formats.end();
    }
    if (text.signatureHelp && text.signatureHelp->signatureInformation &&
        text.signatureHelp->signatureInformation->documentationFormat) {
      const auto& formats = *text.signatureHelp->signatureInformation->documentationFormat;
      signatureMarkdown_ = std::find(formats.begin(), formats.end(), "markdown") != formats.end();
    }
    snippets_ = text.completion && text.completion->completionItem &&
                text.completion->completionItem->snippetSupport.value_or(false);
  }
  showsProgress_ = params.capabilities && params.capabilities->window &&
                   params.capabilities->window->workDoneProgress.value_or(false);
  // The folders whose modules the index reads: the workspace's, else the root.
  if (params.workspaceFolders) {
    for (const WorkspaceFolder& folder : *params.workspaceFolders) {
      if (auto path = PathOfUri(folder.uri)) folders_.push_back(std::move(*path));
    }
  } else if (params.rootUri) {
    if (auto path = PathOfUri(*params.rootUri)) folders_.push_back(std::move(*path));
  }
  initialized_ = true;
  json codeActions = {{"codeActionKinds", {"quickfix", "refactor.rewrite", "source"}}};
  if (resolvesEdits_) codeActions["resolveProvider"] = true;
  return {
      {"capabilities",
       {{"textDocumentSync", {{"openClose", true}, {"change", 2}, {"save", {{"includeText", true}}}}},
        {"codeActionProvider", std::move(codeActions)},
        {"hoverProvider", true},
        {"signatureHelpProvider", {{"triggerCharacters", {"(", ",", " "}}, {"retriggerCharacters", {","}}}},
        {"completionProvider", {{"triggerCharacters", {"*", "@"}}}},
        {"definitionProvider", true},
        {"documentSymbolProvider", true},
        {"workspaceSymbolProvider", true}}},
      {"serverInfo", {{"name", "tamvo"}, {"version", "1.0.0"}}},
  };
}

json Server::Shutdown() {
  shutdown_ = true;
  return nullptr;
}

void Server::Open(const std::string& uri, std::u16string text, std::optional<std::int64_t> version) {
  auto& document = documents_[uri];
  if (!version) version = document ? document->Version() + 1 : 0;
  if (!document) {
    // The editor's text wins over the file's, whatever its address says.
    if (const std::optional<std::string> path = PathOfUri(uri)) index_.RemovePath(*path);
  }
  document = std::make_unique<Document>(FileNameOfUri(uri), std::move(text), *version);
  unindexed_.insert(uri);
  Configure(uri, *document);
  PublishDiagnostics(uri, *document);
}

void Server::Configure(const std::string& uri, Document& document) {
  document.options = {};
  document.configError.reset();
  const std::optional<std::string> path = PathOfUri(uri);
  if (!project_.optionsOf || !path) return;
  try {
    document.options = project_.optionsOf(*path);
  } catch (const std::exception& e) {
    document.configError = e.what();
  }
}

// Without watching, a changed configuration is read with the next text of
// each document; watched, every open document is checked again at once.
void Server::Initialized(const json&) {
  // With progress shown, the index is made once the client has its token.
  indexPending_ = true;
  if (showsProgress_ && project_.textOf && !folders_.empty()) {
    send_({{"jsonrpc", "2.0"},
           {"id", kIndexProgress},
           {"method", "window/workDoneProgress/create"},
           {"params", {{"token", kIndexProgress}}}});
  } else {
    IndexProject(false);
  }
  if (!watchesFiles_ || (!project_.optionsOf && !project_.textOf)) return;
  json watchers = json::array({{{"globPattern", "**/" + std::string(kProjectConfigName)}}});
  if (project_.textOf) watchers.push_back({{"globPattern", "**/*.{bas,cls,frm,doccls}"}});
  send_({{"jsonrpc", "2.0"},
         {"id", "tamvo/watch"},
         {"method", "client/registerCapability"},
         {"params",
          {{"registrations",
            {{{"id", "tamvo/watch"},
              {"method", "workspace/didChangeWatchedFiles"},
              {"registerOptions", {{"watchers", std::move(watchers)}}}}}}}}});
}

void Server::IndexProject(bool showProgress) {
  indexPending_ = false;
  if (!project_.textOf) return;
  std::vector<std::filesystem::path> files;
  for (const std::string& folder : folders_) {
    std::error_code error;
    auto walk = std::filesystem::recursive_directory_iterator(
        PathOfUtf8(folder), std::filesystem::directory_options::skip_permission_denied, error);
    for (auto entry = walk; !error && entry != std::filesystem::recursive_directory_iterator();
         entry.increment(error)) {
      const std::filesystem::path& path = entry->path();
      // Folders of tools (.git, node_modules) hold no modules of the project.
      if (entry->is_directory(error) &&
          (path.filename().string().starts_with('.') || path.filename() == "node_modules")) {
        entry.disable_recursion_pending();
        continue;
      }
      const std::string extension = ToUtf8(ToLowerAscii(FromUtf8(path.extension().string())));
      if (std::find(std::begin(kModuleExtensions), std::end(kModuleExtensions), extension) !=
              std::end(kModuleExtensions) &&
          entry->is_regular_file(error)) {
        files.push_back(path);
      }
    }
  }
  const auto progress = [&](json value) {
    if (showProgress) Notify("$/progress", {{"token", kIndexProgress}, {"value", std::move(value)}});
  };
  progress({{"kind", "begin"}, {"title", "Indexing modules"}, {"percentage", 0}});
  std::size_t done = 0;
  for (const auto& path : files) {
    const std::string uri = UriOfPath(path.string());
    if (!documents_.contains(uri)) {
      if (auto text = project_.textOf(path.string())) {
        index_.Set(IndexModule(uri, StemOfUri(uri), *text));
      }
    }
    ++done;
    if (done % 50 == 0 && done < files.size()) {
      progress({{"kind", "report"},
                {"message", std::to_string(done) + "/" + std::to_string(files.size()) + " modules"},
                {"percentage", done * 100 / files.size()}});
    }
  }
  progress({{"kind", "end"}, {"message", std::to_string(files.size()) + " modules"}});
}

const ProjectIndex& Server::Index() {
  // Asked before the client has the progress's token: made now, unseen.
  if (indexPending_) IndexProject(false);
  for (const std::string& uri : unindexed_) {
    const auto document = documents_.find(uri);
    if (document != documents_.end()) {
      index_.Set(IndexModule(uri, StemOfUri(uri), document->second->Content()));
    }
  }
  unindexed_.clear();
  return index_;
}

std::optional<std::u16string> Server::TextOfUri(const std::string& uri) {
  if (Document* document = DocumentAt(uri)) return std::u16string(document->Content());
  const std::optional<std::string> path = PathOfUri(uri);
  return path && project_.textOf ? project_.textOf(*path) : std::nullopt;
}

std::vector<Described> Server::Describe(const std::vector<Resolved>& found) {
  const ModuleTextOfUri textOf = [this](const std::string& uri) { return TextOfUri(uri); };
  std::vector<Described> described;
  for (const Resolved& each : found) {
    if (auto page = index_.PageProcOf(each, textOf, events_)) {
      described.push_back({each.module, each.proc, std::move(*page)});
    }
  }
  return described;
}

Document* Server::DocumentAt(const std::string& uri) {
  const auto document = documents_.find(uri);
  return document == documents_.end() ? nullptr : document->second.get();
}

std::u16string_view Server::LineOf(Document& document, std::int64_t line) {
  const auto& lines = document.Lines();
  if (line < 0 || line >= static_cast<std::int64_t>(lines.size())) return {};
  std::u16string_view text = lines[static_cast<std::size_t>(line)];
  while (!text.empty() && (text.back() == u'\n' || text.back() == u'\r')) text.remove_suffix(1);
  return text;
}

void Server::DidChangeWatchedFiles(const DidChangeWatchedFilesParams& params) {
  // Module files the editor hasn't open: read again, or gone.
  for (const FileEvent& event : params.changes) {
    const std::string extension = ToUtf8(
        ToLowerAscii(FromUtf8(std::filesystem::path(ToUtf8(FileNameOfUri(event.uri))).extension().string())));
    if (!project_.textOf || documents_.contains(event.uri) ||
        std::find(std::begin(kModuleExtensions), std::end(kModuleExtensions), extension) ==
            std::end(kModuleExtensions)) {
      continue;
    }
    const std::optional<std::string> path = PathOfUri(event.uri);
    const std::optional<std::u16string> text = path ? project_.textOf(*path) : std::nullopt;
    if (text) {
      index_.Set(IndexModule(event.uri, StemOfUri(event.uri), *text));
    } else {
      index_.Remove(event.uri);
    }
  }
  const bool configChanged = std::any_of(
      params.changes.begin(), params.changes.end(),
      [](const FileEvent& event) { return FileNameOfUri(event.uri) == FromUtf8(kProjectConfigName); });
  if (!configChanged) return;
  for (auto& [uri, document] : documents_) {
    Configure(uri, *document);
    document->diagnostics.reset();
    document->runs.clear();
    document->descriptionEdits.reset();
    PublishDiagnostics(uri, *document);
  }
}

void Server::DidOpen(const DidOpenTextDocumentParams& params) {
  const TextDocumentItem& item = params.textDocument;
  if (IsModuleDocument(item.languageId.value_or(""), item.uri))
    Open(item.uri, FromUtf8(item.text), item.version);
}

void Server::DidChange(const DidChangeTextDocumentParams& params) {
  const std::string& uri = params.textDocument.uri;
  const auto document = documents_.find(uri);
  if (document == documents_.end() || params.contentChanges.empty()) return;
  // Each change in turn: a range's new text, or the whole text.
  std::u16string text = document->second->Text();
  for (const TextDocumentContentChangeEvent& change : params.contentChanges) {
    if (change.range) {
      text = ApplyEdits(text, {TextEdit{change.range->start, change.range->end, FromUtf8(change.text)}});
    } else {
      text = FromUtf8(change.text);
    }
  }
  Open(uri, std::move(text), params.textDocument.version);
}

void Server::DidSave(const DidSaveTextDocumentParams& params) {
  const std::string& uri = params.textDocument.uri;
  const auto document = documents_.find(uri);
  if (document == documents_.end()) return;
  if (params.text && FromUtf8(*params.text) != document->second->Text()) {
    Open(uri, FromUtf8(*params.text), std::nullopt);
  } else {
    PublishDiagnostics(uri, *document->second);
  }
}

void Server::DidClose(const DidCloseTextDocumentParams& params) {
  const std::string& uri = params.textDocument.uri;
  if (documents_.erase(uri) == 0) return;
  unindexed_.erase(uri);
  Notify("textDocument/publishDiagnostics", PublishDiagnosticsParams{uri, {}});
  // The file as it is on disk stands for the module again, if it is there.
  index_.Remove(uri);
  const std::optional<std::string> path = PathOfUri(uri);
  const std::optional<std::u16string> text = path && project_.textOf ? project_.textOf(*path) : std::nullopt;
  if (text) index_.Set(IndexModule(UriOfPath(*path), StemOfUri(uri), *text));
}

json Server::Hover(const TextDocumentPositionParams& params) {
  Document* document = DocumentAt(params.textDocument.uri);
  if (!document) return nullptr;
  const std::optional<NameAt> name =
      NameAtColumn(LineOf(*document, params.position.line), params.position.character);
  if (!name) return nullptr;
  const std::vector<Described> found =
      Describe(Index().Resolve(params.textDocument.uri, name->qualifier, name->name));
  if (found.empty()) return nullptr;
  return HoverOf(found, markdown_, {{params.position.line, name->start}, {params.position.line, name->end}});
}

json Server::Definition(const TextDocumentPositionParams& params) {
  Document* document = DocumentAt(params.textDocument.uri);
  if (!document) return nullptr;
  const std::optional<NameAt> name =
      NameAtColumn(LineOf(*document, params.position.line), params.position.character);
  if (!name) return nullptr;
  return LocationsOf(Index().Resolve(params.textDocument.uri, name->qualifier, name->name));
}

json Server::SignatureHelp(const TextDocumentPositionParams& params) {
  Document* document = DocumentAt(params.textDocument.uri);
  if (!document) return nullptr;
  // The statement up to the cursor, lines continued with " _" joined.
  std::int64_t line = params.position.line;
  std::u16string statement(
      LineOf(*document, line)
          .substr(0, static_cast<std::size_t>(std::max<std::int64_t>(params.position.character, 0))));
  for (; line > 0; --line) {
    const std::u16string_view above = LineOf(*document, line - 1);
    if (!above.ends_with(u" _")) break;
    statement.insert(0, std::u16string(above.substr(0, above.size() - 1)));
  }
  for (const CallAt& call : CallsAt(statement)) {
    const std::vector<Described> found =
        Describe(Index().Resolve(params.textDocument.uri, call.callee.qualifier, call.callee.name));
    if (!found.empty()) return SignatureHelpOf(found, call, signatureMarkdown_);
  }
  return nullptr;
}

json Server::Completion(const TextDocumentPositionParams& params) {
  Document* document = DocumentAt(params.textDocument.uri);
  if (!document) return json::array();
  const IndexedModule* module = Index().Find(params.textDocument.uri);
  if (!module) return json::array();
  return CompletionsAt(*document, *module, params.position, events_, snippets_);
}

json Server::DocumentSymbols(const DocumentSymbolParams& params) {
  if (!DocumentAt(params.textDocument.uri)) return nullptr;
  const IndexedModule* module = Index().Find(params.textDocument.uri);
  if (!module) return json::array();
  const ModuleTextOfUri textOf = [this](const std::string& uri) { return TextOfUri(uri); };
  return DocumentSymbolsOf(*module, index_.PageOf(*module, textOf, events_));
}

json Server::WorkspaceSymbols(const WorkspaceSymbolParams& params) {
  return WorkspaceSymbolsOf(Index().Search(FromUtf8(params.query), 1000));
}

// A save without a change sends the diagnostics again without reading the
// module again.
void Server::PublishDiagnostics(const std::string& uri, Document& document) {
  if (!document.diagnostics) document.diagnostics = Diagnostics(document);
  Notify("textDocument/publishDiagnostics", PublishDiagnosticsParams{uri, *document.diagnostics});
}

std::vector<Diagnostic> Server::Diagnostics(Document& document) {
  std::vector<Diagnostic> diagnostics;
  try {
    auto& module = *document.Module().Module();
    const std::vector<std::int64_t>& documentLines = document.DocumentLines();
    LintOptions options;
    options.publicOnly = document.options.publicOnly;
    options.disabled = document.options.disabled;
    if (document.Describes()) options.descriptions = &document.Module();
    for (const LintFinding& finding : LintModule(module, options)) {
      if (finding.line < 1 || finding.line > module.CountOfLines()) continue;
      const auto length = static_cast<std::int64_t>(module.LineText(finding.line).size());
      const std::int64_t column = std::clamp<std::int64_t>(finding.column - 1, 0, length);
      Diagnostic& diagnostic = diagnostics.emplace_back();
      diagnostic.range = RangeOnLine(document, documentLines[finding.line], column, length);
      diagnostic.severity =
          LintRuleInforms(finding.rule) ? DiagnosticSeverity::Information : DiagnosticSeverity::Warning;
      diagnostic.code = std::string(LintRuleName(finding.rule));
      diagnostic.source = std::string(kDiagnosticSource);
      diagnostic.message = ToUtf8(finding.message);
    }
  } catch (const Failure& failure) {
    // Text that is no module yet (a BEGIN block still without its END):
    // the reason shows where the editor shows problems.
    Diagnostic& diagnostic = diagnostics.emplace_back();
    diagnostic.range = RangeOnLine(document, 0, 0, 0);
    diagnostic.severity = DiagnosticSeverity::Error;
    diagnostic.source = std::string(kDiagnosticSource);
    diagnostic.message = ToUtf8(failure.Description());
  }
  // A configuration that can't be taken is told where problems show, not
  // silently ignored; the document is checked with the defaults meanwhile.
  if (document.configError) {
    Diagnostic& diagnostic = *diagnostics.emplace(diagnostics.begin());
    diagnostic.range = RangeOnLine(document, 0, 0, 0);
    diagnostic.severity = DiagnosticSeverity::Error;
    diagnostic.source = std::string(kDiagnosticSource);
    diagnostic.message = *document.configError;
  }
  return diagnostics;
}

// The editor's setting first, then the project's, then the one remembered.
std::u16string Server::Author(const Document& document) {
  if (author_) return *author_;
  if (document.options.author) return *document.options.author;
  return settings_.GetSetting(kAuthorApplication, kAuthorSection, kAuthorKey, u"");
}

ActionServices Server::Services(Document& document, const std::u16string& author) {
  bool describes = false;
  try {
    describes = document.Describes();
  } catch (const Failure&) {
    // No module: no actions either.
  }
  return ActionServices{events_, settings_, author, log_, describes};
}

std::vector<CodeAction> Server::CodeActions(const CodeActionParams& params) {
  const auto document = documents_.find(params.textDocument.uri);
  if (document == documents_.end()) return {};
  const std::u16string author = Author(*document->second);
  ActionServices services = Services(*document->second, author);
  try {
    return lsp::CodeActions(*document->second, params, services, resolvesEdits_);
  } catch (const Failure& failure) {
    log_ << "tamvo lsp: no code actions: " << ToUtf8(failure.Description()) << '\n';
    return {};
  }
}

// An action offered for a text the editor no longer has is answered with
// ContentModified: clients take it as the sign to drop the action (Visual
// Studio Code says nothing, Neovim shows the message), where an action
// without an edit would leave the user wondering why nothing happened.
CodeAction Server::ResolveCodeAction(const CodeAction& action) {
  if (!action.data) throw InvalidValue("data", "missing");
  const auto document = documents_.find(action.data->uri);
  if (document == documents_.end() || document->second->Version() != action.data->version) {
    throw ResponseError(kContentModified, "the document changed since the action was offered");
  }
  const std::u16string author = Author(*document->second);
  ActionServices services = Services(*document->second, author);
  try {
    return lsp::ResolveCodeAction(*document->second, action, services);
  } catch (const Failure& failure) {
    throw ResponseError(kRequestFailed, ToUtf8(failure.Description()));
  }
}

}  // namespace tamvo::lsp
