#include "cli/tamvo_cli.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <atomic>
#include <cerrno>
#include <charconv>
#include <condition_variable>
#include <cstring>
#include <istream>
#include <iterator>
#include <limits>
#include <map>
#include <mutex>
#include <new>
#include <optional>
#include <ostream>
#include <sstream>
#include <system_error>
#include <thread>

#include "cli/coverage_files.h"
#include "cli/docs_cli.h"
#include "cli/lint_files.h"
#include "cli/project_config.h"
#include "cli/run_report.h"
#include "cli/settings_file.h"
#include "cli/system.h"
#include "commands/commands.h"
#include "commands/descriptions.h"
#include "commands/lint.h"
#include "engine/failure.h"
#include "engine/text.h"
#include "host/code_page.h"
#include "host/file_io.h"
#include "host/module_file.h"
#include "lsp/language_server.h"

namespace tamvo {

// A read error on standard input is as much a failure as one on a file.
std::string ReadStandardInput(std::istream& in) {
  try {
    std::string bytes(std::istreambuf_iterator<char>(in), {});
    if (in.bad()) throw Failure(u"can't read");
    return bytes;
  } catch (const std::ios_base::failure& failure) {
    throw Failure(u"can't read: " + FromUtf8(failure.code().message()));
  }
}

ModuleFile ReadModule(const std::string& name, const ResolvedEncoding& encoding, const CliEnvironment& env) {
  const bool standardInput = name == "-";
  const std::string bytes = standardInput ? ReadStandardInput(env.in) : env.files.ReadBytes(PathOfUtf8(name));
  const auto stem = standardInput ? std::u16string() : FromUtf8(PathOfUtf8(name).stem().string());
  return ModuleFile::Parse(bytes, stem, encoding.codePage, encoding.choice);
}

namespace {

struct Request {
  Command command = Command::InsertAllProcComments;
  bool needsLine = false;
  std::string lineText;  // --line as given
  int line = 0;
  std::optional<std::string> author;
  bool inPlace = false;
  bool check = false;
  std::optional<std::string> encoding;
  bool descriptions = false;              // --descriptions
  std::optional<std::string> configFile;  // --config
  bool noConfig = false;
  std::vector<std::string> files;
  // tamvo lint, which reads files but runs no command on them.
  bool linting = false;
  LintRequest lint;
  // tamvo coverage, which counts documented procedures.
  bool counting = false;
  CoverageRequest coverage;
  // tamvo docs and doxygen-filter, which write pages and change no module.
  DocsRequest docs;
  // tamvo lsp.
  bool serving = false;
  bool stdio = false;
};

// The user's side of a run: failures are collected for the error output, and
// the author comes from --author or the module's .tamvo.toml, else the
// terminal or the stored setting.
class CliUi : public Ui {
 public:
  CliUi(const Request& request, const CliEnvironment& env) : request_(request), env_(env) {}

  void MsgBox(std::u16string_view text, std::int32_t) override { failures.emplace_back(text); }

  std::optional<std::u16string> InputBox(std::u16string_view prompt, std::u16string_view preset) override {
    if (author) return FromUtf8(*author);
    if (!answer_) answer_ = Ask(prompt, preset);
    return *answer_;
  }

  std::vector<std::u16string> failures;
  std::optional<std::string> author;  // the module's, set before each module

 private:
  // On a terminal Enter keeps the preset and end of input cancels;
  // elsewhere the preset is taken as it is.
  std::optional<std::u16string> Ask(std::u16string_view prompt, std::u16string_view preset) {
    if (!env_.interactive || request_.check) return std::u16string(preset);
    env_.err << ToUtf8(prompt) << " [" << ToUtf8(preset) << "]: " << std::flush;
    std::string typed;
    if (!std::getline(env_.in, typed)) return std::nullopt;
    if (!typed.empty() && typed.back() == '\r') typed.pop_back();
    return typed.empty() ? std::u16string(preset) : FromUtf8(typed);
  }

  const Request& request_;
  const CliEnvironment& env_;
  std::optional<std::optional<std::u16string>> answer_;
};

// The settings as the commands see them during a run. What a command saves
// is held until its file has been written (or, to standard output, could
// be), so that an author a file couldn't take isn't offered again; it is
// stored once, at the end of the run. --check stores nothing.
class RunSettings : public Settings {
 public:
  RunSettings(Settings* store, bool check) : store_(store), check_(check) {}

