#pragma once
// The tamvo command: the six commands on exported module files.

#include <filesystem>
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

namespace tamvo {

// Exit codes of the command.
inline constexpr int kExitDone = 0;
inline constexpr int kExitWouldChange = 1;  // --check found a file to change
inline constexpr int kExitUsage = 2;
inline constexpr int kExitFailed = 3;  // a command failed on some file

// How messages name standard input and output.
inline constexpr const char* kStandardInputName = "<stdin>";
inline constexpr const char* kStandardOutputName = "<stdout>";

struct CliEnvironment {
  std::istream& in;
  std::ostream& out;
  std::ostream& err;
  bool interactive;  // standard input and error are a terminal: ask for the author
  std::optional<std::filesystem::path> settingsPath;  // none: the author is not remembered
};

// Runs "tamvo <args...>" (args without the program name); returns the exit code.
int RunTamvo(const std::vector<std::string>& args, const CliEnvironment& env);

}  // namespace tamvo
