#pragma once
// A document open in the editor, read as an exported module: its hidden
// lines (VERSION, BEGIN ... END, Attribute) are not part of the module, and
// lines count as the editor shows them.

#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "commands/commands.h"
#include "commands/lint.h"
#include "host/exported_module.h"
#include "lsp/protocol.h"
#include "lsp/text_edits.h"

namespace tamvo::lsp {

// Whether the server serves a document of this language or address.
bool IsModuleDocument(std::string_view languageId, std::string_view uri);

// The file name in a document address, and its stem, percent escapes
// decoded.
std::u16string FileNameOfUri(std::string_view uri);
std::u16string StemOfUri(std::string_view uri);

// The path of a file: address ("file:///m/a.bas" is "/m/a.bas",
// "file:///C:/m/a.bas" is "C:/m/a.bas"), percent escapes decoded; nothing
// for an address of another scheme or of another machine.
std::optional<std::string> PathOfUri(std::string_view uri);

// The file: address of a path, its characters other than letters, digits,
// "-._~/" percent-escaped ("C:\m\a b.bas" is "file:///C%3A/m/a%20b.bas").
std::string UriOfPath(std::string_view path);

// What a project's configuration (.tamvo.toml) sets for a document.
struct ProjectOptions {
  bool publicOnly = false;
  std::set<LintRule> disabled;
  bool descriptions = false;
  std::optional<std::u16string> author;
};

// One version of a document: its text, and what is read from it, each read
// once, when first asked. A new text is a new Document.
class Document {
 public:
  Document(std::u16string name, std::u16string text, std::int64_t version)
      : name_(std::move(name)), text_(std::move(text)), version_(version) {}
  Document(const Document&) = delete;
  Document& operator=(const Document&) = delete;

  // The text as the editor holds it.
  const std::u16string& Text() const { return text_; }
  // The editor's version number of the text.
  std::int64_t Version() const { return version_; }
  // The text the module is read from: without a leading U+FEFF, a byte
  // order mark that some editors keep in the text. It is no character of
  // the first line, yet the editor counts it in that line's columns.
  std::u16string_view Content() const;
  // A position in Content() as the editor counts it in Text().
  Position InText(Position position) const;
  // Content() cut by LinesWithEnds.
  const std::vector<std::u16string_view>& Lines();

  // The module of Content(). The code actions run the commands on it and
  // take their edits back, so that it reads the same after each. Throws
  // Failure for text that is no module (a BEGIN block without its END, say).
  ExportedModule& Module();
  // The document's line (0-based) of each module line as read.
  const std::vector<std::int64_t>& DocumentLines();

  // The project's options for the document, and why they are the defaults
  // when its configuration can't be taken.
  ProjectOptions options;
  std::optional<std::string> configError;
  // Whether descriptions are on and the module takes them (it is no
  // document's module).
  bool Describes();

  // The server's diagnostics of the text, once made.
  std::optional<std::vector<Diagnostic>> diagnostics;
  // What the code actions' commands did to the text, each run once: by
  // command and the line of the procedure it worked on (0 for the
  // module's commands), its edits of Content(), or nothing when it failed.
  std::map<std::pair<Command, LineNumber>, std::optional<std::vector<TextEdit>>> runs;
  // What writing every summary into its description does, once made.
  std::optional<std::vector<TextEdit>> descriptionEdits;

 private:
  std::u16string name_;  // the file's name, percent escapes decoded
  std::u16string text_;
  std::int64_t version_ = 0;
  std::optional<std::vector<std::u16string_view>> lines_;
  std::optional<ExportedModule> module_;
  std::optional<std::u16string> failure_;  // why the text is no module
  std::optional<std::vector<std::int64_t>> documentLines_;
};

}  // namespace tamvo::lsp
