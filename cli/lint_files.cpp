#include "cli/lint_files.h"

#include <istream>
#include <iterator>
#include <nlohmann/json.hpp>
#include <ostream>

#include "cli/run_report.h"
#include "commands/lint.h"
#include "engine/failure.h"
#include "engine/text.h"
#include "host/posix/file_io.h"
#include "host/posix/module_file.h"

namespace tamvo {

int RunLint(const LintRequest& request, const CliEnvironment& env) {
  LintOptions options;
  options.publicOnly = request.scope == "public";
  for (const auto& name : request.disabled) {
    const auto rule = LintRuleOfName(name);
    if (!rule) {
      env.err << "tamvo: lint: no rule " << name << " (rules:";
      for (const LintRule known : kLintRules) env.err << ' ' << LintRuleName(known);
      env.err << ")\n";
      return kExitUsage;
    }
    options.disabled.insert(*rule);
  }

  const bool json = request.format == "json";
  nlohmann::ordered_json array = nlohmann::ordered_json::array();
  bool found = false;
  bool failed = false;
  for (const auto& name : request.files) {
    const bool standardInput = name == "-";
    const std::string shown = standardInput ? "<stdin>" : name;
    try {
      const std::string bytes =
          standardInput ? std::string(std::istreambuf_iterator<char>(env.in), {}) : ReadFileBytes(name);
      const auto stem =
          standardInput ? std::u16string() : FromUtf8(std::filesystem::path(name).stem().string());
      const ModuleFile file = ModuleFile::Parse(bytes, stem, request.codePage, request.encodingChoice);
      const std::vector<LineNumber> fileLines = FileLinesOfModuleLines(file);
      for (const auto& finding : LintModule(*file.Module(), options)) {
        found = true;
        const LineNumber line = fileLines[static_cast<std::size_t>(finding.line)];
        if (json) {
          array.push_back({{"file", shown},
                           {"line", line},
                           {"column", finding.column},
                           {"rule", LintRuleName(finding.rule)},
                           {"message", ToUtf8(finding.message)},
                           {"procedure", ToUtf8(finding.procedure)}});
        } else {
          env.out << shown << ':' << line << ':' << finding.column << ": warning: " << ToUtf8(finding.message)
                  << " [" << LintRuleName(finding.rule) << "]\n";
        }
      }
    } catch (const Failure& failure) {
      env.err << "tamvo: " << shown << ": " << ToUtf8(failure.Description()) << '\n';
      failed = true;
    }
  }
  if (json) env.out << array.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace) << '\n';
  env.out << std::flush;
  if (failed) return kExitFailed;
  return found ? kExitWouldChange : kExitDone;
}

}  // namespace tamvo
