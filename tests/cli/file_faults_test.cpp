// Faults of the machine around the real tamvo binary: a disk that fails
// partway through a read, an output that can't be written, a signal or a
// file-size limit in the middle of a write. Each leaves the module as it was.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <optional>

#include "host/file_io.h"

namespace tamvo {
namespace {

namespace fs = std::filesystem;

// Long enough that a read fails inside it, and a procedure to comment.
std::string Module() {
  std::string text = "Attribute VB_Name = \"m\"\r\n";
  for (int i = 0; i < 200; ++i) text += "Private Const C" + std::to_string(i) + " As Long = 0\r\n";
  return text + "Public Sub A(ByVal x As Long)\r\nEnd Sub\r\n";
}

struct Result {
  int status = 0;
  std::string err;
  std::string out;
};

struct Setting {
  std::vector<std::pair<std::string, std::string>> environment;
  std::optional<std::string> input;   // a file for standard input
  std::optional<std::string> output;  // a file for standard output; "" closes it
  std::optional<rlim_t> fileSizeLimit;
};

class FileFaults : public ::testing::Test {
 protected:
  void SetUp() override {
    folder = fs::temp_directory_path() / ("tamvo-faults-" + std::to_string(::getpid()) + "-" +
                                          ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(folder);
    fs::create_directories(folder);
    file = (folder / "m.bas").string();
    std::ofstream(file, std::ios::binary) << Module();
  }
  void TearDown() override { fs::remove_all(folder); }

  // Runs the tamvo binary with the fault shim preloaded.
  Result Tamvo(const std::vector<std::string>& args, const Setting& setting = {}) {
    const fs::path errPath = folder / "stderr", outPath = folder / "stdout";
    const pid_t child = ::fork();
    if (child == 0) {
      ::setenv("LD_PRELOAD", TAMVO_FAULT_SHIM, 1);
      // A sanitized tamvo would refuse a library preloaded before its runtime.
      ::setenv("ASAN_OPTIONS", "verify_asan_link_order=0", 1);
      ::setenv("HOME", folder.c_str(), 1);
      for (const auto& [name, value] : setting.environment) ::setenv(name.c_str(), value.c_str(), 1);
      // A runner in the background or under nohup ignores some of these,
      // and an ignored signal stays ignored through exec.
      for (const int signal : {SIGINT, SIGTERM, SIGHUP}) std::signal(signal, SIG_DFL);
      if (setting.fileSizeLimit) {
        const rlimit limit{*setting.fileSizeLimit, *setting.fileSizeLimit};
        ::setrlimit(RLIMIT_FSIZE, &limit);
      }
      const int err = ::open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
      ::dup2(err, 2);
      const int in = ::open(setting.input.value_or("/dev/null").c_str(), O_RDONLY);
      ::dup2(in, 0);
      if (setting.output && setting.output->empty()) {
        ::close(1);
      } else {
        const int out =
            ::open(setting.output.value_or(outPath.string()).c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        ::dup2(out, 1);
      }
      std::vector<char*> argv{const_cast<char*>(TAMVO_BINARY)};
      for (const auto& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
      argv.push_back(nullptr);
      ::execv(TAMVO_BINARY, argv.data());
      ::_exit(127);
    }
    Result run;
    ::waitpid(child, &run.status, 0);
    run.err = ReadFileBytes(errPath);
    if (fs::exists(outPath)) run.out = ReadFileBytes(outPath);
    fs::remove(errPath);
    fs::remove(outPath);
    return run;
  }

  // What a killed or failed write could have left beside the module.
  std::vector<std::string> Leftovers() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) {
      if (entry.path().filename() != "m.bas") names.push_back(entry.path().filename().string());
    }
    return names;
  }

  fs::path folder;
  std::string file;
};

int ExitCode(const Result& run) { return WIFEXITED(run.status) ? WEXITSTATUS(run.status) : -1; }

TEST_F(FileFaults, AReadErrorPartwayFailsTheFile) {
  const struct {
    const char* what;
    std::vector<std::string> args;
    bool fromStandardInput;
    std::string name;
  } cases[] = {
      {"in place", {"insert-all", "-i", file}, false, file},
      {"--check", {"insert-all", "--check", file}, false, file},
      {"to standard output", {"insert-all", file}, false, file},
      {"from standard input", {"insert-all", "-"}, true, "<stdin>"},
      {"linted from standard input", {"lint", "-"}, true, "<stdin>"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Setting setting;
    setting.environment = {{"TAMVO_FAIL_READ_AFTER", "1000"}};
    if (c.fromStandardInput) setting.input = file;
    const Result run = Tamvo(c.args, setting);
    EXPECT_EQ(ExitCode(run), 3);
    EXPECT_EQ(run.err, "tamvo: " + c.name + ": can't read: Input/output error\n");
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(ReadFileBytes(file), Module());
  }
}

TEST_F(FileFaults, AnOutputThatCantBeWrittenIsAFailure) {
  const struct {
    const char* output;
    const char* cause;
  } cases[] = {
      {"/dev/full", "No space left on device"}, {"", "Bad file descriptor"},  // closed
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.cause);
    Setting setting;
    setting.output = c.output;
    const Result run = Tamvo({"insert-all", file}, setting);
    EXPECT_EQ(ExitCode(run), 3);
    EXPECT_EQ(run.err, std::string("tamvo: <stdout>: can't write: ") + c.cause + "\n");
  }
}

TEST_F(FileFaults, ASignalDuringAWriteTakesTheTemporaryFileWithIt) {
  for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
    SCOPED_TRACE(signal);
    Setting setting;
    setting.environment = {{"TAMVO_SIGNAL_ON_FSYNC", std::to_string(signal)}};
    const Result run = Tamvo({"insert-all", "-i", file}, setting);
    EXPECT_TRUE(WIFSIGNALED(run.status) && WTERMSIG(run.status) == signal) << run.status;
    EXPECT_EQ(Leftovers(), std::vector<std::string>{});
    EXPECT_EQ(ReadFileBytes(file), Module());
  }
}

TEST_F(FileFaults, AWritePastTheFileSizeLimitIsAnOrdinaryFailure) {
  Setting setting;
  setting.fileSizeLimit = Module().size();
  const Result run = Tamvo({"insert-all", "-i", file}, setting);
  EXPECT_EQ(ExitCode(run), 3) << run.status;
  EXPECT_EQ(run.err, "tamvo: " + file + ": can't write: File too large\n");
  EXPECT_EQ(Leftovers(), std::vector<std::string>{});
  EXPECT_EQ(ReadFileBytes(file), Module());
}

}  // namespace
}  // namespace tamvo
