#include "tests/cli/program_under_test.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <utility>

#include "host/file_io.h"

namespace tamvo::test {

namespace fs = std::filesystem;

const char* ProgramUnderTest() { return std::getenv("TAMVO_PROGRAM_UNDER_TEST"); }

int RunProgramUnderTest(const std::vector<std::string>& args, std::istream& input, std::ostringstream& out,
                        std::ostringstream& err, const fs::path& scratch) {
  const fs::path streams = scratch / "streams";
  fs::create_directories(streams);
  std::ofstream(streams / "in", std::ios::binary) << input.rdbuf();
  const pid_t child = ::fork();
  if (child == 0) {
    const std::pair<const char*, int> redirections[] = {{"in", 0}, {"out", 1}, {"err", 2}};
    for (const auto& [name, fd] : redirections) {
      const int opened = fd == 0 ? ::open((streams / name).c_str(), O_RDONLY)
                                 : ::open((streams / name).c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
      ::dup2(opened, fd);
    }
    std::vector<char*> argv{const_cast<char*>(ProgramUnderTest())};
    for (const auto& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    ::execv(ProgramUnderTest(), argv.data());
    ::_exit(127);
  }
  int status = 0;
  ::waitpid(child, &status, 0);
  out.str(ReadFileBytes(streams / "out"));
  err.str(ReadFileBytes(streams / "err"));
  fs::remove_all(streams);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string ShownByProgram(const fs::path& path) {
  if (ProgramUnderTest() == nullptr) return path.string();
  std::string name = "Z:" + path.string();
  std::replace(name.begin(), name.end(), '/', '\\');
  return name;
}

}  // namespace tamvo::test
