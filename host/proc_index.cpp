#include "host/proc_index.h"

#include <bit>
#include <limits>
#include <stdexcept>

#include "engine/statement.h"
#include "engine/text.h"

namespace tamvo {

std::size_t ProcIndex::Hash(std::u16string_view name, ProcKind kind) {
  std::size_t hash = 14695981039346656037ull ^ static_cast<std::size_t>(kind);
  for (const char16_t c : name) hash = (hash ^ ToLowerAscii(c)) * 1099511628211ull;
  return hash;
}

bool ProcIndex::Is(std::size_t i, std::u16string_view name, ProcKind kind) const {
  return procs_[i].kind == kind && EqualsIgnoreCase(Name(i), name);
}

void ProcIndex::BuildSlots() {
  if (procs_.size() >= std::numeric_limits<std::uint32_t>::max() / 2)
    throw std::length_error("too many procedures");
  slots_.assign(std::bit_ceil(2 * procs_.size() + 1), 0);
  const std::size_t mask = slots_.size() - 1;
  for (std::size_t i = 0; i < procs_.size(); ++i) {
    std::size_t slot = Hash(Name(i), procs_[i].kind) & mask;
    // Of two procedures of one name and kind (under #If ... #Else), the
    // first is the one found, as the editor finds it.
    bool known = false;
    for (; slots_[slot] != 0 && !known; slot = (slot + 1) & mask) {
      known = Is(slots_[slot] - 1, Name(i), procs_[i].kind);
    }
    if (!known) slots_[slot] = static_cast<std::uint32_t>(i + 1);
  }
}

namespace {

// False when the statement can be no End (inProc) or no declaration (outside
// a procedure): End starts with E, or follows a ":"; a declaration starts
// with Public, Private, Friend, Static, Sub, Function or Property.
bool MayMatter(std::u16string_view text, bool inProc) {
  std::size_t first = 0;
  while (first < text.size() && IsBlank(text[first])) ++first;
  if (first == text.size()) return false;
  const char16_t c = ToLowerAscii(text[first]);
  if (inProc) return c == u'e' || text.find(u':', first) != std::u16string_view::npos;
  return c == u'p' || c == u'f' || c == u's';
}

}  // namespace

bool ProcIndex::Standalone(std::u16string_view line) {
  return IsBlankOrCommentLine(line) && !ContinuesOnNextLine(line);
}

ProcIndex::Reading ProcIndex::Read(
    const LineSource& lines, LineNumber lineCount, LineNumber from, bool inDeclarations,
    const std::function<std::optional<std::size_t>(const ReadProc&)>& meetsOld) const {
  Reading reading;
  std::optional<ReadProc> open;
  LineNumber line = from;
  std::u16string joined;
  while (line <= lineCount) {
    const LineNumber first = line;
    // Most statements are one line: only continued ones are copied to join them.
    std::u16string_view text = lines(line);
    if (ContinuesOnNextLine(text) && line < lineCount) {
      JoinedStatement statement = JoinStatement(lines, line, lineCount);
      joined = std::move(statement.text);
      line = statement.lastLine;
      text = joined;
    }
    const LineNumber last = line++;
    // Only three kinds of statement matter here: an End inside a procedure,
    // a declaration outside one, and code in the declarations section. The
    // first letter rules out most lines before they are classified.
    if (!inDeclarations && !MayMatter(text, open.has_value())) continue;
    if (!open) {
      const Statement statement = ClassifyStatement(text);
      if (statement.kind != StatementKind::ProcStart) {
        if (inDeclarations && statement.kind == StatementKind::Code) reading.declarationsEnd = last;
        continue;
      }
      open = ReadProc{std::u16string(statement.procName), statement.procKind, first, first, false};
      inDeclarations = false;
      // Only "Sub A(): End Sub" ends where it starts.
      if (text.find(u':') == std::u16string_view::npos) continue;
    }
    if (!EndsProcedure(text)) continue;
    open->end = last;
    open->terminated = true;
    reading.procs.push_back(std::move(*open));
    open.reset();
    if ((reading.syncedWith = meetsOld(reading.procs.back()))) return reading;
  }
  if (open) {
    open->end = lineCount;
    reading.procs.push_back(std::move(*open));
  }
  return reading;
}

void ProcIndex::Rebuild(const LineSource& lines, LineNumber lineCount) {
  Reading reading = Read(lines, lineCount, 1, true, [](const ReadProc&) { return std::nullopt; });
  std::size_t namesSize = 0;
  for (const auto& proc : reading.procs) namesSize += proc.name.size();
  if (namesSize > std::numeric_limits<std::uint32_t>::max())
    throw std::length_error("procedure names too long");
  names_.clear();
  names_.reserve(namesSize);
  procs_.clear();
  procs_.reserve(reading.procs.size());
  for (const auto& proc : reading.procs) {
    procs_.push_back({static_cast<std::uint32_t>(names_.size()), static_cast<std::uint32_t>(proc.name.size()),
                      proc.body, proc.end, proc.kind, proc.terminated});
    names_ += proc.name;
  }
  declarationsEnd_ = reading.declarationsEnd;
  ResetShifts();
  lastFound_.reset();
  BuildSlots();
}

void ProcIndex::Update(const LineSource& lines, LineNumber lineCount, LineNumber line, LineNumber delta,
                       bool standalone) {
  // Standalone lines where no statement continues into them: nothing to
  // re-read, the procedures below only move.
  if (standalone && (line == 1 || !ContinuesOnNextLine(lines(line - 1)))) {
    MoveLines(lineCount, line, delta);
    return;
  }
  // Lines above the edit are unchanged, and so is every procedure that ends
  // above it: re-read from the end of the last of those.
  std::size_t unchanged = CountEndingBefore(line);
  // A procedure that runs to the end of the module without its End takes in
  // whatever is appended.
  if (unchanged > 0 && !procs_[unchanged - 1].terminated) --unchanged;
  const bool fromTop = unchanged == 0;
  const LineNumber from = fromTop ? 1 : EndLine(unchanged - 1) + 1;
  const LineNumber firstUnchanged = line + std::max<LineNumber>(delta, 0);

  // Once a procedure's End falls on an unedited line where an old procedure
  // ended too, both readings go on identically from there.
  auto meetsOld = [&](const ReadProc& proc) -> std::optional<std::size_t> {
    if (proc.end < firstUnchanged) return std::nullopt;
    const std::size_t j = CountEndingBefore(proc.end - delta);
    if (j < procs_.size() && j >= unchanged && EndLine(j) == proc.end - delta && procs_[j].terminated) {
      return j;
    }
    return std::nullopt;
  };
  Reading reading = Read(lines, lineCount, from, fromTop, meetsOld);

  const std::size_t replacedEnd = reading.syncedWith ? *reading.syncedWith + 1 : procs_.size();
  bool sameProcedures = reading.procs.size() == replacedEnd - unchanged;
  for (std::size_t k = 0; sameProcedures && k < reading.procs.size(); ++k) {
    sameProcedures =
        Name(unchanged + k) == reading.procs[k].name && procs_[unchanged + k].kind == reading.procs[k].kind;
  }
  if (!sameProcedures) {
    Rebuild(lines, lineCount);
    return;
  }
  if (fromTop) declarationsEnd_ = reading.declarationsEnd;
  // Names and kinds stay as they are, and so does the table of them.
  for (std::size_t k = 0; k < reading.procs.size(); ++k) {
    const std::size_t i = unchanged + k;
    const LineNumber shift = Shift(i);
    procs_[i].body = reading.procs[k].body - shift;
    procs_[i].end = reading.procs[k].end - shift;
    procs_[i].terminated = reading.procs[k].terminated;
  }
  if (replacedEnd < procs_.size()) AddShift(replacedEnd, delta);
}

void ProcIndex::MoveLines(LineNumber lineCount, LineNumber line, LineNumber delta) {
  if (declarationsEnd_ >= line) declarationsEnd_ += delta;
  // The edited lines are no procedure's declaration or End: the first
  // procedure that ends below them grows or shrinks, those after it move.
  const std::size_t i = CountEndingBefore(line);
  if (i < procs_.size()) {
    if (BodyLine(i) >= line) procs_[i].body += delta;
    procs_[i].end += delta;
    AddShift(i + 1, delta);
  }
  // A last procedure without its End runs to the module's end, wherever that is now.
  if (!procs_.empty() && !procs_.back().terminated) procs_.back().end = lineCount - Shift(procs_.size() - 1);
}

std::optional<std::size_t> ProcIndex::Find(std::u16string_view name, ProcKind kind) const {
  if (slots_.empty()) return std::nullopt;
  if (lastFound_ && Is(*lastFound_, name, kind)) return lastFound_;
  const std::size_t mask = slots_.size() - 1;
  for (std::size_t slot = Hash(name, kind) & mask; slots_[slot] != 0; slot = (slot + 1) & mask) {
    if (Is(slots_[slot] - 1, name, kind)) {
      lastFound_ = slots_[slot] - 1;
      return lastFound_;
    }
  }
  return std::nullopt;
}

std::optional<std::size_t> ProcIndex::OfLine(LineNumber line) const {
  if (procs_.empty() || line <= declarationsEnd_) return std::nullopt;
  return std::min(CountEndingBefore(line), procs_.size() - 1);
}

LineNumber ProcIndex::StartLine(std::size_t i) const {
  return i == 0 ? declarationsEnd_ + 1 : EndLine(i - 1) + 1;
}

std::size_t ProcIndex::CountEndingBefore(LineNumber line) const {
  // A descent of the Fenwick tree: each step brings the pending shift of the
  // procedure it reaches, so the search costs one pass over the tree rather
  // than a query of it for every probe of a binary search.
  std::size_t count = 0;
  LineNumber shift = 0;
  for (std::size_t step = std::bit_floor(procs_.size()); step > 0; step >>= 1) {
    const std::size_t next = count + step;
    if (next <= procs_.size() && procs_[next - 1].end + shift + shiftTree_[next] < line) {
      count = next;
      shift += shiftTree_[next];
    }
  }
  return count;
}

LineNumber ProcIndex::Shift(std::size_t i) const {
  LineNumber sum = 0;
  for (std::size_t k = i + 1; k > 0; k -= k & (~k + 1)) sum += shiftTree_[k];
  return sum;
}

void ProcIndex::AddShift(std::size_t from, LineNumber delta) {
  for (std::size_t k = from + 1; k < shiftTree_.size(); k += k & (~k + 1)) shiftTree_[k] += delta;
}

void ProcIndex::ResetShifts() { shiftTree_.assign(procs_.size() + 1, 0); }

}  // namespace tamvo
