#include "addin/connect.h"

#include <new>

namespace tamvo::addin {

HRESULT Connect::Create(REFIID iid, void** object) noexcept {
  if (object == nullptr) return E_POINTER;
  *object = nullptr;
  auto* connect = new (std::nothrow) Connect();
  if (connect == nullptr) return E_OUTOFMEMORY;
  const HRESULT result = connect->QueryInterface(iid, object);
  connect->Release();
  return result;
}

HRESULT Connect::QueryInterface(REFIID iid, void** object) {
  if (object == nullptr) return E_POINTER;
  if (iid == IID_IUnknown || iid == IID_IDispatch || iid == __uuidof(_Connect)) {
    *object = static_cast<_Connect*>(this);
  } else if (iid == __uuidof(IDTExtensibility2)) {
    *object = static_cast<IDTExtensibility2*>(this);
  } else {
    *object = nullptr;
    return E_NOINTERFACE;
  }
  AddRef();
  return S_OK;
}

ULONG Connect::AddRef() { return ++references_; }

ULONG Connect::Release() {
  const ULONG left = --references_;
  if (left == 0) delete this;
  return left;
}

HRESULT Connect::get_FormDisplayed(VARIANT_BOOL* value) {
  if (value == nullptr) return E_POINTER;
  *value = formDisplayed_;
  return S_OK;
}

HRESULT Connect::put_FormDisplayed(VARIANT_BOOL value) {
  formDisplayed_ = value;
  return S_OK;
}

HRESULT Connect::get_MenuHandler(IDispatch** value) {
  if (value == nullptr) return E_POINTER;
  return menuHandler_.CopyTo(value);
}

HRESULT Connect::putref_MenuHandler(IDispatch* value) {
  menuHandler_ = value;
  return S_OK;
}

HRESULT Connect::Show() { return S_OK; }

HRESULT Connect::AddToAddInCommandBar(BSTR*, IDispatch** control) {
  if (control == nullptr) return E_POINTER;
  *control = nullptr;
  return S_OK;
}

HRESULT Connect::OnConnection(IDispatch*, ext_ConnectMode, IDispatch*, SAFEARRAY**) { return S_OK; }

HRESULT Connect::OnDisconnection(ext_DisconnectMode, SAFEARRAY**) { return S_OK; }

HRESULT Connect::OnAddInsUpdate(SAFEARRAY**) { return S_OK; }

HRESULT Connect::OnStartupComplete(SAFEARRAY**) { return S_OK; }

HRESULT Connect::OnBeginShutdown(SAFEARRAY**) { return S_OK; }

}  // namespace tamvo::addin
