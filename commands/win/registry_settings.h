#pragma once
// Settings where VBA's own GetSetting and SaveSetting keep them:
// HKCU\Software\VB and VBA Program Settings\<application>\<section>, value
// <key>. An author stored by any earlier tool of that kind carries over, and
// the add-in and the command line on Windows share what they remember.

#include "commands/services.h"

namespace tamvo {

// How messages name the store.
inline constexpr const char* kRegistrySettingsName =
    "HKEY_CURRENT_USER\\Software\\VB and VBA Program Settings";

class RegistrySettings : public Settings {
 public:
  std::u16string GetSetting(std::u16string_view application, std::u16string_view section,
                            std::u16string_view key, std::u16string_view defaultValue) override;
  // Throws Failure when the value can't be written.
  void SaveSetting(std::u16string_view application, std::u16string_view section, std::u16string_view key,
                   std::u16string_view value) override;
};

}  // namespace tamvo