  std::u16string GetSetting(std::u16string_view application, std::u16string_view section,
                            std::u16string_view key, std::u16string_view defaultValue) override {
    const auto found =
        kept_.find({std::u16string(application), std::u16string(section), std::u16string(key)});
    if (found != kept_.end()) return found->second;
    return store_ ? store_->GetSetting(application, section, key, defaultValue)
                  : std::u16string(defaultValue);
  }
  void SaveSetting(std::u16string_view application, std::u16string_view section, std::u16string_view key,
                   std::u16string_view value) override {
    pending_[{std::u16string(application), std::u16string(section), std::u16string(key)}] = value;
  }

  // Ends a file: what was saved for it is kept when it succeeded and
  // dropped when it failed, or when it was the project's author.
  void FileDone(bool keep) {
    if (keep && !check_) kept_.merge(pending_);
    pending_.clear();
  }
  // Throws Failure when the settings file can't be written.
  void Store() {
    if (!store_) return;
    for (const auto& [where, value] : kept_) {
      const auto& [application, section, key] = where;
      // The file is rewritten only when a setting changes (a missing one
      // reads as empty, as it would be offered).
      if (store_->GetSetting(application, section, key, u"") != value) {
        store_->SaveSetting(application, section, key, value);
      }
    }
  }

 private:
  using Key = std::tuple<std::u16string, std::u16string, std::u16string>;
  Settings* store_;
  bool check_;
  std::map<Key, std::u16string> pending_;
  std::map<Key, std::u16string> kept_;
};

enum class Outcome { Unchanged, Changed, Failed };

std::string Lowercase(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

std::size_t EditDistance(std::string_view a, std::string_view b) {
  std::vector<std::size_t> row(b.size() + 1);
  for (std::size_t j = 0; j <= b.size(); ++j) row[j] = j;
  for (std::size_t i = 1; i <= a.size(); ++i) {
    std::size_t diagonal = row[0];
    row[0] = i;
    for (std::size_t j = 1; j <= b.size(); ++j) {
      const std::size_t above = row[j];
      row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
      diagonal = above;
    }
  }
  return row[b.size()];
}

// The command a mistyped word most likely meant: one a slip or two away,
// or one the word begins.
std::optional<std::string> NearestCommand(const std::string& word, const std::vector<std::string>& commands) {
  const std::string typed = Lowercase(word);
  std::optional<std::string> nearest;
  std::size_t best = std::numeric_limits<std::size_t>::max();
  for (const auto& command : commands) {
    const std::size_t distance = EditDistance(typed, command);
    if ((distance <= 2 || (!typed.empty() && command.starts_with(typed))) && distance < best) {
      best = distance;
      nearest = command;
    }
  }
  return nearest;
}

// A parse that found no command: the word that stood where the command
// goes (skipping tamvo's own options), named with the commands there are.
std::string MissingCommand(const std::vector<std::string>& args, const std::vector<std::string>& commands) {
  std::string list;
  for (const auto& command : commands) list += (list.empty() ? "" : ", ") + command;
  for (auto arg = args.begin(); arg != args.end(); ++arg) {
    if (*arg == "--encoding" || *arg == "--config") {
      if (++arg == args.end()) break;
      continue;
    }
    if (arg->starts_with('-')) continue;
    std::string message = "unknown command '" + *arg + "'";
    if (const auto nearest = NearestCommand(*arg, commands)) message += "; did you mean '" + *nearest + "'?";
    return message + " (commands: " + list + ")";
  }
  return "no command given (commands: " + list + ")";
}

// CLI11's own words as one of tamvo's messages: an option left without its
// value says so plainly, and a sentence starts within tamvo's line.
std::string ParseErrorMessage(const CLI::ParseError& error) {
  std::string message = error.what();
  const std::size_t colon = message.find(": ");
  if (dynamic_cast<const CLI::ArgumentMismatch*>(&error) && message.starts_with('-') &&
      colon != std::string::npos && message.ends_with(" missing")) {
    return message.substr(0, colon) + " needs a value";
  }
  if (message.size() > 1 && std::isupper(static_cast<unsigned char>(message[0])) &&
      std::islower(static_cast<unsigned char>(message[1]))) {
    message[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(message[0])));
  }
  return message;
}

// CLI11's ExistingFile, with the name taken as UTF-8: CLI11 makes a path
// of the plain string, which Windows would read in the C library's locale.
CLI::Validator ExistingFile() {
  return CLI::Validator(
      [](std::string& name) {
        std::error_code error;
        const auto type = std::filesystem::status(PathOfUtf8(name), error).type();
        if (type == std::filesystem::file_type::none || type == std::filesystem::file_type::not_found) {
          return "File does not exist: " + name;
        }
        if (type == std::filesystem::file_type::directory) return "File is actually a directory: " + name;
        return std::string();
      },
      "");
}

// Parses the arguments into request; returns the exit code when the run
// ends here (help, version, a usage error).
std::optional<int> ParseArguments(const std::vector<std::string>& args, const CliEnvironment& env,
                                  Request& request) {
  CLI::App app(
      "Writes and removes documentation comment blocks in exported VBA modules "
      "(.bas, .cls, .frm).",
      "tamvo");
  app.set_version_flag("--version", std::string("tamvo ") + kTamvoVersion);
  app.require_subcommand(1, 1);
  // CLI11 on Windows would take "/name" for an option: a file named from
  // the drive's root ("/src/m.bas") is a file there, as on Linux.
  app.allow_windows_style_options(false);
  // Options of every command may stand before or after the command's name:
  // tamvo takes them itself, and each command that takes them takes them
  // too, so that its --help lists them.
  app.fallthrough();
  auto addRewriteOptions = [&request](CLI::App& on) {
    on.add_flag("-i,--in-place", request.inPlace, "rewrite the files");
    on.add_flag("--check", request.check, "change nothing; exit 1 if any file would change, 0 if none");
  };
  // Every command that reads modules takes --encoding and the choice of
  // .tamvo.toml.
  auto addEncoding = [&request](CLI::App& on) {
    on.add_option("--encoding", request.encoding,
                  "auto (UTF-8 or cp932, by the bytes), utf-8, or the code page of every file")
        ->default_str("auto")
        ->type_name("ENC");
    on.add_option("--config", request.configFile, "the .tamvo.toml of every FILE, instead of the nearest one")
        ->check(ExistingFile())
        ->type_name("FILE");
    on.add_flag("--no-config", request.noConfig, "read no .tamvo.toml");
  };
  addRewriteOptions(app);
  addEncoding(app);

  const struct {
    const char* name;
    Command command;
    bool needsLine;
    const char* help;
  } commands[] = {
      {"insert-proc", Command::InsertCurrentProcComment, true, "comment block for the procedure at line N"},
      {"insert-all", Command::InsertAllProcComments, false, "comment block for every procedure"},
      {"insert-header", Command::InsertModuleHeader, false, "module header"},
      {"delete-proc", Command::DeleteCurrentProcComment, true,
       "remove the comment of the procedure at line N"},
      {"delete-all", Command::DeleteAllProcComments, false, "remove the comments of every procedure"},
      {"delete-header", Command::DeleteModuleHeader, false,
       "remove the comment lines at the top of the module"},
      {"update-proc", Command::UpdateCurrentProcComment, true,
       "bring the block of the procedure at line N in line with its declaration"},
      {"update-all", Command::UpdateAllProcComments, false, "bring every procedure's block in line"},
      {"update-header", Command::UpdateModuleHeader, false,
       "set the header's @modulename, or write a header"},
  };
  for (const auto& command : commands) {
    CLI::App* sub = app.add_subcommand(command.name, command.help);
    sub->callback([&request, &command] {
      request.command = command.command;
      request.needsLine = command.needsLine;
    });
    if (command.needsLine) {
      sub->add_option("--line", request.lineText,
                      "the line, from 1, as a text editor counts the file's lines")
          ->required()
          ->type_name("N");
    }
    if (command.command == Command::UpdateCurrentProcComment ||
        command.command == Command::UpdateAllProcComments) {
      sub->add_flag("--descriptions", request.descriptions,
                    "write each summary into the procedure's VB_Description, which the Object Browser shows");
    }
    if (command.command == Command::InsertModuleHeader || command.command == Command::UpdateModuleHeader) {
      sub->add_option("--author", request.author, "the author to write and remember");
    }
    addRewriteOptions(*sub);
    addEncoding(*sub);
    sub->add_option("FILE", request.files, "exported module files; - for standard input")->required();
  }

  CLI::App* lintCommand =
      app.add_subcommand("lint", "report missing and stale documentation; change nothing");
  lintCommand->callback([&request] { request.linting = true; });
  lintCommand->add_option("--scope", request.lint.scope, "missing-doc for all procedures or only public ones")
      ->check(CLI::IsMember({"all", "public"}));
  CLI::Option* disable =
      lintCommand
          ->add_option("--disable", request.lint.disabled, "rules to turn off, RULE[,RULE] (rules below)")
          ->delimiter(',');
  lintCommand->add_flag("--descriptions", request.descriptions,
                        "hold each VB_Description against its summary (description-stale)");
  lintCommand->add_option("--format", request.lint.format, "text, json, or sarif (SARIF 2.1.0)")
      ->check(CLI::IsMember({"text", "json", "sarif"}));
  addEncoding(*lintCommand);
  lintCommand->add_option("FILE", request.lint.files, "exported module files; - for standard input")
      ->required();
  std::string rules = "Rules:\n";
  for (const LintRule rule : kLintRules) {
    std::string name(LintRuleName(rule));
    name.resize(std::max<std::size_t>(name.size() + 2, 20), ' ');
    rules += "  " + name + std::string(LintRuleSummary(rule)) + "\n";
  }
  lintCommand->footer(rules);

  CLI::App* lsp = app.add_subcommand("lsp", "language server over standard input and output");
  lsp->callback([&request] { request.serving = true; });
  // Some clients pass --stdio to every server; standard input and output is
  // the only way this one talks.
  lsp->add_flag("--stdio", request.stdio, "accepted and ignored");
  lsp->add_option("--config", request.configFile,
                  "the .tamvo.toml of every document, instead of the nearest one")
      ->check(ExistingFile())
      ->type_name("FILE");
  lsp->add_flag("--no-config", request.noConfig, "read no .tamvo.toml");

  AddCoverageCommand(app, request.coverage);
  app.get_subcommand("coverage")->callback([&request] { request.counting = true; });
  AddDocsCommands(app, request.docs);
  for (const char* name : {"coverage", "docs", "doxygen-filter"}) addEncoding(*app.get_subcommand(name));

  // CLI11 would take the next argument for the missing value.
  if (std::find(args.begin(), args.end(), "--encoding=") != args.end()) {
    return UsageError(env, "--encoding needs a name: auto, utf-8 or a code page such as cp932");
  }
  try {
    std::vector<std::string> reversed(args.rbegin(), args.rend());
    app.parse(reversed);
  } catch (const CLI::Success& success) {
    return app.exit(success, env.out, env.err) == 0 ? kExitDone : kExitUsage;
  } catch (const CLI::ParseError& error) {
    if (!app.get_subcommands().empty()) return UsageError(env, ParseErrorMessage(error));
    std::vector<std::string> names;
    for (const CLI::App* command : app.get_subcommands([](const CLI::App*) { return true; }))
      names.push_back(command->get_name());
    return UsageError(env, MissingCommand(args, names));
  }
  request.lint.disabledGiven = disable->count() > 0;
  return std::nullopt;
}

// --config's file.
std::optional<std::filesystem::path> ConfigPath(const Request& request) {
  if (!request.configFile) return std::nullopt;
  return PathOfUtf8(*request.configFile);
}

// The usage rules CLI11 can't say; the message when one is broken.
std::optional<std::string> CheckRequest(Request& request) {
  if (request.configFile && request.noConfig) return "--config and --no-config don't go together";
  if (request.serving) return std::nullopt;
  if (request.docs.docs || request.docs.filter) {
    if (request.inPlace || request.check) {
      return "docs and doxygen-filter change no module: -i and --check don't go with them";
    }
    return std::nullopt;
  }
  if (request.linting || request.counting) {
    if (request.inPlace || request.check) {
      return std::string(request.linting ? "lint" : "coverage") +
             " changes nothing: -i and --check don't go with it";
    }
    if (const auto& text = request.coverage.failUnderText) {
      double& percent = request.coverage.failUnder.emplace();
      const auto [end, error] = std::from_chars(text->data(), text->data() + text->size(), percent);
      if (error != std::errc() || end != text->data() + text->size() || !(percent >= 0 && percent <= 100)) {
        return "--fail-under needs a percentage from 0 to 100, not '" + *text + "'";
      }
    }
    return std::nullopt;
  }
  if (request.inPlace && request.check) return "-i and --check don't go together";
  if (request.needsLine) {
    const std::string& text = request.lineText;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), request.line);
    if (error != std::errc() || end != text.data() + text.size() || request.line < 1) {
      return "--line needs a line number from 1, not '" + text + "'";
    }
  }
  if (!request.inPlace && !request.check && request.files.size() != 1) {
    return "without -i or --check give exactly one FILE";
  }
  for (const auto& file : request.files) {
    if (file == "-" && request.inPlace) return "standard input can't be rewritten in place";
  }
  return std::nullopt;
}

