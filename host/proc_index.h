#pragma once
// Where the procedures of a module are: the declarations section, and for
// each procedure its declaration line and the last line of its End
// statement. Start lines follow from these: a procedure starts right after
// the declarations section (the first one) or after the previous procedure's
// End, and the last one also owns the trailing lines.
//
// An edit re-reads only the lines from the end of the procedure above it to
// the point where the old and new readings meet again, and moves the line
// numbers of everything below through a Fenwick tree of pending shifts; a
// full re-read happens only when an edit adds, removes or renames procedures.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/proc_kind.h"

namespace tamvo {

class ProcIndex {
 public:
  // Physical line by 1-based number; valid for 1 <= line <= lineCount.
  using LineSource = std::function<std::u16string_view(LineNumber)>;

  void Rebuild(const LineSource& lines, LineNumber lineCount);
  // Called after delta lines were inserted at line (delta > 0) or -delta
  // lines were deleted from line on (delta < 0); lineCount is the new count.
  // standalone: every inserted or deleted line is a Standalone one.
  void Update(const LineSource& lines, LineNumber lineCount, LineNumber line, LineNumber delta,
              bool standalone);

  // A blank or comment line that doesn't continue onto the next: put in or
  // taken out where no statement continues into it, it changes no other
  // statement, and every procedure keeps its lines, only moved. The comment
  // blocks of the commands are such lines.
  static bool Standalone(std::u16string_view line);

  std::size_t size() const { return procs_.size(); }
  // The procedure of that name (letter case ignored) and kind, if any.
  std::optional<std::size_t> Find(std::u16string_view name, ProcKind kind) const;
  // The procedure that holds the line, none for the declarations section.
  std::optional<std::size_t> OfLine(LineNumber line) const;

  std::u16string_view Name(std::size_t i) const {
    return std::u16string_view(names_).substr(procs_[i].nameAt, procs_[i].nameSize);
  }
  ProcKind Kind(std::size_t i) const { return procs_[i].kind; }
  LineNumber StartLine(std::size_t i) const;
  LineNumber BodyLine(std::size_t i) const { return procs_[i].body + Shift(i); }
  LineNumber EndLine(std::size_t i) const { return procs_[i].end + Shift(i); }

 private:
  // A procedure as the index keeps it: 20 bytes, its name in names_.
  struct Proc {
    std::uint32_t nameAt = 0;
    std::uint32_t nameSize = 0;
    LineNumber body = 0;  // stored without the pending shift
    LineNumber end = 0;
    ProcKind kind = ProcKind::Proc;
    bool terminated = false;  // false when the module ends before its End
  };
  // A procedure as a reading of lines finds it.
  struct ReadProc {
    std::u16string name;
    ProcKind kind = ProcKind::Proc;
    LineNumber body = 0;  // absolute
    LineNumber end = 0;
    bool terminated = false;
  };
  struct Reading {
    std::vector<ReadProc> procs;
    LineNumber declarationsEnd = 0;
    std::optional<std::size_t> syncedWith;  // old index where the readings met again
  };

  Reading Read(const LineSource& lines, LineNumber lineCount, LineNumber from, bool inDeclarations,
               const std::function<std::optional<std::size_t>(const ReadProc&)>& meetsOld) const;
  // Number of procedures whose End lies above the line.
  std::size_t CountEndingBefore(LineNumber line) const;
  LineNumber Shift(std::size_t i) const;
  void AddShift(std::size_t from, LineNumber delta);
  void ResetShifts();
  // Moves every line from line on by delta, no statement having changed.
  void MoveLines(LineNumber lineCount, LineNumber line, LineNumber delta);

  // Name and kind, the name's letter case ignored: hashed and compared in
  // place, without building a lower-case key string for every lookup.
  static std::size_t Hash(std::u16string_view name, ProcKind kind);
  bool Is(std::size_t i, std::u16string_view name, ProcKind kind) const;
  void BuildSlots();

  std::vector<Proc> procs_;
  std::u16string names_;               // of all procedures, back to back
  std::vector<LineNumber> shiftTree_;  // Fenwick tree over procs_, 1-based
  LineNumber declarationsEnd_ = 0;
  // The procedures by name and kind, an open-addressed table at most half
  // full: a slot holds 1 + the procedure's index, 0 when empty. Four bytes
  // a slot, where a node-based map took some sixty a procedure.
  std::vector<std::uint32_t> slots_;
  // The commands ask for one procedure several times in a row.
  mutable std::optional<std::size_t> lastFound_;
};

}  // namespace tamvo
