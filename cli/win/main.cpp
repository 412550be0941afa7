#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <istream>
#include <ostream>
#include <string>
#include <vector>

#include "cli/tamvo_cli.h"
#include "cli/win/console_streams.h"
#include "commands/win/registry_settings.h"
#include "engine/text.h"
#include "host/file_io.h"

// The C runtime expands wildcards in the arguments (src\*.bas), as a POSIX
// shell would before tamvo starts: neither cmd nor PowerShell does it for
// the programs they run. A pattern that matches nothing stays as it is.
extern "C" {
int _dowildcard = -1;
}

// wmain (with -municode): the arguments as the system holds them, UTF-16,
// made the UTF-8 the command takes, whatever the ANSI code page.
int wmain(int argc, wchar_t** argv) {
  // Anything that still writes through the C library writes bytes too.
  for (FILE* stream : {stdin, stdout, stderr}) {
    if (_fileno(stream) >= 0) _setmode(_fileno(stream), _O_BINARY);
  }
  tamvo::RemoveTemporaryFilesOnSignals();
  std::vector<std::string> args;
  for (int i = 1; i < argc; ++i) {
    args.push_back(tamvo::ToUtf8(reinterpret_cast<const char16_t*>(argv[i])));
  }
  tamvo::StandardStreamBuffer input(tamvo::StandardStream::Input);
  tamvo::StandardStreamBuffer output(tamvo::StandardStream::Output);
  tamvo::StandardStreamBuffer error(tamvo::StandardStream::Error);
  std::istream in(&input);
  std::ostream out(&output);
  std::ostream err(&error);
  // Unbuffered, as std::cerr is: each message goes out whole when written.
  err << std::unitbuf;
  // The author is remembered where the add-in keeps it: a name typed in
  // the editor's input box is the command line's too, and the other way.
  tamvo::RegistrySettings registry;
  const tamvo::CliEnvironment env{in,
                                  out,
                                  err,
                                  input.IsConsole() && error.IsConsole(),
                                  std::nullopt,
                                  &registry,
                                  tamvo::kRegistrySettingsName};
  const int exit = tamvo::RunTamvo(args, env);
  out.flush();
  return exit;
}
