#pragma once
// The DLL as a COM server: its module handle and path, and the counts of live
// objects and class-factory locks that decide whether it may be unloaded.

#include <windows.h>

#include <string>

namespace tamvo::addin {

HMODULE ServerModule() noexcept;
std::wstring ServerPath();

// Every object the DLL hands out holds one of these for its lifetime, so
// DllCanUnloadNow says no while any of them lives.
class ObjectCount {
 public:
  ObjectCount() noexcept;
  ~ObjectCount();
  ObjectCount(const ObjectCount&) = delete;
  ObjectCount& operator=(const ObjectCount&) = delete;
};

void LockServer(bool lock) noexcept;
bool CanUnloadServer() noexcept;

}  // namespace tamvo::addin
