#include <fcntl.h>
#include <malloc.h>
#include <unistd.h>

#include <cerrno>
#include <iostream>

#include "cli/settings_file.h"
#include "cli/tamvo_cli.h"
#include "host/file_io.h"

int main(int argc, char** argv) {
  // A standard stream that was closed keeps its number taken, by /dev/null
  // opened the wrong way round: using it still fails as it would have, and
  // no file opened later takes its place (a temporary file on 2 would
  // receive the error messages).
  for (int fd = 0; fd <= 2; ++fd) {
    if (fcntl(fd, F_GETFD) == -1 && errno == EBADF) open("/dev/null", fd == 0 ? O_WRONLY : O_RDONLY);
  }
  tamvo::RemoveTemporaryFilesOnSignals();
  // Over many files, memory freed after one is wanted again for the next:
  // the C library keeps it rather than giving the top of the heap back to
  // the system after every file and asking for it again (a system call and
  // fresh zeroed pages each time).
  mallopt(M_TRIM_THRESHOLD, 256 << 20);
  mallopt(M_TOP_PAD, 16 << 20);
  std::ios::sync_with_stdio(false);
  const tamvo::CliEnvironment env{std::cin, std::cout, std::cerr,
                                  isatty(STDIN_FILENO) != 0 && isatty(STDERR_FILENO) != 0,
                                  tamvo::SettingsFile::DefaultPath()};
  return tamvo::RunTamvo(std::vector<std::string>(argv + 1, argv + argc), env);
}
