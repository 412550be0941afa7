#pragma once
// A document open in the editor, read as an exported module file: its
// hidden lines (VERSION, BEGIN ... END, Attribute) are not part of the
// module, and lines count as the editor shows them.

#include <string>
#include <string_view>
#include <vector>

#include "host/posix/module_file.h"

namespace tamvo::lsp {

// Whether the server serves a document of this language or address.
bool IsModuleDocument(std::string_view languageId, std::string_view uri);

// The file name's stem in a document address, percent escapes decoded.
std::u16string StemOfUri(std::string_view uri);

class Document {
 public:
  Document(std::u16string stem, std::u16string text) : stem_(std::move(stem)), text_(std::move(text)) {}

  const std::u16string& Text() const { return text_; }
  void SetText(std::u16string text) { text_ = std::move(text); }

  // A module file of the text, of its own: edits to one don't reach
  // another. Throws Failure for text that is no module (a BEGIN block
  // without its END, say).
  ModuleFile Parse() const;
  // The document's text with the module as it is now in file.
  static std::u16string TextOf(const ModuleFile& file);

  // The document's line (0-based) of a module line.
  static std::vector<std::int64_t> DocumentLinesOfModuleLines(const ModuleFile& file);

 private:
  std::u16string stem_;
  std::u16string text_;
};

}  // namespace tamvo::lsp
