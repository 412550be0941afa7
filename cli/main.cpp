#include <unistd.h>

#include <iostream>

#include "cli/settings_file.h"
#include "cli/tamvo_cli.h"

int main(int argc, char** argv) {
  std::ios::sync_with_stdio(false);
  const tamvo::CliEnvironment env{std::cin, std::cout, std::cerr,
                                  isatty(STDIN_FILENO) != 0 && isatty(STDERR_FILENO) != 0,
                                  tamvo::SettingsFile::DefaultPath()};
  return tamvo::RunTamvo(std::vector<std::string>(argv + 1, argv + argc), env);
}
