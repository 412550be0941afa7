#pragma once
// An owned BSTR, and the EXCEPINFO whose strings it owns: freed exactly once,
// also when an exception passes between the call that filled them and the
// code that reads them.

#include <oaidl.h>

#include <string>
#include <string_view>

#include "engine/unique_handle.h"

namespace tamvo::win {

class Bstr {
 public:
  Bstr() = default;
  // Takes over a string that a callee handed out.
  explicit Bstr(BSTR text) noexcept : text_(text) {}
  // A new string with text's code units; throws Failure when memory runs out.
  static Bstr Copy(std::u16string_view text);

  BSTR get() const noexcept { return text_.get(); }
  // Gives the string up, to a caller that frees it.
  [[nodiscard]] BSTR release() noexcept { return text_.release(); }
  // Empty for a null BSTR, as automation reads one.
  std::u16string Text() const;

 private:
  UniqueHandle<BSTR, SysFreeString> text_;
};

// The text of a BSTR that someone else owns.
std::u16string TextOf(BSTR text);

// Exception information as IDispatch::Invoke fills it in.
class ExcepInfo : public EXCEPINFO {
 public:
  ExcepInfo() noexcept : EXCEPINFO{} {}
  ~ExcepInfo() {
    SysFreeString(bstrSource);
    SysFreeString(bstrDescription);
    SysFreeString(bstrHelpFile);
  }
  ExcepInfo(const ExcepInfo&) = delete;
  ExcepInfo& operator=(const ExcepInfo&) = delete;
};

}  // namespace tamvo::win
