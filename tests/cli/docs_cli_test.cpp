#include "cli/docs_cli.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "host/file_io.h"
#include "tests/cli/program_under_test.h"

namespace tamvo {
namespace {

namespace fs = std::filesystem;

class DocsCli : public ::testing::Test {
 protected:
  void SetUp() override {
    folder = fs::temp_directory_path() / ("tamvo-docs-" + std::to_string(::getpid()) + "-" +
                                          ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(folder);
    fs::create_directories(folder);
  }
  void TearDown() override {
    fs::remove_all(folder);
    fs::remove_all(folder.string() + ".run");
  }

  std::string Write(const std::string& name, const std::string& bytes) {
    const fs::path path = folder / name;
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
    return path.string();
  }
  int Run(const std::vector<std::string>& args) {
    out.str("");
    err.str("");
    if (test::ProgramUnderTest() != nullptr) {
      return test::RunProgramUnderTest(args, in, out, err, folder.string() + ".run");
    }
    const CliEnvironment env{in, out, err, false, std::nullopt};
    return RunTamvo(args, env);
  }

  fs::path folder;
  std::istringstream in;
  std::ostringstream out;
  std::ostringstream err;
};

const std::string kModule =
    "Attribute VB_Name = \"mdlA\"\r\n'/**\r\n' * Adds.\r\n' */\r\nSub Add()\r\nEnd Sub\r\n";

TEST_F(DocsCli, ExitCodesAndWhatIsWritten) {
  const auto good = Write("a/mdlA.bas", kModule);
  const auto same = Write("b/mdlA.bas", kModule);
  const auto pages = (folder / "pages").string();
  const struct {
    std::vector<std::string> args;
    int exit;
    std::vector<std::string> written;
  } cases[] = {
      {{"docs", "-o", pages, good, same}, kExitDone, {"a_mdlA.md", "b_mdlA.md", "index.md"}},
      {{"docs", "--format", "html", "-o", pages, good}, kExitDone, {"index.html", "mdlA.html"}},
      // A module that can't be read is named; the others get their pages.
      {{"docs", "-o", pages, (folder / "missing.bas").string(), good}, kExitFailed, {"index.md", "mdlA.md"}},
      {{"docs", "-i", "-o", pages, good}, kExitUsage, {}},
      {{"docs", "--format", "pdf", "-o", pages, good}, kExitUsage, {}},
      {{"docs", "-o", pages}, kExitUsage, {}},
      {{"doxygen-filter", good, same}, kExitUsage, {}},
      {{"docs", "-o", good, good}, kExitFailed, {}},  // the folder is a file
  };
  for (const auto& c : cases) {
    fs::remove_all(pages);
    EXPECT_EQ(Run(c.args), c.exit) << c.args[1] << err.str();
    std::vector<std::string> written;
    if (fs::exists(pages)) {
      for (const auto& entry : fs::directory_iterator(pages))
        written.push_back(entry.path().filename().string());
    }
    std::sort(written.begin(), written.end());
    EXPECT_EQ(written, c.written) << c.args[1];
  }
}

TEST_F(DocsCli, FilterKeepsTheFilesLineCount) {
  const auto file = Write("mdlA.bas", kModule);
  EXPECT_EQ(Run({"doxygen-filter", file}), kExitDone);
  EXPECT_EQ(out.str(), "class mdlA { \n/**\n * @brief Adds.\n */\npublic: static void Add();\n };\n");
  EXPECT_EQ(Run({"doxygen-filter", (folder / "missing.bas").string()}), kExitFailed);
  EXPECT_NE(err.str().find("missing.bas"), std::string::npos);
}

}  // namespace
}  // namespace tamvo
