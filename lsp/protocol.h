#pragma once
// The protocol's messages as the server reads and writes them, converted by
// nlohmann::json's own from_json and to_json. Only the members the server
// uses are read. A value that is not what the protocol says throws
// InvalidValue naming where it stands in the params
// ("range.start.line: expected an integer"); an optional member that is
// absent or null is nullopt.

#include <cstdint>
#include <map>
#include <nlohmann/json.hpp>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "lsp/text_edits.h"

namespace tamvo::lsp {

class InvalidValue : public std::runtime_error {
 public:
  // path runs from the params: "range.start.line", "context.diagnostics[0]";
  // empty for the params themselves.
  InvalidValue(std::string path, std::string problem);
  // The same error seen from the value that holds this one as member
  // (a name, or "[2]" for an array's element).
  InvalidValue Within(std::string_view member) const;

 private:
  std::string path_;
  std::string problem_;
};

// Position is text_edits.h's: 0-based, columns in UTF-16 code units.
void from_json(const nlohmann::json& in, Position& position);
void to_json(nlohmann::json& out, const Position& position);

struct Range {
  Position start;
  Position end;
};
void from_json(const nlohmann::json& in, Range& range);
void to_json(nlohmann::json& out, const Range& range);

// A TextEdit goes out as the protocol's {range, newText}.
void to_json(nlohmann::json& out, const TextEdit& edit);

struct TextDocumentIdentifier {
  std::string uri;
};
void from_json(const nlohmann::json& in, TextDocumentIdentifier& document);

struct TextDocumentItem {
  std::string uri;
  std::optional<std::string> languageId;
  std::optional<std::int64_t> version;
  std::string text;
};
void from_json(const nlohmann::json& in, TextDocumentItem& item);

struct DidOpenTextDocumentParams {
  TextDocumentItem textDocument;
};
void from_json(const nlohmann::json& in, DidOpenTextDocumentParams& params);

// A change of the text: with a range, that range's new text (0-based
// lines, UTF-16 columns); without, the whole text.
struct TextDocumentContentChangeEvent {
  std::optional<Range> range;
  std::string text;
};
void from_json(const nlohmann::json& in, TextDocumentContentChangeEvent& change);

struct VersionedTextDocumentIdentifier {
  std::string uri;
  std::optional<std::int64_t> version;
};
void from_json(const nlohmann::json& in, VersionedTextDocumentIdentifier& document);

struct DidChangeTextDocumentParams {
  VersionedTextDocumentIdentifier textDocument;
  std::vector<TextDocumentContentChangeEvent> contentChanges;
};
void from_json(const nlohmann::json& in, DidChangeTextDocumentParams& params);

struct DidSaveTextDocumentParams {
  TextDocumentIdentifier textDocument;
  std::optional<std::string> text;
};
void from_json(const nlohmann::json& in, DidSaveTextDocumentParams& params);

struct DidCloseTextDocumentParams {
  TextDocumentIdentifier textDocument;
};
void from_json(const nlohmann::json& in, DidCloseTextDocumentParams& params);

enum class DiagnosticSeverity { Error = 1, Warning = 2, Information = 3, Hint = 4 };

// The protocol allows a number too: a client may send other servers'
// diagnostics along with the server's own.
using DiagnosticCode = std::variant<std::int64_t, std::string>;

struct Diagnostic {
  Range range;
  std::optional<DiagnosticSeverity> severity;
  std::optional<DiagnosticCode> code;
  std::optional<std::string> source;
  std::string message;
  // The members the server doesn't read (tags, data, ...): a diagnostic a
  // client sent goes back in a quick fix as it came.
  nlohmann::json unread;
};
void from_json(const nlohmann::json& in, Diagnostic& diagnostic);
void to_json(nlohmann::json& out, const Diagnostic& diagnostic);

struct CodeActionContext {
  std::vector<Diagnostic> diagnostics;
  std::optional<std::vector<std::string>> only;  // kinds asked for; all when absent
};
void from_json(const nlohmann::json& in, CodeActionContext& context);

struct CodeActionParams {
  TextDocumentIdentifier textDocument;
  Range range;
  CodeActionContext context;
};
void from_json(const nlohmann::json& in, CodeActionParams& params);

struct InitializationOptions {
  std::optional<std::string> author;
};
void from_json(const nlohmann::json& in, InitializationOptions& options);

// Of what the client can do, only whether it resolves the edits of code
// actions (textDocument.codeAction.resolveSupport.properties holds "edit").
struct CodeActionResolveSupport {
  std::vector<std::string> properties;
};
void from_json(const nlohmann::json& in, CodeActionResolveSupport& support);

struct CodeActionClientCapabilities {
  std::optional<CodeActionResolveSupport> resolveSupport;
};
void from_json(const nlohmann::json& in, CodeActionClientCapabilities& capabilities);

// Whether the client shows Markdown in hovers (contentFormat holds
// "markdown").
struct HoverClientCapabilities {
  std::optional<std::vector<std::string>> contentFormat;
};
void from_json(const nlohmann::json& in, HoverClientCapabilities& capabilities);

// Whether the client takes snippets (completionItem.snippetSupport).
struct CompletionItemCapabilities {
  std::optional<bool> snippetSupport;
};
void from_json(const nlohmann::json& in, CompletionItemCapabilities& capabilities);

struct CompletionClientCapabilities {
  std::optional<CompletionItemCapabilities> completionItem;
};
void from_json(const nlohmann::json& in, CompletionClientCapabilities& capabilities);

// Whether the client shows Markdown in signature help
// (signatureInformation.documentationFormat holds "markdown").
struct SignatureInformationCapabilities {
  std::optional<std::vector<std::string>> documentationFormat;
};
void from_json(const nlohmann::json& in, SignatureInformationCapabilities& capabilities);

struct SignatureHelpClientCapabilities {
  std::optional<SignatureInformationCapabilities> signatureInformation;
};
void from_json(const nlohmann::json& in, SignatureHelpClientCapabilities& capabilities);

struct TextDocumentClientCapabilities {
  std::optional<CodeActionClientCapabilities> codeAction;
  std::optional<SignatureHelpClientCapabilities> signatureHelp;
  std::optional<HoverClientCapabilities> hover;
  std::optional<CompletionClientCapabilities> completion;
};
void from_json(const nlohmann::json& in, TextDocumentClientCapabilities& capabilities);

// Of the workspace's capabilities, only whether the client watches files
// the server asks it to (workspace.didChangeWatchedFiles.dynamicRegistration).
struct DidChangeWatchedFilesClientCapabilities {
  std::optional<bool> dynamicRegistration;
};
void from_json(const nlohmann::json& in, DidChangeWatchedFilesClientCapabilities& capabilities);

struct WorkspaceClientCapabilities {
  std::optional<DidChangeWatchedFilesClientCapabilities> didChangeWatchedFiles;
};
void from_json(const nlohmann::json& in, WorkspaceClientCapabilities& capabilities);

// Whether the client shows the server's progress (window.workDoneProgress).
struct WindowClientCapabilities {
  std::optional<bool> workDoneProgress;
};
void from_json(const nlohmann::json& in, WindowClientCapabilities& capabilities);

struct ClientCapabilities {
  std::optional<TextDocumentClientCapabilities> textDocument;
  std::optional<WorkspaceClientCapabilities> workspace;
  std::optional<WindowClientCapabilities> window;
};
void from_json(const nlohmann::json& in, ClientCapabilities& capabilities);

struct WorkspaceFolder {
  std::string uri;
};
void from_json(const nlohmann::json& in, WorkspaceFolder& folder);

struct InitializeParams {
  std::optional<InitializationOptions> initializationOptions;
  std::optional<ClientCapabilities> capabilities;
  std::optional<std::vector<WorkspaceFolder>> workspaceFolders;
  std::optional<std::string> rootUri;
};
void from_json(const nlohmann::json& in, InitializeParams& params);

struct WorkspaceEdit {
  std::map<std::string, std::vector<TextEdit>> changes;  // by document address
};
void to_json(nlohmann::json& out, const WorkspaceEdit& edit);

// What an action offered without its edit carries for codeAction/resolve to
// make it: the document and its version, the command as the command line
// names it ("update-proc"), and for a procedure's command the line of its
// declaration.
struct CodeActionData {
  std::string uri;
  std::int64_t version = 0;
  std::string command;
  std::optional<std::int64_t> line;
};
void from_json(const nlohmann::json& in, CodeActionData& data);
void to_json(nlohmann::json& out, const CodeActionData& data);

struct CodeAction {
  std::string title;
  std::optional<std::string> kind;
  std::optional<WorkspaceEdit> edit;                   // not yet made when data is there
  std::optional<std::vector<Diagnostic>> diagnostics;  // those a quick fix mends
  std::optional<bool> isPreferred;
  std::optional<CodeActionData> data;
};
// An action comes back in codeAction/resolve as the server sent it.
void from_json(const nlohmann::json& in, CodeAction& action);
void to_json(nlohmann::json& out, const CodeAction& action);

// A watched file that changed; the server reads only its address.
struct FileEvent {
  std::string uri;
};
void from_json(const nlohmann::json& in, FileEvent& event);

struct DidChangeWatchedFilesParams {
  std::vector<FileEvent> changes;
};
void from_json(const nlohmann::json& in, DidChangeWatchedFilesParams& params);

// A place in a document: hover, signature help, completion, definition.
struct TextDocumentPositionParams {
  TextDocumentIdentifier textDocument;
  Position position;
};
void from_json(const nlohmann::json& in, TextDocumentPositionParams& params);

struct DocumentSymbolParams {
  TextDocumentIdentifier textDocument;
};
void from_json(const nlohmann::json& in, DocumentSymbolParams& params);

struct WorkspaceSymbolParams {
  std::string query;
};
void from_json(const nlohmann::json& in, WorkspaceSymbolParams& params);

struct PublishDiagnosticsParams {
  std::string uri;
  std::vector<Diagnostic> diagnostics;
};
void to_json(nlohmann::json& out, const PublishDiagnosticsParams& params);

}  // namespace tamvo::lsp
