#include "lsp/document.h"

#include <algorithm>

#include "engine/text.h"

namespace tamvo::lsp {

namespace {

// The editor hands over decoded text: as UTF-8 behind a byte order mark it
// reads as UTF-8 whatever it holds, and every line keeps its line end.
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

std::string PercentDecoded(std::string_view text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    auto hex = [](char c) -> int {
      if (c >= '0' && c <= '9') return c - '0';
      if (c >= 'a' && c <= 'f') return c - 'a' + 10;
      if (c >= 'A' && c <= 'F') return c - 'A' + 10;
      return -1;
    };
    if (text[i] == '%' && i + 2 < text.size() && hex(text[i + 1]) >= 0 && hex(text[i + 2]) >= 0) {
      out += static_cast<char>(hex(text[i + 1]) * 16 + hex(text[i + 2]));
      i += 2;
    } else {
      out += text[i];
    }
  }
  return out;
}

std::string_view FileName(std::string_view uri) {
  uri = uri.substr(0, std::min(uri.find('?'), uri.find('#')));
  const auto slash = uri.find_last_of('/');
  return slash == std::string_view::npos ? uri : uri.substr(slash + 1);
}

}  // namespace

bool IsModuleDocument(std::string_view languageId, std::string_view uri) {
  if (languageId == "vb" || languageId == "vba") return true;
  const std::u16string name = ToLowerAscii(FromUtf8(PercentDecoded(FileName(uri))));
  for (const std::u16string_view extension : {u".bas", u".cls", u".frm", u".doccls"}) {
    if (name.ends_with(extension)) return true;
  }
  return false;
}

std::u16string StemOfUri(std::string_view uri) {
  const std::u16string name = FromUtf8(PercentDecoded(FileName(uri)));
  const auto dot = name.find_last_of(u'.');
  return dot == 0 || dot == std::u16string::npos ? name : name.substr(0, dot);
}

ModuleFile Document::Parse() const {
  std::string bytes(kByteOrderMark);
  bytes += ToUtf8(text_);
  return ModuleFile::Parse(bytes, stem_, "UTF-8");
}

std::u16string Document::TextOf(const ModuleFile& file) {
  std::string bytes = file.Serialize();
  if (bytes.starts_with(kByteOrderMark)) bytes.erase(0, kByteOrderMark.size());
  return FromUtf8(bytes);
}

std::vector<std::int64_t> Document::DocumentLinesOfModuleLines(const ModuleFile& file) {
  std::vector<std::int64_t> lines(static_cast<std::size_t>(file.Module()->CountOfLines()) + 1, 0);
  for (LineNumber fileLine = file.FileLineCount(); fileLine >= 1; --fileLine) {
    // Hidden lines count as the module line above them: the first file line
    // of a module line is its own.
    lines[static_cast<std::size_t>(file.ModuleLineOfFileLine(fileLine))] = fileLine - 1;
  }
  return lines;
}

}  // namespace tamvo::lsp
