#pragma once
// .tamvo.toml: a project's values for the options of the command line. Each
// module takes the nearest one in its folder or a folder above it (standard
// input: above the current folder); --config names one for every module,
// --no-config reads none. An option given on the command line wins over
// the file's value for that option alone.

#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <set>
#include <stdexcept>
#include <string>

#include "cli/tamvo_cli.h"
#include "commands/lint.h"

namespace tamvo {

inline constexpr const char* kProjectConfigName = ".tamvo.toml";

// What a .tamvo.toml sets, its values checked and resolved; what it leaves
// out stays unset.
struct ProjectConfig {
  std::string name;  // the file, as messages name it
  std::optional<ResolvedEncoding> encoding;
  std::optional<bool> publicOnly;  // scope = "public" or "all"
  std::optional<std::set<LintRule>> disabled;
  std::optional<std::string> author;
  std::optional<bool> descriptions;
  std::optional<bool> docsPrivate;
  std::optional<std::string> docsFormat;  // markdown | html
};

// The options one module runs with: the command line's where it gave them,
// else the module's configuration's, else the defaults.
struct ModuleOptions {
  ResolvedEncoding encoding;
  std::optional<std::string> author;  // none: asked for, or the remembered one
  bool authorFromConfig = false;      // a project's author is used, not remembered
  bool publicOnly = false;            // lint and coverage
  std::set<LintRule> disabled;        // lint
  bool descriptions = false;          // update-proc, update-all and lint
  bool includePrivate = false;        // docs
  std::string docsFormat = "markdown";
};

// A .tamvo.toml tamvo can't take: a syntax error, an unknown key, a value
// of the wrong type or one no option takes. what() is the usage error,
// "FILE:LINE: ..." (and the column for a syntax error).
class ConfigError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Throws ConfigError, or Failure when the file can't be read. name is how
// messages call the file.
ProjectConfig ReadProjectConfig(const std::filesystem::path& file, const std::string& name);

// The configuration each module runs with, each file read once.
class ProjectConfigs {
 public:
  // named: --config FILE, for every module; ignore: --no-config; neither:
  // each module's nearest .tamvo.toml. live: for a process that runs on
  // while files change (the language server): each question looks for the
  // nearest file again and reads one again whose size or time changed.
  ProjectConfigs(std::optional<std::filesystem::path> named, bool ignore, bool live = false)
      : named_(std::move(named)), ignore_(ignore), live_(live) {}

  // The configuration of the module FILE ("-": standard input), or null
  // when none applies. Throws as ReadProjectConfig does.
  const ProjectConfig* For(const std::string& file);

 private:
  std::optional<std::filesystem::path> Nearest(const std::filesystem::path& folder);

  std::optional<std::filesystem::path> named_;
  bool ignore_;
  bool live_;
  // live: each file's size and last write time when read.
  struct Stamp {
    std::uintmax_t size = 0;
    std::filesystem::file_time_type time;
    bool operator==(const Stamp&) const = default;
  };
  std::map<std::filesystem::path, Stamp> stamps_;
  std::map<std::filesystem::path, std::optional<std::filesystem::path>> nearest_;  // by folder
  std::map<std::filesystem::path, ProjectConfig> read_;                            // by file
};

}  // namespace tamvo
