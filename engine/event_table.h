#pragma once
// The table from event name to the Japanese description that an event
// procedure's summary line shows ("Form_Load" -> "Form 読み込み時").

#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

namespace tamvo {

// The text after the first "_" of a procedure name; empty without one.
std::u16string GetEventName(std::u16string_view procName);
// The text before the first "_" of a procedure name; empty without one.
std::u16string GetObjectName(std::u16string_view procName);

// Built when the add-in connects, released when it disconnects. Keys compare
// exactly, code unit by code unit.
class EventTable {
 public:
  // Builds a fresh table of the 54 rows (dropping any earlier one) and marks
  // the table ready once every row is in.
  void InitEventTable();
  // Drops the table; summaries are empty until the next InitEventTable.
  void ReleaseEventTable() noexcept;
  bool EventTableReady() const noexcept { return eventTableReady_; }

  // object + " " + description, spaces trimmed; empty while the table is not
  // ready. Never fails.
  std::u16string GetProcSummary(std::u16string_view procName) const noexcept;

 private:
  std::optional<std::unordered_map<std::u16string, std::u16string>> eventSummaryTable_;
  bool eventTableReady_ = false;
};

}  // namespace tamvo
