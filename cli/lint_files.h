#pragma once
// tamvo lint: the findings of exported module files, one a line in the
// compiler's style, as one JSON array, or as a SARIF log.

#include <optional>
#include <string>
#include <vector>

#include "cli/project_config.h"
#include "cli/tamvo_cli.h"

namespace tamvo {

// What every finding is, in every format: lint's exit code treats them alike.
inline constexpr const char* kFindingSeverity = "warning";

struct LintRequest {
  std::vector<std::string> files;
  std::optional<std::string> scope;   // all | public, when given
  std::vector<std::string> disabled;  // rule names
  bool disabledGiven = false;         // --disable was given
  std::string format = "text";        // text | json | sarif
};

// modules: the options of each file, in their order. Exit 0 without
// findings, 1 with findings, 3 when a file could not be read (named on
// standard error; the others still run).
int RunLint(const LintRequest& request, const std::vector<ModuleOptions>& modules, const CliEnvironment& env);

}  // namespace tamvo