// The options of each module the command reads, in the order of its
// files: the command line's, else the module's .tamvo.toml's. Every
// configuration is read and checked before any module is, so that a usage
// error in one ends the run as one on the command line does. Returns the
// exit code when the run ends here.
std::optional<int> ResolveModuleOptions(const Request& request, const std::vector<std::string>& files,
                                        const CliEnvironment& env, std::vector<ModuleOptions>& modules) {
  ResolvedEncoding encoding;
  if (request.encoding) {
    if (const auto problem = ResolveEncoding(*request.encoding, "--encoding", encoding)) {
      return UsageError(env, *problem);
    }
  }
  std::set<LintRule> disabled;
  for (const auto& name : request.lint.disabled) {
    const auto rule = LintRuleOfName(name);
    if (!rule) {
      std::string message = "lint: no rule " + name + " (rules:";
      for (const LintRule known : kLintRules) (message += ' ') += LintRuleName(known);
      return UsageError(env, message + ')');
    }
    disabled.insert(*rule);
  }
  const std::optional<std::string>& scope = request.linting ? request.lint.scope : request.coverage.scope;

  ProjectConfigs configs(ConfigPath(request), request.noConfig);
  const ProjectConfig none;
  for (const auto& file : files) {
    const ProjectConfig* found = nullptr;
    try {
      found = configs.For(file);
    } catch (const ConfigError& error) {
      return UsageError(env, error.what());
    } catch (const Failure& failure) {
      env.err << "tamvo: " << ToUtf8(failure.Description()) << '\n';
      return kExitFailed;
    }
    const ProjectConfig& config = found ? *found : none;
    ModuleOptions& module = modules.emplace_back();
    module.encoding = request.encoding ? encoding : config.encoding.value_or(ResolvedEncoding());
    module.author = request.author ? request.author : config.author;
    module.authorFromConfig = !request.author && config.author;
    module.publicOnly = scope ? *scope == "public" : config.publicOnly.value_or(false);
    module.disabled = request.lint.disabledGiven ? disabled : config.disabled.value_or(std::set<LintRule>());
    module.descriptions = request.descriptions || config.descriptions.value_or(false);
    module.includePrivate = request.docs.includePrivate || config.docsPrivate.value_or(false);
    module.docsFormat = request.docs.format ? *request.docs.format : config.docsFormat.value_or("markdown");
  }
  // The pages of one run are of one format.
  if (request.docs.docs) {
    for (const auto& module : modules) {
      if (module.docsFormat != modules.front().docsFormat) {
        return UsageError(env, "the modules' .tamvo.toml files ask for pages in " +
                                   modules.front().docsFormat + " and in " + module.docsFormat +
                                   "; give --format");
      }
    }
  }
  return std::nullopt;
}

