// The file layer on Windows keeps the contract of host/file_io.h: what it
// refuses, a file changed since it was read, and what a rewrite keeps.

#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>

#include "cli/tamvo_cli.h"
#include "engine/failure.h"
#include "engine/text.h"
#include "host/file_io.h"

namespace tamvo {
namespace {

namespace fs = std::filesystem;

class FileIoWin : public ::testing::Test {
 protected:
  void SetUp() override {
    folder = fs::temp_directory_path() /
             (L"tamvo-file-io-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
              PathOfUtf8(::testing::UnitTest::GetInstance()->current_test_info()->name()).wstring());
    fs::remove_all(folder);
    fs::create_directories(folder);
    path = folder / L"モジュール.bas";
    Write(path, "before");
  }
  void TearDown() override {
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    fs::remove_all(folder);
  }

  static void Write(const fs::path& file, const std::string& bytes) {
    std::ofstream(file, std::ios::binary) << bytes;
  }
  std::string Failed(const std::function<void()>& f) {
    try {
      f();
    } catch (const Failure& failure) {
      return ToUtf8(failure.Description());
    }
    return "no failure";
  }
  std::size_t FilesInFolder() const {
    return static_cast<std::size_t>(std::distance(fs::directory_iterator(folder), fs::directory_iterator()));
  }

  fs::path folder;
  fs::path path;
};

TEST_F(FileIoWin, RewritesAFileWithAJapaneseNameAndKeepsItsAttributes) {
  SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_HIDDEN);
  const DWORD before = GetFileAttributesW(path.c_str());
  const FileContents read = ReadFileToRewrite(path);
  EXPECT_EQ(read.bytes, "before");
  WriteFileAtomically(path, "after\r\n", read.identity);
  EXPECT_EQ(ReadFileBytes(path), "after\r\n");
  EXPECT_EQ(GetFileAttributesW(path.c_str()) & FILE_ATTRIBUTE_HIDDEN, before & FILE_ATTRIBUTE_HIDDEN);
  EXPECT_EQ(FilesInFolder(), 1u);

  const fs::path fresh = folder / L"新しい.md";
  WriteFileAtomically(fresh, "new");
  EXPECT_EQ(ReadFileBytes(fresh), "new");
  EXPECT_EQ(FilesInFolder(), 2u);
}

// Another program writes the file between tamvo's read and its rename: the
// other program's edit stays, tamvo's write fails and leaves nothing behind.
TEST_F(FileIoWin, LeavesAFileChangedSinceItWasReadToWhoChangedIt) {
  const struct {
    const char* what;
    std::function<void()> change;
  } cases[] = {
      {"rewritten in place, same size",
       [&] {
         Write(path, "theirs");
         const HANDLE file =
             CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
         FILETIME longAgo{0, 1};
         SetFileTime(file, nullptr, nullptr, &longAgo);
         CloseHandle(file);
       }},
      {"replaced by a rename",
       [&] {
         Write(folder / L"other", "theirs");
         MoveFileExW((folder / L"other").c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING);
       }},
      {"appended to", [&] { std::ofstream(path, std::ios::binary | std::ios::app) << "theirs"; }},
      {"deleted", [&] { DeleteFileW(path.c_str()); }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Write(path, "before");
    const FileContents read = ReadFileToRewrite(path);
    c.change();
    const bool exists = fs::exists(path);
    const std::string changed = exists ? ReadFileBytes(path) : "";
    EXPECT_EQ(Failed([&] { WriteFileAtomically(path, "tamvo's", read.identity); }),
              "changed while tamvo was working; run again");
    EXPECT_EQ(fs::exists(path), exists);
    if (exists) {
      EXPECT_EQ(ReadFileBytes(path), changed);
    }
    EXPECT_EQ(FilesInFolder(), exists ? 1u : 0u);
  }
}

TEST_F(FileIoWin, RefusesWhatARewriteWouldSpoil) {
  const fs::path link = folder / L"link.bas";
  ASSERT_TRUE(CreateHardLinkW(link.c_str(), path.c_str(), nullptr));
  EXPECT_EQ(Failed([&] { ReadFileToRewrite(path); }),
            "the file has 2 names (hard links), which rewriting it would split; it is left as it is");
  EXPECT_EQ(Failed([&] { WriteFileAtomically(path, "x"); }),
            "the file has 2 names (hard links), which rewriting it would split; it is left as it is");
  DeleteFileW(link.c_str());

  SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_READONLY);
  EXPECT_EQ(Failed([&] { WriteFileAtomically(path, "x"); }), "can't write: the file is read-only");
  SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
  EXPECT_EQ(ReadFileBytes(path), "before");

  EXPECT_EQ(Failed([&] { ReadFileBytes(folder); }), "can't read: Is a directory");
  EXPECT_EQ(Failed([&] { ReadFileToRewrite(folder); }), "can't read: Is a directory");
  EXPECT_EQ(Failed([&] { WriteFileAtomically(folder, "x"); }), "can't read: Is a directory");
  EXPECT_EQ(Failed([&] { ReadFileToRewrite(L"NUL"); }),
            "not a regular file; only regular files are rewritten");
  // The usual errors in the words they have on Linux.
  EXPECT_EQ(Failed([&] { ReadFileBytes(folder / L"none.bas"); }), "can't read: No such file or directory");
  EXPECT_EQ(Failed([&] { ReadFileBytes(folder / L"none" / L"a.bas"); }),
            "can't read: No such file or directory");
  EXPECT_EQ(FilesInFolder(), 1u);

  // Held open by another program that shares it with none (an editor,
  // Office): said so, and left as it is.
  const HANDLE held = CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  EXPECT_EQ(Failed([&] { ReadFileToRewrite(path); }), "can't read: in use by another program");
  EXPECT_EQ(
      Failed([&] { WriteFileAtomically(path, "x"); }).find("in use by another program") != std::string::npos,
      true);
  // And so the command line says, naming the file.
  std::istringstream in;
  std::ostringstream out, err;
  const std::string name = path.string();
  EXPECT_EQ(RunTamvo({"insert-all", "-i", name}, {in, out, err, false, std::nullopt}), kExitFailed);
  EXPECT_EQ(err.str(), "tamvo: " + name + ": can't read: in use by another program\n");
  CloseHandle(held);
  EXPECT_EQ(ReadFileBytes(path), "before");
  EXPECT_EQ(FilesInFolder(), 1u);
}

}  // namespace
}  // namespace tamvo
