#include "lsp/code_actions.h"

#include <algorithm>
#include <functional>
#include <map>
#include <optional>
#include <ostream>

#include "commands/commands.h"
#include "commands/descriptions.h"
#include "commands/lint.h"
#include "engine/failure.h"
#include "engine/text.h"
#include "lsp/recorded_edits.h"
#include "lsp/text_edits.h"

namespace tamvo::lsp {

namespace {

// The rule of a diagnostic of the server's.
std::optional<LintRule> RuleOf(const Diagnostic& diagnostic) {
  if (diagnostic.source != kDiagnosticSource || !diagnostic.code) return std::nullopt;
  const auto* name = std::get_if<std::string>(&*diagnostic.code);
  return name ? LintRuleOfName(*name) : std::nullopt;
}

// Whether the diagnostic is of a finding that update mends.
bool UpdateMends(const Diagnostic& diagnostic) {
  const std::optional<LintRule> rule = RuleOf(diagnostic);
  return rule && LintRuleFixedByUpdate(*rule);
}

// The name an action's data gives writing the descriptions, beside the
// commands' names.
constexpr std::string_view kDescriptionsAction = "descriptions";

// The commands ask for the author through an input box: the answer is the
// server's author, and nothing is ever stored.
class ActionUi : public Ui {
 public:
  explicit ActionUi(const std::u16string& author) : author_(author) {}
  void MsgBox(std::u16string_view text, std::int32_t) override { failures.emplace_back(text); }
  std::optional<std::u16string> InputBox(std::u16string_view, std::u16string_view) override {
    return author_;
  }

  std::vector<std::u16string> failures;

 private:
  const std::u16string& author_;
};

class NoStore : public Settings {
 public:
  explicit NoStore(Settings& settings) : settings_(settings) {}
  std::u16string GetSetting(std::u16string_view application, std::u16string_view section,
                            std::u16string_view key, std::u16string_view defaultValue) override {
    return settings_.GetSetting(application, section, key, defaultValue);
  }
  void SaveSetting(std::u16string_view, std::u16string_view, std::u16string_view,
                   std::u16string_view) override {}

 private:
  Settings& settings_;
};

// The commands of the actions, by the names the command line gives them,
// as an action's data names them.
struct ActionCommand {
  Command command;
  std::string_view name;
  bool atProcedure;  // works on the procedure at the caret
};
constexpr ActionCommand kActionCommands[] = {
    {Command::InsertCurrentProcComment, "insert-proc", true},
    {Command::UpdateCurrentProcComment, "update-proc", true},
    {Command::DeleteCurrentProcComment, "delete-proc", true},
    {Command::UpdateAllProcComments, "update-all", false},
    {Command::InsertModuleHeader, "insert-header", false},
    {Command::UpdateModuleHeader, "update-header", false},
    {Command::DeleteModuleHeader, "delete-header", false},
};

const ActionCommand& ActionCommandOf(Command command) {
  return *std::find_if(std::begin(kActionCommands), std::end(kActionCommands),
                       [&](const ActionCommand& known) { return known.command == command; });
}

// What the command does to this version of the document, run once on its
// module and taken back: the edits of Content(), none where it changes
// nothing, nothing when it fails. line: the declaration's line (module
// line) of the procedure it works on, 0 for the module's commands.
// An update with descriptions on also changes hidden lines, which the
// module's recorded edits don't hold: it runs on a module read afresh from
// the text, and the edits are the difference of the texts.
std::optional<std::vector<TextEdit>> DescribingUpdateEdits(Document& document, Command command,
                                                           LineNumber line, ActionServices& services) {
  ExportedModule copy = ExportedModule::FromText(document.Content(), document.Module().Name());
  MemoryVbe vbe(copy.Module());
  ActionUi ui(services.author);
  NoStore settings(services.settings);
  Commands commands(vbe, services.events, ui, settings);
  std::u16string procedure;
  if (line > 0) {
    vbe.Pane().SetSelection(line, 1, line, 1);
    ProcKind kind = ProcKind::Proc;
    procedure = copy.Module()->ProcOfLine(line, kind);
  }
  DescriptionUpdate descriptions(copy, line > 0 ? &procedure : nullptr);
  commands.Run(command);
  if (!ui.failures.empty()) {
    services.log << "tamvo lsp: " << ActionCommandOf(command).name << ": " << ToUtf8(ui.failures.front())
                 << '\n';
    return std::nullopt;
  }
  descriptions.Apply();
  return LineEdits(document.Content(), copy.Text());
}

// What writing every summary into its description does to the document.
const std::vector<TextEdit>& DescriptionEdits(Document& document) {
  if (!document.descriptionEdits) {
    ExportedModule copy = ExportedModule::FromText(document.Content(), document.Module().Name());
    DescriptionUpdate(copy).Apply();
    document.descriptionEdits = LineEdits(document.Content(), copy.Text());
  }
  return *document.descriptionEdits;
}

const std::optional<std::vector<TextEdit>>& CommandEdits(Document& document, Command command, LineNumber line,
                                                         ActionServices& services) {
  const auto done = document.runs.find({command, line});
  if (done != document.runs.end()) return done->second;
  if (services.descriptions &&
      (command == Command::UpdateCurrentProcComment || command == Command::UpdateAllProcComments)) {
    return document.runs
        .emplace(std::pair(command, line), DescribingUpdateEdits(document, command, line, services))
        .first->second;
  }
  ExportedModule& file = document.Module();
  RecordingVbe vbe(*file.Module());
  ActionUi ui(services.author);
  NoStore settings(services.settings);
  Commands commands(vbe, services.events, ui, settings);
  // As the command line's --line reaches it: of two procedures of one name
  // and kind (under #If ... #Else) each is its own.
  if (line > 0) vbe.Pane().SetSelection(line, 1, line, 1);
  try {
    commands.Run(command);
  } catch (...) {
    vbe.Module().Undo();
    throw;
  }
  vbe.Module().Undo();
  std::optional<std::vector<TextEdit>> edits;
  if (ui.failures.empty()) {
    edits = RecordedEdits(vbe.Module().Record(), file.LineMap(), document.Lines());
  } else {
    services.log << "tamvo lsp: " << ActionCommandOf(command).name << ": " << ToUtf8(ui.failures.front())
                 << '\n';
  }
  return document.runs.emplace(std::pair(command, line), std::move(edits)).first->second;
}

// The edits as the editor counts positions in its text.
WorkspaceEdit InText(const Document& document, const std::string& uri, std::vector<TextEdit> edits) {
  for (TextEdit& edit : edits) {
    edit.start = document.InText(edit.start);
    edit.end = document.InText(edit.end);
  }
  WorkspaceEdit edit;
  edit.changes.emplace(uri, std::move(edits));
  return edit;
}

class ActionBuilder {
 public:
  ActionBuilder(Document& document, std::string uri, bool resolving, ActionServices& services)
      : document_(document), uri_(std::move(uri)), resolving_(resolving), services_(services) {}

