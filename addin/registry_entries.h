#pragma once
// The registry keys and values that registering tamvo.dll writes, worked out
// from its identity and its registration record. Registration writes them in
// order; unregistration deletes the same keys in reverse order, so it removes
// exactly what registration wrote. Every path is below HKEY_CURRENT_USER:
// the add-in is registered per user and needs no administrator.

#include <cstdint>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "addin/registration_record.h"

namespace tamvo::addin {

struct RegistryValue {
  std::u16string name;  // empty for the key's default value
  std::variant<std::u16string, std::uint32_t> data;

  bool operator==(const RegistryValue&) const = default;
};

struct RegistryKey {
  std::u16string path;
  std::vector<RegistryValue> values;

  bool operator==(const RegistryKey&) const = default;
};

// The in-process server: ids as "{...}" strings.
struct ServerIdentity {
  std::u16string classId;
  std::u16string progId;
  std::u16string serverPath;
  std::u16string libraryId;
  std::u16string libraryVersion;
};

// The class id with its server, threading model, ProgID and type library,
// and the ProgID pointing back at the class id.
std::vector<RegistryKey> ClassEntries(const ServerIdentity& server);

// The bitness of the DLL: 64-bit editors read only their own add-in key.
enum class Bitness { k32, k64 };

// The editor's add-in entry, below the record's registry root. Throws Failure
// when the root is not in the current user's hive or the load behaviour is
// not one the editor knows.
std::vector<RegistryKey> AddinEntries(const RegistrationRecord& record, std::u16string_view progId,
                                      Bitness bitness);

}  // namespace tamvo::addin
