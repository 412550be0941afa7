#pragma once
// What the tests under Wine share: where tamvo.dll is, running regsvr32 on
// it, reading the current user's registry, and COM set-up.

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>

namespace tamvo::test {

// tamvo.dll, built into the same folder as the test program.
std::wstring ServerPath();

// Runs "regsvr32 /s [/u] <tamvo.dll>" and gives its exit code.
DWORD RunRegsvr32(bool unregister);

std::optional<std::wstring> ReadString(HKEY root, const std::wstring& key, const std::wstring& name);
std::optional<std::uint32_t> ReadDword(HKEY root, const std::wstring& key, const std::wstring& name);
bool KeyExists(HKEY root, const std::wstring& key);

// Makes HKLM\Software\Classes hold a copy of Connect's class and ProgID
// keys as HKCU\Software\Classes has them now (none if the user has none),
// or removes the copies. Wine's HKEY_CLASSES_ROOT does not show the current
// user's classes as Windows does; without the copy COM would not find a
// per-user registration.
void MirrorUserClasses();
void RemoveMirroredClasses();

// COM on this thread, single-threaded apartment, as in the editor.
class Apartment {
 public:
  Apartment();
  ~Apartment();
  Apartment(const Apartment&) = delete;
  Apartment& operator=(const Apartment&) = delete;
};

// The id of Connect as "{...}", for registry paths.
std::wstring ConnectClassId();

}  // namespace tamvo::test
