#pragma once
// Writes and removes registry entries in the current user's hive.

#include <vector>

#include "addin/registry_entries.h"

namespace tamvo::addin {

// Creates each key in order and sets its values. Throws ComError.
void WriteUserEntries(const std::vector<RegistryKey>& keys);

// Deletes the keys in reverse order, so a key's subkeys go before it. A key
// that is not there is fine; one that has gained a subkey of somebody else's
// stays, and the first such failure is thrown once all were tried.
void RemoveUserEntries(const std::vector<RegistryKey>& keys);

}  // namespace tamvo::addin
