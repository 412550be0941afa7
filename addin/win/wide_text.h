#pragma once
// On Windows wchar_t is a UTF-16 code unit, so the portable code's
// std::u16string and the Win32 API's wchar_t strings convert unit for unit.

#include <string>
#include <string_view>

namespace tamvo::addin {

static_assert(sizeof(wchar_t) == sizeof(char16_t));

inline std::wstring ToWide(std::u16string_view text) {
  return std::wstring(reinterpret_cast<const wchar_t*>(text.data()), text.size());
}

inline std::u16string FromWide(std::wstring_view text) {
  return std::u16string(reinterpret_cast<const char16_t*>(text.data()), text.size());
}

}  // namespace tamvo::addin
