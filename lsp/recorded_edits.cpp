#include "lsp/recorded_edits.h"

#include <algorithm>
#include <iterator>
#include <stdexcept>

#include "engine/failure.h"

namespace tamvo::lsp {

LineRecord::LineRecord(LineNumber lineCount) {
  if (lineCount > 0) runs_.push_back({1, lineCount, {}});
  at_ = runs_.begin();
}

std::list<LineRecord::Run>::iterator LineRecord::RunAt(LineNumber line) {
  while (at_ != runs_.begin() && atLine_ > line) {
    --at_;
    atLine_ -= at_->count;
  }
  while (at_ != runs_.end() && atLine_ + at_->count <= line) {
    atLine_ += at_->count;
    ++at_;
  }
  if (at_ == runs_.end() || atLine_ == line) return at_;
  const LineNumber head = line - atLine_;
  Run tail{at_->read == 0 ? 0 : at_->read + head, at_->count - head, {}};
  if (at_->read == 0) {
    tail.added.assign(std::make_move_iterator(at_->added.begin() + head),
                      std::make_move_iterator(at_->added.end()));
    at_->added.resize(static_cast<std::size_t>(head));
  }
  at_->count = head;
  at_ = runs_.insert(std::next(at_), std::move(tail));
  atLine_ = line;
  return at_;
}

void LineRecord::Insert(LineNumber line, std::vector<std::u16string> lines) {
  const auto count = static_cast<LineNumber>(lines.size());
  at_ = runs_.insert(RunAt(line), Run{0, count, std::move(lines)});
  atLine_ = line;
}

void LineRecord::Delete(LineNumber line, LineNumber count) {
  const auto first = RunAt(line);
  const auto end = RunAt(line + count);
  at_ = runs_.erase(first, end);
  atLine_ = line;
}

void RecordingModule::InsertLines(LineNumber line, std::u16string_view code) {
  const LineNumber before = module_.CountOfLines();
  module_.InsertLines(line, code);
  // The module's own reading: lines end at CR LF, CR or LF, and an empty
  // text is one empty line.
  std::vector<std::u16string> lines = SplitLines(code);
  if (lines.empty()) lines.emplace_back();
  const LineNumber at = std::min(line, before + 1);
  const LineNumber inserted = module_.CountOfLines() - before;
  undo_.push_back({at, inserted, {}});
  if (inserted != static_cast<LineNumber>(lines.size())) {
    throw std::logic_error("the module read inserted lines another way than its recording");
  }
  record_.Insert(at, std::move(lines));
}

void RecordingModule::DeleteLines(LineNumber startLine, LineNumber count) {
  std::u16string deleted = count > 0 && startLine >= 1 ? module_.Lines(startLine, count) : std::u16string();
  module_.DeleteLines(startLine, count);
  if (count == 0) return;
  // Lines joined by CR LF: a last empty line of several needs a line end of
  // its own to be inserted again.
  if (deleted.ends_with(u"\r\n")) deleted += u"\r\n";
  undo_.push_back({startLine, 0, std::move(deleted)});
  record_.Delete(startLine, count);
}

std::shared_ptr<tamvo::CodePane> RecordingModule::CodePane() {
  auto pane = pane_.lock();
  if (!pane) throw Failure(std::u16string(kObjectNotSet));
  return pane;
}

void RecordingModule::Undo() {
  for (auto edit = undo_.rbegin(); edit != undo_.rend(); ++edit) {
    if (edit->inserted > 0) {
      module_.DeleteLines(edit->line, edit->inserted);
    } else {
      module_.InsertLines(edit->line, edit->deleted);
    }
  }
  undo_.clear();
}

namespace {

class RecordingPane : public CodePane {
 public:
  explicit RecordingPane(std::shared_ptr<RecordingModule> module) : module_(std::move(module)) {}

  std::shared_ptr<tamvo::CodeModule> CodeModule() override { return module_; }
  Selection GetSelection() override { return selection_; }
  void SetSelection(LineNumber startLine, LineNumber startColumn, LineNumber endLine,
                    LineNumber endColumn) override {
    selection_ = {startLine, startColumn, endLine, endColumn};
  }

 private:
  std::shared_ptr<RecordingModule> module_;
  Selection selection_;
};

}  // namespace

RecordingVbe::RecordingVbe(MemoryModule& module)
    : module_(std::make_shared<RecordingModule>(module)), pane_(std::make_shared<RecordingPane>(module_)) {
  module_->ShowIn(pane_);
}

namespace {

// A line as ExportedModule::Text() writes it: its text and its end, which
// it writes before the next line, or at the very end only when the text
// read ended with one.
struct Line {
  std::u16string_view text;
  std::u16string_view end;
};

// A line of LinesWithEnds: it ends in CR LF, CR, LF or, the last, in nothing.
Line CutEnd(std::u16string_view line) {
  const std::size_t end = line.ends_with(u"\r\n")                          ? 2
                          : line.ends_with(u'\r') || line.ends_with(u'\n') ? 1
                                                                           : 0;
  return {line.substr(0, line.size() - end), line.substr(line.size() - end)};
}

class EditWriter {
 public:
  EditWriter(const ModuleLineMap& map, const std::vector<std::u16string_view>& lines)
      : map_(map), lines_(lines) {
    for (const auto line : lines) {
      defaultEnd_ = CutEnd(line).end;
      if (!defaultEnd_.empty()) break;
    }
    if (defaultEnd_.empty()) defaultEnd_ = u"\r\n";
    endsWithLineEnd_ = lines.empty() || !CutEnd(lines.back()).end.empty();
  }

