// Code page 932 through the Win32 conversion functions.

#include <windows.h>

#include <string>

#include "addin/code_page.h"
#include "engine/failure.h"

namespace tamvo::addin {
namespace {

constexpr UINT kCodePage = 932;

}  // namespace

std::string ToCodePage932(std::u16string_view text) {
  if (text.empty()) return {};
  const auto* units = reinterpret_cast<const wchar_t*>(text.data());
  const int length = static_cast<int>(text.size());
  // Best-fit mapping would quietly turn a missing character into a look-alike.
  BOOL usedDefault = FALSE;
  const int size =
      WideCharToMultiByte(kCodePage, WC_NO_BEST_FIT_CHARS, units, length, nullptr, 0, nullptr, &usedDefault);
  std::string bytes(static_cast<std::size_t>(size), '\0');
  if (size == 0 || usedDefault ||
      WideCharToMultiByte(kCodePage, WC_NO_BEST_FIT_CHARS, units, length, bytes.data(), size, nullptr,
                          &usedDefault) != size ||
      usedDefault) {
    throw Failure(u"the text has a character outside code page 932");
  }
  return bytes;
}

std::u16string FromCodePage932(std::string_view bytes) {
  if (bytes.empty()) return {};
  const int length = static_cast<int>(bytes.size());
  const int size = MultiByteToWideChar(kCodePage, MB_ERR_INVALID_CHARS, bytes.data(), length, nullptr, 0);
  std::u16string text(static_cast<std::size_t>(size), u'\0');
  if (size == 0 || MultiByteToWideChar(kCodePage, MB_ERR_INVALID_CHARS, bytes.data(), length,
                                       reinterpret_cast<wchar_t*>(text.data()), size) != size) {
    throw Failure(u"the bytes are not code page 932 text");
  }
  return text;
}

}  // namespace tamvo::addin
