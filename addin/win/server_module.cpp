#include "addin/win/server_module.h"

#include <atomic>

#include "addin/win/com_error.h"

// The linker's symbol for this module's own image: its address is the module
// handle, which spares DllMain from storing it.
extern "C" IMAGE_DOS_HEADER __ImageBase;

namespace tamvo::addin {
namespace {

std::atomic<long> liveObjects{0};
std::atomic<long> serverLocks{0};

}  // namespace

HMODULE ServerModule() noexcept { return reinterpret_cast<HMODULE>(&__ImageBase); }

std::wstring ServerPath() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(ServerModule(), path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) ThrowIfError(static_cast<LSTATUS>(GetLastError()));
    if (length < path.size()) {
      path.resize(length);
      return path;
    }
    path.resize(path.size() * 2);
  }
}

ObjectCount::ObjectCount() noexcept { ++liveObjects; }
ObjectCount::~ObjectCount() { --liveObjects; }

void LockServer(bool lock) noexcept {
  if (lock) {
    ++serverLocks;
  } else {
    --serverLocks;
  }
}

bool CanUnloadServer() noexcept { return liveObjects == 0 && serverLocks == 0; }

}  // namespace tamvo::addin
