#include "host/memory_module.h"

#include <algorithm>
#include <limits>
#include <string>

#include "engine/failure.h"
#include "engine/text.h"

namespace tamvo {

namespace {

const std::u16string kInvalidCall(kInvalidArgument);

std::u16string Number(LineNumber n) { return FromUtf8(std::to_string(n)); }

}  // namespace

std::vector<std::u16string> SplitLines(std::u16string_view text) {
  std::vector<std::u16string> lines;
  std::size_t start = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != u'\r' && text[i] != u'\n') continue;
    lines.emplace_back(text.substr(start, i - start));
    if (text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') ++i;
    start = i + 1;
  }
  if (start < text.size()) lines.emplace_back(text.substr(start));
  return lines;
}

MemoryModule::MemoryModule(std::u16string componentName, std::vector<std::u16string> lines)
    : componentName_(std::move(componentName)) {
  lines_.Reserve(lines.size());
  for (const auto& line : lines) lines_.PushBack(NewLine(text_.Add(line), line.size()));
  index_.Rebuild(Source(), Count());
}

MemoryModule::MemoryModule(std::u16string componentName, LoadedBytes loaded)
    : componentName_(std::move(componentName)), bytes_(std::move(loaded.bytes)) {
  const char16_t* decoded = loaded.text.get();
  const TextStore::Address decodedAt = loaded.text ? text_.Adopt(std::move(loaded.text), loaded.textSize) : 0;
  lines_.Reserve(loaded.lines.size());
  for (const auto& line : loaded.lines) {
    if (!line.text.data()) {
      lines_.PushBack(NewRawLine(line.bytes));
      continue;
    }
    lines_.PushBack(
        NewLine(decodedAt + static_cast<TextStore::Address>(line.text.data() - decoded), line.text.size()));
    bytesOfDecoded_.emplace_back(nextId_ - 1, line.bytes);
  }
  loadedCount_ = nextId_;
  loaded.lines.clear();
  loaded.lines.shrink_to_fit();
  index_.Rebuild(Source(), Count());
}

MemoryModule::Line MemoryModule::NewLine(TextStore::Address at, std::size_t size) {
  if (size > std::numeric_limits<std::uint32_t>::max()) {
    throw Failure(u"a line of more than 4,294,967,295 characters is too long");
  }
  // Ids take 31 bits of a line.
  if (nextId_ == (LineId{1} << 31) - 1) throw Failure(u"too many lines were loaded or inserted");
  Line line;
  line.at = at;
  line.size = static_cast<std::uint32_t>(size);
  line.id = nextId_++;
  return line;
}

MemoryModule::Line MemoryModule::NewRawLine(std::string_view bytes) {
  Line line = NewLine(static_cast<TextStore::Address>(bytes.data() - bytes_->data()), bytes.size());
  line.raw = 1;
  return line;
}

std::u16string_view MemoryModule::Peek(const Line& line) const {
  if (!line.raw) return {text_.At(line.at), line.size};
  // Widened into scratch, which only ever grows: most lines are short.
  if (scratch_.size() < line.size) scratch_.resize(line.size);
  const char* bytes = bytes_->data() + line.at;
  std::transform(bytes, bytes + line.size, scratch_.begin(), [](char c) { return static_cast<char16_t>(c); });
  return std::u16string_view(scratch_).substr(0, line.size);
}

std::u16string_view MemoryModule::LineText(LineNumber number) const {
  const Line& line = lines_[static_cast<std::size_t>(number - 1)];
  if (!line.raw) return {text_.At(line.at), line.size};
  // Widened once and kept, for the view to stay valid.
  auto [kept, added] = decoded_.try_emplace(line.id);
  if (added) {
    const std::u16string_view text = Peek(line);
    kept->second = {text_.At(text_.Add(text)), text.size()};
  }
  return kept->second;
}

ProcIndex::LineSource MemoryModule::Source() const {
  // The index looks at a line and moves on: raw lines need not be kept decoded.
  return [this](LineNumber line) -> std::u16string_view { return Peek(lines_[line - 1]); };
}

LineNumber MemoryModule::CountOfLines() { return Count(); }

std::u16string MemoryModule::Lines(LineNumber startLine, LineNumber count) {
  if (startLine < 1 || count < 0) {
    throw Failure(kInvalidCall + u": Lines(" + Number(startLine) + u", " + Number(count) + u")");
  }
  // Like the editor, lines past the end read as nothing.
  return Join(startLine,
              startLine > Count() ? startLine : startLine + std::min(count, Count() - startLine + 1));
}

std::u16string MemoryModule::Join(LineNumber first, LineNumber end) const {
  if (end <= first) return {};
  // Sized once, then filled: a raw line has as many characters as bytes.
  std::size_t size = 2 * static_cast<std::size_t>(end - first - 1);
  for (LineNumber line = first; line < end; ++line) size += lines_[line - 1].size;
  std::u16string text(size, u'\0');
  char16_t* out = text.data();
  for (LineNumber line = first; line < end; ++line) {
    if (line > first) {
      *out++ = u'\r';
      *out++ = u'\n';
    }
    const Line& at = lines_[line - 1];
    if (at.raw) {
      out = std::transform(bytes_->data() + at.at, bytes_->data() + at.at + at.size, out,
                           [](char c) { return static_cast<char16_t>(c); });
    } else {
      out = std::copy_n(text_.At(at.at), at.size, out);
    }
  }
  return text;
}

