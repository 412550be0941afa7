#include <windows.h>

#include <bit>

#include "cli/system.h"

namespace tamvo {

std::size_t UsableProcessors() {
  DWORD_PTR process = 0;
  DWORD_PTR system = 0;
  if (!GetProcessAffinityMask(GetCurrentProcess(), &process, &system) || process == 0) return 1;
  return static_cast<std::size_t>(std::popcount(static_cast<std::uint64_t>(process)));
}

// The temporary file was made with the folder's inherited security, which
// is what a new file there gets.
void GiveNewFileTheUsualPermissions(const std::filesystem::path&) {}

}  // namespace tamvo
