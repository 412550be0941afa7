#include "commands/win/registry_settings.h"

#include <windows.h>

#include <vector>

#include "engine/failure.h"

namespace tamvo {

namespace {

// wchar_t is UTF-16 on Windows.
std::wstring ToWide(std::u16string_view text) {
  return std::wstring(reinterpret_cast<const wchar_t*>(text.data()), text.size());
}

std::u16string FromWide(const wchar_t* text) {
  return std::u16string(reinterpret_cast<const char16_t*>(text));
}

std::wstring KeyPath(std::u16string_view application, std::u16string_view section) {
  return L"Software\\VB and VBA Program Settings\\" + ToWide(application) + L"\\" + ToWide(section);
}

}  // namespace

std::u16string RegistrySettings::GetSetting(std::u16string_view application, std::u16string_view section,
                                            std::u16string_view key, std::u16string_view defaultValue) {
  const std::wstring path = KeyPath(application, section);
  const std::wstring name = ToWide(key);
  DWORD bytes = 0;
  if (RegGetValueW(HKEY_CURRENT_USER, path.c_str(), name.c_str(), RRF_RT_REG_SZ, nullptr, nullptr, &bytes) !=
      ERROR_SUCCESS) {
    return std::u16string(defaultValue);
  }
  std::vector<wchar_t> text(bytes / sizeof(wchar_t) + 1);
  bytes = static_cast<DWORD>(text.size() * sizeof(wchar_t));
  if (RegGetValueW(HKEY_CURRENT_USER, path.c_str(), name.c_str(), RRF_RT_REG_SZ, nullptr, text.data(),
                   &bytes) != ERROR_SUCCESS) {
    return std::u16string(defaultValue);
  }
  return FromWide(text.data());
}

void RegistrySettings::SaveSetting(std::u16string_view application, std::u16string_view section,
                                   std::u16string_view key, std::u16string_view value) {
  const std::wstring text = ToWide(value);
  const LSTATUS status =
      RegSetKeyValueW(HKEY_CURRENT_USER, KeyPath(application, section).c_str(), ToWide(key).c_str(), REG_SZ,
                      text.c_str(), static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
  if (status != ERROR_SUCCESS) throw Failure(u"The setting could not be saved");
}

}  // namespace tamvo
