#pragma once
// IDTExtensibility2, the interface through which the editor connects and
// disconnects an add-in. No header of the Windows SDK or of mingw-w64 carries
// it (it belongs to the add-in designer's type library), so it is declared
// here by hand, members in their vtable order.

#include <oaidl.h>

enum ext_ConnectMode {
  ext_cm_AfterStartup = 0,
  ext_cm_Startup = 1,
  ext_cm_External = 2,
  ext_cm_CommandLine = 3,
};

enum ext_DisconnectMode {
  ext_dm_HostShutdown = 0,
  ext_dm_UserClosed = 1,
};

MIDL_INTERFACE("B65AD801-ABAF-11D0-BB8B-00A0C90F2744")
IDTExtensibility2 : public IDispatch {
 public:
  virtual HRESULT STDMETHODCALLTYPE OnConnection(IDispatch * Application, ext_ConnectMode ConnectMode,
                                                 IDispatch * AddInInst, SAFEARRAY * *custom) = 0;
  virtual HRESULT STDMETHODCALLTYPE OnDisconnection(ext_DisconnectMode RemoveMode, SAFEARRAY * *custom) = 0;
  virtual HRESULT STDMETHODCALLTYPE OnAddInsUpdate(SAFEARRAY * *custom) = 0;
  virtual HRESULT STDMETHODCALLTYPE OnStartupComplete(SAFEARRAY * *custom) = 0;
  virtual HRESULT STDMETHODCALLTYPE OnBeginShutdown(SAFEARRAY * *custom) = 0;
};

// mingw-w64 ignores the uuid of MIDL_INTERFACE; this is what __uuidof reads.
__CRT_UUID_DECL(IDTExtensibility2, 0xB65AD801, 0xABAF, 0x11D0, 0xBB, 0x8B, 0x00, 0xA0, 0xC9, 0x0F, 0x27, 0x44)

namespace tamvo::addin {

// {AC0714F2-3D04-11D1-AE7D-00A0C90F26F4} 1.0, the add-in designer's type
// library, which describes IDTExtensibility2 for late-bound callers.
inline constexpr GUID kAddinDesignerLibraryId = {
    0xAC0714F2, 0x3D04, 0x11D1, {0xAE, 0x7D, 0x00, 0xA0, 0xC9, 0x0F, 0x26, 0xF4}};

}  // namespace tamvo::addin
