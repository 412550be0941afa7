#include "cli/tamvo_cli.h"

#include <CLI/CLI.hpp>
#include <istream>
#include <iterator>
#include <limits>
#include <optional>
#include <ostream>

#include "cli/lint_files.h"
#include "cli/run_report.h"
#include "cli/settings_file.h"
#include "commands/commands.h"
#include "engine/failure.h"
#include "engine/text.h"
#include "host/posix/file_io.h"
#include "host/posix/module_file.h"
#include "lsp/language_server.h"

namespace tamvo {

namespace {

struct Request {
  Command command = Command::InsertAllProcComments;
  bool needsLine = false;
  int line = 0;
  std::optional<std::string> author;
  bool inPlace = false;
  bool check = false;
  std::string encoding = "cp932";
  std::vector<std::string> files;
};

// The user's side of a run: failures are collected for the error output, and
// the author comes from --author, the terminal or the stored setting.
class CliUi : public Ui {
 public:
  CliUi(const Request& request, const CliEnvironment& env) : request_(request), env_(env) {}

  void MsgBox(std::u16string_view text, std::int32_t) override { failures.emplace_back(text); }

  std::optional<std::u16string> InputBox(std::u16string_view prompt, std::u16string_view preset) override {
    if (request_.author) return FromUtf8(*request_.author);
    if (!answer_) answer_ = Ask(prompt, preset);
    return *answer_;
  }

  std::vector<std::u16string> failures;

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

// --check changes nothing, the stored author included.
class ReadOnlySettings : public Settings {
 public:
  explicit ReadOnlySettings(Settings& settings) : settings_(settings) {}
  std::u16string GetSetting(std::u16string_view application, std::u16string_view section,
                            std::u16string_view key, std::u16string_view defaultValue) override {
    return settings_.GetSetting(application, section, key, defaultValue);
  }
  void SaveSetting(std::u16string_view, std::u16string_view, std::u16string_view,
                   std::u16string_view) override {}

 private:
  Settings& settings_;
};

std::string CodePageName(const std::string& encoding) {
  std::string name;
  for (const char c : encoding) name += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return name;
}

enum class Outcome { Unchanged, Changed, Failed };

Outcome ProcessFile(const std::string& name, const Request& request, CliUi& ui, Settings& settings,
                    const CliEnvironment& env) {
  const bool standardInput = name == "-";
  auto fail = [&](std::u16string_view why) {
    env.err << "tamvo: " << (standardInput ? "<stdin>" : name) << ": " << ToUtf8(why) << '\n';
    return Outcome::Failed;
  };
  try {
    const std::string before =
        standardInput ? std::string(std::istreambuf_iterator<char>(env.in), {}) : ReadFileBytes(name);
    const auto stem =
        standardInput ? std::u16string() : FromUtf8(std::filesystem::path(name).stem().string());
    ModuleFile file = ModuleFile::Parse(before, stem, CodePageName(request.encoding));

    MemoryVbe vbe(file.Module());
    bool run = true;
    LineNumber line = 0;
    if (request.needsLine) {
      line = file.ModuleLineOfFileLine(request.line);
      ProcKind kind = ProcKind::Proc;
      if (line == 0 || file.Module()->ProcOfLine(line, kind).empty()) {
        env.err << "tamvo: " << name << ": line " << request.line
                << " is not in a procedure; nothing to do\n";
        run = false;
      } else {
        vbe.Pane().SetSelection(line, 1, line, 1);
      }
    }
    if (run) {
      EventTable events;
      events.InitEventTable();
      const RunReport report(request.command, file, line, events);
      ui.failures.clear();
      Commands commands(vbe, events, ui, settings);
      commands.Run(request.command);
      if (!ui.failures.empty()) {
        for (const auto& failure : ui.failures) fail(failure);
        return Outcome::Failed;
      }
      report.Write(env.err, standardInput ? "<stdin>" : name, commands);
    }

    const std::string after = file.Serialize();
    if (!request.inPlace && !request.check) env.out << after << std::flush;
    if (after == before) return Outcome::Unchanged;
    if (request.inPlace) WriteFileAtomically(name, after);
    if (request.check) env.err << "tamvo: " << name << ": would change\n";
    return Outcome::Changed;
  } catch (const Failure& failure) {
    return fail(failure.Description());
  }
}

}  // namespace

int RunTamvo(const std::vector<std::string>& args, const CliEnvironment& env) {
  Request request;
  CLI::App app(
      "Writes and removes documentation comment blocks in exported VBA modules "
      "(.bas, .cls, .frm).",
      "tamvo");
  app.set_version_flag("--version", "tamvo 1.0.0");
  app.require_subcommand(1, 1);
  // Options of every command may stand before or after the command's name.
  app.fallthrough();
  auto* inPlace = app.add_flag("-i,--in-place", request.inPlace, "rewrite the files");
  app.add_flag("--check", request.check, "change nothing; exit 1 if any file would change")
      ->excludes(inPlace);
  app.add_option("--encoding", request.encoding, "the legacy code page of files that are not UTF-8")
      ->capture_default_str();

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
      sub->add_option("--line", request.line, "the line, as a text editor counts the file's lines")
          ->required()
          ->check(CLI::Range(1, std::numeric_limits<int>::max()));
    }
    if (command.command == Command::InsertModuleHeader || command.command == Command::UpdateModuleHeader) {
      sub->add_option("--author", request.author, "the author to write and remember");
    }
    sub->add_option("FILE", request.files, "exported module files; - for standard input")->required();
  }

