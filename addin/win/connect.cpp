#include "addin/win/connect.h"

#include <new>

#include "addin/win/com_error.h"
#include "addin/win/host_editor_win.h"
#include "engine/failure.h"

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

Connect::Connect()
    : ui_([this]() -> HWND {
        auto* editor = dynamic_cast<WinHostEditor*>(connection_.HostVbe().get());
        return editor != nullptr ? editor->MainWindowHandle() : nullptr;
      }) {}

HRESULT Connect::get_FormDisplayed(VARIANT_BOOL* value) {
  if (value == nullptr) return E_POINTER;
  *value = connection_.FormDisplayed ? VARIANT_TRUE : VARIANT_FALSE;
  return S_OK;
}

HRESULT Connect::put_FormDisplayed(VARIANT_BOOL value) {
  connection_.FormDisplayed = value != VARIANT_FALSE;
  return S_OK;
}

HRESULT Connect::get_MenuHandler(IDispatch** value) {
  if (value == nullptr) return E_POINTER;
  *value = nullptr;
  const auto* handler = dynamic_cast<const ClickSubscription*>(connection_.MenuHandler().get());
  if (handler != nullptr && handler->Source() != nullptr) {
    *value = handler->Source();
    (*value)->AddRef();
  }
  return S_OK;
}

HRESULT Connect::putref_MenuHandler(IDispatch* value) {
  try {
    std::shared_ptr<EventSubscription> handler;
    if (value != nullptr) {
      handler = std::make_shared<ClickSubscription>(value, [this] { connection_.MenuHandler_Click(); });
    }
    connection_.SetMenuHandler(std::move(handler));
    return S_OK;
  } catch (...) {
    return CurrentExceptionResult();
  }
}

HRESULT Connect::Show() {
  connection_.Show();
  return S_OK;
}

HRESULT Connect::AddToAddInCommandBar(BSTR* sCaption, IDispatch** control) {
  if (control == nullptr) return E_POINTER;
  *control = nullptr;
  try {
    const auto& editor = connection_.HostVbe();
    if (!editor || sCaption == nullptr) return S_OK;
    const auto item = editor->AddToAddInCommandBar(
        std::u16string_view(reinterpret_cast<const char16_t*>(*sCaption), SysStringLen(*sCaption)));
    if (const auto* added = dynamic_cast<const WinMenuItem*>(item.get())) {
      *control = added->Object();
      (*control)->AddRef();
    }
    return S_OK;
  } catch (...) {
    return CurrentExceptionResult();
  }
}

HRESULT Connect::OnConnection(IDispatch* Application, ext_ConnectMode ConnectMode, IDispatch*, SAFEARRAY**) {
  Microsoft::WRL::ComPtr<IDispatch> application(Application);
  connection_.OnConnection(
      [application]() -> std::shared_ptr<HostEditor> {
        if (!application) throw Failure(std::u16string(kObjectNotSet));
        return std::make_shared<WinHostEditor>(application);
      },
      static_cast<std::int32_t>(ConnectMode));
  return S_OK;
}

HRESULT Connect::OnDisconnection(ext_DisconnectMode, SAFEARRAY**) {
  connection_.OnDisconnection();
  return S_OK;
}

HRESULT Connect::OnAddInsUpdate(SAFEARRAY**) { return S_OK; }

HRESULT Connect::OnStartupComplete(SAFEARRAY**) { return S_OK; }

HRESULT Connect::OnBeginShutdown(SAFEARRAY**) { return S_OK; }

}  // namespace tamvo::addin
