#include "lsp/code_actions.h"

#include <functional>
#include <map>
#include <ostream>

#include "commands/commands.h"
#include "engine/failure.h"
#include "engine/text.h"
#include "lsp/text_edits.h"

namespace tamvo::lsp {

namespace {

using nlohmann::json;

// The findings that update mends: a procedure's tags, or no block at all.
bool UpdateFixes(const std::string& rule) {
  return rule == "missing-doc" || rule == "param-missing" || rule == "param-stale" ||
         rule == "return-missing" || rule == "return-stale";
}

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

json ToJson(const Position& position) { return {{"line", position.line}, {"character", position.character}}; }

class ActionBuilder {
 public:
  ActionBuilder(const Document& document, std::string uri, ActionServices& services)
      : document_(document),
        // Lines that went through UTF-8 and back compare with what the
        // module file writes for them, whatever the editor's text held.
        before_(FromUtf8(ToUtf8(document.Text()))),
        uri_(std::move(uri)),
        services_(services) {}

  using Edit = std::function<void(MemoryVbe& vbe, Commands& commands)>;

  // The action, unless the edit fails or changes nothing.
  void Add(std::string_view title, std::string_view kind, const Edit& edit, json diagnostics = nullptr) {
    try {
      ModuleFile file = document_.Parse();
      MemoryVbe vbe(file.Module());
      ActionUi ui(services_.author);
      NoStore settings(services_.settings);
      Commands commands(vbe, services_.events, ui, settings);
      edit(vbe, commands);
      if (!ui.failures.empty()) throw Failure(ui.failures.front());
      const std::vector<TextEdit> edits = LineEdits(before_, Document::TextOf(file));
      if (edits.empty()) return;
      json changes = json::array();
      for (const auto& textEdit : edits) {
        changes.push_back({{"range", {{"start", ToJson(textEdit.start)}, {"end", ToJson(textEdit.end)}}},
                           {"newText", ToUtf8(textEdit.newText)}});
      }
      json action = {{"title", title}, {"kind", kind}, {"edit", {{"changes", {{uri_, changes}}}}}};
      if (!diagnostics.is_null()) {
        action["diagnostics"] = std::move(diagnostics);
        action["isPreferred"] = true;
      }
      actions.push_back(std::move(action));
    } catch (const Failure& failure) {
      services_.log << "tamvo lsp: " << title << ": " << ToUtf8(failure.Description()) << '\n';
    } catch (const std::exception& failure) {
      services_.log << "tamvo lsp: " << title << ": " << failure.what() << '\n';
    }
  }

  json actions = json::array();

 private:
  const Document& document_;
  std::u16string before_;
  std::string uri_;
  ActionServices& services_;
};

// Whether the client asked for actions of this kind ("only" lists kinds
// and their parents).
bool Wanted(const json& only, std::string_view kind) {
  if (only.is_null()) return true;
  for (const auto& asked : only) {
    const std::string prefix = asked.get<std::string>();
    if (kind == prefix || (kind.starts_with(prefix) && kind[prefix.size()] == '.')) return true;
  }
  return false;
}

// The module line and procedure at a document line (0-based); an empty name
// off any procedure.
std::u16string ProcAt(const ModuleFile& file, std::int64_t documentLine, LineNumber& moduleLine,
                      ProcKind& kind) {
  moduleLine = 0;
  if (documentLine < 0 || documentLine >= file.FileLineCount()) return {};
  moduleLine = file.ModuleLineOfFileLine(static_cast<LineNumber>(documentLine + 1));
  if (moduleLine == 0) return {};
  return file.Module()->ProcOfLine(moduleLine, kind);
}

}  // namespace

json CodeActions(const Document& document, const json& params, ActionServices& services) {
  const std::string uri = params.at("textDocument").at("uri").get<std::string>();
  const json& context = params.at("context");
  const json only = context.contains("only") ? context.at("only") : json();
  const std::int64_t cursorLine = params.at("range").at("start").at("line").get<std::int64_t>();
  ActionBuilder builder(document, uri, services);

  ModuleFile file = document.Parse();
  if (Wanted(only, "quickfix")) {
    // One fix a procedure, however many of its findings the client holds.
    std::map<std::pair<std::u16string, ProcKind>, std::pair<LineNumber, json>> fixes;
    for (const auto& diagnostic : context.at("diagnostics")) {
      if (diagnostic.value("source", "") != "tamvo" || !diagnostic.contains("code") ||
          !diagnostic.at("code").is_string() || !UpdateFixes(diagnostic.at("code").get<std::string>())) {
        continue;
      }
      LineNumber line = 0;
      ProcKind kind = ProcKind::Proc;
      const std::u16string name =
          ProcAt(file, diagnostic.at("range").at("start").at("line").get<std::int64_t>(), line, kind);
      if (name.empty()) continue;
      auto& [procLine, listed] = fixes[{name, kind}];
      if (listed.is_null()) {
        procLine = line;
        listed = json::array();
      }
      listed.push_back(diagnostic);
    }
    for (auto& [proc, fix] : fixes) {
      const LineNumber procLine = fix.first;
      builder.Add(
          kUpdateDocComment, "quickfix",
          [&](MemoryVbe& vbe, Commands& commands) {
            vbe.Pane().SetSelection(procLine, 1, procLine, 1);
            commands.UpdateCurrentProcComment();
          },
          fix.second);
    }
  }

  LineNumber line = 0;
  ProcKind kind = ProcKind::Proc;
  const std::u16string name = ProcAt(file, cursorLine, line, kind);
  if (!name.empty() && Wanted(only, "refactor.rewrite")) {
    builder.Add(kInsertDocComment, "refactor.rewrite", [&](MemoryVbe& vbe, Commands& commands) {
      vbe.Pane().SetSelection(line, 1, line, 1);
      commands.InsertCurrentProcComment();
    });
    builder.Add(kUpdateDocComment, "refactor.rewrite", [&](MemoryVbe& vbe, Commands& commands) {
      vbe.Pane().SetSelection(line, 1, line, 1);
      commands.UpdateCurrentProcComment();
    });
    builder.Add(kDeleteDocComment, "refactor.rewrite", [&](MemoryVbe& vbe, Commands& commands) {
      vbe.Pane().SetSelection(line, 1, line, 1);
      commands.DeleteCurrentProcComment();
    });
  }

  if (Wanted(only, "source")) {
    builder.Add(kDocumentEveryProcedure, "source",
                [&](MemoryVbe&, Commands& commands) { commands.UpdateAllProcComments(); });
    builder.Add(kInsertModuleHeader, "source",
                [&](MemoryVbe&, Commands& commands) { commands.InsertModuleHeader(); });
    builder.Add(kUpdateModuleHeader, "source",
                [&](MemoryVbe&, Commands& commands) { commands.UpdateModuleHeader(); });
    builder.Add(kDeleteModuleHeader, "source",
                [&](MemoryVbe&, Commands& commands) { commands.DeleteModuleHeader(); });
  }
  return builder.actions;
}

}  // namespace tamvo::lsp
