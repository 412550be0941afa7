#pragma once
// The edits a command makes to a document, taken from the InsertLines and
// DeleteLines calls it makes rather than from comparing texts: the command
// runs on the document's module through a RecordingModule, which notes each
// call and takes them all back afterwards, and the notes become text edits
// through the module's line map.

#include <list>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "host/exported_module.h"
#include "host/memory_module.h"
#include "lsp/text_edits.h"

namespace tamvo::lsp {

// A module's lines after edits as runs, in order, of lines as read (known
// by their line number when read) and of lines put in.
class LineRecord {
 public:
  struct Run {
    LineNumber read = 0;  // the first line's number as read; 0 for lines put in
    LineNumber count = 0;
    std::vector<std::u16string> added;  // the lines put in
  };

  // A module of lineCount lines as read, not yet edited.
  explicit LineRecord(LineNumber lineCount);

  // The lines become lines line, line + 1, ...; line is at most one past
  // the last.
  void Insert(LineNumber line, std::vector<std::u16string> lines);
  void Delete(LineNumber line, LineNumber count);

  const std::list<Run>& Runs() const { return runs_; }

 private:
  // The run that starts at line, the one holding it cut in two if need be;
  // end() one past the last line.
  std::list<Run>::iterator RunAt(LineNumber line);

  std::list<Run> runs_;
  // Where the last edit was, and that run's first line: a command's edits
  // lie close together, so each looks for its run from there.
  std::list<Run>::iterator at_;
  LineNumber atLine_ = 1;
};

// A MemoryModule whose edits are recorded and can be taken back; the other
// members are the module's own. The procedures are the module's, known by
// their lines, as the command line knows them.
class RecordingModule : public CodeModule {
 public:
  explicit RecordingModule(MemoryModule& module) : module_(module), record_(module.CountOfLines()) {}

  std::u16string ComponentName() override { return module_.ComponentName(); }
  LineNumber CountOfLines() override { return module_.CountOfLines(); }
  std::u16string Lines(LineNumber startLine, LineNumber count) override {
    return module_.Lines(startLine, count);
  }
  void InsertLines(LineNumber line, std::u16string_view code) override;
  void DeleteLines(LineNumber startLine, LineNumber count) override;
  LineNumber ProcStartLine(std::u16string_view procName, ProcKind kind) override {
    return module_.ProcStartLine(procName, kind);
  }
  LineNumber ProcBodyLine(std::u16string_view procName, ProcKind kind) override {
    return module_.ProcBodyLine(procName, kind);
  }
  std::u16string ProcOfLine(LineNumber line, ProcKind& kind) override {
    return module_.ProcOfLine(line, kind);
  }
  std::optional<ProcLines> ProcLinesOfLine(LineNumber line) override { return module_.ProcLinesOfLine(line); }
  std::shared_ptr<tamvo::CodePane> CodePane() override;

  void ShowIn(std::weak_ptr<tamvo::CodePane> pane) { pane_ = std::move(pane); }

  // The module's lines now, against the lines as they were when recording began.
  const LineRecord& Record() const { return record_; }
  // Takes every edit back, the last first: the module reads as before,
  // though its lines are new ones (MemoryModule::IdOfLine), and the record
  // stays.
  void Undo();

 private:
  // An edit as undone: lines inserted at line, or lines deleted from it.
  struct Undone {
    LineNumber line = 0;
    LineNumber inserted = 0;
    std::u16string deleted;  // as InsertLines puts them back
  };

  MemoryModule& module_;
  LineRecord record_;
  std::vector<Undone> undo_;
  std::weak_ptr<tamvo::CodePane> pane_;
};

// An editor whose active pane shows a MemoryModule through a RecordingModule.
class RecordingVbe : public Vbe {
 public:
  explicit RecordingVbe(MemoryModule& module);

  std::shared_ptr<CodePane> ActiveCodePane() override { return pane_; }
  RecordingModule& Module() { return *module_; }
  CodePane& Pane() { return *pane_; }

 private:
  std::shared_ptr<RecordingModule> module_;
  std::shared_ptr<CodePane> pane_;
};

// The edits of lines, the document's Content() cut by LinesWithEnds, that
// make of it what ExportedModule::Text() gives after the recorded edits of
// the module read from it (map is that module's LineMap()). Each replaces
// whole lines, but for ending a text that ends without a line end; they
// come in document order. Hidden lines stay where Text() puts them: below
// the line above them while it stays, else just above the next line as
// read that stays, after the lines put in between.
std::vector<TextEdit> RecordedEdits(const LineRecord& record, const ModuleLineMap& map,
                                    const std::vector<std::u16string_view>& lines);

}  // namespace tamvo::lsp
