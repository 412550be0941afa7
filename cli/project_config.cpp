#include "cli/project_config.h"

#include <toml++/toml.h>

#include <system_error>

#include "engine/failure.h"
#include "engine/text.h"
#include "host/file_io.h"

namespace tamvo {

namespace {

namespace fs = std::filesystem;

const char* const kKeys = "encoding, scope, disable, author, descriptions, docs.private, docs.format";

// Reads one file's table into a ProjectConfig, each value checked where it
// stands.
class ConfigReader {
 public:
  explicit ConfigReader(ProjectConfig& config) : config_(config) {}

  void Read(const toml::table& top) {
    for (const auto& [key, node] : top) {
      const std::string name(key.str());
      if (name == "encoding") {
        ReadEncoding(key, node);
      } else if (name == "scope") {
        const auto scope = OneOf(key, node, "scope", {"all", "public"});
        config_.publicOnly = scope == "public";
      } else if (name == "disable") {
        ReadDisable(key, node);
      } else if (name == "author") {
        if (!node.is_string()) Fail(key, "author must be a string");
        config_.author = *node.value<std::string>();
      } else if (name == "descriptions") {
        if (!node.is_boolean()) Fail(key, "descriptions must be true or false");
        config_.descriptions = *node.value<bool>();
      } else if (name == "docs") {
        const toml::table* docs = node.as_table();
        if (!docs) Fail(key, "docs must be a table of private and format");
        ReadDocs(*docs);
      } else {
        Fail(key, "unknown key '" + name + "' (keys: " + kKeys + ")");
      }
    }
  }

 private:
  void ReadDocs(const toml::table& docs) {
    for (const auto& [key, node] : docs) {
      const std::string name(key.str());
      if (name == "private") {
        if (!node.is_boolean()) Fail(key, "docs.private must be true or false");
        config_.docsPrivate = *node.value<bool>();
      } else if (name == "format") {
        config_.docsFormat = OneOf(key, node, "docs.format", {"markdown", "html"});
      } else {
        Fail(key, "unknown key 'docs." + name + "' (keys: " + kKeys + ")");
      }
    }
  }

  void ReadEncoding(const toml::key& key, const toml::node& node) {
    if (!node.is_string()) Fail(key, "encoding must be a string: auto, utf-8 or a code page such as cp932");
    ResolvedEncoding encoding;
    if (const auto problem = ResolveEncoding(*node.value<std::string>(), Where(key) + "encoding", encoding)) {
      throw ConfigError(*problem);
    }
    config_.encoding = encoding;
  }

  void ReadDisable(const toml::key& key, const toml::node& node) {
    const toml::array* names = node.as_array();
    // An empty array turns no rule off.
    if (!names || (!names->empty() && !names->is_homogeneous(toml::node_type::string))) {
      Fail(key, "disable must be an array of rule names, such as [\"tag-order\"]");
    }
    std::set<LintRule> rules;
    for (const toml::node& element : *names) {
      const std::string name = *element.value<std::string>();
      const auto rule = LintRuleOfName(name);
      if (!rule) {
        std::string message = Where(element.source()) + "disable: no rule " + name + " (rules:";
        for (const LintRule known : kLintRules) (message += ' ') += LintRuleName(known);
        throw ConfigError(message + ')');
      }
      rules.insert(*rule);
    }
    config_.disabled = std::move(rules);
  }

  // The value, which must be a string and one of choices.
  std::string OneOf(const toml::key& key, const toml::node& node, const std::string& name,
                    std::initializer_list<const char*> choices) {
    const auto value = node.value<std::string>();
    for (const char* choice : choices) {
      if (node.is_string() && *value == choice) return *value;
    }
    std::string message = name + " must be";
    for (const char* choice : choices) {
      message += std::string(choice == *choices.begin() ? " \"" : " or \"") + choice + '"';
    }
    if (node.is_string()) message += ", not \"" + *value + '"';
    Fail(key, message);
  }

  std::string Where(const toml::source_region& source) const {
    return config_.name + ':' + std::to_string(source.begin.line) + ": ";
  }
  std::string Where(const toml::key& key) const { return Where(key.source()); }

  [[noreturn]] void Fail(const toml::key& key, const std::string& message) const {
    throw ConfigError(Where(key) + message);
  }

  ProjectConfig& config_;
};

}  // namespace

ProjectConfig ReadProjectConfig(const fs::path& file, const std::string& name) {
  std::string text;
  try {
    text = ReadFileBytes(file);
  } catch (const Failure& failure) {
    throw Failure(FromUtf8(name) + u": " + failure.Description());
  }
  ProjectConfig config;
  config.name = name;
  toml::table top;
  try {
    top = toml::parse(text, name);
  } catch (const toml::parse_error& error) {
    const auto& at = error.source().begin;
    throw ConfigError(name + ':' + std::to_string(at.line) + ':' + std::to_string(at.column) + ": " +
                      std::string(error.description()));
  }
  ConfigReader(config).Read(top);
  return config;
}

const ProjectConfig* ProjectConfigs::For(const std::string& file) {
  if (ignore_) return nullptr;
  std::error_code error;
  std::optional<fs::path> found = named_;
  if (!found) {
    // The folder as the system finds it, so that ".." goes where it leads.
    const fs::path folder =
        file == "-" ? fs::current_path(error) : fs::absolute(PathOfUtf8(file), error).parent_path();
    const fs::path canonical = fs::weakly_canonical(folder, error);
    if (live_) nearest_.clear();
    found = Nearest(error ? folder : canonical);
  }
  if (!found) return nullptr;
  auto at = read_.find(*found);
  if (live_) {
    Stamp stamp;
    stamp.size = fs::file_size(*found, error);
    stamp.time = fs::last_write_time(*found, error);
    const auto known = stamps_.find(*found);
    if (at != read_.end() && (known == stamps_.end() || !(known->second == stamp))) {
      read_.erase(at);
      at = read_.end();
    }
    stamps_[*found] = stamp;
  }
  if (at == read_.end()) {
    // Named as given, or from the current folder when it lies within it.
    std::string name = found->string();
    if (!named_) {
      const fs::path here = fs::current_path(error);
      const fs::path relative = error ? fs::path() : found->lexically_relative(here);
      if (!relative.empty() && *relative.begin() != "..") name = relative.string();
    }
    at = read_.emplace(*found, ReadProjectConfig(*found, name)).first;
  }
  return &at->second;
}

std::optional<fs::path> ProjectConfigs::Nearest(const fs::path& folder) {
  if (const auto known = nearest_.find(folder); known != nearest_.end()) return known->second;
  std::optional<fs::path> found;
  std::error_code error;
  if (fs::exists(folder / kProjectConfigName, error)) {
    found = folder / kProjectConfigName;
  } else if (folder.has_parent_path() && folder.parent_path() != folder) {
    found = Nearest(folder.parent_path());
  }
  nearest_.emplace(folder, found);
  return found;
}

}  // namespace tamvo
