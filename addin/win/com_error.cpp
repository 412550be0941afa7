#include "addin/win/com_error.h"

#include <new>

namespace tamvo::addin {

ComError::ComError(HRESULT result) : std::runtime_error("COM error"), result_(result) {}

HRESULT CurrentExceptionResult() noexcept {
  try {
    throw;
  } catch (const ComError& error) {
    return error.Result();
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  } catch (...) {
    return E_FAIL;
  }
}

}  // namespace tamvo::addin
