#pragma once
// tamvo docs and tamvo doxygen-filter: the blocks of exported modules as
// pages, and as the comments doxygen reads.

#include <string>
#include <vector>

#include "cli/tamvo_cli.h"
#include "host/posix/module_file.h"

namespace CLI {
class App;
}

namespace tamvo {

struct DocsRequest {
  bool docs = false;    // tamvo docs was given
  bool filter = false;  // tamvo doxygen-filter was given
  std::vector<std::string> files;
  std::string format = "markdown";  // markdown | html
  std::string output = "docs";
  bool includePrivate = false;
  std::string codePage = "CP932";  // with encodingChoice, --encoding resolved
  EncodingChoice encodingChoice = EncodingChoice::Detect;
};

// Adds the two commands to the command line; their options go to request.
void AddDocsCommands(CLI::App& app, DocsRequest& request);

// docs: exit 0 when every page was written, 3 when a module could not be
// read (named on standard error; the other modules still get their pages)
// or a page could not be written. doxygen-filter: the filtered module on
// standard output, exit 3 when the module could not be read.
int RunDocsCommand(const DocsRequest& request, const CliEnvironment& env);

}  // namespace tamvo