// Whether an update writes the module's descriptions: not a document's
// module's, and that is said.
bool WritesDescriptions(ModuleFile& file, const std::string& name, const std::string& shownName,
                        const CliEnvironment& env) {
  if (DescribesMembers(file.Exported(),
                       ModuleKindOfExtension(FromUtf8(PathOfUtf8(name).extension().string())))) {
    return true;
  }
  env.err << "tamvo: " << shownName
          << ": a document's module: its descriptions stay as they are (the editor drops them on import)\n";
  return false;
}

// Runs the command on the module; returns the failures it reported.
std::vector<std::u16string> RunCommand(ModuleFile& file, const std::string& name,
                                       const std::string& shownName, const ModuleOptions& options,
                                       const Request& request, const EventTable& events, CliUi& ui,
                                       Settings& settings, const CliEnvironment& env) {
  MemoryVbe vbe(file.Module());
  LineNumber line = 0;
  if (request.needsLine) {
    line = file.LineMap().ModuleLineOfFileLine(request.line);
    ProcKind kind = ProcKind::Proc;
    if (line == 0 || file.Module()->ProcOfLine(line, kind).empty()) {
      env.err << "tamvo: " << shownName << ": line " << request.line
              << " is not in a procedure; nothing to do\n";
      return {};
    }
    vbe.Pane().SetSelection(line, 1, line, 1);
  }
  const RunReport report(request.command, file);
  ui.failures.clear();
  std::u16string procedure;
  if (line > 0) {
    ProcKind kind = ProcKind::Proc;
    procedure = file.Module()->ProcOfLine(line, kind);
  }
  const bool update = request.command == Command::UpdateCurrentProcComment ||
                      request.command == Command::UpdateAllProcComments;
  std::optional<DescriptionUpdate> descriptions;
  if (update && options.descriptions && WritesDescriptions(file, name, shownName, env)) {
    descriptions.emplace(file.Exported(), request.needsLine ? &procedure : nullptr);
  }
  Commands commands(vbe, events, ui, settings);
  commands.Run(request.command);
  if (ui.failures.empty() && descriptions) descriptions->Apply();
  if (ui.failures.empty()) report.Write(env.err, shownName, commands);
  return std::move(ui.failures);
}