  LintRequest lint;
  bool linting = false;
  CLI::App* lintCommand =
      app.add_subcommand("lint", "report missing and stale documentation; change nothing");
  lintCommand->callback([&linting] { linting = true; });
  lintCommand->add_option("--scope", lint.scope, "missing-doc for all procedures or only public ones")
      ->check(CLI::IsMember({"all", "public"}));
  lintCommand->add_option("--disable", lint.disabled, "rules to turn off, RULE[,RULE]")->delimiter(',');
  lintCommand->add_option("--format", lint.format, "text or json")->check(CLI::IsMember({"text", "json"}));
  lintCommand->add_option("FILE", lint.files, "exported module files; - for standard input")->required();

  CLI::App* lsp = app.add_subcommand("lsp", "language server over standard input and output");
  // Some clients pass --stdio to every server; standard input and output is
  // the only way this one talks.
  bool stdio = false;
  lsp->add_flag("--stdio", stdio, "accepted and ignored");

  try {
    std::vector<std::string> reversed(args.rbegin(), args.rend());
    app.parse(reversed);
  } catch (const CLI::ParseError& e) {
    const int code = app.exit(e, env.out, env.err);
    return code == 0 ? kExitDone : kExitUsage;
  }
  if (linting) {
    if (request.inPlace || request.check) {
      env.err << "tamvo: lint changes nothing: -i and --check don't go with it\n";
      return kExitUsage;
    }
    lint.codePage = CodePageName(request.encoding);
    return RunLint(lint, env);
  }
  if (lsp->parsed()) {
    SettingsFile stored(env.settingsPath);
    return lsp::RunLanguageServer(env.in, env.out, env.err, stored);
  }
  if (!request.inPlace && !request.check && request.files.size() != 1) {
    env.err << "tamvo: without -i or --check give exactly one FILE\n";
    return kExitUsage;
  }
  for (const auto& file : request.files) {
    if (file == "-" && request.inPlace) {
      env.err << "tamvo: standard input can't be rewritten in place\n";
      return kExitUsage;
    }
  }

  SettingsFile stored(env.settingsPath);
  ReadOnlySettings unchanged(stored);
  Settings& settings = request.check ? static_cast<Settings&>(unchanged) : stored;
  CliUi ui(request, env);
  bool failed = false;
  bool changed = false;
  for (const auto& file : request.files) {
    const Outcome outcome = ProcessFile(file, request, ui, settings, env);
    failed = failed || outcome == Outcome::Failed;
    changed = changed || outcome == Outcome::Changed;
  }
  if (failed) return kExitFailed;
  return request.check && changed ? kExitWouldChange : kExitDone;
}

}  // namespace tamvo
