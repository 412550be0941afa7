#include "cli/tamvo_cli.h"

#include <grp.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <new>
#include <optional>
#include <sstream>
#include <stdexcept>

#include "cli/settings_file.h"
#include "commands/lint.h"
#include "host/file_io.h"
#include "tests/cli/program_under_test.h"

namespace tamvo {
namespace {

namespace fs = std::filesystem;
using test::ProgramUnderTest;
using test::RunProgramUnderTest;
using test::ShownByProgram;

const std::string kModule =
    "Attribute VB_Name = \"mdlSample\"\r\nOption Explicit\r\n\r\n' adds\r\n"
    "Public Function Add(ByVal a As Long, ByVal b As Long) As Long\r\n    Add = a + b\r\nEnd Function\r\n"
    "Private Sub Form_Load()\r\nEnd Sub\r\n";

const std::string kCommented =
    "Attribute VB_Name = \"mdlSample\"\r\nOption Explicit\r\n\r\n'/**\r\n' * .\r\n' * @return \r\n"
    "' * @param a\r\n' * @param b\r\n' */\r\n"
    "Public Function Add(ByVal a As Long, ByVal b As Long) As Long\r\n    Add = a + b\r\nEnd Function\r\n"
    "\r\n'/**\r\n' * Form \x93\xc7\x82\xdd\x8d\x9e\x82\xdd\x8e\x9e.\r\n' */\r\nPrivate Sub "
    "Form_Load()\r\nEnd Sub\r\n";

class TamvoCli : public ::testing::Test {
 protected:
  void SetUp() override {
    folder = fs::temp_directory_path() / ("tamvo-cli-" + std::to_string(::getpid()) + "-" +
                                          ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(folder);
    fs::create_directories(folder);
  }
  void TearDown() override {
    fs::permissions(folder, fs::perms::owner_all);
    fs::remove_all(folder);
    fs::remove_all(folder.string() + ".run");
  }

  std::string Write(const std::string& name, const std::string& bytes) {
    std::ofstream(folder / name, std::ios::binary) << bytes;
    return (folder / name).string();
  }

  int Run(std::vector<std::string> args, bool interactive = false) { return Run(args, in, interactive); }
  int Run(std::vector<std::string> args, std::istream& input, bool interactive = false) {
    out.str("");
    err.str("");
    // The streams go beside the test's folder, which some cases list.
    if (ProgramUnderTest() != nullptr)
      return RunProgramUnderTest(args, input, out, err, folder.string() + ".run");
    CliEnvironment env{input, out, err, interactive, SettingsPath()};
    return RunTamvo(args, env);
  }
  fs::path SettingsPath() const { return folder / "config" / "settings"; }

  // Runs tamvo as a user that file permissions bind. Root, as CI runs the
  // tests, may read and write whatever the permissions say; there the run
  // forks and becomes nobody first, its error output coming back through a pipe.
  int RunBoundByPermissions(const std::vector<std::string>& args) {
    if (::geteuid() != 0) return Run(args);
    int fds[2];
    if (::pipe(fds) != 0) return -1;
    const pid_t child = ::fork();
    if (child == 0) {
      ::close(fds[0]);
      constexpr uid_t kNobody = 65534;
      if (::setgroups(0, nullptr) != 0 || ::setgid(kNobody) != 0 || ::setuid(kNobody) != 0) ::_exit(125);
      const int code = Run(args);
      const std::string text = err.str();
      const bool sent = ::write(fds[1], text.data(), text.size()) == static_cast<ssize_t>(text.size());
      ::_exit(sent ? code : 126);
    }
    ::close(fds[1]);
    std::string text;
    char buffer[4096];
    for (ssize_t n; (n = ::read(fds[0], buffer, sizeof buffer)) > 0;)
      text.append(buffer, static_cast<std::size_t>(n));
    ::close(fds[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    err.str(text);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

  fs::path folder;
  std::istringstream in;
  std::ostringstream out;
  std::ostringstream err;
};

// What only a run in this process can set up (a terminal, a stream that
// fails, the settings file, another user, POSIX attributes): a test of it
// is skipped when the runs go to another program.
#define TAMVO_IN_THIS_PROCESS_ONLY(what) \
  if (ProgramUnderTest() != nullptr) GTEST_SKIP() << what << " only in this process"

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

  in.str(kModule);
  in.clear();
  EXPECT_EQ(Run({"insert-proc", "--line", "1", "-"}), kExitDone);
  EXPECT_EQ(err.str(), "tamvo: <stdin>: line 1 is not in a procedure; nothing to do\n");
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

// --check over many files works on several at once: what each file tells
// still comes in the order of the files, as one run after the other tells it.
TEST_F(TamvoCli, CheckOverManyFilesTellsInTheOrderOfTheFiles) {
  std::string large = "Attribute VB_Name = \"large\"\r\n";
  for (int i = 0; i < 3000; ++i) large += "' old\r\nSub S" + std::to_string(i) + "(a)\r\nEnd Sub\r\n";
  std::vector<std::string> files{Write("large.bas", large)};
  for (int i = 0; i < 12; ++i) {
    const std::string name = "f" + std::to_string(i) + ".bas";
    files.push_back(i % 4 == 1   ? Write(name, "Sub S(a\r\nEnd Sub\r\n")  // fails
                    : i % 4 == 2 ? (folder / name).string()               // missing
                    : i % 4 == 3 ? Write(name, kCommented)
                                 : Write(name, kModule));
  }
  std::string oneByOne;
  for (const auto& file : files) {
    Run({"--check", "insert-all", file});
    oneByOne += err.str();
  }
  std::vector<std::string> args{"--check", "insert-all"};
  args.insert(args.end(), files.begin(), files.end());
  EXPECT_EQ(Run(args), kExitFailed);
  EXPECT_EQ(err.str(), oneByOne);
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

TEST_F(TamvoCli, ContinuedDeclarationAtAnyOfItsLines) {
  const auto file = Write(
      "a.bas", "Attribute VB_Name = \"a\"\r\nPrivate Sub _\r\ncmdOK_Click(a, _  \r\n  b)\r\nEnd Sub\r\n");
  EXPECT_EQ(Run({"insert-proc", "--line", "4", file}), kExitDone) << err.str();
  EXPECT_EQ(
      out.str(),
      "Attribute VB_Name = \"a\"\r\n\r\n'/**\r\n' * cmdOK \x83\x4e\x83\x8a\x83\x62\x83\x4e\x8e\x9e.\r\n"
      "' * @param a\r\n' * @param b\r\n' */\r\nPrivate Sub _\r\ncmdOK_Click(a, _  \r\n  b)\r\nEnd Sub\r\n");
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
  TAMVO_IN_THIS_PROCESS_ONLY("a terminal and the settings file:");
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

// Valid UTF-8 whose characters all lie below U+0800 ("é" is C3 A9) reads
// as cp932 too ("ﾃｩ"), and auto takes it so.
const std::string kLatinUtf8 =
    "' pond\xC3\xA9r\xC3\xA9"
    "e\r\nPrivate Sub Worksheet_SelectionChange(ByVal Target As Range)\r\n"
    "End Sub\r\n";
const std::string kReadsBothWays =
    "this file reads as UTF-8 and as cp932; new text would mix the two: run again with --encoding utf-8 "
    "or --encoding cp932\n";

// Input tamvo refuses: exit code 3, a message naming the file and the
// cause, and the file byte for byte as it was.
struct RefusedCase {
  const char* what;
  std::string bytes;
  std::vector<std::string> command;  // the file and -i follow
  std::string cause;                 // what follows "tamvo: FILE: "
  friend void PrintTo(const RefusedCase& c, std::ostream* os) { *os << c.what; }
};

class RefusedInput : public TamvoCli, public ::testing::WithParamInterface<RefusedCase> {};

TEST_P(RefusedInput, LeavesTheFileAndSaysWhy) {
  const auto& c = GetParam();
  const auto file = Write("m.bas", c.bytes);
  auto args = c.command;
  args.insert(args.end(), {"-i", file});
  EXPECT_EQ(Run(args), kExitFailed);
  EXPECT_EQ(ReadFileBytes(file), c.bytes);
  EXPECT_NE(err.str().find("tamvo: " + file + ": " + c.cause), std::string::npos) << err.str();
}

INSTANTIATE_TEST_SUITE_P(
    BadFiles, RefusedInput,
    ::testing::Values(
        RefusedCase{"a binary file",
                    "Attribute VB_Name = \"m\"\r\n" + std::string("\x7F"
                                                                  "ELF\0\x01",
                                                                  6),
                    {"insert-all"},
                    "this is a binary file, not an exported module"},
        RefusedCase{"a UTF-16 file",
                    std::string("\xFF\xFEO\0p\0", 6),
                    {"insert-all"},
                    "this file is UTF-16, which exported modules never are"},
        RefusedCase{"bytes that are neither UTF-8 nor cp932",
                    "Option Explicit\r\n' \x81\x20\r\nSub A()\r\nEnd Sub\r\n",
                    {"insert-all"},
                    "line 2: the bytes 81 20 at column 3 are not valid CP932; if the file is in another "
                    "encoding, name it with --encoding\n"},
        RefusedCase{"cp932 read as UTF-8",
                    "' \x93\xFA\r\nSub A()\r\nEnd Sub\r\n",
                    {"--encoding", "utf-8", "insert-all"},
                    "line 1: the bytes 93 FA at column 3 are not valid UTF-8; if the file is in another "
                    "encoding, name it with --encoding\n"},
        RefusedCase{"a UTF-8 character cut short after a byte order mark",
                    "\xEF\xBB\xBF' x\r\n' \xE6\x97\r\n",
                    {"delete-all"},
                    "line 2: the bytes E6 97 at column 3 are not valid UTF-8\n"},
        RefusedCase{"an event summary for UTF-8 Latin text read as cp932",
                    kLatinUtf8,
                    {"insert-all"},
                    kReadsBothWays},
        RefusedCase{"an author for UTF-8 Latin text read as cp932",
                    kLatinUtf8,
                    {"insert-header", "--author", "\xE5\xB1\xB1\xE7\x94\xB0"},
                    kReadsBothWays},
        RefusedCase{"a lone UTF-16 surrogate written as UTF-8",
                    "Option Explicit\r\n' \xE6\x97\xA5 \xED\xA0\x80\r\nSub A()\r\nEnd Sub\r\n",
                    {"insert-all"},
                    "line 2: the bytes ED A0 80 at column 7 are a UTF-16 surrogate written as UTF-8"},
        RefusedCase{"a form cut off inside its designer block",
                    "VERSION 5.00\r\nBegin VB.Form frm\r\n   Caption = \"x\"\r\n   Begin VB.CommandButton "
                    "cmd\r\n   End\r\n",
                    {"insert-all"},
                    "line 2: the Begin block there has no End"},
        RefusedCase{
            "an author the code page can't hold",
            kModule,
            {"insert-header", "--author", "\xF0\x9F\x98\x80"},
            "\"' * @auther     \xF0\x9F\x98\x80\" holds \xF0\x9F\x98\x80 (U+1F600), which CP932 can't hold"}),
    [](const auto& info) { return "Case" + std::to_string(info.index); });

// Unusual input that is still a module: processed as any other.
struct AcceptedCase {
  const char* what;
  std::string bytes;
  std::string command;
  std::string output;
  friend void PrintTo(const AcceptedCase& c, std::ostream* os) { *os << c.what; }
};

// One line of about 1 MB, a declaration without line end or End Sub, and
// what insert-all makes of it: every parameter in the block, the line as it was.
AcceptedCase OneMegabyteLine() {
  std::string line = "Public Sub Big(";
  std::string block = "\r\n'/**\r\n' * .\r\n";
  for (int i = 0; line.size() < (1u << 20); ++i) {
    const std::string name = "p" + std::to_string(i);
    line += (i > 0 ? ", ByVal " : "ByVal ") + name + " As Long";
    block += "' * @param " + name + "\r\n";
  }
  line += ")";
  return {"a 1 MB single line", line, "insert-all", block + "' */\r\n" + line};
}

class AcceptedInput : public TamvoCli, public ::testing::WithParamInterface<AcceptedCase> {};

TEST_P(AcceptedInput, IsProcessed) {
  const auto& c = GetParam();
  EXPECT_EQ(Run({c.command, Write("m.bas", c.bytes)}), kExitDone) << err.str();
  EXPECT_TRUE(out.str() == c.output) << out.str().substr(0, 2000);
}

INSTANTIATE_TEST_SUITE_P(
    UnusualFiles, AcceptedInput,
    ::testing::Values(
        AcceptedCase{"a module of only comments: nothing to comment",
                     "' one\r\n' two _\r\n  three\r\n\r\nRem four\r\n", "insert-all",
                     "' one\r\n' two _\r\n  three\r\n\r\nRem four\r\n"},
        AcceptedCase{"a module of only comments: nothing to delete", "' one\r\n\r\nRem four\r\n",
                     "delete-all", "' one\r\n\r\nRem four\r\n"},
        AcceptedCase{
            "CR line ends only, kept for the new lines",
            "Attribute VB_Name = \"m\"\rOption Explicit\r\r' old\rSub A(x)\rEnd Sub\r", "insert-all",
            "Attribute VB_Name = \"m\"\rOption Explicit\r\r'/**\r' * .\r' * @param x\r' */\rSub A(x)\rEnd "
            "Sub\r"},
        OneMegabyteLine()),
    [](const auto& info) { return "Case" + std::to_string(info.index); });

TEST_F(TamvoCli, FilesThatCantBeReadOrWrittenStayAsTheyWere) {
  // Whatever the umask, nobody may look into the test's folder.
  fs::permissions(folder, fs::perms::owner_all | fs::perms::others_read | fs::perms::others_exec);
  const fs::path locked = folder / "locked";
  fs::create_directories(locked);
  const struct {
    const char* what;
    fs::path file;
    std::optional<fs::perms> filePerms;  // none: no such file
    bool rootIgnoresIt;                  // permissions that bind root only as nobody
    std::string cause;
  } cases[] = {
      {"a missing file", folder / "missing.bas", std::nullopt, false,
       "can't read: No such file or directory"},
      {"a folder", folder / "folder.bas", std::nullopt, false, "can't read: Is a directory"},
      {"an unreadable file", folder / "secret.bas", fs::perms::none, true, "can't read: Permission denied"},
      {"a read-only file", folder / "frozen.bas", fs::perms::owner_read | fs::perms::others_read, false,
       "can't write: the file is read-only"},
      {"a file in a read-only folder", locked / "a.bas", fs::perms::all, true,
       "can't write in " + locked.string() + ": Permission denied"},
  };
  fs::create_directories(folder / "folder.bas");
  for (const auto& c : cases) {
    if (c.filePerms) {
      Write(fs::relative(c.file, folder).string(), kModule);
      fs::permissions(c.file, *c.filePerms);
    }
  }
  fs::permissions(locked, fs::perms::owner_read | fs::perms::owner_exec | fs::perms::others_read |
                              fs::perms::others_exec);

  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    if (c.rootIgnoresIt && ProgramUnderTest() != nullptr) continue;  // Wine runs as its prefix's owner only
    const std::vector<std::string> args = {"insert-all", "-i", c.file.string()};
    EXPECT_EQ(c.rootIgnoresIt ? RunBoundByPermissions(args) : Run(args), kExitFailed);
    EXPECT_NE(err.str().find("tamvo: " + c.file.string() + ": " + c.cause), std::string::npos) << err.str();
    if (c.filePerms) {
      fs::permissions(c.file, fs::perms::owner_read);
      EXPECT_EQ(ReadFileBytes(c.file), kModule);
    }
  }
  fs::permissions(locked, fs::perms::owner_all);
}

TEST_F(TamvoCli, InPlaceOnALinkRewritesItsTarget) {
  // Wine shows a Unix link as the file it leads to, which Windows' own
  // links are not.
  TAMVO_IN_THIS_PROCESS_ONLY("Unix links:");
  const fs::path targets = folder / "targets", links = folder / "links", locked = folder / "locked";
  for (const auto& f : {targets, links, locked}) fs::create_directories(f);
  const struct {
    const char* what;
    fs::path link;
    fs::path pointsTo;
    fs::path target;
  } cases[] = {
      {"a relative link", links / "a.bas", "../targets/a.bas", targets / "a.bas"},
      {"an absolute link", links / "b.bas", targets / "b.bas", targets / "b.bas"},
      {"a link in a read-only folder", locked / "c.bas", targets / "c.bas", targets / "c.bas"},
  };
  for (const auto& c : cases) {
    std::ofstream(c.target, std::ios::binary) << kModule;
    fs::create_symlink(c.pointsTo, c.link);
  }
  fs::permissions(locked, fs::perms::owner_read | fs::perms::owner_exec);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(Run({"insert-all", "-i", c.link.string()}), kExitDone) << err.str();
    EXPECT_EQ(fs::read_symlink(c.link), c.pointsTo);
    EXPECT_EQ(ReadFileBytes(c.target), kCommented);
  }
  fs::permissions(locked, fs::perms::owner_all);
  for (const auto& entry : fs::recursive_directory_iterator(folder)) {
    EXPECT_EQ(entry.path().string().find(".tamvo-"), std::string::npos) << entry.path();
  }
}

TEST_F(TamvoCli, InPlaceRefusesWhatItCantRewriteWhole) {
  ASSERT_EQ(::mkfifo((folder / "pipe").c_str(), 0600), 0);
  fs::create_symlink(folder / "pipe", folder / "fifo.bas");
  fs::create_symlink("/dev/null", folder / "device.bas");
  const auto twice = Write("twice.bas", kModule);
  fs::create_hard_link(twice, folder / "other name.bas");
  const struct {
    std::string file;
    std::string cause;
  } cases[] = {
      {(folder / "fifo.bas").string(), "not a regular file; only regular files are rewritten"},
      {(folder / "device.bas").string(), "not a regular file; only regular files are rewritten"},
      {twice, "the file has 2 names (hard links), which rewriting it would split; it is left as it is"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Run({"insert-all", "-i", c.file}), kExitFailed);
    EXPECT_EQ(err.str(), "tamvo: " + c.file + ": " + c.cause + "\n");
  }
  EXPECT_TRUE(fs::is_symlink(folder / "fifo.bas") && fs::is_symlink(folder / "device.bas"));
  EXPECT_EQ(fs::hard_link_count(twice), 2u);
  EXPECT_EQ(ReadFileBytes(folder / "other name.bas"), kModule);
}

std::map<std::string, std::string> ExtendedAttributes(const std::string& path) {
  std::map<std::string, std::string> attributes;
  std::string names(4096, '\0');
  names.resize(
      static_cast<std::size_t>(std::max<ssize_t>(0, ::listxattr(path.c_str(), names.data(), names.size()))));
  for (std::size_t at = 0; at < names.size(); at += std::strlen(names.c_str() + at) + 1) {
    std::string value(4096, '\0');
    const ssize_t n = ::getxattr(path.c_str(), names.c_str() + at, value.data(), value.size());
    value.resize(static_cast<std::size_t>(std::max<ssize_t>(0, n)));
    attributes[names.c_str() + at] = value;
  }
  return attributes;
}

TEST_F(TamvoCli, InPlaceKeepsOwnerGroupAndExtendedAttributes) {
  TAMVO_IN_THIS_PROCESS_ONLY("POSIX owners and attributes:");
  const auto file = Write("a.bas", kModule);
  if (::setxattr(file.c_str(), "user.tamvo", "kept", 4, 0) != 0) {
    GTEST_SKIP() << "this file system keeps no user attributes: " << std::strerror(errno);
  }
  // An access ACL as the kernel stores it: version 2, then entries of tag,
  // permissions and id: the owner rw, nobody r, the group r, mask r, others r.
  constexpr uid_t kNobody = 65534;
  constexpr std::uint32_t kAnyone = 0xFFFFFFFF;
  struct AclEntry {
    std::uint16_t tag, permissions;
    std::uint32_t id;
  };
  std::string acl("\x02\0\0\0", 4);
  for (const AclEntry entry :
       {AclEntry{0x01, 6, kAnyone}, AclEntry{0x02, 4, kNobody}, AclEntry{0x04, 4, kAnyone},
        AclEntry{0x10, 4, kAnyone}, AclEntry{0x20, 4, kAnyone}}) {
    acl.append(reinterpret_cast<const char*>(&entry), sizeof entry);
  }
  if (::setxattr(file.c_str(), "system.posix_acl_access", acl.data(), acl.size(), 0) != 0) {
    GTEST_SKIP() << "this file system keeps no ACLs: " << std::strerror(errno);
  }
  // Only root may give a file away: as another user the owner is tamvo's own.
  if (::geteuid() == 0) {
    ASSERT_EQ(::chown(file.c_str(), kNobody, kNobody), 0);
  }
  struct stat before {};
  ASSERT_EQ(::stat(file.c_str(), &before), 0);
  const auto attributes = ExtendedAttributes(file);

  EXPECT_EQ(Run({"insert-all", "-i", file}), kExitDone) << err.str();
  struct stat after {};
  ASSERT_EQ(::stat(file.c_str(), &after), 0);
  EXPECT_NE(after.st_ino, before.st_ino);  // a new file indeed
  EXPECT_EQ(after.st_uid, before.st_uid);
  EXPECT_EQ(after.st_gid, before.st_gid);
  EXPECT_EQ(after.st_mode, before.st_mode);
  EXPECT_EQ(ExtendedAttributes(file), attributes);
}

// A stream whose reading throws, as an allocation or a library may.
class ThrowingBuffer : public std::streambuf {
 public:
  explicit ThrowingBuffer(std::function<void()> fault) : fault_(std::move(fault)) {}

 protected:
  int_type underflow() override {
    fault_();
    return traits_type::eof();
  }

 private:
  std::function<void()> fault_;
};

TEST_F(TamvoCli, AFailureOfAnyKindIsItsFilesAlone) {
  TAMVO_IN_THIS_PROCESS_ONLY("a stream that throws:");
  const auto good = Write("good.bas", kModule);
  const struct {
    const char* cause;
    std::function<void()> fault;
  } cases[] = {
      {"out of memory", [] { throw std::bad_alloc(); }},
      {"basic_string::_M_create", [] { throw std::length_error("basic_string::_M_create"); }},
  };
  for (const auto& c : cases) {
    ThrowingBuffer buffer(c.fault);
    std::istream input(&buffer);
    EXPECT_EQ(Run({"insert-all", "--check", "-", good}, input), kExitFailed);
    const std::string said = err.str();
    EXPECT_TRUE(said.starts_with("tamvo: <stdin>: " + std::string(c.cause) + "\n")) << said;
    EXPECT_TRUE(said.ends_with("tamvo: " + good + ": would change\n")) << said;
  }
}

TEST_F(TamvoCli, AStandardInputGoneBadIsAFailureNotAnEmptyModule) {
  TAMVO_IN_THIS_PROCESS_ONLY("a stream gone bad:");
  for (const std::string command : {"insert-all", "lint"}) {
    SCOPED_TRACE(command);
    std::istream input(nullptr);  // bad from the start: nothing to read, and no end of file either
    EXPECT_EQ(Run({command, "-"}, input), kExitFailed);
    EXPECT_EQ(err.str(), "tamvo: <stdin>: can't read\n");
    EXPECT_EQ(out.str(), "");
  }
}

TEST_F(TamvoCli, EncodingIsDetectedOrForced) {
  // C3 BD is "ﾃｽ" in cp932 and "ý" in UTF-8; E6 97 A5 is "日" in UTF-8.
  const std::string katakana = "' \xC3\xBD\r\nPrivate Sub Form_Load()\r\nEnd Sub\r\n";
  const std::string kanji = "' \xE6\x97\xA5\r\nPrivate Sub Form_Load()\r\nEnd Sub\r\n";
  const std::string inCp932 = "' * Form \x93\xc7\x82\xdd\x8d\x9e\x82\xdd\x8e\x9e.\r\n";
  const std::string inUtf8 = "' * Form 読み込み時.\r\n";
  const struct {
    const std::string& bytes;
    std::vector<std::string> encoding;
    const std::string& summary;
  } cases[] = {
      {katakana, {"--encoding", "cp932"}, inCp932},
      {katakana, {"--encoding=utf-8"}, inUtf8},
      {kanji, {}, inUtf8},
      {kanji, {"--encoding", "cp932"}, inCp932},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.encoding) + c.bytes);
    auto args = c.encoding;
    args.insert(args.end(), {"insert-all", Write("m.bas", c.bytes)});
    EXPECT_EQ(Run(args), kExitDone) << err.str();
    EXPECT_NE(out.str().find(c.summary), std::string::npos) << out.str();
  }
}

TEST_F(TamvoCli, AFileThatReadsBothWaysTakesNoComposedTextAnywhere) {
  const auto file = Write("m.bas", kLatinUtf8);
  for (const char* check : {"--check", "--encoding=AUTO"}) {
    EXPECT_EQ(Run({"insert-all", check, file}), kExitFailed);
    EXPECT_EQ(out.str(), "");
    EXPECT_TRUE(err.str().ends_with("tamvo: " + file + ": " + kReadsBothWays)) << err.str();
  }
  // Text the file holds goes back as its own bytes: a description follows
  // its parameter's new name.
  const auto renamed = Write("r.bas",
                             "'/**\r\n' * @param old pond\xC3\xA9r\xC3\xA9"
                             "e\r\n' */\r\n"
                             "Sub A(ByVal b As Long)\r\nEnd Sub\r\n");
  EXPECT_EQ(Run({"update-all", renamed}), kExitDone) << err.str();
  EXPECT_NE(out.str().find("' * @param b pond\xC3\xA9r\xC3\xA9"
                           "e\r\n"),
            std::string::npos)
      << out.str();
}

TEST_F(TamvoCli, AnEncodingThatCantBeUsedIsAUsageErrorToldOnce) {
  const auto file = Write("a.bas", kModule);
  const struct {
    const char* option;
    const char* message;
  } cases[] = {
      {"--encoding=", "--encoding needs a name: auto, utf-8 or a code page such as cp932"},
      {"--encoding=no-such-code-page", "--encoding: unknown encoding no-such-code-page"},
      {"--encoding=UTF-16", "--encoding: UTF-16 doesn't write ASCII as ASCII, as exported modules do"},
      {"--encoding=utf-7", "--encoding: utf-7 doesn't write ASCII as ASCII, as exported modules do"},
      {"--encoding=IBM037", "--encoding: IBM037 doesn't write ASCII as ASCII, as exported modules do"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Run({"insert-all", "--check", c.option, file, file}), kExitUsage);
    EXPECT_EQ(err.str(), "tamvo: " + std::string(c.message) + "\n");
  }
}

TEST_F(TamvoCli, AnAuthorWithAControlCharacterIsRefused) {
  const auto file = Write("a.bas", kModule);
  const struct {
    const char* what;
    std::vector<std::string> author;
    std::string typed;
    std::optional<std::string> stored;  // the settings file's bytes
    const char* control;
  } cases[] = {
      {"given", {"--author", "a\x01z"}, "", std::nullopt, "U+0001"},
      {"typed", {}, "a\x1B[31mz\n", std::nullopt, "U+001B"},
      {"stored", {}, "", std::string("tamv\tsettings\tauther\ta\0z\n", 24), "U+0000"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    if (ProgramUnderTest() != nullptr && (c.stored || !c.typed.empty()))
      continue;  // the settings file, a terminal
    fs::remove_all(SettingsPath().parent_path());
    if (c.stored) {
      fs::create_directories(SettingsPath().parent_path());
      std::ofstream(SettingsPath(), std::ios::binary) << *c.stored;
    }
    std::vector<std::string> args = {"insert-header", "-i", file};
    args.insert(args.end(), c.author.begin(), c.author.end());
    in.str(c.typed);
    in.clear();
    EXPECT_EQ(Run(args, !c.typed.empty()), kExitFailed);
    EXPECT_NE(err.str().find(std::string("the author holds the control character ") + c.control),
              std::string::npos)
        << err.str();
    EXPECT_EQ(ReadFileBytes(file), kModule);
    if (ProgramUnderTest() != nullptr) continue;
    if (c.stored) {
      EXPECT_EQ(ReadFileBytes(SettingsPath()), *c.stored);
    } else {
      EXPECT_FALSE(fs::exists(SettingsPath()));
    }
  }
}

TEST_F(TamvoCli, AnAuthorIsStoredOnlyOnceAFileTookIt) {
  TAMVO_IN_THIS_PROCESS_ONLY("the settings file:");
  const auto file = Write("a.bas", kModule);
  // cp932 lacks the character: the run fails, and the next one must not.
  EXPECT_EQ(Run({"insert-header", "--author", "\xF0\x9F\x98\x80", "-i", file}), kExitFailed);
  EXPECT_EQ(Run({"insert-header", "-i", file}), kExitDone) << err.str();
  EXPECT_NE(ReadFileBytes(file).find("' * @auther     \r\n"), std::string::npos);
}

TEST_F(TamvoCli, ASettingsFileThatCantBeReadIsNamed) {
  TAMVO_IN_THIS_PROCESS_ONLY("the settings file:");
  const auto file = Write("a.bas", kModule);
  fs::create_directories(SettingsPath());
  EXPECT_EQ(Run({"insert-header", "--author", "x", "-i", file}), kExitFailed);
  EXPECT_EQ(err.str(), "tamvo: " + SettingsPath().string() + ": can't read: Is a directory\n");
  EXPECT_EQ(ReadFileBytes(file), kModule);
}

TEST(SettingsFile, NoneWithoutAHomeOrAnAbsoluteConfigFolder) {
  const auto saved = [](const char* name) -> std::optional<std::string> {
    const char* value = std::getenv(name);
    return value ? std::optional<std::string>(value) : std::nullopt;
  };
  const auto restore = [](const char* name, const std::optional<std::string>& value) {
    if (value) {
      ::setenv(name, value->c_str(), 1);
    } else {
      ::unsetenv(name);
    }
  };
  const auto xdg = saved("XDG_CONFIG_HOME"), home = saved("HOME");
  const struct {
    std::optional<std::string> xdg, home;
    std::optional<fs::path> path;
  } cases[] = {
      {std::nullopt, std::nullopt, std::nullopt},
      {"relative", std::nullopt, std::nullopt},
      {"relative", "/home/u", "/home/u/.config/tamvo/settings"},
      {"/config", "/home/u", "/config/tamvo/settings"},
  };
  for (const auto& c : cases) {
    restore("XDG_CONFIG_HOME", c.xdg);
    restore("HOME", c.home);
    EXPECT_EQ(SettingsFile::DefaultPath(), c.path) << c.xdg.value_or("-") << " " << c.home.value_or("-");
  }
  restore("XDG_CONFIG_HOME", xdg);
  restore("HOME", home);
}

TEST_F(TamvoCli, UsageErrorsAreOneLineOfTamvoAndReadNoFile) {
  const auto file = Write("a.bas", kModule);
  const std::string commands =
      " (commands: insert-proc, insert-all, insert-header, delete-proc, delete-all, delete-header, "
      "update-proc, update-all, update-header, lint, lsp, coverage, docs, doxygen-filter)";
  const struct {
    std::vector<std::string> args;
    std::string message;  // what the line says after "tamvo: ", or how it begins
  } cases[] = {
      {{}, "no command given" + commands},
      {{"insert-al", file}, "unknown command 'insert-al'; did you mean 'insert-all'?" + commands},
      {{"--check", "UPDATE-AL", file}, "unknown command 'UPDATE-AL'; did you mean 'update-all'?" + commands},
      {{"--encoding", "cp932", "delete", file},
       "unknown command 'delete'; did you mean 'delete-all'?" + commands},
      {{"reformat", file}, "unknown command 'reformat'" + commands},
      {{"insert-proc", "--line", "abc", file}, "--line needs a line number from 1, not 'abc'"},
      {{"insert-proc", "--line", "0", file}, "--line needs a line number from 1, not '0'"},
      {{"delete-proc", "--line=-3", file}, "--line needs a line number from 1, not '-3'"},
      {{"update-proc", "--line", "2x", file}, "--line needs a line number from 1, not '2x'"},
      {{"insert-proc", "--line", "99999999999", file},
       "--line needs a line number from 1, not '99999999999'"},
      {{"insert-proc", file, "--line"}, "--line needs a value"},
      {{"insert-proc", file}, "--line is required"},
      {{"insert-all"}, "FILE is required"},
      {{"insert-all", file, file}, "without -i or --check give exactly one FILE"},
      {{"insert-all", "-i", "--check", file}, "-i and --check don't go together"},
      {{"--in-place", "insert-all", "--check", file}, "-i and --check don't go together"},
      {{"insert-all", "-i", "-"}, "standard input can't be rewritten in place"},
      {{"insert-all", "--bogus", file}, "the following argument was not expected: --bogus"},
      {{"lint", "-i", file}, "lint changes nothing: -i and --check don't go with it"},
      {{"lint", "--disable", "no-such-rule", file}, "lint: no rule no-such-rule (rules: missing-doc "},
      {{"lint", "--format", "xml", file}, "--format: xml not in {text,json,sarif}"},
      {{"coverage", "--check", file}, "coverage changes nothing: -i and --check don't go with it"},
      {{"coverage", "--fail-under", "80%", file}, "--fail-under needs a percentage from 0 to 100, not '80%'"},
      {{"coverage", "--fail-under", "100.5", file},
       "--fail-under needs a percentage from 0 to 100, not '100.5'"},
      {{"lint", "--config", file, "--no-config", file}, "--config and --no-config don't go together"},
      {{"insert-all", "--config", (folder / "none.toml").string(), file}, "--config: File does not exist"},
  };
  for (const auto& c : cases) {
    const auto shown = ::testing::PrintToString(c.args);
    EXPECT_EQ(Run(c.args), kExitUsage) << shown;
    const std::string said = err.str();
    EXPECT_TRUE(said.starts_with("tamvo: " + c.message)) << shown << said;
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << shown << said;
  }
  EXPECT_EQ(ReadFileBytes(file), kModule);
  EXPECT_EQ(Run({"--version"}), kExitDone);
  EXPECT_EQ(Run({"--help"}), kExitDone);
  EXPECT_NE(out.str().find("insert-header"), std::string::npos);
}

TEST_F(TamvoCli, EachCommandsHelpListsTheOptionsItTakes) {
  const struct {
    std::string command;
    std::vector<std::string> listed;
    std::vector<std::string> notListed;
  } cases[] = {
      {"insert-proc",
       {"--line N", "-i,--in-place", "--check", "--encoding ENC", "--config FILE"},
       {"--author"}},
      {"update-header", {"--author", "-i,--in-place", "--check", "--encoding ENC"}, {"--line"}},
      {"delete-all", {"-i,--in-place", "--check", "--encoding ENC"}, {"--line", "--author"}},
      {"lint",
       {"--scope", "--disable", "--encoding ENC", "--config FILE", "--no-config"},
       {"--in-place", "--check"}},
      {"coverage",
       {"--scope", "--fail-under PERCENT", "--format", "--encoding ENC", "--config FILE"},
       {"--check"}},
      {"docs", {"--private", "-o DIR", "--encoding ENC"}, {"--in-place", "--check"}},
      {"doxygen-filter", {"--encoding ENC"}, {"--in-place", "--check"}},
      {"lsp", {"--stdio", "--config FILE", "--no-config"}, {"--encoding"}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Run({c.command, "--help"}), kExitDone) << c.command;
    const std::string help = out.str();
    for (const auto& option : c.listed) EXPECT_NE(help.find(option), std::string::npos) << c.command;
    for (const auto& option : c.notListed) EXPECT_EQ(help.find(option), std::string::npos) << c.command;
  }
  // Every rule, one a line, with what it finds.
  EXPECT_EQ(Run({"lint", "--help"}), kExitDone);
  const std::string help = out.str();
  for (const LintRule rule : kLintRules) {
    const std::string name(LintRuleName(rule));
    const auto at = help.find("\n  " + name + " ");
    ASSERT_NE(at, std::string::npos) << name;
    const std::string line = help.substr(at + 1, help.find('\n', at + 1) - at - 1);
    EXPECT_TRUE(line.ends_with(" " + std::string(LintRuleSummary(rule)))) << line;
  }
}

// A documented module: lines counted as --line counts them, the hidden
// attribute on line 1 included.
const std::string kDocumented =
    "Attribute VB_Name = \"mdlDoc\"\r\n'/**\r\n' * Adds.\r\n' * @param a - the a\r\n"
    "' * @param gone - was here\r\n' * @param c\r\n' */\r\nFunction Add(a, b)\r\nEnd Function\r\n";

TEST_F(TamvoCli, LintThenUpdateLeavesOnlyTheMissingWords) {
  const auto file = Write("doc.bas", kDocumented);
  EXPECT_EQ(Run({"lint", file}), kExitWouldChange);
  EXPECT_EQ(out.str(), file + ":5:5: warning: @param gone names no parameter of Add [param-stale]\n" + file +
                           ":6:5: warning: @param c names no parameter of Add [param-stale]\n" + file +
                           ":8:1: warning: parameter b of Add has no @param [param-missing]\n" + file +
                           ":8:1: warning: Function Add has no @return [return-missing]\n");

  EXPECT_EQ(Run({"update-all", "-i", file}), kExitDone);
  EXPECT_EQ(err.str(), file + ":5: removed \"@param gone\" (no such parameter)\n" + file +
                           ":6: removed \"@param c\" (no such parameter)\n");
  EXPECT_EQ(ReadFileBytes(file),
            "Attribute VB_Name = \"mdlDoc\"\r\n'/**\r\n' * Adds.\r\n' * @return \r\n"
            "' * @param a - the a\r\n' * @param b\r\n' */\r\nFunction Add(a, b)\r\nEnd Function\r\n");
  EXPECT_EQ(Run({"update-all", "--check", file}), kExitDone);
  // What update wrote is in line; the words are a person's to write.
  EXPECT_EQ(Run({"lint", file}), kExitWouldChange);
  EXPECT_EQ(out.str(), file + ":4:5: warning: @return of Add says nothing [return-undescribed]\n" + file +
                           ":6:5: warning: @param b of Add says nothing [param-undescribed]\n");
}

TEST_F(TamvoCli, LintAsJsonAndItsExitCodes) {
  const auto file = Write("a.bas", kModule);
  EXPECT_EQ(Run({"lint", "--format", "json", "--disable", "missing-doc,summary-empty", file}), kExitDone);
  EXPECT_EQ(out.str(), "[]\n");
  EXPECT_EQ(Run({"lint", "--format", "json", "--scope", "public", file}), kExitWouldChange);
  EXPECT_EQ(out.str(),
            "[\n  {\n    \"file\": \"" + file +
                "\",\n    \"line\": 5,\n    \"column\": 1,\n    \"rule\": \"missing-doc\",\n"
                "    \"message\": \"Add has no doc block\",\n    \"procedure\": \"Add\"\n  }\n]\n");
  EXPECT_EQ(Run({"lint", file, (folder / "missing.bas").string()}), kExitFailed);
  EXPECT_NE(err.str().find("missing.bas"), std::string::npos);
  EXPECT_NE(out.str().find("[missing-doc]"), std::string::npos) << "the readable file is still linted";
}

TEST_F(TamvoCli, InsertTellsWhatItReplacesAndUpdateHeaderNamesTheModule) {
  const auto file = Write("a.bas", kModule);
  EXPECT_EQ(Run({"insert-all", file}), kExitDone);
  EXPECT_EQ(out.str(), kCommented);
  EXPECT_EQ(err.str(),
            file + ":4: replaced 1 comment lines written by hand above Add (update-all keeps them)\n");

  const auto renamed = Write("mdlNew.bas", "'/**\r\n' * Tools.\r\n' * @modulename mdlOld\r\n' */\r\n");
  EXPECT_EQ(Run({"update-header", renamed}), kExitDone);
  EXPECT_EQ(out.str(), "'/**\r\n' * Tools.\r\n' * @modulename mdlNew\r\n' */\r\n");
  EXPECT_EQ(Run({"update-header", "--author", "me", file}), kExitDone);
  EXPECT_NE(out.str().find("' * @modulename mdlSample\r\n' * @auther     me\r\n"), std::string::npos);
}

TEST_F(TamvoCli, ProcedureAtALineOfTwoOfOneName) {
  const auto file = Write("t.bas",
                          "#If VBA7 Then\r\nFunction T() As LongPtr\r\nEnd Function\r\n#Else\r\n"
                          "Function T() As Long\r\nEnd Function\r\n#End If\r\n");
  EXPECT_EQ(Run({"insert-proc", "--line", "6", file}), kExitDone);
  EXPECT_EQ(out.str(),
            "#If VBA7 Then\r\nFunction T() As LongPtr\r\nEnd Function\r\n#Else\r\n\r\n'/**\r\n' * .\r\n"
            "' * @return \r\n' */\r\nFunction T() As Long\r\nEnd Function\r\n#End If\r\n");
}

TEST_F(TamvoCli, ALineUpdateMovesKeepsItsBytes) {
  // "\xEE\xEF" is one of cp932's two spellings of U+2170; the code page
  // writes the other ("\xFA\x40").
  const auto file = Write("m.bas",
                          "'/**\r\n' * x\r\n' * @see \xEE\xEF\r\n' * @param a the a\r\n' */\r\n"
                          "Sub F(a)\r\nEnd Sub\r\n");
  EXPECT_EQ(Run({"update-all", file}), kExitDone);
  EXPECT_EQ(out.str(),
            "'/**\r\n' * x\r\n' * @param a the a\r\n' * @see \xEE\xEF\r\n' */\r\nSub F(a)\r\nEnd Sub\r\n");
}

// The modules of tests/cli/coverage, counted by hand. mdlTools.bas: ten
// procedures (its Declare is none); Add is documented, and so is Clear,
// whose stale @param takes nothing away; Scale's @return and Log's @param
// say nothing, Half has no @return, Copy no @param for target, Reset's
// summary is ".", dict_Changed's the placeholder "dict.", TrimName is
// documented in another style and Untouched not at all. dict_Changed,
// TrimName and Clear are Private. clsCounter.cls: five, all public; the
// Handle under #Else has no block, the properties need no @param or
// @return. mdlConstants.bas: none, only a Declare.
TEST_F(TamvoCli, CoverageCountsAsCountedByHand) {
  const std::string project = TAMVO_COVERAGE_PROJECT "/";
  const std::string cls = project + "clsCounter.cls";
  const std::string constants = project + "mdlConstants.bas";
  const std::string tools = project + "mdlTools.bas";
  EXPECT_EQ(Run({"coverage", cls, constants, tools}), kExitDone);
  EXPECT_EQ(out.str(), " 80.0%   4/5  " + cls + "\n100.0%   0/0  " + constants + "\n 20.0%  2/10  " + tools +
                           "\n 40.0%  6/15  total\n");
  EXPECT_EQ(Run({"coverage", "--scope", "public", "--format", "markdown", cls, constants, tools}), kExitDone);
  EXPECT_EQ(out.str(), "| Module | Documented | Coverage |\n|:---|---:|---:|\n| " + cls +
                           " | 4 of 5 | 80.0% |\n| " + constants + " | 0 of 0 | 100.0% |\n| " + tools +
                           " | 1 of 7 | 14.3% |\n| **Total** | 5 of 12 | 41.7% |\n");
  EXPECT_EQ(Run({"coverage", "--format", "json", tools}), kExitDone);
  EXPECT_NE(out.str().find(
                "\"total\": {\n    \"documented\": 2,\n    \"procedures\": 10,\n    \"percent\": 20.0\n"),
            std::string::npos)
      << out.str();

  // 5 of 12 is 41.67%, shown as 41.7%: the threshold is held to the figure.
  const struct {
    std::string threshold;
    int exit;
  } thresholds[] = {
      {"41.6", kExitDone}, {"41.7", kExitWouldChange}, {"0", kExitDone}, {"100", kExitWouldChange}};
  for (const auto& t : thresholds) {
    EXPECT_EQ(Run({"coverage", "--scope", "public", "--fail-under", t.threshold, cls, constants, tools}),
              t.exit)
        << t.threshold;
  }
  EXPECT_EQ(Run({"coverage", "--fail-under", "0", tools, (folder / "missing.bas").string()}), kExitFailed);
  EXPECT_NE(out.str().find("2/10  total"), std::string::npos) << "the readable file is still counted";
}

TEST_F(TamvoCli, CoverageReadsAsDoneOnlyWhenDoneAndAsNothingOnlyForNothing) {
  // 2,000 of 2,001 (99.95%) and 1 of 2,001 (0.05%).
  auto module = [](int documented) {
    std::string text;
    for (int i = 0; i < 2001; ++i) {
      if (i < documented) text += "'/**\r\n' * Does it.\r\n' */\r\n";
      text += "Sub P" + std::to_string(i) + "()\r\nEnd Sub\r\n";
    }
    return text;
  };
  EXPECT_EQ(Run({"coverage", Write("almost.bas", module(2000))}), kExitDone);
  EXPECT_TRUE(out.str().starts_with(" 99.9%  2000/2001  ")) << out.str();
  EXPECT_EQ(Run({"coverage", Write("hardly.bas", module(1))}), kExitDone);
  EXPECT_TRUE(out.str().starts_with("  0.1%  1/2001  ")) << out.str();
}

// A Private helper without a block, and a public function whose block lacks
// a @param: missing-doc and param-missing. The module is named after its file.
const std::string kTwoFindings =
    "'/**\r\n' * Adds.\r\n' * @return the sum\r\n' * @param a - the first\r\n"
    "' */\r\nPublic Function Add(a, b)\r\nEnd Function\r\nPrivate Sub Helper()\r\nEnd Sub\r\n";

TEST_F(TamvoCli, EachModuleTakesTheNearestProjectConfigAndTheCommandLineWinsKeyByKey) {
  Write(".tamvo.toml", "scope = \"public\"\ndisable = [\"param-missing\"]\n");
  fs::create_directories(folder / "legacy");
  Write("legacy/.tamvo.toml", "disable = [\"missing-doc\"]\n");
  const std::string other = Write("other.toml", "scope = \"all\"\n");
  const std::string top = Write("m.bas", kTwoFindings);
  const std::string legacy = Write("legacy/m.bas", kTwoFindings);
  const struct {
    std::vector<std::string> args;
    std::string rules;  // the findings' rules, in their order
  } cases[] = {
      {{"lint", top}, ""},
      {{"lint", legacy}, "[param-missing]"},  // the nearest file alone, not both
      {{"lint", top, legacy}, "[param-missing]"},
      {{"lint", "--scope", "all", top}, "[missing-doc]"},
      {{"lint", "--disable", "missing-doc", top}, "[param-missing]"},
      {{"lint", "--config", other, legacy}, "[param-missing][missing-doc]"},
      {{"lint", "--no-config", top}, "[param-missing][missing-doc]"},
      {{"--no-config", "lint", top}, "[param-missing][missing-doc]"},
  };
  auto rules = [](const std::string& report) {
    std::string found;
    for (std::size_t at = report.find(" ["); at != std::string::npos; at = report.find(" [", at + 1))
      found += report.substr(at + 1, report.find(']', at) - at);
    return found;
  };
  for (const auto& c : cases) {
    Run(c.args);
    EXPECT_EQ(rules(out.str()), c.rules) << ::testing::PrintToString(c.args) << err.str();
  }
  // Standard input takes the configuration of the current folder.
  const fs::path was = fs::current_path();
  fs::current_path(folder / "legacy");
  std::istringstream module(kTwoFindings);
  Run({"lint", "-"}, module);
  fs::current_path(was);
  EXPECT_EQ(rules(out.str()), "[param-missing]");
}

TEST_F(TamvoCli, AProjectConfigToldWrongIsAUsageErrorBeforeAnyModuleIsRead) {
  const std::string config = (folder / ".tamvo.toml").string();
  const struct {
    std::string text;
    std::string message;  // after "tamvo: CONFIG:"
  } cases[] = {
      {"scope = 3\n", "1: scope must be \"all\" or \"public\""},
      {"author = \"me\"\n[docs]\nformat = \"pdf\"\n",
       "3: docs.format must be \"markdown\" or \"html\", not \"pdf\""},
      {"encoding = \"utf-8\"\ncolour = \"red\"\n", "2: unknown key 'colour' (keys: encoding, scope, disable"},
      {"docs.privat = true\n", "1: unknown key 'docs.privat'"},
      {"[docs]\nprivate = \"yes\"\n", "2: docs.private must be true or false"},
      {"disable = [\"tag-order\",\n  \"no-such-rule\"]\n",
       "2: disable: no rule no-such-rule (rules: missing-doc"},
      {"disable = \"tag-order\"\n", "1: disable must be an array of rule names"},
      {"encoding = \"klingon\"\n", "1: encoding: unknown encoding klingon"},
      {"\nscope = \n", "2:9: "},
  };
  // The module doesn't exist: reading it would fail with 3.
  const std::string module = (folder / "missing.bas").string();
  for (const auto& c : cases) {
    Write(".tamvo.toml", c.text);
    EXPECT_EQ(Run({"lint", module}), kExitUsage) << c.text;
    EXPECT_TRUE(err.str().starts_with("tamvo: " + ShownByProgram(config) + ":" + c.message))
        << c.text << err.str();
  }
}

TEST_F(TamvoCli, AProjectsAuthorAndEncodingAreUsedAndNotRemembered) {
  Write(".tamvo.toml", "author = \"Project Team\"\nencoding = \"utf-8\"\n");
  // "' 日本" in cp932, which is no UTF-8.
  const std::string file =
      Write("m.bas", "Attribute VB_Name = \"m\"\r\n' \x93\xfa\x96\x7b\r\nSub A()\r\nEnd Sub\r\n");
  EXPECT_EQ(Run({"insert-header", file}), kExitFailed) << "read as UTF-8";
  EXPECT_EQ(Run({"insert-header", "--encoding", "cp932", file}), kExitDone) << err.str();
  EXPECT_NE(out.str().find("' * @auther     Project Team\r\n"), std::string::npos) << out.str();
  if (ProgramUnderTest() != nullptr) return;  // the settings file
  EXPECT_FALSE(fs::exists(SettingsPath()));
  EXPECT_EQ(Run({"insert-header", "--encoding", "cp932", "--author", "me", file}), kExitDone);
  EXPECT_NE(out.str().find("' * @auther     me\r\n"), std::string::npos);
  EXPECT_NE(ReadFileBytes(SettingsPath()).find("me"), std::string::npos);
}

TEST_F(TamvoCli, DocsTakeTheFormatAndPrivateProceduresFromTheProjectConfig) {
  fs::create_directories(folder / "a");
  fs::create_directories(folder / "b");
  Write("a/.tamvo.toml", "[docs]\nformat = \"html\"\nprivate = true\n");
  const std::string a = Write("a/mdlA.bas", kTwoFindings);
  const std::string b = Write("b/mdlB.bas", kTwoFindings);
  const std::string pages = (folder / "pages").string();
  EXPECT_EQ(Run({"docs", "-o", pages, a}), kExitDone) << err.str();
  EXPECT_NE(ReadFileBytes(folder / "pages" / "mdlA.html").find("Helper"), std::string::npos);
  EXPECT_EQ(Run({"docs", "-o", pages, a, b}), kExitUsage);
  EXPECT_EQ(err.str(),
            "tamvo: the modules' .tamvo.toml files ask for pages in html and in markdown; give --format\n");
  EXPECT_EQ(Run({"docs", "--format", "markdown", "-o", pages, a, b}), kExitDone);
  EXPECT_NE(ReadFileBytes(folder / "pages" / "mdlA.md").find("Helper"), std::string::npos);
  EXPECT_EQ(ReadFileBytes(folder / "pages" / "mdlB.md").find("Helper"), std::string::npos);
}

}  // namespace
}  // namespace tamvo

namespace tamvo {
namespace {

// Descriptions on, from the option or from .tamvo.toml: update writes the
// summaries into VB_Description in the file's encoding (cp932 here) and a
// second run changes nothing; lint then finds none stale, and finds the
// one a person changed; a document's module is left alone, and said so.
TEST_F(TamvoCli, DescriptionsGoWhereTheObjectBrowserReadsThem) {
  const std::string file = Write("m.bas", kCommented);
  ASSERT_EQ(Run({"update-all", "--descriptions", "-i", file}), kExitDone) << err.str();
  std::ostringstream bytes;
  bytes << std::ifstream(file, std::ios::binary).rdbuf();
  EXPECT_NE(bytes.str().find("Private Sub Form_Load()\r\nAttribute Form_Load.VB_Description = \"Form "
                             "\x93\xc7\x82\xdd\x8d\x9e\x82\xdd\x8e\x9e.\"\r\nEnd Sub"),
            std::string::npos)
      << bytes.str();
  EXPECT_EQ(bytes.str().find("Add.VB_Description"), std::string::npos) << "an empty summary writes none";
  EXPECT_EQ(Run({"update-all", "--descriptions", "--check", file}), kExitDone);
  EXPECT_EQ(Run({"lint", "--descriptions", "--disable", "summary-empty,param-undescribed,return-undescribed",
                 file}),
            kExitDone)
      << out.str();

  std::string changed = bytes.str();
  changed.replace(changed.find("VB_Description = \"Form"), 22, "VB_Description = \"Old");
  Write("m.bas", changed);
  EXPECT_EQ(Run({"lint", "--disable", "summary-empty,param-undescribed,return-undescribed", file}), kExitDone)
      << "descriptions off: not held against the summaries";
  Write(".tamvo.toml", "descriptions = true\n");
  EXPECT_EQ(Run({"lint", "--disable", "summary-empty,param-undescribed,return-undescribed", file}),
            kExitWouldChange);
  EXPECT_NE(out.str().find("[description-stale]"), std::string::npos) << out.str();

  const std::string sheet = Write("Sheet1.doccls", changed);
  EXPECT_EQ(Run({"update-all", "-i", sheet}), kExitDone);
  EXPECT_NE(err.str().find("a document's module"), std::string::npos) << err.str();
  EXPECT_EQ(Run({"lint", "--disable", "summary-empty,param-undescribed,return-undescribed", sheet}),
            kExitDone)
      << "what update leaves alone is no finding: " << out.str();
}

}  // namespace
}  // namespace tamvo