// Writes the result where the request says. Standard output is checked to
// the last byte: "tamvo ... > tmp && mv tmp f" must not replace a module by
// a part of it. To standard output and for --check the result goes a piece
// at a time, compared with the bytes read as it goes: a large module is not
// held twice.
Outcome Deliver(const std::string& name, const std::string& shownName, const std::string& before,
                const ModuleFile& file, const std::optional<FileIdentity>& identity, const Request& request,
                const CliEnvironment& env) {
  bool changed = false;
  if (request.inPlace) {
    const std::string after = file.Serialize();
    changed = after != before;
    if (changed) env.files.WriteAtomically(PathOfUtf8(name), after, identity);
  } else {
    const bool toOutput = !request.check;
    std::size_t at = 0;
    errno = 0;
    file.Serialize([&](std::string_view piece) {
      if (toOutput) env.out.write(piece.data(), static_cast<std::streamsize>(piece.size()));
      changed = changed || std::string_view(before).substr(at, piece.size()) != piece;
      at += piece.size();
    });
    changed = changed || at != before.size();
    if (toOutput && !(env.out << std::flush)) {
      const int error = errno;
      env.err << "tamvo: " << kStandardOutputName << ": can't write"
              << (error != 0 ? std::string(": ") + std::strerror(error) : "") << '\n';
      return Outcome::Failed;
    }
  }
  if (!changed) return Outcome::Unchanged;
  // One write: standard error is unbuffered.
  if (request.check) env.err << "tamvo: " + shownName + ": would change\n";
  return Outcome::Changed;
}

