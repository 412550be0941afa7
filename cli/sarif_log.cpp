#include "cli/sarif_log.h"

#include <algorithm>
#include <cstdio>
#include <iterator>
#include <system_error>

#include "cli/lint_files.h"
#include "cli/tamvo_cli.h"
#include "engine/text.h"
#include "host/file_io.h"

namespace tamvo {

namespace {

namespace fs = std::filesystem;

constexpr const char* kSourceRoot = "%SRCROOT%";

// A path as a URI's path: every byte but letters, digits, "-._~" and "/"
// percent-encoded, so that spaces, "#", "%" and text that is not ASCII
// survive, and a ":" in a name can't be read as a scheme.
std::string UriPath(const std::string& path) {
  std::string uri;
  for (const char c : path) {
    const bool letterOrDigit = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
    if (letterOrDigit || c == '-' || c == '.' || c == '_' || c == '~' || c == '/') {
      uri += c;
    } else {
      char escaped[4];
      std::snprintf(escaped, sizeof escaped, "%%%02X", static_cast<unsigned char>(c));
      uri += escaped;
    }
  }
  return uri;
}

// On Windows an absolute path starts with its drive ("C:/m/a.bas"), which
// the URI's path puts after a slash of its own: file:///C%3A/m/a.bas.
std::string FileUri(const fs::path& absolute) {
  const std::string path = absolute.generic_string();
  return "file://" + UriPath(path.starts_with('/') ? path : '/' + path);
}

std::size_t RuleIndex(LintRule rule) {
  return static_cast<std::size_t>(
      std::distance(std::begin(kLintRules), std::find(std::begin(kLintRules), std::end(kLintRules), rule)));
}

}  // namespace

SarifLog::SarifLog(fs::path root) : root_(std::move(root)) {}

fs::path SarifLog::RepositoryRoot() {
  std::error_code error;
  const fs::path here = fs::current_path(error);
  for (fs::path folder = here; !folder.empty(); folder = folder.parent_path()) {
    if (fs::exists(folder / ".git", error)) return folder;
    if (folder == folder.parent_path()) break;
  }
  return here;
}

nlohmann::ordered_json SarifLog::ArtifactLocation(const std::string& file) const {
  if (file == "-") return {{"description", {{"text", kStandardInputName}}}};
  std::error_code error;
  const fs::path absolute = fs::absolute(PathOfUtf8(file), error).lexically_normal();
  const fs::path relative = absolute.lexically_relative(root_);
  // A file outside the repository is named whole.
  if (relative.empty() || *relative.begin() == "..") return {{"uri", FileUri(absolute)}};
  return {{"uri", UriPath(relative.generic_string())}, {"uriBaseId", kSourceRoot}};
}

void SarifLog::Add(const std::string& file, LineNumber line, const LintFinding& finding) {
  using Json = nlohmann::ordered_json;
  Json location = Json::object();
  location["physicalLocation"] = {{"artifactLocation", ArtifactLocation(file)},
                                  {"region", {{"startLine", line}, {"startColumn", finding.column}}}};
  Json result = Json::object();
  result["ruleId"] = LintRuleName(finding.rule);
  result["ruleIndex"] = RuleIndex(finding.rule);
  result["level"] = kFindingSeverity;
  result["message"] = {{"text", ToUtf8(finding.message)}};
  result["locations"] = Json::array({location});
  results_.push_back(std::move(result));
}

std::string SarifLog::Text() const {
  nlohmann::ordered_json rules = nlohmann::ordered_json::array();
  for (const LintRule rule : kLintRules) {
    rules.push_back({{"id", LintRuleName(rule)},
                     {"shortDescription", {{"text", LintRuleSummary(rule)}}},
                     {"defaultConfiguration", {{"level", kFindingSeverity}}}});
  }
  // The root as a folder's URI ends in "/", so that the files' URIs resolve
  // under it.
  std::string rootUri = FileUri(root_);
  if (!rootUri.ends_with('/')) rootUri += '/';
  using Json = nlohmann::ordered_json;
  Json run = Json::object();
  run["tool"]["driver"] = {{"name", "tamvo"}, {"version", kTamvoVersion}, {"rules", rules}};
  run["originalUriBaseIds"][kSourceRoot] = {{"uri", rootUri}};
  run["columnKind"] = "utf16CodeUnits";
  run["results"] = results_;
  Json log = Json::object();
  log["$schema"] =
      "https://docs.oasis-open.org/sarif/sarif/v2.1.0/errata01/os/schemas/sarif-schema-2.1.0.json";
  log["version"] = "2.1.0";
  log["runs"] = Json::array({run});
  return log.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace) + '\n';
}

}  // namespace tamvo
