#pragma once
// The class factory of Connect, the one creatable class of tamvo.dll.

#include <unknwn.h>

namespace tamvo::addin {

// A new factory's interface iid, as DllGetClassObject gives it.
HRESULT CreateConnectFactory(REFIID iid, void** object) noexcept;

}  // namespace tamvo::addin
