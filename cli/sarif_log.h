#pragma once
// lint's findings as a SARIF 2.1.0 log, the format code scanning services
// read: one run of the tool "tamvo", with every rule and each finding.

#include <filesystem>
#include <nlohmann/json.hpp>
#include <string>

#include "commands/lint.h"

namespace tamvo {

class SarifLog {
 public:
  // Files are named relative to root, the repository's top folder.
  explicit SarifLog(std::filesystem::path root);

  // The current folder's git top-level (the nearest folder holding .git),
  // else the current folder.
  static std::filesystem::path RepositoryRoot();

  // A finding in file ("-": standard input) at line of the file.
  void Add(const std::string& file, LineNumber line, const LintFinding& finding);
  // The log as JSON text, with a final line end.
  std::string Text() const;

 private:
  nlohmann::ordered_json ArtifactLocation(const std::string& file) const;

  std::filesystem::path root_;
  nlohmann::ordered_json results_ = nlohmann::ordered_json::array();
};

}  // namespace tamvo