// Every failure on a file, out of memory included, is that file's alone:
// it is named, left as it was, and the other files still run.
Outcome ProcessFile(const std::string& name, const ModuleOptions& options, const Request& request,
                    const EventTable& events, CliUi& ui, Settings& settings, const CliEnvironment& env) {
  ui.author = options.author;
  const bool standardInput = name == "-";
  const std::string shownName = standardInput ? kStandardInputName : name;
  auto fail = [&](std::u16string_view why) {
    env.err << "tamvo: " << shownName << ": " << ToUtf8(why) << '\n';
    return Outcome::Failed;
  };
  try {
    std::string before;
    std::optional<FileIdentity> identity;
    if (standardInput) {
      before = ReadStandardInput(env.in);
    } else if (request.inPlace) {
      FileContents contents = env.files.ReadToRewrite(PathOfUtf8(name));
      before = std::move(contents.bytes);
      identity = contents.identity;
    } else {
      before = env.files.ReadBytes(PathOfUtf8(name));
    }
    const auto stem = standardInput ? std::u16string() : FromUtf8(PathOfUtf8(name).stem().string());
    // One copy of the bytes serves the module's lines and the comparison at the end.
    const auto bytes = std::make_shared<const std::string>(std::move(before));
    ModuleFile file = ModuleFile::Parse(bytes, stem, options.encoding.codePage, options.encoding.choice);
    const auto failures = RunCommand(file, name, shownName, options, request, events, ui, settings, env);
    if (!failures.empty()) {
      for (const auto& failure : failures) fail(failure);
      return Outcome::Failed;
    }
    return Deliver(name, shownName, *bytes, file, identity, request, env);
  } catch (const Failure& failure) {
    return fail(failure.Description());
  } catch (const std::bad_alloc&) {
    return fail(u"out of memory");
  } catch (const std::exception& failure) {
    return fail(FromUtf8(failure.what()));
  }
}

