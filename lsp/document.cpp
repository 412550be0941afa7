#include "lsp/document.h"

#include <algorithm>
#include <cctype>

#include "commands/descriptions.h"
#include "engine/failure.h"
#include "engine/text.h"

namespace tamvo::lsp {

namespace {

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

// The last segment of the address's path, still escaped: "a.bas" of
// "file:///m/a.bas", "Untitled-1" of "untitled:Untitled-1".
std::string_view FileName(std::string_view uri) {
  uri = uri.substr(0, std::min(uri.find('?'), uri.find('#')));
  // A colon before the first slash ends the scheme, which is no part of
  // a name even where no slash follows it.
  if (const auto colon = uri.find(':'); colon < uri.find('/')) uri.remove_prefix(colon + 1);
  const auto slash = uri.find_last_of('/');
  return slash == std::string_view::npos ? uri : uri.substr(slash + 1);
}

// A file name without its extension.
std::u16string StemOf(const std::u16string& name) {
  const auto dot = name.find_last_of(u'.');
  return dot == 0 || dot == std::u16string::npos ? name : name.substr(0, dot);
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

std::u16string FileNameOfUri(std::string_view uri) { return FromUtf8(PercentDecoded(FileName(uri))); }

std::u16string StemOfUri(std::string_view uri) { return StemOf(FileNameOfUri(uri)); }

std::optional<std::string> PathOfUri(std::string_view uri) {
  constexpr std::string_view scheme = "file://";
  if (uri.size() < scheme.size() || ToLowerAscii(FromUtf8(uri.substr(0, scheme.size()))) != u"file://") {
    return std::nullopt;
  }
  uri.remove_prefix(scheme.size());
  uri = uri.substr(0, std::min(uri.find('?'), uri.find('#')));
  // The authority: none, or this machine.
  const auto slash = uri.find('/');
  if (slash == std::string_view::npos) return std::nullopt;
  const std::string_view host = uri.substr(0, slash);
  if (!host.empty() && ToLowerAscii(FromUtf8(host)) != u"localhost") return std::nullopt;
  std::string path = PercentDecoded(uri.substr(slash));
  // "/C:/m" names the drive's folder.
  if (path.size() >= 3 && path[2] == ':' && std::isalpha(static_cast<unsigned char>(path[1])))
    path.erase(0, 1);
  return path;
}

std::string UriOfPath(std::string_view path) {
  std::string uri = "file://";
  if (!path.starts_with('/')) uri += '/';
  for (const char c : path) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '\\') {
      uri += '/';
    } else if (std::isalnum(byte) != 0 && byte < 0x80) {
      uri += c;
    } else if (std::string_view("-._~/").find(c) != std::string_view::npos) {
      uri += c;
    } else {
      static constexpr char kHex[] = "0123456789ABCDEF";
      uri += '%';
      uri += kHex[byte >> 4];
      uri += kHex[byte & 15];
    }
  }
  return uri;
}

bool Document::Describes() {
  if (!options.descriptions) return false;
  const auto dot = name_.find_last_of(u'.');
  const std::u16string_view extension =
      dot == std::u16string::npos ? std::u16string_view() : std::u16string_view(name_).substr(dot);
  return DescribesMembers(Module(), ModuleKindOfExtension(extension));
}

std::u16string_view Document::Content() const {
  std::u16string_view content = text_;
  if (content.starts_with(u'\uFEFF')) content.remove_prefix(1);
  return content;
}

Position Document::InText(Position position) const {
  if (position.line == 0) position.character += static_cast<std::int64_t>(text_.size() - Content().size());
  return position;
}

const std::vector<std::u16string_view>& Document::Lines() {
  if (!lines_) lines_ = LinesWithEnds(Content());
  return *lines_;
}

ExportedModule& Document::Module() {
  if (!module_ && !failure_) {
    try {
      module_ = ExportedModule::FromText(Content(), StemOf(name_));
    } catch (const Failure& failure) {
      failure_ = failure.Description();
    }
  }
  if (failure_) throw Failure(*failure_);
  return *module_;
}

const std::vector<std::int64_t>& Document::DocumentLines() {
  if (!documentLines_) {
    const std::vector<LineNumber> fileLines = Module().LineMap().FileLinesOfModuleLines();
    documentLines_.emplace(fileLines.size(), 0);
    for (std::size_t line = 1; line < fileLines.size(); ++line) (*documentLines_)[line] = fileLines[line] - 1;
  }
  return *documentLines_;
}

}  // namespace tamvo::lsp
