#include "host/win/bstr.h"

#include "engine/failure.h"

namespace tamvo::win {

Bstr Bstr::Copy(std::u16string_view text) {
  Bstr copy(SysAllocStringLen(reinterpret_cast<const OLECHAR*>(text.data()), static_cast<UINT>(text.size())));
  if (copy.get() == nullptr) throw Failure(u"Out of memory");
  return copy;
}

std::u16string Bstr::Text() const { return TextOf(get()); }

std::u16string TextOf(BSTR text) {
  return text == nullptr ? std::u16string()
                         : std::u16string(reinterpret_cast<const char16_t*>(text), SysStringLen(text));
}

}  // namespace tamvo::win