  // Between module lines (as read) after and before, which stay (0 and one
  // past the last stand for none), the lines read are gone and added
  // stand instead.
  void Gap(LineNumber after, LineNumber before, const std::vector<std::u16string_view>& added) {
    const std::size_t from = DocumentLine(after + 1);
    const std::size_t to = DocumentLine(before);
    // Text() writes the lines put in first, then the hidden lines below
    // the lines gone.
    std::vector<Line> written;
    for (const auto line : added) written.push_back({line, defaultEnd_});
    LineNumber gone = after + 1;
    for (std::size_t line = from; line < to; ++line) {
      if (gone < before && DocumentLine(gone) == line) {
        ++gone;
      } else {
        written.push_back(Read(line));
      }
    }
    const std::optional<Line> next = to < lines_.size() ? std::optional(Read(to)) : std::nullopt;
    // The line above writes another end when its next line is another one
    // (a lone CR before an empty line ending in LF, a last line that is
    // no longer last): the edit takes it in.
    std::size_t start = from;
    if (from > 0) {
      const Line above = Read(from - 1);
      const auto following = !written.empty() ? std::optional(written.front()) : next;
      if (EndBefore(above, following) != CutEnd(lines_[from - 1]).end) {
        written.insert(written.begin(), above);
        --start;
      }
    }
    std::vector<std::u16string> texts;
    for (std::size_t i = 0; i < written.size(); ++i) {
      const auto following = i + 1 < written.size() ? std::optional(written[i + 1]) : next;
      texts.push_back(std::u16string(written[i].text).append(EndBefore(written[i], following)));
    }
    // Only the lines that change: equal lines at either end stay.
    std::size_t end = to;
    auto first = texts.begin();
    auto last = texts.end();
    while (first != last && start < end && *first == lines_[start]) ++first, ++start;
    while (first != last && start < end && *(last - 1) == lines_[end - 1]) --last, --end;
    if (first == last && start == end) return;
    TextEdit& edit = edits.emplace_back();
    edit.start = PositionOf(start);
    edit.end = PositionOf(end);
    for (; first != last; ++first) edit.newText += *first;
  }

  std::vector<TextEdit> edits;

 private:
  // The document line (0-based) of a module line as read; past the last
  // module line, the document's end.
  std::size_t DocumentLine(LineNumber moduleLine) const {
    if (moduleLine > static_cast<LineNumber>(map_.ModuleLineCount())) return lines_.size();
    return static_cast<std::size_t>(map_.FileLineOfModuleLine(moduleLine) - 1);
  }

  // A line of the document as Text() has it: a last line without an end
  // takes the new lines' end when another line follows it.
  Line Read(std::size_t line) const {
    Line read = CutEnd(lines_[line]);
    if (read.end.empty()) read.end = defaultEnd_;
    return read;
  }

  // What Text() writes after a line: its end before the next line, but a
  // lone CR before an empty line ending in LF would read as one CR LF, so
  // it writes CR LF there; after the last line, the end only when the text
  // read ended with one.
  std::u16string_view EndBefore(const Line& line, const std::optional<Line>& next) const {
    if (!next) return endsWithLineEnd_ ? line.end : std::u16string_view();
    if (line.end == u"\r" && next->text.empty() && next->end == u"\n") return u"\r\n";
    return line.end;
  }

  // The start of a document line; past the last, the document's end.
  Position PositionOf(std::size_t line) const {
    if (line < lines_.size() || endsWithLineEnd_) return {static_cast<std::int64_t>(line), 0};
    return {static_cast<std::int64_t>(lines_.size() - 1), static_cast<std::int64_t>(lines_.back().size())};
  }

  const ModuleLineMap& map_;
  const std::vector<std::u16string_view>& lines_;
  std::u16string_view defaultEnd_;
  bool endsWithLineEnd_ = true;
};

}  // namespace

std::vector<TextEdit> RecordedEdits(const LineRecord& record, const ModuleLineMap& map,
                                    const std::vector<std::u16string_view>& lines) {
  EditWriter writer(map, lines);
  LineNumber after = 0;  // the last line as read that stays, so far
  std::vector<std::u16string_view> added;
  for (const LineRecord::Run& run : record.Runs()) {
    if (run.read == 0) {
      added.insert(added.end(), run.added.begin(), run.added.end());
      continue;
    }
    if (run.read != after + 1 || !added.empty()) writer.Gap(after, run.read, added);
    added.clear();
    after = run.read + run.count - 1;
  }
  const auto count = static_cast<LineNumber>(map.ModuleLineCount());
  if (after != count || !added.empty()) writer.Gap(after, count + 1, added);
  return std::move(writer.edits);
}

}  // namespace tamvo::lsp
