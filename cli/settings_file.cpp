#include "cli/settings_file.h"

#include <sstream>

#include "engine/failure.h"
#include "engine/text.h"
#include "host/file_io.h"

namespace tamvo {

namespace {

// Fields are separated by tabs; a tab, line break or backslash inside a
// field is written as \t, \n, \r or \\.
std::string Escape(std::string_view field) {
  std::string out;
  for (const char c : field) {
    switch (c) {
      case '\\':
        out += "\\\\";
        break;
      case '\t':
        out += "\\t";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      default:
        out += c;
    }
  }
  return out;
}

std::string Unescape(std::string_view field) {
  std::string out;
  for (std::size_t i = 0; i < field.size(); ++i) {
    if (field[i] != '\\' || i + 1 == field.size()) {
      out += field[i];
      continue;
    }
    const char c = field[++i];
    out += c == 't' ? '\t' : c == 'n' ? '\n' : c == 'r' ? '\r' : c;
  }
  return out;
}

}  // namespace

void SettingsFile::Load() {
  if (settings_) return;
  std::map<Key, std::string> settings;
  std::error_code error;
  if (std::filesystem::status(path_, error).type() == std::filesystem::file_type::not_found &&
      error == std::errc::no_such_file_or_directory) {
    settings_ = std::move(settings);
    return;
  }
  std::istringstream in(ReadFileBytes(path_));
  std::string line;
  while (std::getline(in, line)) {
    std::string fields[4];
    std::size_t start = 0;
    for (int f = 0; f < 4; ++f) {
      const std::size_t tab = f < 3 ? line.find('\t', start) : std::string::npos;
      fields[f] = Unescape(
          std::string_view(line).substr(start, tab == std::string::npos ? std::string::npos : tab - start));
      if (tab == std::string::npos) break;
      start = tab + 1;
    }
    settings[{fields[0], fields[1], fields[2]}] = fields[3];
  }
  settings_ = std::move(settings);
}

std::u16string SettingsFile::GetSetting(std::u16string_view application, std::u16string_view section,
                                        std::u16string_view key, std::u16string_view defaultValue) {
  Load();
  const auto found = settings_->find({ToUtf8(application), ToUtf8(section), ToUtf8(key)});
  return found == settings_->end() ? std::u16string(defaultValue) : FromUtf8(found->second);
}

void SettingsFile::SaveSetting(std::u16string_view application, std::u16string_view section,
                               std::u16string_view key, std::u16string_view value) {
  Load();
  auto settings = *settings_;
  settings[{ToUtf8(application), ToUtf8(section), ToUtf8(key)}] = ToUtf8(value);
  std::string text;
  for (const auto& [where, stored] : settings) {
    const auto& [app, sec, name] = where;
    text += Escape(app) + '\t' + Escape(sec) + '\t' + Escape(name) + '\t' + Escape(stored) + '\n';
  }
  std::error_code error;
  std::filesystem::create_directories(path_.parent_path(), error);
  if (error) throw Failure(FromUtf8("can't create its folder: " + error.message()));
  WriteFileAtomically(path_, text);
  settings_ = std::move(settings);
}

}  // namespace tamvo
