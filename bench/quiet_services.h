#pragma once
// The front end's services for benchmarks: no boxes, no stored settings.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "commands/services.h"

namespace tamvo::bench {

class SilentUi : public Ui {
 public:
  void MsgBox(std::u16string_view, std::int32_t) override { ++messages; }
  std::optional<std::u16string> InputBox(std::u16string_view, std::u16string_view) override {
    return std::nullopt;
  }
  int messages = 0;
};

class NoSettings : public Settings {
 public:
  std::u16string GetSetting(std::u16string_view, std::u16string_view, std::u16string_view,
                            std::u16string_view defaultValue) override {
    return std::u16string(defaultValue);
  }
  void SaveSetting(std::u16string_view, std::u16string_view, std::u16string_view,
                   std::u16string_view) override {}
};

}  // namespace tamvo::bench