// --check over several files changes nothing and asks nothing (the author
// offered is the stored one or --author), so the files are shared out among
// the processors: each worker has its own answers and settings, as a file
// run alone would, and what a file tells is written in the order of the
// files once it is done, as one run after the other would write it.
// Returns the outcome of every file.
std::vector<Outcome> CheckFilesInParallel(const Request& request, const std::vector<ModuleOptions>& modules,
                                          const EventTable& events, Settings* store, std::size_t workers,
                                          const CliEnvironment& env) {
  struct Done {
    bool ready = false;
    Outcome outcome = Outcome::Failed;
    std::string messages;
  };
  const std::size_t count = request.files.size();
  std::vector<Done> done(count);
  std::mutex mutex;
  std::condition_variable readyOne;
  std::atomic<std::size_t> next{0};
  auto work = [&] {
    CliUi ui(request, env);
    RunSettings settings(store, /*check=*/true);
    for (std::size_t i; (i = next++) < count;) {
      Outcome outcome = Outcome::Failed;
      std::string messages;
      try {
        std::ostringstream out;
        const CliEnvironment fileEnv{
            env.in,   env.out, out, false, env.settingsPath, env.systemSettings, env.systemSettingsName,
            env.files};
        outcome = ProcessFile(request.files[i], modules[i], request, events, ui, settings, fileEnv);
        messages = std::move(out).str();
      } catch (...) {  // beyond what ProcessFile catches: memory for the messages
        outcome = Outcome::Failed;
        try {
          messages = "tamvo: " + request.files[i] + ": out of memory\n";
        } catch (...) {
        }
      }
      settings.FileDone(outcome != Outcome::Failed && !modules[i].authorFromConfig);
      const std::lock_guard<std::mutex> lock(mutex);
      done[i] = {true, outcome, std::move(messages)};
      readyOne.notify_all();
    }
  };
  std::vector<std::jthread> threads;
  try {
    for (std::size_t i = 0; i < workers; ++i) threads.emplace_back(work);
  } catch (const std::system_error&) {  // no more threads to be had: those there are do it
  }
  // And with none at all, this one does.
  if (threads.empty()) work();
  std::vector<Outcome> outcomes;
  for (std::size_t i = 0; i < count; ++i) {
    std::unique_lock<std::mutex> lock(mutex);
    readyOne.wait(lock, [&] { return done[i].ready; });
    const std::string messages = std::move(done[i].messages);
    outcomes.push_back(done[i].outcome);
    lock.unlock();
    // One write: standard error is unbuffered.
    if (!messages.empty()) env.err << messages << std::flush;
  }
  return outcomes;
}

int RunFiles(const Request& request, const std::vector<ModuleOptions>& modules, const CliEnvironment& env) {
  std::optional<SettingsFile> file;
  if (env.settingsPath && !env.systemSettings) file.emplace(*env.settingsPath);
  Settings* store = env.systemSettings ? env.systemSettings : file ? &*file : nullptr;
  auto settingsFailure = [&](const Failure& failure) {
    env.err << "tamvo: " << (file ? file->Path().string() : std::string(env.systemSettingsName)) << ": "
            << ToUtf8(failure.Description()) << '\n';
    return kExitFailed;
  };
  // Read once, before any file: a settings file that can't be read fails
  // the run, not each module in turn.
  if (file &&
      (request.command == Command::InsertModuleHeader || request.command == Command::UpdateModuleHeader)) {
    try {
      file->Load();
    } catch (const Failure& failure) {
      return settingsFailure(failure);
    }
  }
  RunSettings settings(store, request.check);
  CliUi ui(request, env);
  // The table is the same for every file: built once a run, not once a file.
  EventTable events;
  events.InitEventTable();
  bool failed = false;
  bool changed = false;
  auto tell = [&](Outcome outcome) {
    failed = failed || outcome == Outcome::Failed;
    changed = changed || outcome == Outcome::Changed;
  };
  const std::size_t workers = std::min(UsableProcessors(), request.files.size());
  const bool readsStandardInput =
      std::find(request.files.begin(), request.files.end(), "-") != request.files.end();
  if (request.check && workers > 1 && !readsStandardInput) {
    for (const Outcome outcome : CheckFilesInParallel(request, modules, events, store, workers, env))
      tell(outcome);
  } else {
    for (std::size_t i = 0; i < request.files.size(); ++i) {
      const Outcome outcome = ProcessFile(request.files[i], modules[i], request, events, ui, settings, env);
      settings.FileDone(outcome != Outcome::Failed && !modules[i].authorFromConfig);
      tell(outcome);
    }
  }
  try {
    settings.Store();
  } catch (const Failure& failure) {
    return settingsFailure(failure);
  }
  if (failed) return kExitFailed;
  return request.check && changed ? kExitWouldChange : kExitDone;
}

