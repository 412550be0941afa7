#pragma once
// The per-user settings of the command line: a small text file under the
// user's configuration folder, one setting a line.

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <tuple>

#include "commands/services.h"

namespace tamvo {

class SettingsFile : public Settings {
 public:
  explicit SettingsFile(std::filesystem::path path) : path_(std::move(path)) {}

  // $XDG_CONFIG_HOME/tamvo/settings, or ~/.config/tamvo/settings; nothing
  // without either (a relative XDG_CONFIG_HOME counts as none, as the XDG
  // rules say), rather than a settings file in whatever folder tamvo runs in.
  // (cli/posix/; on Windows the author is kept in the registry, where the
  // add-in keeps it: host/win/registry_settings.h.)
  static std::optional<std::filesystem::path> DefaultPath();

  const std::filesystem::path& Path() const { return path_; }
  // Reads the file, once: later calls and GetSetting use what was read.
  // Throws Failure when it can't be read.
  void Load();

  std::u16string GetSetting(std::u16string_view application, std::u16string_view section,
                            std::u16string_view key, std::u16string_view defaultValue) override;
  // Rewrites the file atomically; throws Failure when it can't, and then
  // keeps the setting as it was.
  void SaveSetting(std::u16string_view application, std::u16string_view section, std::u16string_view key,
                   std::u16string_view value) override;

 private:
  using Key = std::tuple<std::string, std::string, std::string>;

  std::filesystem::path path_;
  std::optional<std::map<Key, std::string>> settings_;
};

}  // namespace tamvo
