// The four exports of tamvo.dll (tamvo.def gives their ordinals).
//
// There is no DllMain: the runtime's default entry point does nothing for
// process and thread attach and detach, and the module handle comes from
// the image itself (server_module.cpp).

#include <windows.h>

#include <olectl.h>

#include "addin/win/class_factory.h"
#include "addin/win/com_error.h"
#include "addin/win/server_module.h"
#include "addin/win/server_registration.h"
#include "addin/win/tamvix.h"

using namespace tamvo::addin;

STDAPI DllCanUnloadNow() { return CanUnloadServer() ? S_OK : S_FALSE; }

STDAPI DllGetClassObject(REFCLSID classId, REFIID iid, void** object) {
  if (object == nullptr) return E_POINTER;
  *object = nullptr;
  if (classId != __uuidof(Connect)) return CLASS_E_CLASSNOTAVAILABLE;
  return CreateConnectFactory(iid, object);
}

STDAPI DllRegisterServer() { return Guarded(GUID_NULL, RegisterServer); }

STDAPI DllUnregisterServer() { return Guarded(GUID_NULL, UnregisterServer); }
