#pragma once
// The descriptions the editor's Object Browser shows: a procedure's comes
// from the hidden line `Attribute NAME.VB_Description = "..."` right below
// its declaration in the exported file, the module's from the header's
// `Attribute VB_Description`. With descriptions on, the blocks' summaries
// are written there, and a description seeds a summary nobody wrote.
// Document modules (a sheet's, a workbook's) are left alone: the editor
// drops their members' attributes on import.

#include <optional>
#include <set>
#include <string>
#include <vector>

#include "host/code_module.h"
#include "host/exported_module.h"

namespace tamvo {

// The summary a description carries: the block's summary lines as one
// line, blanks trimmed; empty for an empty summary or ".".
std::u16string DescriptionOfSummary(const std::vector<std::u16string>& summaryLines);

// Where the summary of a procedure with a block is empty, the procedure's
// description becomes it. Returns whether a line changed. With only given,
// that procedure's alone (by name).
bool SeedSummariesFromDescriptions(ExportedModule& exported, const std::u16string* only = nullptr);

// Writes each procedure's summary as its description (a property's on the
// first of its Get, Let and Set, which the editor describes as one), and
// the header's as the module's; an empty summary writes nothing and
// removes nothing. With only given, that procedure's alone (by name).
void WriteDescriptions(ExportedModule& exported, const std::u16string* only = nullptr);

// Whether the module's descriptions are written: not a document's module,
// by its header or by its file name's extension (kindOfName).
bool DescribesMembers(const ExportedModule& exported, ModuleKind kindOfName);

// What an update does with descriptions on, made before the update command
// runs and applied after it: summaries nobody wrote seeded from the
// descriptions, then every summary written into its description. A
// procedure that had a description but no block gets its first block from
// the update, its summary adopted from a comment: where that summary is not
// the description and the block doesn't hold the description's words, they
// go into the summary after it, so writing the summary loses none of them.
class DescriptionUpdate {
 public:
  // With only given, that procedure's alone (by name).
  DescriptionUpdate(ExportedModule& exported, const std::u16string* only = nullptr);
  // After the update command.
  void Apply();

 private:
  ExportedModule& exported_;
  std::optional<std::u16string> only_;
  std::set<std::u16string> withoutBlock_;  // names in lower case
};

// A procedure (or, with procedure empty, the module) whose description is
// not its summary.
struct StaleDescription {
  LineNumber line = 0;  // the declaration's first line, or the header's opening line
  std::u16string procedure;
  std::u16string description;
  std::u16string summary;
};
std::vector<StaleDescription> StaleDescriptions(ExportedModule& exported);

}  // namespace tamvo
