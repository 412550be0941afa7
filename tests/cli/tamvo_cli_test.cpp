#include "cli/tamvo_cli.h"

#include <grp.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>

#include "host/posix/file_io.h"

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
        RefusedCase{"bytes that are not cp932",
                    "Option Explicit\r\n' \x81\x20\r\nSub A()\r\nEnd Sub\r\n",
                    {"insert-all"},
                    "line 2: the bytes 81 20 at column 3 are not valid CP932"},
        RefusedCase{"a UTF-8 character cut short after a byte order mark",
                    "\xEF\xBB\xBF' x\r\n' \xE6\x97\r\n",
                    {"delete-all"},
                    "line 2: the bytes E6 97 at column 3 are not valid UTF-8"},
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
      {"lint", "-i", file},
      {"lint", "--disable", "no-such-rule", file},
      {"lint", "--format", "xml", file},
      {"update-proc", file},
  };
  for (const auto& call : calls) EXPECT_EQ(Run(call), kExitUsage) << ::testing::PrintToString(call);
  EXPECT_EQ(ReadFileBytes(file), kModule);
  EXPECT_EQ(Run({"--version"}), kExitDone);
  EXPECT_EQ(Run({"--help"}), kExitDone);
  EXPECT_NE(out.str().find("insert-header"), std::string::npos);
}

// A documented module: lines counted as --line counts them, the hidden
// attribute on line 1 included.
const std::string kDocumented =
    "Attribute VB_Name = \"mdlDoc\"\r\n'/**\r\n' * Adds.\r\n' * @param a - the a\r\n"
    "' * @param gone - was here\r\n' * @param c\r\n' */\r\nFunction Add(a, b)\r\nEnd Function\r\n";

TEST_F(TamvoCli, LintThenUpdateThenLintIsClean) {
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
  EXPECT_EQ(Run({"lint", file}), kExitDone);
  EXPECT_EQ(out.str(), "");
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

}  // namespace
}  // namespace tamvo
