#include "addin/win/connect.h"

#include "engine/failure.h"
#include "host/win/dispatch.h"

namespace tamvo::addin {

namespace {

// The interfaces that error info names for the members' failures.
const IID& kConnectInterface = __uuidof(_Connect);
const IID& kExtensibility = __uuidof(IDTExtensibility2);

}  // namespace

Connect::Connect() : ui_([this] { return editor_ ? editor_->MainWindowHandle() : nullptr; }) {}

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
  // The subscription to the first item's clicks: the one MenuHandler names.
  if (const auto handler = std::dynamic_pointer_cast<ClickSubscription>(connection_.MenuHandler());
      handler && handler->Source() != nullptr) {
    *value = handler->Source();
    (*value)->AddRef();
  }
  return S_OK;
}

HRESULT Connect::putref_MenuHandler(IDispatch* value) {
  return Guarded(kConnectInterface, [&] {
    std::shared_ptr<ClickSubscription> handler;
    if (value != nullptr) {
      handler = std::make_shared<ClickSubscription>(value, [this] { connection_.MenuHandler_Click(); });
    }
    connection_.SetMenuHandler(handler);
  });
}

HRESULT Connect::Show() {
  return Guarded(kConnectInterface, [&] { connection_.Show(); });
}

HRESULT Connect::AddToAddInCommandBar(BSTR* sCaption, IDispatch** control) {
  if (control == nullptr) return E_POINTER;
  *control = nullptr;
  return Guarded(kConnectInterface, [&] {
    if (!editor_ || sCaption == nullptr) return;
    const auto item = editor_->AddMenuItem(
        std::u16string_view(reinterpret_cast<const char16_t*>(*sCaption), SysStringLen(*sCaption)));
    if (item) {
      *control = item->Object();
      (*control)->AddRef();
    }
  });
}

HRESULT Connect::OnConnection(IDispatch* Application, ext_ConnectMode mode, IDispatch*, SAFEARRAY**) {
  return Guarded(kExtensibility, [&] {
    Microsoft::WRL::ComPtr<IDispatch> application(Application);
    connection_.OnConnection(
        [this, application]() -> std::shared_ptr<HostEditor> {
          if (!application) throw Failure(std::u16string(kObjectNotSet));
          editor_ = std::make_shared<WinHostEditor>(application);
          return editor_;
        },
        static_cast<ConnectMode>(mode));
  });
}

HRESULT Connect::OnDisconnection(ext_DisconnectMode, SAFEARRAY**) {
  return Guarded(kExtensibility, [&] { connection_.OnDisconnection(); });
}

HRESULT Connect::OnAddInsUpdate(SAFEARRAY**) { return S_OK; }

HRESULT Connect::OnStartupComplete(SAFEARRAY**) { return S_OK; }

HRESULT Connect::OnBeginShutdown(SAFEARRAY**) { return S_OK; }

HRESULT Connect::InterfaceSupportsErrorInfo(REFIID iid) {
  return iid == kConnectInterface || iid == kExtensibility ? S_OK : S_FALSE;
}

}  // namespace tamvo::addin
