#include "addin/win/user_registry.h"

#include <windows.h>

#include <optional>
#include <string>

#include "addin/win/com_error.h"
#include "addin/win/wide_text.h"
#include "engine/unique_handle.h"

namespace tamvo::addin {
namespace {

using UniqueKey = UniqueHandle<HKEY, RegCloseKey>;

UniqueKey CreateUserKey(const std::u16string& path) {
  HKEY key = nullptr;
  ThrowIfError(RegCreateKeyExW(HKEY_CURRENT_USER, ToWide(path).c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                               &key, nullptr));
  return UniqueKey(key);
}

void SetValue(HKEY key, const RegistryValue& value) {
  const std::wstring name = ToWide(value.name);
  if (const auto* text = std::get_if<std::u16string>(&value.data)) {
    const std::wstring wide = ToWide(*text);
    const auto bytes = static_cast<DWORD>((wide.size() + 1) * sizeof(wchar_t));
    ThrowIfError(
        RegSetValueExW(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(wide.c_str()), bytes));
  } else {
    const DWORD number = std::get<std::uint32_t>(value.data);
    ThrowIfError(RegSetValueExW(key, name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number),
                                sizeof(number)));
  }
}

}  // namespace

void WriteUserEntries(const std::vector<RegistryKey>& keys) {
  for (const auto& entry : keys) {
    const UniqueKey key = CreateUserKey(entry.path);
    for (const auto& value : entry.values) SetValue(key.get(), value);
  }
}

void RemoveUserEntries(const std::vector<RegistryKey>& keys) {
  std::optional<LSTATUS> firstFailure;
  for (auto entry = keys.rbegin(); entry != keys.rend(); ++entry) {
    const LSTATUS status = RegDeleteKeyW(HKEY_CURRENT_USER, ToWide(entry->path).c_str());
    if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND && !firstFailure) {
      firstFailure = status;
    }
  }
  if (firstFailure) ThrowIfError(*firstFailure);
}

}  // namespace tamvo::addin
