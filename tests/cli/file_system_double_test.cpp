// The command line over a double of its files that fails where the system
// won't on demand: a read that breaks off, a disk that fills up, another
// program rewriting a module between tamvo's read and its write. The file
// that meets the fault is named and left to what it was; the other files
// still run. Built for Linux and for Windows (tests/win_cli), where the
// double stands over each system's own file layer.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "cli/tamvo_cli.h"
#include "engine/failure.h"
#include "host/file_io.h"

namespace tamvo {
namespace {

namespace fs = std::filesystem;

enum class Fault {
  ReadBreaksOff,    // a disk error partway through the read
  DiskFull,         // no room for the new file
  ChangedMeanwhile  // another program writes the file between read and write
};

// The system's files, but for the one file the fault is on.
class FaultyFiles final : public FileSystem {
 public:
  FaultyFiles(fs::path file, Fault fault) : file_(std::move(file)), fault_(fault) {}

  std::string ReadBytes(const fs::path& path) override {
    BreakOffRead(path);
    return SystemFiles().ReadBytes(path);
  }
  FileContents ReadToRewrite(const fs::path& path) override {
    BreakOffRead(path);
    return SystemFiles().ReadToRewrite(path);
  }
  void WriteAtomically(const fs::path& path, std::string_view bytes,
                       const std::optional<FileIdentity>& expected) override {
    if (path == file_ && fault_ == Fault::DiskFull) throw Failure(u"can't write: No space left on device");
    if (path == file_ && fault_ == Fault::ChangedMeanwhile) {
      std::ofstream(path, std::ios::binary | std::ios::app) << "' another program's line\r\n";
    }
    SystemFiles().WriteAtomically(path, bytes, expected);
  }

 private:
  void BreakOffRead(const fs::path& path) const {
    if (path == file_ && fault_ == Fault::ReadBreaksOff) throw Failure(u"can't read: Input/output error");
  }

  fs::path file_;
  Fault fault_;
};

const std::string kModule = "Attribute VB_Name = \"m\"\r\nPublic Sub A(ByVal x As Long)\r\nEnd Sub\r\n";

std::string Contents(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST(FileSystemDouble, AFaultIsItsFilesAloneAndLeavesIt) {
  const fs::path folder = fs::temp_directory_path() / "tamvo-file-system-double";
  const struct {
    const char* what;
    std::vector<std::string> command;  // the two files follow
    Fault fault;
    int exitCode;
    std::string said;         // about the faulty file, after "tamvo: FILE: "
    std::string faultyAfter;  // the faulty file afterwards
    bool otherRewritten;      // the other file commented
  } cases[] = {
      {"a read that breaks off, in place",
       {"insert-all", "-i"},
       Fault::ReadBreaksOff,
       kExitFailed,
       "can't read: Input/output error\n",
       kModule,
       true},
      {"a read that breaks off, checked",
       {"insert-all", "--check"},
       Fault::ReadBreaksOff,
       kExitFailed,
       "can't read: Input/output error\n",
       kModule,
       false},
      {"a read that breaks off, linted",
       {"lint"},
       Fault::ReadBreaksOff,
       kExitFailed,
       "can't read: Input/output error\n",
       kModule,
       false},
      {"a full disk",
       {"update-all", "-i"},
       Fault::DiskFull,
       kExitFailed,
       "can't write: No space left on device\n",
       kModule,
       true},
      {"another program's write",
       {"insert-all", "-i"},
       Fault::ChangedMeanwhile,
       kExitFailed,
       "changed while tamvo was working; run again\n",
       kModule + "' another program's line\r\n",
       true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    fs::remove_all(folder);
    fs::create_directories(folder);
    const fs::path faulty = folder / "a.bas", other = folder / "b.bas";
    for (const auto& file : {faulty, other}) std::ofstream(file, std::ios::binary) << kModule;
    FaultyFiles files(faulty, c.fault);
    std::istringstream in;
    std::ostringstream out, err;
    const CliEnvironment env{in, out, err, false, std::nullopt, nullptr, "", files};
    auto args = c.command;
    args.insert(args.end(), {faulty.string(), other.string()});

    EXPECT_EQ(RunTamvo(args, env), c.exitCode);
    EXPECT_NE(err.str().find("tamvo: " + faulty.string() + ": " + c.said), std::string::npos) << err.str();
    EXPECT_EQ(Contents(faulty), c.faultyAfter);
    EXPECT_EQ(Contents(other) != kModule, c.otherRewritten) << Contents(other);
    std::vector<std::string> left;
    for (const auto& entry : fs::directory_iterator(folder)) left.push_back(entry.path().filename().string());
    EXPECT_EQ(left.size(), 2u) << "a temporary file is left";
  }
  fs::remove_all(folder);
}

}  // namespace
}  // namespace tamvo