  // The action, unless the command fails or changes nothing. line: as CommandEdits's.
  void Add(std::string_view title, std::string_view kind, Command command, LineNumber line = 0,
           std::optional<std::vector<Diagnostic>> diagnostics = std::nullopt) {
    const auto& edits = CommandEdits(document_, command, line, services_);
    if (!edits) return;
    Add(title, kind, ActionCommandOf(command).name, *edits, line, std::move(diagnostics));
  }

  // The action of writing the descriptions, unless it changes nothing.
  void AddDescriptions(std::optional<std::vector<Diagnostic>> diagnostics = std::nullopt) {
    Add(kWriteDescriptions, diagnostics ? "quickfix" : "source", kDescriptionsAction,
        DescriptionEdits(document_), 0, std::move(diagnostics));
  }

  std::vector<CodeAction> actions;

 private:
  void Add(std::string_view title, std::string_view kind, std::string_view name,
           const std::vector<TextEdit>& edits, LineNumber line,
           std::optional<std::vector<Diagnostic>> diagnostics) {
    if (edits.empty()) return;
    CodeAction& action = actions.emplace_back();
    action.title = title;
    action.kind = kind;
    if (diagnostics) {
      action.diagnostics = std::move(diagnostics);
      action.isPreferred = true;
    }
    if (resolving_) {
      CodeActionData& data = action.data.emplace();
      data.uri = uri_;
      data.version = document_.Version();
      data.command = name;
      if (line > 0) data.line = document_.DocumentLines()[static_cast<std::size_t>(line)];
    } else {
      // The smallest edits of whole lines, as a client that takes every
      // action whole has always had them.
      const std::u16string_view before = document_.Content();
      action.edit = InText(document_, uri_, LineEdits(before, ApplyEdits(before, edits)));
    }
  }

