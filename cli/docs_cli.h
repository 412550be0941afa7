#pragma once
// tamvo docs and tamvo doxygen-filter: the blocks of exported modules as
// pages, and as the comments doxygen reads.

#include <optional>
#include <string>
#include <vector>

#include "cli/project_config.h"
#include "cli/tamvo_cli.h"

namespace CLI {
class App;
}

namespace tamvo {

struct DocsRequest {
  bool docs = false;    // tamvo docs was given
  bool filter = false;  // tamvo doxygen-filter was given
  std::vector<std::string> files;
  std::optional<std::string> format;  // markdown | html, when given
  std::string output = "docs";
  bool includePrivate = false;  // --private was given
};

// Adds the two commands to the command line; their options go to request.
void AddDocsCommands(CLI::App& app, DocsRequest& request);

// modules: the options of each file, in their order; the pages take the
// format of the first, which all share. docs: exit 0 when every page was
// written, 3 when a module could not be read (named on standard error; the
// other modules still get their pages) or a page could not be written.
// doxygen-filter: the filtered module on standard output, exit 3 when the
// module could not be read.
int RunDocsCommand(const DocsRequest& request, const std::vector<ModuleOptions>& modules,
                   const CliEnvironment& env);

}  // namespace tamvo
