#include "cli/tamvo_cli.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "host/file_io.h"

namespace tamvo {
namespace {

namespace fs = std::filesystem;

const std::string kModule =
    "Attribute VB_Name = \"mdlSample\"\r\nOption Explicit\r\n\r\n' adds\r\n"
    "Public Function Add(ByVal a As Long, ByVal b As Long) As Long\r\n    Add = a + b\r\nEnd Function\r\n"
    "Private Sub Form_Load()\r\nEnd Sub\r\n";

const std::string kCommented =
    "Attribute VB_Name = \"mdlSample\"\r\nOption Explicit\r\n\r\n'/**\r\n' * .\r\n' * @return \r\n"
    "' * @param a\r\n' * @param b\r\n' */\r\n"
    "Public Function Add(ByVal a As Long, ByVal b As Long) As Long\r\n    Add = a + b\r\nEnd Function\r\n"
    "\r\n'/**\r\n' * Form \x93\xc7\x82\xdd\x8d\x9e\x82\xdd\x8e\x9e.\r\n' */\r\nPrivate Sub Form_Load()\r\nEnd Sub\r\n";

class TamvoCli : public ::testing::Test {
 protected:
  void SetUp() override {
    folder = fs::temp_directory_path() /
             ("tamvo-cli-" + std::to_string(::getpid()) + "-" +
              ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(folder);
    fs::create_directories(folder);
  }
  void TearDown() override {
    fs::permissions(folder, fs::perms::owner_all);
    fs::remove_all(folder);
  }

  std::string Write(const std::string& name, const std::string& bytes) {
    std::ofstream(folder / name, std::ios::binary) << bytes;
    return (folder / name).string();
  }

  int Run(std::vector<std::string> args, bool interactive = false) {
    out.str("");
    err.str("");
    CliEnvironment env{in, out, err, interactive, folder / "config" / "settings"};
    return RunTamvo(args, env);
  }

  fs::path folder;
  std::istringstream in;
  std::ostringstream out;
  std::ostringstream err;
};

TEST_F(TamvoCli, InsertAllInPlaceTwiceEqualsOnce) {
  const auto file = Write("a.bas", kModule);
  EXPECT_EQ(Run({"insert-all", "-i", file}), kExitDone);
  EXPECT_EQ(ReadFileBytes(file), kCommented);
  EXPECT_EQ(Run({"-i", "insert-all", file}), kExitDone);
  EXPECT_EQ(ReadFileBytes(file), kCommented);
}

TEST_F(TamvoCli, StandardOutputCarriesTheFileAsItWouldBeWritten) {
  const auto file = Write("a.bas", kModule);
  EXPECT_EQ(Run({"insert-all", file}), kExitDone);
  EXPECT_EQ(out.str(), kCommented);
  EXPECT_EQ(ReadFileBytes(file), kModule);

  in.str(kModule);
  EXPECT_EQ(Run({"insert-all", "-"}), kExitDone);
  EXPECT_EQ(out.str(), kCommented);
}

TEST_F(TamvoCli, CheckChangesNothingAndTellsByItsExitCode) {
  const auto raw = Write("raw.bas", kModule);
  const auto done = Write("done.bas", kCommented);
  EXPECT_EQ(Run({"insert-all", "--check", done}), kExitDone);
  EXPECT_EQ(Run({"insert-all", "--check", raw, done}), kExitWouldChange);
  EXPECT_NE(err.str().find("raw.bas"), std::string::npos);
  EXPECT_EQ(err.str().find("done.bas"), std::string::npos);
  EXPECT_EQ(ReadFileBytes(raw), kModule);
}

TEST_F(TamvoCli, ProcedureAtALineCountedWithHiddenLines) {
  const auto file = Write("a.bas", kModule);
  // Line 9 of the file is "End Sub" of Form_Load; line 1 is a hidden attribute.
  EXPECT_EQ(Run({"insert-proc", "--line", "9", file}), kExitDone);
  EXPECT_NE(out.str().find("'/**\r\n' * Form "), std::string::npos);
  EXPECT_EQ(out.str().find("@return"), std::string::npos);
  EXPECT_EQ(Run({"delete-proc", "--line", "1", file}), kExitDone);
  EXPECT_EQ(out.str(), kModule);
  EXPECT_EQ(Run({"delete-proc", "--line", "4", file}), kExitDone);
  EXPECT_EQ(out.str().find("' adds"), std::string::npos);
}

TEST_F(TamvoCli, AFailingFileStaysAsItWasAndTheOthersRun) {
  const std::string broken = "Attribute VB_Name = \"b\"\r\n' keep\r\nSub S(a\r\nEnd Sub\r\n";
  const auto bad = Write("bad.bas", broken);
  const auto good = Write("good.bas", kModule);
  EXPECT_EQ(Run({"insert-all", "-i", bad, good, (folder / "missing.bas").string()}), kExitFailed);
  EXPECT_EQ(ReadFileBytes(bad), broken);
  EXPECT_EQ(ReadFileBytes(good), kCommented);
  EXPECT_NE(err.str().find("bad.bas: Invalid procedure call or argument"), std::string::npos) << err.str();
  EXPECT_NE(err.str().find("missing.bas: can't read"), std::string::npos) << err.str();
}

TEST_F(TamvoCli, AuthorIsStoredAndOfferedNextTime) {
  const auto file = Write("a.bas", kModule);
  EXPECT_EQ(Run({"insert-header", "--author", "山田", file}), kExitDone);
  EXPECT_NE(out.str().find("' * @auther     \x8e\x52\x93\x63\r\n"), std::string::npos);
  EXPECT_NE(out.str().find("' * @modulename mdlSample\r\n"), std::string::npos);

  // Not on a terminal: the stored author, without asking.
  EXPECT_EQ(Run({"insert-header", file}), kExitDone);
  EXPECT_NE(out.str().find("' * @auther     \x8e\x52\x93\x63\r\n"), std::string::npos);

  // On a terminal: asked once with the stored author as preset; Enter keeps it.
  in.str("\n");
  EXPECT_EQ(Run({"insert-header", file}, true), kExitDone);
  EXPECT_NE(err.str().find("作成者名 [山田]: "), std::string::npos);
  EXPECT_NE(out.str().find("' * @auther     \x8e\x52\x93\x63\r\n"), std::string::npos);

  in.str("Suzuki\n");
  EXPECT_EQ(Run({"insert-header", file}, true), kExitDone);
  EXPECT_NE(out.str().find("' * @auther     Suzuki\r\n"), std::string::npos);

  // End of input is Cancel: the empty author.
  in.str("");
  in.clear();
  EXPECT_EQ(Run({"insert-header", file}, true), kExitDone);
  EXPECT_NE(out.str().find("' * @auther     \r\n"), std::string::npos);
}

TEST_F(TamvoCli, AnAuthorTheCodePageCantHoldWritesNothing) {
  const auto file = Write("a.bas", kModule);
  EXPECT_EQ(Run({"insert-header", "-i", "--author", "\xF0\x9F\x98\x80", file}), kExitFailed);
  EXPECT_EQ(ReadFileBytes(file), kModule);
  EXPECT_NE(err.str().find("a.bas: "), std::string::npos);
}

TEST_F(TamvoCli, AFolderThatCantBeWrittenLeavesTheFile) {
  if (::geteuid() == 0) GTEST_SKIP() << "root writes anywhere";
  const auto file = Write("a.bas", kModule);
  fs::permissions(folder, fs::perms::owner_read | fs::perms::owner_exec);
  EXPECT_EQ(Run({"insert-all", "-i", file}), kExitFailed);
  EXPECT_EQ(ReadFileBytes(file), kModule);
}

TEST_F(TamvoCli, UsageErrors) {
  const auto file = Write("a.bas", kModule);
  const std::vector<std::vector<std::string>> calls = {
      {},
      {"insert-all"},
      {"insert-proc", file},
      {"insert-proc", "--line", "0", file},
      {"insert-all", file, file},
      {"insert-all", "-i", "--check", file},
      {"insert-all", "-i", "-"},
      {"reformat", file},
  };
  for (const auto& call : calls) EXPECT_EQ(Run(call), kExitUsage) << ::testing::PrintToString(call);
  EXPECT_EQ(ReadFileBytes(file), kModule);
  EXPECT_EQ(Run({"--version"}), kExitDone);
  EXPECT_EQ(Run({"--help"}), kExitDone);
  EXPECT_NE(out.str().find("insert-header"), std::string::npos);
}

}  // namespace
}  // namespace tamvo
