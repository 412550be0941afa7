#include "lsp/protocol.h"

#include "engine/text.h"

namespace tamvo::lsp {

using nlohmann::json;

namespace {

// The readers of single values. Each checks the JSON type itself, as
// nlohmann::json would read true or 2.5 as an integer; a problem comes
// with an empty path, which the member reading it fills in.

void ReadValue(const json& value, std::int64_t& out) {
  if (!value.is_number_integer()) throw InvalidValue("", "expected an integer");
  out = value.get<std::int64_t>();
}

void ReadValue(const json& value, bool& out) {
  if (!value.is_boolean()) throw InvalidValue("", "expected true or false");
  out = value.get<bool>();
}

void ReadValue(const json& value, std::string& out) {
  if (!value.is_string()) throw InvalidValue("", "expected a string");
  out = value.get<std::string>();
}

void ReadValue(const json& value, DiagnosticSeverity& out) {
  std::int64_t number = 0;
  ReadValue(value, number);
  if (number < 1 || number > 4) throw InvalidValue("", "expected a severity from 1 to 4");
  out = static_cast<DiagnosticSeverity>(number);
}

void ReadValue(const json& value, DiagnosticCode& out) {
  if (value.is_number_integer()) {
    out = value.get<std::int64_t>();
  } else if (value.is_string()) {
    out = value.get<std::string>();
  } else {
    throw InvalidValue("", "expected an integer or a string");
  }
}

// A protocol type: its own from_json.
template <class T>
void ReadValue(const json& value, T& out) {
  value.get_to(out);
}

template <class T>
void ReadValue(const json& value, std::vector<T>& out) {
  if (!value.is_array()) throw InvalidValue("", "expected an array");
  out.resize(value.size());
  for (std::size_t i = 0; i < value.size(); ++i) {
    try {
      ReadValue(value[i], out[i]);
    } catch (const InvalidValue& e) {
      throw e.Within("[" + std::to_string(i) + "]");
    }
  }
}

// The object a protocol type is read from.
const json& Object(const json& value) {
  if (!value.is_object()) throw InvalidValue("", "expected an object");
  return value;
}

template <class T>
void Read(const json& object, const char* name, T& out) {
  const auto member = object.find(name);
  if (member == object.end()) throw InvalidValue(name, "missing");
  try {
    ReadValue(*member, out);
  } catch (const InvalidValue& e) {
    throw e.Within(name);
  }
}

template <class T>
void Read(const json& object, const char* name, std::optional<T>& out) {
  out.reset();
  const auto member = object.find(name);
  if (member == object.end() || member->is_null()) return;
  try {
    ReadValue(*member, out.emplace());
  } catch (const InvalidValue& e) {
    throw e.Within(name);
  }
}

}  // namespace

InvalidValue::InvalidValue(std::string path, std::string problem)
    : std::runtime_error((path.empty() ? "params" : path) + ": " + problem),
      path_(std::move(path)),
      problem_(std::move(problem)) {}

InvalidValue InvalidValue::Within(std::string_view member) const {
  std::string path(member);
  if (!path_.empty() && path_.front() != '[') path += '.';
  return InvalidValue(path + path_, problem_);
}

void from_json(const json& in, Position& position) {
  const json& object = Object(in);
  Read(object, "line", position.line);
  Read(object, "character", position.character);
}

// The writers set member by member: an initializer list of pairs takes
// twice as long, and a module's diagnostics are thousands of positions.
void to_json(json& out, const Position& position) {
  out["line"] = position.line;
  out["character"] = position.character;
}

void from_json(const json& in, Range& range) {
  const json& object = Object(in);
  Read(object, "start", range.start);
  Read(object, "end", range.end);
}

void to_json(json& out, const Range& range) {
  out["start"] = range.start;
  out["end"] = range.end;
}

void to_json(json& out, const TextEdit& edit) {
  out["range"] = Range{edit.start, edit.end};
  out["newText"] = ToUtf8(edit.newText);
}

void from_json(const json& in, TextDocumentIdentifier& document) { Read(Object(in), "uri", document.uri); }

void from_json(const json& in, TextDocumentItem& item) {
  const json& object = Object(in);
  Read(object, "uri", item.uri);
  Read(object, "languageId", item.languageId);
  Read(object, "version", item.version);
  Read(object, "text", item.text);
}

void from_json(const json& in, DidOpenTextDocumentParams& params) {
  Read(Object(in), "textDocument", params.textDocument);
}

void from_json(const json& in, TextDocumentContentChangeEvent& change) {
  const json& object = Object(in);
  Read(object, "range", change.range);
  Read(object, "text", change.text);
}

void from_json(const json& in, VersionedTextDocumentIdentifier& document) {
  const json& object = Object(in);
  Read(object, "uri", document.uri);
  Read(object, "version", document.version);
}

void from_json(const json& in, DidChangeTextDocumentParams& params) {
  const json& object = Object(in);
  Read(object, "textDocument", params.textDocument);
  Read(object, "contentChanges", params.contentChanges);
}

void from_json(const json& in, DidSaveTextDocumentParams& params) {
  const json& object = Object(in);
  Read(object, "textDocument", params.textDocument);
  Read(object, "text", params.text);
}

void from_json(const json& in, DidCloseTextDocumentParams& params) {
  Read(Object(in), "textDocument", params.textDocument);
}

void from_json(const json& in, Diagnostic& diagnostic) {
  const json& object = Object(in);
  Read(object, "range", diagnostic.range);
  Read(object, "severity", diagnostic.severity);
  Read(object, "code", diagnostic.code);
  Read(object, "source", diagnostic.source);
  Read(object, "message", diagnostic.message);
  diagnostic.unread = object;
  for (const char* read : {"range", "severity", "code", "source", "message"}) diagnostic.unread.erase(read);
}

void to_json(json& out, const Diagnostic& diagnostic) {
  out = diagnostic.unread.is_object() ? diagnostic.unread : json::object();
  out["range"] = diagnostic.range;
  if (diagnostic.severity) out["severity"] = static_cast<int>(*diagnostic.severity);
  if (diagnostic.code) std::visit([&](const auto& code) { out["code"] = code; }, *diagnostic.code);
  if (diagnostic.source) out["source"] = *diagnostic.source;
  out["message"] = diagnostic.message;
}

void from_json(const json& in, CodeActionContext& context) {
  const json& object = Object(in);
  Read(object, "diagnostics", context.diagnostics);
  Read(object, "only", context.only);
}

void from_json(const json& in, CodeActionParams& params) {
  const json& object = Object(in);
  Read(object, "textDocument", params.textDocument);
  Read(object, "range", params.range);
  Read(object, "context", params.context);
}

void from_json(const json& in, InitializationOptions& options) { Read(Object(in), "author", options.author); }

void from_json(const json& in, CodeActionResolveSupport& support) {
  Read(Object(in), "properties", support.properties);
}

void from_json(const json& in, CodeActionClientCapabilities& capabilities) {
  Read(Object(in), "resolveSupport", capabilities.resolveSupport);
}

void from_json(const json& in, HoverClientCapabilities& capabilities) {
  Read(Object(in), "contentFormat", capabilities.contentFormat);
}

void from_json(const json& in, CompletionItemCapabilities& capabilities) {
  Read(Object(in), "snippetSupport", capabilities.snippetSupport);
}

void from_json(const json& in, CompletionClientCapabilities& capabilities) {
  Read(Object(in), "completionItem", capabilities.completionItem);
}

void from_json(const json& in, SignatureInformationCapabilities& capabilities) {
  Read(Object(in), "documentationFormat", capabilities.documentationFormat);
}

void from_json(const json& in, SignatureHelpClientCapabilities& capabilities) {
  Read(Object(in), "signatureInformation", capabilities.signatureInformation);
}

void from_json(const json& in, TextDocumentClientCapabilities& capabilities) {
  const json& object = Object(in);
  Read(object, "signatureHelp", capabilities.signatureHelp);
  Read(object, "codeAction", capabilities.codeAction);
  Read(object, "hover", capabilities.hover);
  Read(object, "completion", capabilities.completion);
}

void from_json(const json& in, WindowClientCapabilities& capabilities) {
  Read(Object(in), "workDoneProgress", capabilities.workDoneProgress);
}

void from_json(const json& in, WorkspaceFolder& folder) { Read(Object(in), "uri", folder.uri); }

void from_json(const json& in, DidChangeWatchedFilesClientCapabilities& capabilities) {
  Read(Object(in), "dynamicRegistration", capabilities.dynamicRegistration);
}

void from_json(const json& in, WorkspaceClientCapabilities& capabilities) {
  Read(Object(in), "didChangeWatchedFiles", capabilities.didChangeWatchedFiles);
}

void from_json(const json& in, ClientCapabilities& capabilities) {
  const json& object = Object(in);
  Read(object, "textDocument", capabilities.textDocument);
  Read(object, "workspace", capabilities.workspace);
  Read(object, "window", capabilities.window);
}

void from_json(const json& in, InitializeParams& params) {
  const json& object = Object(in);
  Read(object, "initializationOptions", params.initializationOptions);
  Read(object, "capabilities", params.capabilities);
  Read(object, "workspaceFolders", params.workspaceFolders);
  Read(object, "rootUri", params.rootUri);
}

void to_json(json& out, const WorkspaceEdit& edit) { out = {{"changes", edit.changes}}; }

void from_json(const json& in, CodeActionData& data) {
  const json& object = Object(in);
  Read(object, "uri", data.uri);
  Read(object, "version", data.version);
  Read(object, "command", data.command);
  Read(object, "line", data.line);
}

void to_json(json& out, const CodeActionData& data) {
  out = {{"uri", data.uri}, {"version", data.version}, {"command", data.command}};
  if (data.line) out["line"] = *data.line;
}

void from_json(const json& in, CodeAction& action) {
  const json& object = Object(in);
  Read(object, "title", action.title);
  Read(object, "kind", action.kind);
  Read(object, "diagnostics", action.diagnostics);
  Read(object, "isPreferred", action.isPreferred);
  Read(object, "data", action.data);
}

void to_json(json& out, const CodeAction& action) {
  out = {{"title", action.title}};
  if (action.kind) out["kind"] = *action.kind;
  if (action.edit) out["edit"] = *action.edit;
  if (action.diagnostics) out["diagnostics"] = *action.diagnostics;
  if (action.isPreferred) out["isPreferred"] = *action.isPreferred;
  if (action.data) out["data"] = *action.data;
}

void from_json(const json& in, TextDocumentPositionParams& params) {
  const json& object = Object(in);
  Read(object, "textDocument", params.textDocument);
  Read(object, "position", params.position);
}

void from_json(const json& in, DocumentSymbolParams& params) {
  Read(Object(in), "textDocument", params.textDocument);
}

void from_json(const json& in, WorkspaceSymbolParams& params) { Read(Object(in), "query", params.query); }

void from_json(const json& in, FileEvent& event) { Read(Object(in), "uri", event.uri); }

void from_json(const json& in, DidChangeWatchedFilesParams& params) {
  Read(Object(in), "changes", params.changes);
}

void to_json(json& out, const PublishDiagnosticsParams& params) {
  out["uri"] = params.uri;
  out["diagnostics"] = params.diagnostics;
}

}  // namespace tamvo::lsp
