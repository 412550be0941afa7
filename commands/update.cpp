#include "commands/update.h"

#include <algorithm>

#include "commands/commands.h"
#include "commands/proc_doc.h"
#include "engine/comment_block.h"
#include "engine/text.h"

namespace tamvo {

namespace {

using Lines = std::vector<std::u16string>;

// Replaces lines[from, from + old.size()) of the module by the new lines,
// touching only the lines that differ, so that every kept line stays the
// line it was (an exported file writes it back with its own bytes).
void ReplaceLines(CodeModule& module, LineNumber from, const Lines& old, const Lines& fresh) {
  std::size_t head = 0;
  while (head < old.size() && head < fresh.size() && old[head] == fresh[head]) ++head;
  std::size_t tail = 0;
  while (tail < old.size() - head && tail < fresh.size() - head &&
         old[old.size() - 1 - tail] == fresh[fresh.size() - 1 - tail]) {
    ++tail;
  }
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

  // The tag line and its continuation, the tag line replaced.
  void Tag(std::size_t t, std::u16string line) {
    lines.push_back(std::move(line));
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

std::u16string ParamLine(std::u16string_view type, std::u16string_view name, std::u16string_view rest) {
  return u"' * @param " + std::u16string(type) + std::u16string(name) + std::u16string(rest);
}

void Rebuild(CodeModule& module, const ProcDoc& doc, const DocBlock& block, const EventTable& events,
             std::vector<RemovedTag>& removed) {
  const TagMatch match = MatchTags(block, doc.proc.kind, doc.declaration);
  BlockBuilder out(doc, block);
  out.lines.push_back(doc.lines[block.open]);
  const std::size_t summaryEnd = block.SummaryEnd();
  if (summaryEnd == block.open + 2 && doc.lines[block.open + 1] == u"' * .") {
    out.lines.push_back(u"' * " + events.GetProcSummary(doc.proc.name) + u".");
  } else {
    for (std::size_t i = block.open + 1; i < summaryEnd; ++i) out.lines.push_back(doc.lines[i]);
  }

  auto params = [&](bool addMissing) {
    for (std::size_t p = 0; p < match.params.size(); ++p) {
      if (const auto tag = match.paramTag[p]) {
        out.Tag(*tag, ParamLine(match.paramType[p], match.params[p], match.paramRest[p]));
      } else if (match.renamedParam == p) {
        const DocTag& renamed = block.tags[*match.renamedTag];
        out.Tag(*match.renamedTag, ParamLine(renamed.type, match.params[p], renamed.rest));
      } else if (addMissing) {
        out.lines.push_back(u"' * @param " + match.params[p]);
      }
    }
  };
  if (match.isProperty) {
    const std::u16string accessor =
        (doc.proc.kind == ProcKind::Get ? u"' * Getter: " : u"' * Setter: ") + doc.proc.name;
    if (match.accessorTag) {
      out.Tag(*match.accessorTag, accessor + block.tags[*match.accessorTag].rest);
    } else {
      out.lines.push_back(accessor);
    }
    params(false);
  } else {
    if (match.isFunction) {
      if (match.returnTag) {
        const DocTag& tag = block.tags[*match.returnTag];
        const std::u16string word = EqualsIgnoreCase(tag.word, u"@returns") ? u"@returns" : u"@return";
        out.Tag(*match.returnTag, u"' * " + word + (tag.rest.empty() ? u" " : tag.rest));
      } else {
        out.lines.push_back(u"' * @return ");
      }
    }
    params(true);
  }
  for (const std::size_t t : match.others) out.Kept(t);
  out.lines.push_back(doc.lines[block.close]);

  for (const std::size_t t : match.staleParams) {
    if (match.renamedTag == t) continue;
    removed.push_back({doc.first + static_cast<LineNumber>(block.tags[t].line),
                       u"@param " + ParamKey(block.tags[t].name), u"no such parameter"});
  }
  for (const std::size_t t : match.staleReturns) {
    removed.push_back(
        {doc.first + static_cast<LineNumber>(block.tags[t].line), block.tags[t].word, u"not a Function"});
  }

  const Lines old(doc.lines.begin() + static_cast<std::ptrdiff_t>(block.open),
                  doc.lines.begin() + static_cast<std::ptrdiff_t>(block.close) + 1);
  ReplaceLines(module, doc.first + static_cast<LineNumber>(block.open), old, out.lines);
}

std::vector<RemovedTag> UpdateProc(CodeModule& module, const ProcLines& proc, const EventTable& events) {
  const ProcDoc doc = ReadProcDoc(module, proc);
  std::vector<RemovedTag> removed;
  if (doc.block) {
    Rebuild(module, doc, *doc.block, events, removed);
    std::stable_sort(removed.begin(), removed.end(),
                     [](const RemovedTag& a, const RemovedTag& b) { return a.line < b.line; });
    return removed;
  }
  // Converting another style is the user's call: nothing is written over it.
  if (doc.foreignLine) return removed;
  const std::u16string block = BuildProcComment(proc.name, doc.declaration, proc.kind, events);
  // The block goes above the annotations that stand right above the
  // declaration; where nothing else stands above it, one empty line too, as
  // insert writes it.
  LineNumber line = proc.body;
  while (line > doc.first && IsAnnotationLine(doc.lines[static_cast<std::size_t>(line - 1 - doc.first)]))
    --line;
  module.InsertLines(line, line == doc.first ? u"\r\n" + block : block);
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
  LineNumber line = module.CountOfLines();
  while (const auto proc = module.ProcLinesOfLine(line)) {
    auto more = UpdateProc(module, *proc, events);
    removed.insert(removed.end(), more.rbegin(), more.rend());
    line = proc->start - 1;
  }
  std::reverse(removed.begin(), removed.end());
  return removed;
}

bool UpdateModuleHeader(CodeModule& module) {
  const HeaderDoc header = ReadHeaderDoc(module);
  if (!header.block) return false;
  const DocTag& tag = header.block->tags[*header.nameTag];
  const std::u16string& old = header.lines[tag.line];
  const std::u16string_view value = ModuleNameValue(tag);
  const std::size_t valueStart =
      value.empty() ? tag.rest.size() : static_cast<std::size_t>(value.data() - tag.rest.data());
  const std::u16string rest = (valueStart == 0 ? std::u16string(u" ") : tag.rest.substr(0, valueStart)) +
                              module.ComponentName() + tag.rest.substr(valueStart + value.size());
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
// lines, a summary of "." or the event's, bare tags.
bool IsBareBlock(const std::vector<std::u16string_view>& lines, std::u16string_view procName,
                 const EventTable& events) {
  if (lines.size() < 3 || lines.front() != u"'/**" || lines.back() != u"' */") return false;
  if (lines[1] != u"' * ." && lines[1] != u"' * " + events.GetProcSummary(procName) + u".") return false;
  for (std::size_t i = 2; i + 1 < lines.size(); ++i) {
    const std::u16string_view line = lines[i];
    if (line == u"' * @return ") continue;
    bool bare = false;
    for (const std::u16string_view prefix : {u"' * @param ", u"' * Getter: ", u"' * Setter: "}) {
      bare = bare || (line.starts_with(prefix) && line.find(u' ', prefix.size()) == std::u16string::npos);
    }
    if (!bare) return false;
  }
  return true;
}

}  // namespace

std::optional<HandWrittenComment> HandWrittenProcComment(LeadingLines& lines, const ProcLines& proc,
                                                         LineNumber first, const EventTable& events) {
  std::vector<std::u16string_view> comments;
  LineNumber firstComment = 0;
  for (LineNumber l = first; l < proc.body; ++l) {
    const std::u16string_view text = lines.At(l);
    const bool onlySpaces = text.find_first_not_of(u' ') == std::u16string_view::npos;
    if (onlySpaces || IsAnnotationLine(text)) continue;
    if (!firstComment) firstComment = l;
    comments.push_back(text);
  }
  if (comments.empty() || IsBareBlock(comments, proc.name, events)) return std::nullopt;
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
  for (LineNumber at = module.CountOfLines(); const auto proc = module.ProcLinesOfLine(at);) {
    look(*proc);
    at = proc->start - 1;
  }
  std::reverse(found.begin(), found.end());
  return found;
}

std::vector<HandWrittenComment> HandWrittenModuleHeader(CodeModule& module) {
  // What DeleteModuleHeader takes away: the comment lines at the top, up to
  // an annotation.
  Lines lines;
  for (LineNumber line = 1; line <= module.CountOfLines(); ++line) {
    std::u16string text = module.Lines(line, 1);
    if (!text.starts_with(u'\'') || IsAnnotationLine(text)) break;
    lines.push_back(std::move(text));
  }
  if (lines.empty()) return {};
  const bool own = lines.size() == 7 && lines[0] == u"'/**" && lines[1] == u"' * ." && lines[2] == u"' * " &&
                   lines[3].starts_with(u"' * @modulename ") && lines[4].starts_with(u"' * @auther     ") &&
                   lines[5] == u"' * @version    1.0.0" && lines[6] == u"' */";
  if (own) return {};
  return {{1, static_cast<LineNumber>(lines.size()), {}}};
}

}  // namespace tamvo
