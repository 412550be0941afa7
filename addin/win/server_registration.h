#pragma once
// What DllRegisterServer and DllUnregisterServer do: register Connect as an
// in-process server, its type library and the editor's add-in entry for the
// current user, and remove the same again.

namespace tamvo::addin {

// Throws ComError; whatever was written before the failure is removed again.
void RegisterServer();

// Throws ComError once everything that could be removed is gone.
void UnregisterServer();

}  // namespace tamvo::addin