void MemoryModule::InsertLines(LineNumber line, std::u16string_view code) {
  if (line < 1) throw Failure(kInvalidCall + u": InsertLines(" + Number(line) + u")");
  line = std::min(line, Count() + 1);
  // The text is kept once, and the lines as SplitLines cuts it view it.
  // Like the editor, an empty text still inserts one empty line.
  const TextStore::Address at = text_.Add(code);
  inserted_.clear();
  bool standalone = true;
  auto add = [&](std::size_t start, std::size_t end) {
    standalone = standalone && ProcIndex::Standalone(code.substr(start, end - start));
    inserted_.push_back(NewLine(at + static_cast<TextStore::Address>(start), end - start));
  };
  std::size_t start = 0;
  for (std::size_t i = 0; i < code.size(); ++i) {
    if (code[i] != u'\r' && code[i] != u'\n') continue;
    add(start, i);
    if (code[i] == u'\r' && i + 1 < code.size() && code[i + 1] == u'\n') ++i;
    start = i + 1;
  }
  if (start < code.size() || inserted_.empty()) add(start, code.size());
  const auto delta = static_cast<LineNumber>(inserted_.size());
  lines_.Insert(static_cast<std::size_t>(line - 1), inserted_);
  index_.Update(Source(), Count(), line, delta, standalone);
}

void MemoryModule::DeleteLines(LineNumber startLine, LineNumber count) {
  if (startLine < 1 || count < 0 || startLine + count - 1 > Count()) {
    throw Failure(kInvalidCall + u": DeleteLines(" + Number(startLine) + u", " + Number(count) +
                  u") in a module of " + Number(Count()) + u" lines");
  }
  if (count == 0) return;
  bool standalone = true;
  for (LineNumber line = startLine; standalone && line < startLine + count; ++line) {
    standalone = ProcIndex::Standalone(Peek(lines_[line - 1]));
  }
  lines_.Erase(static_cast<std::size_t>(startLine - 1), static_cast<std::size_t>(count));
  index_.Update(Source(), Count(), startLine, -count, standalone);
}

std::size_t MemoryModule::FindProc(std::u16string_view procName, ProcKind kind) {
  const auto found = index_.Find(procName, kind);
  if (!found) {
    throw Failure(u"Sub or Function not defined: " + std::u16string(procName) +
                  (kind == ProcKind::Proc  ? u""
                   : kind == ProcKind::Get ? u" (Property Get)"
                   : kind == ProcKind::Let ? u" (Property Let)"
                   : kind == ProcKind::Set ? u" (Property Set)"
                                           : u" (kind " + Number(static_cast<LineNumber>(kind)) + u")"));
  }
  return *found;
}

LineNumber MemoryModule::ProcStartLine(std::u16string_view procName, ProcKind kind) {
  return index_.StartLine(FindProc(procName, kind));
}

LineNumber MemoryModule::ProcBodyLine(std::u16string_view procName, ProcKind kind) {
  return index_.BodyLine(FindProc(procName, kind));
}

std::optional<std::size_t> MemoryModule::ProcAtLine(LineNumber line) {
  if (line < 0 || line > Count()) {
    throw Failure(kInvalidCall + u": ProcOfLine(" + Number(line) + u") in a module of " + Number(Count()) +
                  u" lines");
  }
  return index_.OfLine(line);
}

std::u16string MemoryModule::ProcOfLine(LineNumber line, ProcKind& kind) {
  const auto proc = ProcAtLine(line);
  kind = proc ? index_.Kind(*proc) : ProcKind::Proc;
  return proc ? std::u16string(index_.Name(*proc)) : std::u16string();
}

std::optional<ProcLines> MemoryModule::ProcLinesOfLine(LineNumber line) {
  const auto proc = ProcAtLine(line);
  if (!proc) return std::nullopt;
  return ProcLines{std::u16string(index_.Name(*proc)), index_.Kind(*proc), index_.StartLine(*proc),
                   index_.BodyLine(*proc)};
}

std::shared_ptr<CodePane> MemoryModule::CodePane() {
  auto pane = pane_.lock();
  if (!pane) throw Failure(std::u16string(kObjectNotSet));
  return pane;
}

MemoryModule::LineId MemoryModule::IdOfLine(LineNumber line) const { return lines_[line - 1].id; }

std::u16string MemoryModule::Text() const { return Join(1, Count() + 1); }

void MemoryPane::SetSelection(LineNumber startLine, LineNumber startColumn, LineNumber endLine,
                              LineNumber endColumn) {
  if (startLine < 1 || startColumn < 1 || endLine < startLine || endColumn < 1) {
    throw Failure(kInvalidCall);
  }
  selection_ = {startLine, startColumn, endLine, endColumn};
}

MemoryVbe::MemoryVbe(std::shared_ptr<MemoryModule> module)
    : module_(std::move(module)), pane_(std::make_shared<MemoryPane>(module_)) {
  module_->ShowIn(pane_);
}

std::shared_ptr<CodePane> MemoryVbe::ActiveCodePane() {
  if (!paneActive_) throw Failure(std::u16string(kObjectNotSet));
  return pane_;
}

}  // namespace tamvo
