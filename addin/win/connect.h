#pragma once
// Connect, the add-in's one public class: its default interface _Connect for
// the editor and scripts, and IDTExtensibility2, through which the editor
// connects and disconnects it.

#include <oaidl.h>

#include <memory>

#include "addin/connection.h"
#include "addin/win/com_object.h"
#include "addin/win/dual_dispatch.h"
#include "addin/win/extensibility.h"
#include "addin/win/host_editor_win.h"
#include "addin/win/tamvix.h"
#include "addin/win/type_library.h"
#include "addin/win/win_ui.h"
#include "commands/win/registry_settings.h"

namespace tamvo::addin {

class Connect final
    : public ComObject<DualDispatch<_Connect, LoadConnectTypeInfo>,
                       DualDispatch<IDTExtensibility2, LoadExtensibilityTypeInfo>, ISupportErrorInfo> {
 public:
  // A new object's interface iid, as IClassFactory::CreateInstance gives it.
  static HRESULT Create(REFIID iid, void** object) noexcept { return CreateComObject<Connect>(iid, object); }
  Connect();

  // Each member that can fail runs through Guarded: a Failure reaches the
  // editor as DISP_E_EXCEPTION with its words, and nothing else gets out.
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

  HRESULT STDMETHODCALLTYPE InterfaceSupportsErrorInfo(REFIID iid) override;

 private:
  ~Connect() override = default;

  RegistrySettings settings_;
  WinUi ui_;
  // What the add-in does; this class only adapts COM to it.
  Connection connection_{ui_, settings_};
  // The Windows editor behind the connection's portable one, as it was made
  // at the last connection.
  std::shared_ptr<WinHostEditor> editor_;
};

}  // namespace tamvo::addin
