#pragma once
// The type information behind the dispatch side of Connect's two interfaces.

#include <oaidl.h>
#include <wrl/client.h>

namespace tamvo::addin {

// The "tamvix" library embedded in this DLL as TYPELIB 1. Throws ComError.
Microsoft::WRL::ComPtr<ITypeLib> LoadServerTypeLibrary();

// _Connect, from the embedded library.
HRESULT LoadConnectTypeInfo(ITypeInfo** info) noexcept;

// IDTExtensibility2, from the add-in designer's library as registered on the
// machine (the editor installs it); fails where it is not registered.
HRESULT LoadExtensibilityTypeInfo(ITypeInfo** info) noexcept;

}  // namespace tamvo::addin
