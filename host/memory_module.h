#pragma once
// A VBA code module held in memory, answering the editor's members the way
// the editor does. It backs the command-line tool and every test.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "host/code_module.h"
#include "host/gap_buffer.h"
#include "host/proc_index.h"
#include "host/text_store.h"

namespace tamvo {

// Splits text into lines at CR LF, lone CR or lone LF. An empty text is no
// lines; a final line end adds no empty line after it.
std::vector<std::u16string> SplitLines(std::u16string_view text);

// The lines of a module as it loads from a file. A line of plain ASCII
// (most lines) is kept as the view of its bytes and widened whenever it is
// read; any other line comes decoded. Most lines of a large module are read
// by nothing but the procedure index, and need not be held twice.
struct LoadedLine {
  std::string_view bytes;
  std::u16string_view text;  // the decoded text of a line not plain ASCII
};
struct LoadedBytes {
  std::shared_ptr<const std::string> bytes;  // what the lines' bytes view
  std::unique_ptr<char16_t[]> text;          // what their texts view
  std::size_t textSize = 0;
  std::vector<LoadedLine> lines;
};

class MemoryModule : public CodeModule {
 public:
  // Every line keeps its identity through edits, so that whoever loaded the
  // module can tell its own lines from inserted ones.
  using LineId = std::uint32_t;

  explicit MemoryModule(std::u16string componentName, std::vector<std::u16string> lines = {});
  MemoryModule(std::u16string componentName, LoadedBytes loaded);

  std::u16string ComponentName() override { return componentName_; }
  LineNumber CountOfLines() override;
  std::u16string Lines(LineNumber startLine, LineNumber count) override;
  void InsertLines(LineNumber line, std::u16string_view code) override;
  void DeleteLines(LineNumber startLine, LineNumber count) override;
  LineNumber ProcStartLine(std::u16string_view procName, ProcKind kind) override;
  LineNumber ProcBodyLine(std::u16string_view procName, ProcKind kind) override;
  std::u16string ProcOfLine(LineNumber line, ProcKind& kind) override;
  // From the index, by position: two procedures of one name each answer for
  // their own lines.
  std::optional<ProcLines> ProcLinesOfLine(LineNumber line) override;
  std::shared_ptr<tamvo::CodePane> CodePane() override;

  // The pane that shows this module; set by whoever creates the pane.
  void ShowIn(std::weak_ptr<tamvo::CodePane> pane) { pane_ = std::move(pane); }

  // The lines as loaded have ids 0 .. n-1 in order; inserted lines get ids
  // from n on.
  LineId IdOfLine(LineNumber line) const;
  // Valid as long as the module lives, through any edit.
  std::u16string_view LineText(LineNumber line) const;
  // Calls visit(id, bytes, text) for every line in order, with the bytes
  // of a line loaded from bytes (its text left empty) or the text of any
  // other: the module as whoever loaded it writes it out, in one pass.
  template <typename Visit>
  void ForEachLine(Visit&& visit) const;
  // The whole module, lines joined by CR LF.
  std::u16string Text() const;

 private:
  // A line is a view of text the module keeps, or of the ASCII bytes it
  // was loaded from (raw): 12 bytes, no allocation of its own, so that a
  // module of a million lines loads and edits without a million strings.
  struct Line {
    std::uint32_t at = 0;    // the text's address in text_, or the bytes' offset in bytes_ when raw
    std::uint32_t size = 0;  // characters, or bytes when raw
    LineId id : 31 = 0;
    LineId raw : 1 = 0;
  };

  Line NewLine(TextStore::Address at, std::size_t size);
  Line NewRawLine(std::string_view bytes);
  // The line's text; a raw line is widened into scratch, the view valid
  // until the next call. For reads that look at a line and move on.
  std::u16string_view Peek(const Line& line) const;

  LineNumber Count() const { return static_cast<LineNumber>(lines_.size()); }
  // Lines first .. end - 1 joined by CR LF.
  std::u16string Join(LineNumber first, LineNumber end) const;
  std::size_t FindProc(std::u16string_view procName, ProcKind kind);
  // The index of the procedure that holds the line, none in the
  // declarations section; throws Failure past the module's end.
  std::optional<std::size_t> ProcAtLine(LineNumber line);
  ProcIndex::LineSource Source() const;

  std::u16string componentName_;
  // Text of the module's lines: lines as inserted or loaded decoded, and
  // raw lines as LineText widened them (which changes no line's text: the
  // store is mutable for it). Deleted lines leave their text behind until
  // the module goes.
  mutable TextStore text_;
  GapBuffer<Line> lines_;
  std::shared_ptr<const std::string> bytes_;  // raw lines view them
  // Lines loaded decoded, with the bytes they were read from: by id.
  std::vector<std::pair<LineId, std::string_view>> bytesOfDecoded_;
  LineId loadedCount_ = 0;  // lines loaded from bytes: ids 0 .. loadedCount_ - 1
  mutable std::u16string scratch_;
  std::vector<Line> inserted_;  // the lines of the text being inserted
  // Raw lines whose text was asked for by LineText, widened: few, so the
  // lines themselves stay views of their bytes, for whoever loaded them.
  mutable std::unordered_map<LineId, std::u16string_view> decoded_;
  ProcIndex index_;
  LineId nextId_ = 0;
  std::weak_ptr<tamvo::CodePane> pane_;
};

template <typename Visit>
void MemoryModule::ForEachLine(Visit&& visit) const {
  // Lines keep their order through edits: the lines loaded decoded are met
  // in the order of their ids.
  std::size_t decoded = 0;
  for (std::size_t i = 0; i < lines_.size(); ++i) {
    const Line& line = lines_[i];
    if (line.raw) {
      visit(LineId{line.id}, std::string_view(bytes_->data() + line.at, line.size), std::u16string_view());
      continue;
    }
    // Inserted lines have ids past every loaded line's: they move nothing.
    bool loaded = false;
    if (line.id < loadedCount_) {
      while (decoded < bytesOfDecoded_.size() && bytesOfDecoded_[decoded].first < line.id) ++decoded;
      loaded = decoded < bytesOfDecoded_.size() && bytesOfDecoded_[decoded].first == line.id;
    }
    visit(LineId{line.id}, loaded ? bytesOfDecoded_[decoded].second : std::string_view(),
          loaded ? std::u16string_view() : std::u16string_view(text_.At(line.at), line.size));
  }
}

// The one code pane of a MemoryModule, with its selection.
class MemoryPane : public CodePane {
 public:
  explicit MemoryPane(std::shared_ptr<MemoryModule> module) : module_(std::move(module)) {}

  std::shared_ptr<tamvo::CodeModule> CodeModule() override { return module_; }
  Selection GetSelection() override { return selection_; }
  void SetSelection(LineNumber startLine, LineNumber startColumn, LineNumber endLine,
                    LineNumber endColumn) override;

 private:
  std::shared_ptr<MemoryModule> module_;
  Selection selection_;
};

// An editor whose active code pane shows one MemoryModule, or no pane at all.
class MemoryVbe : public Vbe {
 public:
  explicit MemoryVbe(std::shared_ptr<MemoryModule> module);

  std::shared_ptr<CodePane> ActiveCodePane() override;

  MemoryModule& Module() { return *module_; }
  MemoryPane& Pane() { return *pane_; }
  void SetPaneActive(bool active) { paneActive_ = active; }

 private:
  std::shared_ptr<MemoryModule> module_;
  std::shared_ptr<MemoryPane> pane_;
  bool paneActive_ = true;
};

}  // namespace tamvo
