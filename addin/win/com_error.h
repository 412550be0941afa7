#pragma once
// Errors inside the DLL travel as exceptions; every entry point that COM or
// Windows calls runs its body through Guarded, which turns them back into an
// HRESULT and lets none of them into the editor.

#include <windows.h>

#include <stdexcept>
#include <type_traits>

namespace tamvo::addin {

class ComError : public std::runtime_error {
 public:
  explicit ComError(HRESULT result);
  HRESULT Result() const noexcept { return result_; }

 private:
  HRESULT result_;
};

inline void ThrowIfFailed(HRESULT result) {
  if (FAILED(result)) throw ComError(result);
}

// For the registry functions, which return a Win32 error code.
inline void ThrowIfError(LSTATUS status) {
  if (status != ERROR_SUCCESS) throw ComError(HRESULT_FROM_WIN32(status));
}

// Call only inside a catch block: the HRESULT for the exception in flight.
// A Failure is DISP_E_EXCEPTION, its description the thread's error info
// (what IErrorInfo and ITypeInfo::Invoke hand the editor, so that it shows
// the words and not "Automation error"), tagged with the interface iid,
// and copied into *exception when the caller is IDispatch::Invoke. A
// ComError is its own HRESULT, std::bad_alloc E_OUTOFMEMORY, anything else
// E_FAIL; these leave no error info behind that a later failure could seem
// to have.
HRESULT CurrentExceptionResult(REFIID iid = GUID_NULL, EXCEPINFO* exception = nullptr) noexcept;

// Runs body, which returns nothing (success) or an HRESULT, at an edge where
// COM or Windows calls into the DLL: no exception passes it.
template <class Body>
HRESULT Guarded(REFIID iid, Body&& body, EXCEPINFO* exception = nullptr) noexcept {
  try {
    if constexpr (std::is_void_v<std::invoke_result_t<Body&>>) {
      body();
      return S_OK;
    } else {
      return body();
    }
  } catch (...) {
    return CurrentExceptionResult(iid, exception);
  }
}

}  // namespace tamvo::addin
