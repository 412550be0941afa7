#include <windows.h>

#include <bit>
#include <cstdlib>

#include "cli/settings_file.h"
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

// %APPDATA% is the roaming profile's folder for programs' settings; a
// relative one counts as none, as a relative XDG_CONFIG_HOME does.
std::optional<std::filesystem::path> SettingsFile::DefaultPath() {
  const wchar_t* appData = _wgetenv(L"APPDATA");
  if (appData == nullptr || *appData == L'\0') return std::nullopt;
  const std::filesystem::path folder(appData);
  if (!folder.is_absolute()) return std::nullopt;
  return folder / L"tamvo" / L"settings";
}

}  // namespace tamvo
