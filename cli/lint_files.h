#pragma once
// tamvo lint: the findings of exported module files, one a line in the
// compiler's style or as one JSON array.

#include <string>
#include <vector>

#include "cli/tamvo_cli.h"
#include "host/posix/module_file.h"

namespace tamvo {

struct LintRequest {
  std::vector<std::string> files;
  std::string scope = "all";          // all | public
  std::vector<std::string> disabled;  // rule names
  std::string format = "text";        // text | json
  std::string codePage = "CP932";     // with encodingChoice, --encoding resolved
  EncodingChoice encodingChoice = EncodingChoice::Detect;
};

// Exit 0 without findings, 1 with findings, 2 for an unknown rule, 3 when a
// file could not be read (named on standard error; the others still run).
int RunLint(const LintRequest& request, const CliEnvironment& env);

}  // namespace tamvo
