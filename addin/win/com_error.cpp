#include "addin/win/com_error.h"

#include <oaidl.h>
#include <wrl/client.h>

#include <new>
#include <string>

#include "addin/identity.h"
#include "addin/win/wide_text.h"
#include "engine/failure.h"
#include "host/win/bstr.h"

namespace tamvo::addin {

namespace {

void SetFailureInfo(REFIID iid, const Failure& failure, EXCEPINFO* exception) noexcept {
  try {
    if (exception != nullptr) {
      exception->scode = E_FAIL;
      exception->bstrSource = win::Bstr::Copy(kProgId).release();
      exception->bstrDescription = win::Bstr::Copy(failure.Description()).release();
    }
    Microsoft::WRL::ComPtr<ICreateErrorInfo> create;
    Microsoft::WRL::ComPtr<IErrorInfo> info;
    if (FAILED(CreateErrorInfo(&create)) || FAILED(create.As(&info))) return;
    std::wstring source = ToWide(kProgId);
    std::wstring description = ToWide(failure.Description());
    create->SetGUID(iid);
    create->SetSource(source.data());
    create->SetDescription(description.data());
    SetErrorInfo(0, info.Get());
  } catch (...) {
    // Out of memory while telling of a failure: the HRESULT alone still says it.
  }
}

}  // namespace

ComError::ComError(HRESULT result) : std::runtime_error("COM error"), result_(result) {}

HRESULT CurrentExceptionResult(REFIID iid, EXCEPINFO* exception) noexcept {
  SetErrorInfo(0, nullptr);
  try {
    throw;
  } catch (const Failure& failure) {
    SetFailureInfo(iid, failure, exception);
    return DISP_E_EXCEPTION;
  } catch (const ComError& error) {
    return error.Result();
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  } catch (...) {
    return E_FAIL;
  }
}

}  // namespace tamvo::addin
