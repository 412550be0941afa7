// Prints the WiX components of the add-in's per-user registration that the
// MSI installs (win/installer/build_msi.sh includes them in tamvo.wxs), from
// the same code as regsvr32's, so the two cannot differ. The class and
// library ids come from tamvix.idl, read by CMake.

#include <cstdio>
#include <string>

#include "addin/installer_registry.h"
#include "engine/failure.h"
#include "engine/text.h"

int main(int argc, char** argv) {
  const std::string mode = argc == 2 ? argv[1] : "";
  if (mode != "wxi" && mode != "sql") {
    std::fprintf(stderr,
                 "usage: %s wxi|sql\n  wxi: the WiX include; sql: the updates that put its texts in\n",
                 argv[0]);
    return 2;
  }
  try {
    const auto registry = tamvo::addin::InstallerRegistryFor(
        {.classId = u"{" TAMVO_CONNECT_CLASS_ID u"}", .libraryId = u"{" TAMVO_LIBRARY_ID u"}"});
    const std::string text =
        tamvo::ToUtf8(mode == "wxi" ? registry.include : tamvo::addin::InstallerTextUpdates(registry.texts));
    if (std::fwrite(text.data(), 1, text.size(), stdout) != text.size() || std::fflush(stdout) != 0) {
      std::fprintf(stderr, "%s: cannot write standard output\n", argv[0]);
      return 1;
    }
  } catch (const tamvo::Failure&) {
    std::fprintf(stderr, "%s: the registration record cannot be registered\n", argv[0]);
    return 1;
  }
  return 0;
}
