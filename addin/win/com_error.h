#pragma once
// Errors inside the DLL travel as exceptions; every entry point that COM or
// Windows calls turns them back into an HRESULT.

#include <windows.h>

#include <stdexcept>

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
HRESULT CurrentExceptionResult() noexcept;

}  // namespace tamvo::addin
