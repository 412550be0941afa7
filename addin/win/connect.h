#pragma once
// Connect, the add-in's one public class: its default interface _Connect for
// the editor and scripts, and IDTExtensibility2, through which the editor
// connects and disconnects it.

#include <oaidl.h>
#include <wrl/client.h>

#include <atomic>

#include "addin/connection.h"
#include "addin/win/dual_dispatch.h"
#include "addin/win/extensibility.h"
#include "addin/win/registry_settings_win.h"
#include "addin/win/server_module.h"
#include "addin/win/tamvix.h"
#include "addin/win/type_library.h"
#include "addin/win/win_ui.h"

namespace tamvo::addin {

class Connect final : public DualDispatch<_Connect, LoadConnectTypeInfo>,
                      public DualDispatch<IDTExtensibility2, LoadExtensibilityTypeInfo> {
 public:
  // A new object's interface iid, as IClassFactory::CreateInstance gives it.
  static HRESULT Create(REFIID iid, void** object) noexcept;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;

  HRESULT STDMETHODCALLTYPE get_FormDisplayed(VARIANT_BOOL* value) override;
  HRESULT STDMETHODCALLTYPE put_FormDisplayed(VARIANT_BOOL value) override;
  HRESULT STDMETHODCALLTYPE get_MenuHandler(IDispatch** value) override;
  HRESULT STDMETHODCALLTYPE putref_MenuHandler(IDispatch* value) override;
  HRESULT STDMETHODCALLTYPE Show() override;
  HRESULT STDMETHODCALLTYPE AddToAddInCommandBar(BSTR* sCaption, IDispatch** control) override;

  HRESULT STDMETHODCALLTYPE OnConnection(IDispatch* Application, ext_ConnectMode ConnectMode,
                                         IDispatch* AddInInst, SAFEARRAY** custom) override;
  HRESULT STDMETHODCALLTYPE OnDisconnection(ext_DisconnectMode RemoveMode, SAFEARRAY** custom) override;
  HRESULT STDMETHODCALLTYPE OnAddInsUpdate(SAFEARRAY** custom) override;
  HRESULT STDMETHODCALLTYPE OnStartupComplete(SAFEARRAY** custom) override;
  HRESULT STDMETHODCALLTYPE OnBeginShutdown(SAFEARRAY** custom) override;

 private:
  Connect();
  ~Connect() = default;

  ObjectCount objectCount_;
  std::atomic<ULONG> references_{1};
  RegistrySettings settings_;
  WinUi ui_;
  // What the add-in does; this class only adapts COM to it.
  Connection connection_{ui_, settings_};
};

}  // namespace tamvo::addin
