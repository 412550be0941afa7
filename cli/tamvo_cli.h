#pragma once
// The tamvo command: the six commands on exported module files.

#include <filesystem>
#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "commands/services.h"
#include "host/file_io.h"
#include "host/module_file.h"

namespace tamvo {

// What --version prints after "tamvo ", and SARIF logs name.
inline constexpr const char* kTamvoVersion = "1.0.0";

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
  // The system's own store of the author, used instead of the settings file
  // (on Windows, where the add-in keeps it), and how messages name it.
  Settings* systemSettings = nullptr;
  const char* systemSettingsName = "";
  // The module files read and rewritten: the system's, or a test's double.
  FileSystem& files = SystemFiles();
};

// Every usage error goes through here, so that each reads
// "tamvo: MESSAGE" on one line of standard error; returns kExitUsage.
int UsageError(const CliEnvironment& env, std::string_view message);

// An encoding as --encoding or a .tamvo.toml names it, resolved.
struct ResolvedEncoding {
  std::string codePage = "CP932";
  EncodingChoice choice = EncodingChoice::Detect;
};

// Resolves name into encoding, or returns the usage error that name is:
// one iconv doesn't know, or one that doesn't write ASCII as ASCII. what
// begins the message: "--encoding".
std::optional<std::string> ResolveEncoding(const std::string& name, const std::string& what,
                                           ResolvedEncoding& encoding);

// All of standard input; throws Failure on a read error, so that a module
// read partway is never taken for a whole one.
std::string ReadStandardInput(std::istream& in);

// The module of a file, or of standard input for "-" (named by no stem then),
// read in the encoding given. Throws Failure as the reads and the parse do.
ModuleFile ReadModule(const std::string& name, const ResolvedEncoding& encoding, const CliEnvironment& env);

// Runs "tamvo <args...>" (args without the program name); returns the exit code.
int RunTamvo(const std::vector<std::string>& args, const CliEnvironment& env);

}  // namespace tamvo
