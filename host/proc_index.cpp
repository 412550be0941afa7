#include "host/proc_index.h"

#include "engine/statement.h"
#include "engine/text.h"

namespace tamvo {

namespace {

std::u16string Key(std::u16string_view name, ProcKind kind) {
  return ToLowerAscii(name) + u'\0' + static_cast<char16_t>(u'0' + (kind & 0xF));
}

}  // namespace

ProcIndex::Reading ProcIndex::Read(
    const LineSource& lines, LineNumber lineCount, LineNumber from, bool inDeclarations,
    const std::function<std::optional<std::size_t>(const Proc&)>& meetsOld) const {
  Reading reading;
  std::optional<Proc> open;
  LineNumber line = from;
  while (line <= lineCount) {
    const LineNumber first = line;
    std::u16string text(lines(line));
    while (ContinuesOnNextLine(lines(line)) && line < lineCount) {
      ++line;
      text += u' ';
      text += lines(line);
    }
    const LineNumber last = line++;
    const Statement statement = ClassifyStatement(text);

    if (open) {
      if (statement.kind != StatementKind::ProcEnd) continue;
      open->end = last;
      open->terminated = true;
      reading.procs.push_back(std::move(*open));
      open.reset();
      if ((reading.syncedWith = meetsOld(reading.procs.back()))) return reading;
    } else if (statement.kind == StatementKind::ProcStart) {
      open = Proc{statement.procName, statement.procKind, first, first, false};
      inDeclarations = false;
    } else if (inDeclarations && statement.kind == StatementKind::Code) {
      reading.declarationsEnd = last;
    }
  }
  if (open) {
    open->end = lineCount;
    reading.procs.push_back(std::move(*open));
  }
  return reading;
}

void ProcIndex::Rebuild(const LineSource& lines, LineNumber lineCount) {
  Reading reading = Read(lines, lineCount, 1, true, [](const Proc&) { return std::nullopt; });
  procs_ = std::move(reading.procs);
  declarationsEnd_ = reading.declarationsEnd;
  ResetShifts();
  byKey_.clear();
  for (std::size_t i = 0; i < procs_.size(); ++i) byKey_.emplace(Key(procs_[i].name, procs_[i].kind), i);
}

void ProcIndex::Update(const LineSource& lines, LineNumber lineCount, LineNumber line,
                       LineNumber delta) {
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
  auto meetsOld = [&](const Proc& proc) -> std::optional<std::size_t> {
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
    const Proc& old = procs_[unchanged + k];
    sameProcedures = old.name == reading.procs[k].name && old.kind == reading.procs[k].kind;
  }
  if (!sameProcedures) {
    Rebuild(lines, lineCount);
    return;
  }
  if (fromTop) declarationsEnd_ = reading.declarationsEnd;
  for (std::size_t k = 0; k < reading.procs.size(); ++k) {
    const std::size_t i = unchanged + k;
    const LineNumber shift = Shift(i);
    Proc proc = std::move(reading.procs[k]);
    proc.body -= shift;
    proc.end -= shift;
    procs_[i] = std::move(proc);
  }
  if (replacedEnd < procs_.size()) AddShift(replacedEnd, delta);
}

std::optional<std::size_t> ProcIndex::Find(std::u16string_view name, ProcKind kind) const {
  const auto found = byKey_.find(Key(name, kind));
  if (found == byKey_.end()) return std::nullopt;
  return found->second;
}

std::optional<std::size_t> ProcIndex::OfLine(LineNumber line) const {
  if (procs_.empty() || line <= declarationsEnd_) return std::nullopt;
  return std::min(CountEndingBefore(line), procs_.size() - 1);
}

LineNumber ProcIndex::StartLine(std::size_t i) const {
  return i == 0 ? declarationsEnd_ + 1 : EndLine(i - 1) + 1;
}

std::size_t ProcIndex::CountEndingBefore(LineNumber line) const {
  std::size_t low = 0;
  std::size_t high = procs_.size();
  while (low < high) {
    const std::size_t mid = (low + high) / 2;
    if (EndLine(mid) < line) {
      low = mid + 1;
    } else {
      high = mid;
    }
  }
  return low;
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
