#include "commands/descriptions.h"

#include <optional>
#include <set>

#include "commands/proc_doc.h"
#include "commands/proc_walk.h"
#include "engine/doc_block.h"
#include "engine/statement.h"
#include "engine/text.h"

namespace tamvo {

namespace {

// What a procedure's or the header's description is held against.
struct Described {
  LineNumber line = 0;            // the declaration's first line, or the header's opening line
  LineNumber declarationEnd = 0;  // 0 for the module
  std::u16string member;          // empty for the module
  std::u16string summary;         // DescriptionOfSummary of the block's
  bool hasBlock = false;
};

std::vector<std::u16string> SummaryLines(const std::vector<std::u16string>& lines, const DocBlock& block) {
  std::vector<std::u16string> summary;
  for (std::size_t i = block.open + 1; i < block.SummaryEnd(); ++i)
    summary.emplace_back(DocLineText(lines[i]));
  return summary;
}

LineNumber DeclarationEnd(CodeModule& module, LineNumber body) {
  const LineNumber count = module.CountOfLines();
  const auto lineAt = [&](LineNumber line) { return module.Lines(line, 1); };
  return JoinStatement(lineAt, body, count).lastLine;
}

// The module's and each procedure's, top to bottom; a property once, at
// the first of its Get, Let and Set.
std::vector<Described> DescribedParts(ExportedModule& exported) {
  CodeModule& module = *exported.Module();
  std::vector<Described> parts;
  const HeaderDoc header = ReadHeaderDoc(module);
  if (header.block) {
    parts.push_back({static_cast<LineNumber>(header.block->open + 1), 0, u"",
                     DescriptionOfSummary(SummaryLines(header.lines, *header.block)), true});
  }
  std::vector<Described> procs;
  ForEachProcBottomUp(module, [&](const ProcLines& proc) {
    const ProcDoc doc = ReadProcDoc(module, proc);
    Described part{proc.body, DeclarationEnd(module, proc.body), proc.name, u"", doc.block.has_value()};
    if (doc.block) part.summary = DescriptionOfSummary(SummaryLines(doc.lines, *doc.block));
    procs.push_back(std::move(part));
  });
  std::set<std::u16string> seen;
  for (auto it = procs.rbegin(); it != procs.rend(); ++it) {
    if (seen.insert(ToLowerAscii(it->member)).second) parts.push_back(std::move(*it));
  }
  return parts;
}

}  // namespace

std::u16string DescriptionOfSummary(const std::vector<std::u16string>& summaryLines) {
  std::u16string text;
  for (const auto& line : summaryLines) {
    const std::u16string_view words = StripBlanks(line);
    if (words.empty()) continue;
    if (!text.empty()) text += u' ';
    text += words;
  }
  return text == u"." ? std::u16string() : text;
}

bool SeedSummariesFromDescriptions(ExportedModule& exported, const std::u16string* only) {
  if (exported.Kind() == ModuleKind::Document) return false;
  CodeModule& module = *exported.Module();
  bool changed = false;
  // Bottom up: a line put in moves none of the procedures still to come.
  ForEachProcBottomUp(module, [&](const ProcLines& proc) {
    if (only && !EqualsIgnoreCase(proc.name, *only)) return;
    const ProcDoc doc = ReadProcDoc(module, proc);
    if (!doc.block || !IsSummaryEmpty(doc.lines, *doc.block)) return;
    const auto description = exported.Description(DeclarationEnd(module, proc.body), proc.name);
    if (!description || DescriptionOfSummary({*description}).empty()) return;
    const DocBlock& block = *doc.block;
    const auto first = doc.first + static_cast<LineNumber>(block.open + 1);
    // The one summary line insert writes (" * .") gives way; a block with
    // no summary line gets one.
    if (block.SummaryEnd() == block.open + 2) module.DeleteLines(first, 1);
    module.InsertLines(first, u"' * " + *description);
    changed = true;
  });
  return changed;
}

void WriteDescriptions(ExportedModule& exported, const std::u16string* only) {
  if (exported.Kind() == ModuleKind::Document) return;
  for (const Described& part : DescribedParts(exported)) {
    if (part.summary.empty() || (only && (part.member.empty() || !EqualsIgnoreCase(part.member, *only))))
      continue;
    if (exported.Description(part.declarationEnd, part.member) == part.summary) continue;
    exported.SetDescription(part.declarationEnd, part.member, part.summary);
  }
}

bool DescribesMembers(const ExportedModule& exported, ModuleKind kindOfName) {
  return exported.Kind() != ModuleKind::Document && kindOfName != ModuleKind::Document;
}

DescriptionUpdate::DescriptionUpdate(ExportedModule& exported, const std::u16string* only)
    : exported_(exported), only_(only ? std::optional(*only) : std::nullopt) {
  for (const Described& part : DescribedParts(exported)) {
    if (!part.member.empty() && !part.hasBlock && exported.Description(part.declarationEnd, part.member)) {
      withoutBlock_.insert(ToLowerAscii(part.member));
    }
  }
}

void DescriptionUpdate::Apply() {
  const std::u16string* only = only_ ? &*only_ : nullptr;
  SeedSummariesFromDescriptions(exported_, only);
  CodeModule& module = *exported_.Module();
  // Bottom up: a line put in moves none of the procedures still to come.
  ForEachProcBottomUp(module, [&](const ProcLines& proc) {
    if (!withoutBlock_.contains(ToLowerAscii(proc.name)) || (only && !EqualsIgnoreCase(proc.name, *only)))
      return;
    const ProcDoc doc = ReadProcDoc(module, proc);
    if (!doc.block) return;
    const auto description = exported_.Description(DeclarationEnd(module, proc.body), proc.name);
    const std::u16string words = description ? DescriptionOfSummary({*description}) : u"";
    if (words.empty() || words == DescriptionOfSummary(SummaryLines(doc.lines, *doc.block))) return;
    std::vector<std::u16string> blockLines;
    for (std::size_t i = doc.block->open + 1; i < doc.block->close; ++i) {
      blockLines.emplace_back(DocLineText(doc.lines[i]));
    }
    if (DescriptionOfSummary(blockLines).find(words) != std::u16string::npos) return;
    module.InsertLines(doc.first + static_cast<LineNumber>(doc.block->SummaryEnd()), u"' * " + words);
  });
  WriteDescriptions(exported_, only);
}

std::vector<StaleDescription> StaleDescriptions(ExportedModule& exported) {
  std::vector<StaleDescription> stale;
  if (exported.Kind() == ModuleKind::Document) return stale;
  for (const Described& part : DescribedParts(exported)) {
    const auto description = exported.Description(part.declarationEnd, part.member);
    if (part.summary.empty() || !description) continue;
    // The attribute holds the summary on one line, blanks as written.
    if (DescriptionOfSummary({*description}) != part.summary) {
      stale.push_back({part.line, part.member, *description, part.summary});
    }
  }
  return stale;
}

}  // namespace tamvo