// The language server reads the stored author (for headers, when the client
// gives none) and never writes the settings file. Each document takes the
// options of its nearest .tamvo.toml, read again when it changes.
int Serve(const Request& request, const CliEnvironment& env) {
  std::optional<SettingsFile> file;
  if (env.settingsPath && !env.systemSettings) {
    file.emplace(*env.settingsPath);
    try {
      file->Load();
    } catch (const Failure& failure) {
      env.err << "tamvo: " << file->Path().string() << ": " << ToUtf8(failure.Description()) << '\n';
      file.reset();
    }
  }
  RunSettings settings(env.systemSettings ? env.systemSettings : file ? &*file : nullptr, /*check=*/true);
  ProjectConfigs configs(ConfigPath(request), request.noConfig, /*live=*/true);
  auto optionsOf = [&configs](const std::string& path) {
    lsp::ProjectOptions options;
    const ProjectConfig* config = nullptr;
    try {
      config = configs.For(path);
    } catch (const Failure& failure) {
      throw std::runtime_error(ToUtf8(failure.Description()));
    }
    if (!config) return options;
    options.publicOnly = config->publicOnly.value_or(false);
    options.disabled = config->disabled.value_or(std::set<LintRule>());
    options.descriptions = config->descriptions.value_or(false);
    if (config->author) options.author = FromUtf8(*config->author);
    return options;
  };
  // A module the editor hasn't opened, read as the command line reads it.
  auto textOf = [&configs, &env](const std::string& path) -> std::optional<std::u16string> {
    try {
      const ProjectConfig* config = configs.For(path);
      const ResolvedEncoding encoding = config && config->encoding ? *config->encoding : ResolvedEncoding();
      return ReadModule(path, encoding, env).Exported().Text();
    } catch (const std::exception&) {
      return std::nullopt;  // unreadable, or a configuration that can't be used
    }
  };
  return lsp::RunLanguageServer(env.in, env.out, env.err, settings, {optionsOf, textOf});
}

}  // namespace

int UsageError(const CliEnvironment& env, std::string_view message) {
  // One write: standard error is unbuffered.
  env.err << "tamvo: " + std::string(message) + "\n" << std::flush;
  return kExitUsage;
}

int RunTamvo(const std::vector<std::string>& args, const CliEnvironment& env) {
  Request request;
  if (const auto exit = ParseArguments(args, env, request)) return *exit;
  if (const auto usage = CheckRequest(request)) return UsageError(env, *usage);
  if (request.serving) return Serve(request, env);
  const bool pages = request.docs.docs || request.docs.filter;
  const std::vector<std::string>& files = request.linting    ? request.lint.files
                                          : request.counting ? request.coverage.files
                                          : pages            ? request.docs.files
                                                             : request.files;
  std::vector<ModuleOptions> modules;
  if (const auto exit = ResolveModuleOptions(request, files, env, modules)) return *exit;
  if (pages) return RunDocsCommand(request.docs, modules, env);
  if (request.linting) return RunLint(request.lint, modules, env);
  if (request.counting) return RunCoverage(request.coverage, modules, env);
  return RunFiles(request, modules, env);
}

std::optional<std::string> ResolveEncoding(const std::string& name, const std::string& what,
                                           ResolvedEncoding& encoding) {
  // Files are split into lines before they are decoded, which needs a code
  // page that writes ASCII as ASCII.
  const std::string lower = Lowercase(name);
  if (lower.empty()) return what + " needs a name: auto, utf-8 or a code page such as cp932";
  if (lower == "auto") return std::nullopt;
  if (lower == "utf-8" || lower == "utf8") {
    encoding.choice = EncodingChoice::Utf8;
    return std::nullopt;
  }
  encoding.codePage = name;
  for (char& c : encoding.codePage) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  encoding.choice = EncodingChoice::Legacy;
  try {
    if (CodePage(encoding.codePage).AsciiIsItself()) return std::nullopt;
  } catch (const Failure&) {
    return what + ": unknown encoding " + name;
  }
  return what + ": " + name + " doesn't write ASCII as ASCII, as exported modules do";
}

}  // namespace tamvo
