#pragma once
// The per-user settings of the command line: a small text file under the
// user's configuration folder, one setting a line.

#include <filesystem>
#include <map>
#include <string>
#include <tuple>

#include "commands/services.h"

namespace tamvo {

class SettingsFile : public Settings {
 public:
  explicit SettingsFile(std::filesystem::path path) : path_(std::move(path)) {}

  // $XDG_CONFIG_HOME/tamvo/settings, or ~/.config/tamvo/settings.
  static std::filesystem::path DefaultPath();

  std::u16string GetSetting(std::u16string_view application, std::u16string_view section,
                            std::u16string_view key, std::u16string_view defaultValue) override;
  // Rewrites the file atomically; throws Failure when it can't.
  void SaveSetting(std::u16string_view application, std::u16string_view section, std::u16string_view key,
                   std::u16string_view value) override;

 private:
  using Key = std::tuple<std::string, std::string, std::string>;
  std::map<Key, std::string> Read() const;

  std::filesystem::path path_;
};

}  // namespace tamvo
