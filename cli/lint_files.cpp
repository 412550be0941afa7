#include "cli/lint_files.h"

#include <filesystem>
#include <ios>
#include <istream>
#include <iterator>
#include <nlohmann/json.hpp>
#include <optional>
#include <ostream>
#include <string>

#include "cli/run_report.h"
#include "cli/sarif_log.h"
#include "cli/tamvo_cli.h"
#include "commands/descriptions.h"
#include "commands/lint.h"
#include "engine/failure.h"
#include "engine/text.h"
#include "host/file_io.h"
#include "host/module_file.h"

namespace tamvo {

int RunLint(const LintRequest& request, const std::vector<ModuleOptions>& modules,
            const CliEnvironment& env) {
  const bool json = request.format == "json";
  const bool sarif = request.format == "sarif";
  nlohmann::ordered_json array = nlohmann::ordered_json::array();
  std::optional<SarifLog> log;
  if (sarif) log.emplace(SarifLog::RepositoryRoot());
  bool found = false;
  bool failed = false;
  for (std::size_t i = 0; i < request.files.size(); ++i) {
    const std::string& name = request.files[i];
    const ModuleOptions& module = modules[i];
    const bool standardInput = name == "-";
    const std::string shown = standardInput ? kStandardInputName : name;
    try {
      ModuleFile file = ReadModule(name, module.encoding, env);
      const std::vector<LineNumber> fileLines = file.LineMap().FileLinesOfModuleLines();
      LintOptions options;
      options.publicOnly = module.publicOnly;
      options.disabled = module.disabled;
      // A document's module keeps its descriptions, as update leaves them.
      if (module.descriptions &&
          DescribesMembers(file.Exported(),
                           ModuleKindOfExtension(FromUtf8(PathOfUtf8(name).extension().string())))) {
        options.descriptions = &file.Exported();
      }
      for (const auto& finding : LintModule(*file.Module(), options)) {
        found = true;
        const LineNumber line = fileLines[static_cast<std::size_t>(finding.line)];
        if (sarif) {
          log->Add(name, line, finding);
        } else if (json) {
          array.push_back({{"file", shown},
                           {"line", line},
                           {"column", finding.column},
                           {"rule", LintRuleName(finding.rule)},
                           {"message", ToUtf8(finding.message)},
                           {"procedure", ToUtf8(finding.procedure)}});
        } else {
          env.out << shown << ':' << line << ':' << finding.column << ": " << kFindingSeverity << ": "
                  << ToUtf8(finding.message) << " [" << LintRuleName(finding.rule) << "]\n";
        }
      }
    } catch (const Failure& failure) {
      env.err << "tamvo: " << shown << ": " << ToUtf8(failure.Description()) << '\n';
      failed = true;
    } catch (const std::exception& failure) {
      env.err << "tamvo: " << shown << ": " << failure.what() << '\n';
      failed = true;
    }
  }
  if (json) env.out << array.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace) << '\n';
  if (sarif) env.out << log->Text();
  env.out << std::flush;
  // Findings cut short are no report a CI job can trust.
  if (!env.out) {
    env.err << "tamvo: " << kStandardOutputName << ": can't write\n";
    return kExitFailed;
  }
  if (failed) return kExitFailed;
  return found ? kExitWouldChange : kExitDone;
}

}  // namespace tamvo
