#pragma once
// What the commands need from the front end that runs them: boxes that talk
// to the user, and a per-user settings store.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tamvo {

// Message box flags, as the platform's message box takes them.
inline constexpr std::int32_t kMsgBoxOkOnly = 0;    // OK button, no icon
inline constexpr std::int32_t kMsgBoxWarning = 48;  // warning icon, OK button

class Ui {
 public:
  virtual ~Ui() = default;

  // A modal message box; returns when the user has closed it.
  virtual void MsgBox(std::u16string_view text, std::int32_t flags) = 0;
  // A modal input box: the entered text on OK, nothing on Cancel.
  virtual std::optional<std::u16string> InputBox(std::u16string_view prompt, std::u16string_view preset) = 0;
};

// Strings kept per user by application, section and key.
class Settings {
 public:
  virtual ~Settings() = default;

  virtual std::u16string GetSetting(std::u16string_view application, std::u16string_view section,
                                    std::u16string_view key, std::u16string_view defaultValue) = 0;
  virtual void SaveSetting(std::u16string_view application, std::u16string_view section,
                           std::u16string_view key, std::u16string_view value) = 0;
};

}  // namespace tamvo
