#pragma once
// tamvo coverage: how many procedures of exported module files are
// documented, per module and in total, as text, JSON or a Markdown table.

#include <optional>
#include <string>
#include <vector>

#include "cli/project_config.h"
#include "cli/tamvo_cli.h"

namespace CLI {
class App;
}

namespace tamvo {

struct CoverageRequest {
  std::vector<std::string> files;
  std::optional<std::string> scope;          // all | public, when given
  std::optional<std::string> failUnderText;  // --fail-under as given
  std::optional<double> failUnder;           // the same, read: a percentage
  std::string format = "text";               // text | json | markdown
};

// Adds the command to the command line; its options go to request.
void AddCoverageCommand(CLI::App& app, CoverageRequest& request);

// modules: the options of each file, in their order. Exit 1 when the total
// is below --fail-under, 3 when a file could not be read (named on
// standard error; the others are still counted), else 0.
int RunCoverage(const CoverageRequest& request, const std::vector<ModuleOptions>& modules,
                const CliEnvironment& env);

}  // namespace tamvo
