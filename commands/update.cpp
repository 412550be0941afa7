#include "commands/update.h"

#include <algorithm>

#include "commands/commands.h"
#include "commands/proc_doc.h"
#include "commands/proc_walk.h"
#include "engine/adoption.h"
#include "engine/comment_block.h"
#include "engine/doc_block.h"
#include "engine/failure.h"
#include "engine/statement.h"
#include "engine/text.h"

namespace tamvo {

namespace {

using Lines = std::vector<std::u16string>;

// Replaces lines[from, from + old.size()) of the module by the new lines,
// touching only the lines that differ, so that every kept line stays the
// line it was (an exported file writes it back with its own bytes).
void ReplaceLines(CodeModule& module, LineNumber from, const Lines& old, const Lines& fresh) {
  const auto [head, tail] = CommonEndsOf(old, fresh);
  const auto line = static_cast<LineNumber>(from + head);
  const auto deleted = static_cast<LineNumber>(old.size() - head - tail);
  if (deleted > 0) module.DeleteLines(line, deleted);
  if (fresh.size() - tail > head) {
    std::u16string text;
    for (std::size_t i = head; i < fresh.size() - tail; ++i) AppendLine(text, fresh[i]);
    // An empty text would still insert one line: build it from an empty
    // line of its own.
    module.InsertLines(line, text.empty() ? u"" : text);
  }
}

class BlockBuilder {
 public:
  BlockBuilder(const ProcDoc& doc, const DocBlock& block) : doc_(doc), block_(block) {}

  // The tag line with a new name in place of the one written, and its
  // continuation: everything around the name stays as written.
  void Renamed(std::size_t t, std::u16string_view name) {
    const DocTag& tag = block_.tags[t];
    const std::u16string& line = doc_.lines[tag.line];
    const std::size_t nameStart = line.size() - tag.rest.size() - tag.name.size();
    // A name written right after the tag's word ("@param\x1Eold") is
    // replaced by one that would read as part of the word: a blank between.
    const bool fused = nameStart == tag.column + tag.word.size();
    lines.push_back(line.substr(0, nameStart) + (fused ? u" " : u"") + std::u16string(name) + tag.rest);
    Continuation(t);
  }
  // The tag line and its continuation as they are.
  void Kept(std::size_t t) {
    lines.push_back(doc_.lines[block_.tags[t].line]);
    Continuation(t);
  }

  Lines lines;

 private:
  void Continuation(std::size_t t) {
    const DocTag& tag = block_.tags[t];
    for (std::size_t i = 1; i <= tag.continuation; ++i) lines.push_back(doc_.lines[tag.line + i]);
  }