  Document& document_;
  std::string uri_;
  bool resolving_;
  ActionServices& services_;
};

// Whether the client asked for actions of this kind ("only" lists kinds
// and their parents).
bool Wanted(const std::optional<std::vector<std::string>>& only, std::string_view kind) {
  if (!only) return true;
  return std::any_of(only->begin(), only->end(), [&](std::string_view asked) {
    return kind == asked || (kind.starts_with(asked) && kind[asked.size()] == '.');
  });
}

// The procedure at a document line (0-based); nothing off any procedure.
std::optional<ProcLines> ProcAt(const ExportedModule& file, std::int64_t documentLine) {
  if (documentLine < 0 || documentLine >= file.LineMap().FileLineCount()) return std::nullopt;
  const LineNumber moduleLine =
      file.LineMap().ModuleLineOfFileLine(static_cast<LineNumber>(documentLine + 1));
  if (moduleLine == 0) return std::nullopt;
  return file.Module()->ProcLinesOfLine(moduleLine);
}

// Whether comment lines stand above the procedure's declaration, the
// annotations aside: what insert and delete would replace.
bool HasComment(CodeModule& module, const ProcLines& proc) {
  LeadingLines lines(module, proc);
  const LineNumber first = CommentStartLine(lines, proc);
  const std::vector<LineNumber> annotations = AnnotationLines(lines, first, proc.body);
  for (LineNumber line = first; line < proc.body; ++line) {
    const std::u16string_view text = lines.At(line);
    if (std::find(annotations.begin(), annotations.end(), line) == annotations.end() &&
        !std::all_of(text.begin(), text.end(), IsBlank)) {
      return true;
    }
  }
  return false;
}

}  // namespace

std::vector<CodeAction> CodeActions(Document& document, const CodeActionParams& params,
                                    ActionServices& services, bool resolving) {
  const std::optional<std::vector<std::string>>& only = params.context.only;
  ActionBuilder builder(document, params.textDocument.uri, resolving, services);

  const ExportedModule& file = document.Module();
  if (Wanted(only, "quickfix")) {
    // One fix a procedure, however many of its findings the client holds:
    // procedures are told apart by their declaration's line, as two of one
    // name may stand under #If ... #Else.
    std::map<LineNumber, std::vector<Diagnostic>> fixes;
    for (const Diagnostic& diagnostic : params.context.diagnostics) {
      if (!UpdateMends(diagnostic)) continue;
      const auto proc = ProcAt(file, diagnostic.range.start.line);
      if (proc) fixes[proc->body].push_back(diagnostic);
    }
    for (auto& [body, diagnostics] : fixes) {
      builder.Add(kUpdateDocComment, "quickfix", Command::UpdateCurrentProcComment, body,
                  std::move(diagnostics));
    }
    // Stale descriptions have one fix: the module's written afresh.
    std::vector<Diagnostic> stale;
    for (const Diagnostic& diagnostic : params.context.diagnostics) {
      if (RuleOf(diagnostic) == LintRule::DescriptionStale) stale.push_back(diagnostic);
    }
    if (!stale.empty() && services.descriptions) builder.AddDescriptions(std::move(stale));
  }

  // Insert and delete replace the lines above a declaration, so they are
  // offered only where no line there is a person's: insert where there is
  // no comment, delete where the comment is a bare block of insert's.
  // Update keeps every word, so it is offered wherever it changes something.
  if (const auto proc = ProcAt(file, params.range.start.line); proc && Wanted(only, "refactor.rewrite")) {
    CodeModule& module = *file.Module();
    const bool commented = HasComment(module, *proc);
    const bool bareBlock = commented && HandWrittenProcComments(module, proc->body, services.events).empty();
    if (!commented) {
      builder.Add(kInsertDocComment, "refactor.rewrite", Command::InsertCurrentProcComment, proc->body);
    }
    builder.Add(kUpdateDocComment, "refactor.rewrite", Command::UpdateCurrentProcComment, proc->body);
    if (bareBlock) {
      builder.Add(kDeleteDocComment, "refactor.rewrite", Command::DeleteCurrentProcComment, proc->body);
    }
  }

  if (Wanted(only, "source")) {
    builder.Add(kDocumentEveryProcedure, "source", Command::UpdateAllProcComments);
    // The same for the comment at the top: update puts the header above a
    // comment of the module's own (a licence), insert and delete replace it.
    const bool handWritten = !HandWrittenModuleHeader(*file.Module()).empty();
    if (!handWritten) builder.Add(kInsertModuleHeader, "source", Command::InsertModuleHeader);
    builder.Add(kUpdateModuleHeader, "source", Command::UpdateModuleHeader);
    if (!handWritten) builder.Add(kDeleteModuleHeader, "source", Command::DeleteModuleHeader);
    if (services.descriptions) builder.AddDescriptions();
  }
  return builder.actions;
}

CodeAction ResolveCodeAction(Document& document, CodeAction action, ActionServices& services) {
  const CodeActionData& data = *action.data;
  if (data.command == kDescriptionsAction) {
    if (!services.descriptions) throw InvalidValue("data.command", "descriptions are off");
    action.edit = InText(document, data.uri, DescriptionEdits(document));
    return action;
  }
  const auto* command = std::find_if(std::begin(kActionCommands), std::end(kActionCommands),
                                     [&](const ActionCommand& known) { return known.name == data.command; });
  if (command == std::end(kActionCommands)) throw InvalidValue("data.command", "no such command");
  LineNumber line = 0;
  if (command->atProcedure) {
    if (!data.line) throw InvalidValue("data.line", "missing");
    const auto proc = ProcAt(document.Module(), *data.line);
    if (!proc || document.DocumentLines()[static_cast<std::size_t>(proc->body)] != *data.line) {
      throw InvalidValue("data.line", "no procedure's declaration");
    }
    line = proc->body;
  }
  const auto& edits = CommandEdits(document, command->command, line, services);
  if (!edits) throw Failure(FromUtf8(data.command) + u" failed");
  action.edit = InText(document, data.uri, *edits);
  return action;
}

}  // namespace tamvo::lsp
