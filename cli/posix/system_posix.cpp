#include <sched.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>

#include "cli/settings_file.h"
#include "cli/system.h"

namespace tamvo {

std::size_t UsableProcessors() {
  cpu_set_t set;
  CPU_ZERO(&set);
  if (sched_getaffinity(0, sizeof set, &set) != 0) return 1;
  return static_cast<std::size_t>(std::max(1, CPU_COUNT(&set)));
}

void GiveNewFileTheUsualPermissions(const std::filesystem::path& path) {
  const mode_t mask = ::umask(0);
  ::umask(mask);
  ::chmod(path.c_str(), 0666 & ~mask);
}

std::optional<std::filesystem::path> SettingsFile::DefaultPath() {
  const char* config = std::getenv("XDG_CONFIG_HOME");
  if (config != nullptr && *config == '/') return std::filesystem::path(config) / "tamvo" / "settings";
  const char* home = std::getenv("HOME");
  if (home == nullptr || *home == '\0') return std::nullopt;
  return std::filesystem::path(home) / ".config" / "tamvo" / "settings";
}

}  // namespace tamvo