  const ProcDoc& doc_;
  const DocBlock& block_;
};

}  // namespace

std::vector<std::u16string> RebuildProcBlock(const ProcDoc& doc, const DocBlock& block,
                                             const EventTable& events, std::vector<RemovedTag>* removed) {
  const TagMatch match = MatchTags(block, doc.proc.kind, doc.declaration);
  BlockBuilder out(doc, block);
  out.lines.push_back(doc.lines[block.open]);
  const std::size_t summaryEnd = block.SummaryEnd();
  if (summaryEnd == block.open + 2 && doc.lines[block.open + 1] == u"' * .") {
    out.lines.push_back(u"' * " + events.GetProcSummary(doc.proc.name) + u".");
  } else {
    for (std::size_t i = block.open + 1; i < summaryEnd; ++i) out.lines.push_back(doc.lines[i]);
  }
  // New tag lines take the prefix the block's tags are written with.
  const std::u16string prefix =
      block.tags.empty() ? u"' * " : doc.lines[block.tags.front().line].substr(0, block.tags.front().column);

  // A tag that stands for its part is kept as written; only a renamed
  // parameter's and a renamed property's name change.
  auto params = [&](bool addMissing) {
    for (std::size_t p = 0; p < match.params.size(); ++p) {
      if (const auto tag = match.paramTag[p]) {
        out.Kept(*tag);
      } else if (match.renamedParam == p) {
        out.Renamed(*match.renamedTag, match.params[p]);
      } else if (addMissing) {
        out.lines.push_back(prefix + u"@param " + match.params[p]);
      }
    }
  };
  if (match.isProperty) {
    if (!match.accessorTag) {
      out.lines.push_back(prefix + (doc.proc.kind == ProcKind::Get ? u"Getter: " : u"Setter: ") +
                          doc.proc.name);
    } else if (EqualsIgnoreCase(block.tags[*match.accessorTag].name, doc.proc.name)) {
      out.Kept(*match.accessorTag);
    } else {
      out.Renamed(*match.accessorTag, doc.proc.name);
    }
    // What a Property Get gives back, where the block says.
    if (match.returnTag) out.Kept(*match.returnTag);
    params(false);
  } else {
    if (match.isFunction) {
      if (match.returnTag) {
        out.Kept(*match.returnTag);
      } else {
        out.lines.push_back(prefix + u"@return ");
      }
    }
    params(true);
  }
  for (const std::size_t t : match.others) out.Kept(t);
  out.lines.push_back(doc.lines[block.close]);

  if (removed) {
    for (const std::size_t t : match.staleParams) {
      if (match.renamedTag == t) continue;
      removed->push_back({doc.first + static_cast<LineNumber>(block.tags[t].line),
                          u"@param " + ParamKey(block.tags[t].name), u"no such parameter"});
    }
    for (const std::size_t t : match.staleReturns) {
      removed->push_back(
          {doc.first + static_cast<LineNumber>(block.tags[t].line), block.tags[t].word, u"not a Function"});
    }
  }
  return std::move(out.lines);
}

namespace {

void Rebuild(CodeModule& module, const ProcDoc& doc, const DocBlock& block, const EventTable& events,
             std::vector<RemovedTag>& removed) {
  const Lines fresh = RebuildProcBlock(doc, block, events, &removed);
  const Lines old(doc.lines.begin() + static_cast<std::ptrdiff_t>(block.open),
                  doc.lines.begin() + static_cast<std::ptrdiff_t>(block.close) + 1);
  ReplaceLines(module, doc.first + static_cast<LineNumber>(block.open), old, fresh);
}

// Appends the tag lines of a block without a summary, but for a bare tag
// that the adopted comment has words for: the comment's tag takes its place.
void AppendTagsNotAdopted(const ProcDoc& doc, const DocBlock& block, const DocBlock& adopted,
                          std::vector<std::u16string>& out) {
  auto describes = [&](const DocTag& tag) {
    return std::any_of(adopted.tags.begin(), adopted.tags.end(), [&](const DocTag& other) {
      if (other.kind != tag.kind) return false;
      return tag.kind != DocTagKind::Param || EqualsIgnoreCase(ParamKey(other.name), ParamKey(tag.name));
    });
  };
  for (const DocTag& tag : block.tags) {
    const bool bare = TrimSpaces(tag.rest).empty() && tag.continuation == 0 && tag.kind != DocTagKind::Other;
    if (bare && describes(tag)) continue;
    for (std::size_t i = tag.line; i <= tag.line + tag.continuation; ++i) out.push_back(doc.lines[i]);
  }
}

// The words of a comment's tags that update would take out of a block (a
// @param that names no parameter, as a comment may name them by position
// or not at all; a @return on a Sub) are a person's words all the same:
// they stay, without their tag, as description lines after the summary.
void KeepStaleTagsAsText(ProcDoc& adopted) {
  const DocBlock& block = *adopted.block;
  const TagMatch match = MatchTags(block, adopted.proc.kind, adopted.declaration);
  std::vector<std::size_t> stale = match.staleReturns;
  for (const std::size_t t : match.staleParams) {
    if (match.renamedTag != t) stale.push_back(t);
  }
  if (stale.empty()) return;
  std::sort(stale.begin(), stale.end());
  std::vector<bool> moved(adopted.lines.size());
  Lines text;
  for (const std::size_t t : stale) {
    const DocTag& tag = block.tags[t];
    const std::u16string_view after =
        StripBlanks(std::u16string_view(adopted.lines[tag.line]).substr(tag.column + tag.word.size()));
    if (!after.empty()) text.push_back(u"' * " + std::u16string(after));
    for (std::size_t i = tag.line; i <= tag.line + tag.continuation; ++i) {
      moved[i] = true;
      if (i > tag.line) text.push_back(adopted.lines[i]);
    }
  }
  Lines lines(adopted.lines.begin(), adopted.lines.begin() + static_cast<std::ptrdiff_t>(block.SummaryEnd()));
  if (!text.empty()) {
    lines.emplace_back(u"' *");
    lines.insert(lines.end(), text.begin(), text.end());
  }
  for (std::size_t i = block.SummaryEnd(); i < adopted.lines.size(); ++i) {
    if (!moved[i]) lines.push_back(adopted.lines[i]);
  }
  adopted.lines = std::move(lines);
  adopted.block = ReadDocBlockAt(adopted.lines, 0);
}

std::vector<RemovedTag> UpdateProc(CodeModule& module, const ProcLines& proc, const EventTable& events) {
  const ProcDoc doc = ReadProcDoc(module, proc);
  std::vector<RemovedTag> removed;
  // A block with a written summary leaves the comment above it alone.
  const bool written = doc.block && !IsSummaryEmpty(doc.lines, *doc.block);
  const OwnedComment owned =
      written ? OwnedComment{} : ReadOwnedComment(doc, doc.block ? doc.block->open : doc.lines.size());
  if (owned.lines.empty() && !owned.description) {
    if (doc.block) {
      Rebuild(module, doc, *doc.block, events, removed);
      std::stable_sort(removed.begin(), removed.end(),
                       [](const RemovedTag& a, const RemovedTag& b) { return a.line < b.line; });
      return removed;
    }
    const std::u16string block = BuildProcComment(proc.name, doc.declaration, proc.kind, events);
    // The block goes above the annotations that stand right above the
    // declaration (each with the lines it continues onto); where nothing
    // else stands above it, one empty line too, as insert writes it.
    const auto lineAt = [&](LineNumber line) -> std::u16string_view {
      return doc.lines[static_cast<std::size_t>(line - doc.first)];
    };
    LineNumber line = doc.first;
    ForEachStatementLines(lineAt, doc.first, proc.body, [&](LineNumber top, LineNumber last) {
      if (!IsAnnotationLine(lineAt(top))) line = last + 1;
    });
    module.InsertLines(line, line == doc.first ? u"\r\n" + block : block);
    return removed;
  }

  // Adoption: the owned comment's words become the block, with the tags an
  // old block with no summary had, brought in line as any block is.
  ProcDoc adopted;
  adopted.proc = doc.proc;
  adopted.declaration = doc.declaration;
  adopted.first = doc.first + static_cast<LineNumber>(owned.first);
  adopted.lines.emplace_back(u"'/**");
  for (auto& line : AdoptComment(owned.lines)) adopted.lines.push_back(std::move(line));
  if (adopted.lines[1] == u"' * ." && owned.description && !owned.description->empty()) {
    adopted.lines[1] = u"' * " + *owned.description;
  }
  if (doc.block) {
    std::vector<std::u16string> own = adopted.lines;
    own.emplace_back(u"' */");
    const auto comment = ReadDocBlockAt(own, 0);
    AppendTagsNotAdopted(doc, *doc.block, *comment, adopted.lines);
  }
  adopted.lines.emplace_back(u"' */");
  adopted.block = ReadDocBlockAt(adopted.lines, 0);
  KeepStaleTagsAsText(adopted);
  Lines fresh = RebuildProcBlock(adopted, *adopted.block, events);
  fresh.insert(fresh.end(), owned.annotations.begin(), owned.annotations.end());
  const std::size_t to = doc.block ? doc.block->close + 1 : doc.lines.size();
  const Lines old(doc.lines.begin() + static_cast<std::ptrdiff_t>(owned.first),
                  doc.lines.begin() + static_cast<std::ptrdiff_t>(to));
  ReplaceLines(module, adopted.first, old, fresh);
  return removed;
}

}  // namespace

std::vector<RemovedTag> UpdateProcComment(CodeModule& module, LineNumber line, const EventTable& events) {
  const auto proc = module.ProcLinesOfLine(line);
  if (!proc) return {};
  return UpdateProc(module, *proc, events);
}

std::vector<RemovedTag> UpdateAllProcComments(CodeModule& module, const EventTable& events) {
  std::vector<RemovedTag> removed;
  ForEachProcBottomUp(module, [&](const ProcLines& proc) {
    auto more = UpdateProc(module, proc, events);
    removed.insert(removed.end(), more.rbegin(), more.rend());
  });
  std::reverse(removed.begin(), removed.end());
  return removed;
}

bool UpdateModuleHeader(CodeModule& module) {
  const HeaderDoc header = ReadHeaderDoc(module);
  if (!header.block) return false;
  const DocTag& tag = header.block->tags[*header.nameTag];
  const std::u16string& old = header.lines[tag.line];
  const std::u16string componentName = module.ComponentName();
  const std::u16string_view value = ModuleNameValue(tag, componentName);
  const std::size_t valueStart =
      value.empty() ? tag.rest.size() : static_cast<std::size_t>(value.data() - tag.rest.data());
  const std::u16string rest = (valueStart == 0 ? std::u16string(u" ") : tag.rest.substr(0, valueStart)) +
                              componentName + tag.rest.substr(valueStart + value.size());
  const std::u16string fresh = old.substr(0, tag.column) + tag.word + rest;
  if (fresh != old) {
    const auto line = static_cast<LineNumber>(tag.line + 1);
    module.DeleteLines(line, 1);
    module.InsertLines(line, fresh);
  }
  return true;
}

namespace {

// A block as insert writes it, nothing of the user's in it: its template
// lines, a summary of "." or the event's, bare tags: those insert writes
// for the declaration now (a name may hold blanks: "Optional x"), or a
// name of one word that an older declaration had.
bool IsBareBlock(const std::vector<std::u16string_view>& lines, const ProcLines& proc,
                 std::u16string_view declaration, const EventTable& events) {
  if (lines.size() < 3 || lines.front() != u"'/**" || lines.back() != u"' */") return false;
  if (lines[1] != u"' * ." && lines[1] != u"' * " + events.GetProcSummary(proc.name) + u".") return false;
  std::u16string fresh;
  try {
    fresh = BuildProcComment(proc.name, declaration, proc.kind, events);
  } catch (const Failure&) {
    // No block of insert's to hold it against: the one-word rule alone.
  }
  for (std::size_t i = 2; i + 1 < lines.size(); ++i) {
    const std::u16string_view line = lines[i];
    if (line == u"' * @return ") continue;
    bool bare = false;
    for (const std::u16string_view prefix : {u"' * @param ", u"' * Getter: ", u"' * Setter: "}) {
      bare = bare || (line.starts_with(prefix) && line.find(u' ', prefix.size()) == std::u16string::npos);
    }
    bare = bare || std::u16string_view(fresh).find(u"\r\n" + std::u16string(line) + u"\r\n") !=
                       std::u16string_view::npos;
    if (!bare) return false;
  }
  return true;
}

}  // namespace

std::optional<HandWrittenComment> HandWrittenProcComment(LeadingLines& lines, const ProcLines& proc,
                                                         LineNumber first, const EventTable& events) {
  const std::vector<LineNumber> annotations = AnnotationLines(lines, first, proc.body);
  std::vector<std::u16string_view> comments;
  LineNumber firstComment = 0;
  for (LineNumber l = first; l < proc.body; ++l) {
    const std::u16string_view text = lines.At(l);
    if (StripBlanks(text).empty() ||
        std::find(annotations.begin(), annotations.end(), l) != annotations.end())
      continue;
    if (!firstComment) firstComment = l;
    comments.push_back(text);
  }
  if (comments.empty() || IsBareBlock(comments, proc, lines.Declaration(proc.body), events))
    return std::nullopt;
  return HandWrittenComment{firstComment, static_cast<LineNumber>(comments.size()), proc.name};
}

std::vector<HandWrittenComment> HandWrittenProcComments(CodeModule& module, LineNumber line,
                                                        const EventTable& events) {
  std::vector<HandWrittenComment> found;
  auto look = [&](const ProcLines& proc) {
    // A procedure that starts at its declaration has nothing above it.
    if (proc.start == proc.body) return;
    // One read of the procedure's lines serves both the comment's first
    // line and its lines.
    LeadingLines lines(module, proc);
    if (auto comment = HandWrittenProcComment(lines, proc, CommentStartLine(lines, proc), events))
      found.push_back(std::move(*comment));
  };
  if (line != 0) {
    if (const auto proc = module.ProcLinesOfLine(line)) look(*proc);
    return found;
  }
  ForEachProcBottomUp(module, look);
  std::reverse(found.begin(), found.end());
  return found;
}

std::vector<HandWrittenComment> HandWrittenModuleHeader(CodeModule& module) {
  const LineNumber count = ModuleHeaderLineCount(module);
  if (count == 0) return {};
  Lines lines;
  for (LineNumber line = 1; line <= count; ++line) lines.push_back(module.Lines(line, 1));
  const bool own = lines.size() == 7 && lines[0] == u"'/**" && lines[1] == u"' * ." && lines[2] == u"' * " &&
                   lines[3].starts_with(u"' * @modulename ") && lines[4].starts_with(u"' * @auther     ") &&
                   lines[5] == u"' * @version    1.0.0" && lines[6] == u"' */";
  if (own) return {};
  return {{1, count, {}}};
}

}  // namespace tamvo
