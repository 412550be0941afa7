#include "addin/win/server_registration.h"

#include <windows.h>

#include <oleauto.h>
#include <olectl.h>

#include <span>
#include <string>
#include <vector>

#include "addin/identity.h"
#include "addin/registration_record.h"
#include "addin/registry_entries.h"
#include "addin/win/com_error.h"
#include "addin/win/resource_ids.h"
#include "addin/win/server_module.h"
#include "addin/win/tamvix.h"
#include "addin/win/type_library.h"
#include "addin/win/user_registry.h"
#include "addin/win/wide_text.h"
#include "engine/failure.h"
#include "host/win/bstr.h"

// In the import library, but declared by no mingw-w64 header.
extern "C" {
HRESULT WINAPI RegisterTypeLibForUser(ITypeLib* library, OLECHAR* path, OLECHAR* helpFolder);
HRESULT WINAPI UnRegisterTypeLibForUser(REFGUID libraryId, WORD major, WORD minor, LCID locale, SYSKIND kind);
}

#define TAMVO_WIDEN2(text) L## #text
#define TAMVO_WIDEN(text) TAMVO_WIDEN2(text)

namespace tamvo::addin {
namespace {

constexpr WORD kLibraryMajor = 1;
constexpr WORD kLibraryMinor = 0;
constexpr bool kIs64Bit = sizeof(void*) == 8;

std::u16string GuidText(REFGUID id) {
  wchar_t text[39];
  StringFromGUID2(id, text, static_cast<int>(std::size(text)));
  return FromWide(text);
}

RegistrationRecord ReadRegistrationRecord() {
  const HMODULE module = ServerModule();
  HRSRC resource = FindResourceW(module, MAKEINTRESOURCEW(TAMVO_REGISTRATION_RECORD_ID),
                                 TAMVO_WIDEN(TAMVO_REGISTRATION_RECORD_TYPE));
  HGLOBAL loaded = resource ? LoadResource(module, resource) : nullptr;
  const void* data = loaded ? LockResource(loaded) : nullptr;
  if (data == nullptr) throw ComError(SELFREG_E_CLASS);
  const std::span bytes(static_cast<const std::uint8_t*>(data), SizeofResource(module, resource));
  try {
    return DecodeRegistrationRecord(bytes);
  } catch (const Failure&) {
    throw ComError(SELFREG_E_CLASS);
  }
}

std::vector<RegistryKey> UserEntries() {
  const ServerIdentity server{
      .classId = GuidText(__uuidof(Connect)),
      .progId = std::u16string(kProgId),
      .serverPath = FromWide(ServerPath()),
      .libraryId = GuidText(LIBID_tamvix),
      .libraryVersion = u"1.0",
  };
  std::vector<RegistryKey> keys = ClassEntries(server);
  try {
    const auto addin =
        AddinEntries(ReadRegistrationRecord(), kProgId, kIs64Bit ? Bitness::k64 : Bitness::k32);
    keys.insert(keys.end(), addin.begin(), addin.end());
  } catch (const Failure&) {
    throw ComError(SELFREG_E_CLASS);
  }
  return keys;
}

bool TypeLibraryRegistered() {
  BSTR path = nullptr;
  const HRESULT result =
      QueryPathOfRegTypeLib(LIBID_tamvix, kLibraryMajor, kLibraryMinor, LOCALE_NEUTRAL, &path);
  const win::Bstr owned(path);
  return SUCCEEDED(result);
}

}  // namespace

void RegisterServer() {
  try {
    WriteUserEntries(UserEntries());
    std::wstring path = ServerPath();
    ThrowIfFailed(RegisterTypeLibForUser(LoadServerTypeLibrary().Get(), path.data(), nullptr));
  } catch (...) {
    try {
      UnregisterServer();
    } catch (...) {
      // The registration's own failure is the one worth reporting.
    }
    throw;
  }
}

void UnregisterServer() {
  HRESULT typeLibraryResult = S_OK;
  if (TypeLibraryRegistered()) {
    typeLibraryResult = UnRegisterTypeLibForUser(LIBID_tamvix, kLibraryMajor, kLibraryMinor, LOCALE_NEUTRAL,
                                                 kIs64Bit ? SYS_WIN64 : SYS_WIN32);
  }
  RemoveUserEntries(UserEntries());
  ThrowIfFailed(typeLibraryResult);
}

}  // namespace tamvo::addin
