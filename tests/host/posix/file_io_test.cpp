#include "host/file_io.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>

#include "engine/failure.h"
#include "engine/text.h"

namespace tamvo {
namespace {

namespace fs = std::filesystem;

// Another program writes the file between tamvo's read and its rename: the
// other program's edit stays, tamvo's write fails and leaves nothing behind.
TEST(WriteFileAtomically, LeavesAFileChangedSinceItWasReadToWhoChangedIt) {
  const fs::path folder = fs::temp_directory_path() / ("tamvo-file-io-" + std::to_string(::getpid()));
  const fs::path path = folder / "m.bas";
  const struct {
    const char* what;
    std::function<void()> change;
  } cases[] = {
      {"rewritten in place, same size",
       [&] {
         std::ofstream(path, std::ios::binary) << "theirs";
         // Same size, and a time that can't be the one read even on a coarse clock.
         const timespec times[2] = {{0, UTIME_OMIT}, {1000000000, 0}};
         ::utimensat(AT_FDCWD, path.c_str(), times, 0);
       }},
      {"replaced by a rename",
       [&] {
         std::ofstream(folder / "other", std::ios::binary) << "theirs";
         fs::rename(folder / "other", path);
       }},
      {"appended to", [&] { std::ofstream(path, std::ios::binary | std::ios::app) << "theirs"; }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    fs::remove_all(folder);
    fs::create_directories(folder);
    std::ofstream(path, std::ios::binary) << "before";
    const FileContents read = ReadFileToRewrite(path);
    c.change();
    const std::string changed = ReadFileBytes(path);
    try {
      WriteFileAtomically(path, "tamvo's", read.identity);
      ADD_FAILURE() << "written over the change";
    } catch (const Failure& failure) {
      EXPECT_EQ(ToUtf8(failure.Description()), "changed while tamvo was working; run again");
    }
    EXPECT_EQ(ReadFileBytes(path), changed);
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 1);
  }
  fs::remove_all(folder);
}

}  // namespace
}  // namespace tamvo
