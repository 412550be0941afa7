#include "addin/win/type_library.h"

#include "addin/win/com_error.h"
#include "addin/win/extensibility.h"
#include "addin/win/server_module.h"
#include "addin/win/tamvix.h"

using Microsoft::WRL::ComPtr;

namespace tamvo::addin {

ComPtr<ITypeLib> LoadServerTypeLibrary() {
  ComPtr<ITypeLib> library;
  ThrowIfFailed(LoadTypeLibEx(ServerPath().c_str(), REGKIND_NONE, &library));
  return library;
}

HRESULT LoadConnectTypeInfo(ITypeInfo** info) noexcept {
  try {
    return LoadServerTypeLibrary()->GetTypeInfoOfGuid(__uuidof(_Connect), info);
  } catch (...) {
    return CurrentExceptionResult();
  }
}

HRESULT LoadExtensibilityTypeInfo(ITypeInfo** info) noexcept {
  ComPtr<ITypeLib> library;
  const HRESULT result = LoadRegTypeLib(kAddinDesignerLibraryId, 1, 0, LOCALE_NEUTRAL, &library);
  if (FAILED(result)) return result;
  return library->GetTypeInfoOfGuid(__uuidof(IDTExtensibility2), info);
}

}  // namespace tamvo::addin
