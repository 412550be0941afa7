// Comments above procedures: their leading lines read once, and the edits
// that replace them planned before any is made.

#include "commands/commands.h"

#include <algorithm>
#include <functional>

#include "engine/comment_block.h"
#include "engine/doc_block.h"
#include "engine/statement.h"
#include "engine/text.h"

namespace tamvo {

using namespace std::string_view_literals;

namespace {

// The last line of the module header (FindModuleHeader) among lines 1 to
// searchEnd; 0 when the module doesn't start with one.
template <typename LineAt>
LineNumber ModuleHeaderEnd(LineAt&& lineAt, LineNumber searchEnd) {
  std::vector<std::u16string> top;
  for (LineNumber line = 1; line <= searchEnd; ++line) top.emplace_back(lineAt(line));
  const auto header = FindModuleHeader(top);
  return header ? static_cast<LineNumber>(header->close + 1) : 0;
}

}  // namespace

LeadingLines::LeadingLines(CodeModule& module, const ProcLines& proc, LineNumber count)
    : module_(module), start_(proc.start), count_(count) {
  Reset(proc);
}

void LeadingLines::Reset(const ProcLines& proc) {
  start_ = proc.start;
  lines_.clear();
  texts_.clear();
  if (proc.body < proc.start) return;
  const LineNumber end = past_ > 0 ? std::clamp(Count(), proc.body, proc.body + past_) : proc.body;
  Read(proc.start, end - proc.start + 1);
}

std::u16string_view LeadingLines::At(LineNumber line) {
  // Continuation lines of the declaration, a few at a time: most
  // declarations take one or two.
  constexpr LineNumber kChunk = 8;
  while (line - start_ >= static_cast<LineNumber>(lines_.size())) {
    const auto next = static_cast<LineNumber>(start_ + static_cast<LineNumber>(lines_.size()));
    // Past the module's end the editor gives its own error for the line.
    Read(next, std::clamp(Count() - next + 1, LineNumber{1}, kChunk));
  }
  return lines_[static_cast<std::size_t>(line - start_)];
}

LineNumber LeadingLines::Count() {
  if (count_ == 0) count_ = module_.CountOfLines();
  return count_;
}

void LeadingLines::Read(LineNumber from, LineNumber count) {
  const std::u16string_view text = texts_.emplace_back(module_.Lines(from, count));
  const std::size_t before = lines_.size();
  lines_.reserve(before + static_cast<std::size_t>(count));
  ForEachLine(text, [&](std::u16string_view line, std::u16string_view) {
    lines_.push_back(line);
    return true;
  });
  if (lines_.size() - before == static_cast<std::size_t>(count)) return;
  // Lines that don't split back as they were joined (a line that holds a
  // CR or LF of its own): one at a time, then.
  lines_.resize(before);
  for (LineNumber line = from; line < from + count; ++line)
    lines_.push_back(texts_.emplace_back(module_.Lines(line, 1)));
}

std::u16string_view LeadingLines::Declaration(LineNumber body) {
  const std::u16string_view line = At(body);
  if (!ContinuesOnNextLine(line)) return line;
  joined_ = JoinStatement([&](LineNumber at) -> std::u16string_view { return At(at); }, body, Count()).text;
  return joined_;
}

LineNumber CommentStartLine(LeadingLines& lines, const ProcLines& proc) {
  const LineNumber start = proc.start;
  const LineNumber body = proc.body;
  // Statement by statement upwards: a comment continued with " _" is one
  // comment however its later lines read. A code statement above the
  // declaration (#If, say) and all above it stay.
  const auto lineAt = [&](LineNumber line) -> std::u16string_view { return lines.At(line); };
  LineNumber first = body;
  while (first > start) {
    LineNumber top = first - 1;
    while (top > start && ContinuesOnNextLine(lineAt(top - 1))) --top;
    // A statement of one line, as most are, is read where it stands.
    const bool blankOrComment = top == first - 1
                                    ? IsBlankOrCommentLine(lineAt(top))
                                    : IsBlankOrCommentLine(JoinStatement(lineAt, top, first - 1).text);
    if (!blankOrComment) break;
    first = top;
  }
  // In a module without declarations the header at the top would count as
  // the first procedure's comment; it is not.
  if (start == 1) {
    const LineNumber headerEnd = ModuleHeaderEnd(lineAt, body - 1);
    if (headerEnd >= first) first = headerEnd + 1;
  }
  return first;
}

std::vector<LineNumber> AnnotationLines(LeadingLines& lines, LineNumber first, LineNumber body) {
  std::vector<LineNumber> annotations;
  const auto lineAt = [&](LineNumber line) { return lines.At(line); };
  // An annotation continued with " _" keeps the lines it continues onto: a
  // line left without them would make the declaration part of a comment.
  ForEachStatementLines(lineAt, first, body, [&](LineNumber top, LineNumber last) {
    if (!IsAnnotationLine(lines.At(top))) return;
    for (LineNumber line = top; line <= last; ++line) annotations.push_back(line);
  });
  return annotations;
}

std::shared_ptr<CodePane> Commands::ActivePane() { return hostVbe_.ActiveCodePane(); }

std::shared_ptr<CodeModule> Commands::ActiveModule() { return ActivePane()->CodeModule(); }

// What the edit writes in place of the lines from the comment's first line
// to the declaration: one empty line, the block, the annotations in their
// order. Worked out from one read of the procedure's lines, before anything
// changes, so that a walk can read every procedure before its first edit.
namespace {

// Calls f with each line InsertLines makes of text (cut at CR LF, CR or LF,
// nothing after a final line end, one empty line for an empty text) until f
// returns false.
template <typename F>
void ForEachInsertedLine(std::u16string_view text, F&& f) {
  bool first = true;
  ForEachLine(text, [&](std::u16string_view line, std::u16string_view end) {
    const bool inserted = first || !line.empty() || !end.empty();
    first = false;
    return !inserted || f(line);
  });
}

}  // namespace

void CommentPlan::Add(LeadingLines& lines, const ProcLines& proc, LineNumber first) {
  const std::u16string_view text = next_;
  const std::vector<LineNumber> annotations = AnnotationLines(lines, first, proc.body);
  // A comment that already reads as the new one stays untouched: the
  // editor is spared an edit, and the lines keep their own bytes. The edit
  // would leave the inserted lines, then the annotations.
  bool same = true;
  LineNumber line = first;
  const auto compare = [&](std::u16string_view fresh) {
    same = same && line < proc.body && lines.At(line) == fresh;
    ++line;
    return same;
  };
  ForEachInsertedLine(text, compare);
  for (const LineNumber annotation : annotations) compare(lines.At(annotation));
  if (same && line == proc.body) return;
  // Annotations are directives for other tools, not comments: they stay, and
  // end up together right above the declaration. The runs between them go,
  // bottom up, so that the lines still to delete keep their numbers.
  LineNumber end = proc.body;
  for (auto annotation = annotations.rbegin(); annotation != annotations.rend(); ++annotation) {
    if (end > *annotation + 1) deletions_.emplace_back(*annotation + 1, end - *annotation - 1);
    end = *annotation;
  }
  if (end > first) deletions_.emplace_back(first, end - first);
  // The empty line and the block in one insert.
  const std::u16string_view kept = Keep(text);
  edits_.push_back({kept.data(), static_cast<std::uint32_t>(kept.size()), first, deletions_.size()});
}

std::u16string_view CommentPlan::Keep(std::u16string_view text) {
  if (text.empty()) return {};
  // A block holds the texts of a few hundred procedures; the first, for
  // a single edit, only its own.
  constexpr std::size_t kBlock = std::size_t{1} << 15;
  if (texts_.empty() || texts_.back().capacity() - texts_.back().size() < text.size()) {
    const std::size_t size = texts_.empty() ? text.size() : std::max(kBlock, text.size());
    texts_.emplace_back().reserve(size);
  }
  std::u16string& block = texts_.back();
  const std::size_t at = block.size();
  block += text;
  return std::u16string_view(block).substr(at);
}

void CommentPlan::Apply(CodeModule& module) {
  // Texts were kept in the order of the edits: the blocks before the one
  // that holds an edit's text are done with.
  auto holds = [](const std::u16string& block, const char16_t* text) {
    return !std::less<const char16_t*>()(text, block.data()) &&
           std::less<const char16_t*>()(text, block.data() + block.size());
  };
  std::size_t deletion = 0;
  for (const Edit& edit : edits_) {
    for (; deletion < edit.deletionsEnd; ++deletion)
      module.DeleteLines(deletions_[deletion].first, deletions_[deletion].second);
    while (edit.size > 0 && !texts_.empty() && !holds(texts_.front(), edit.text)) texts_.pop_front();
    module.InsertLines(edit.first, std::u16string_view(edit.text, edit.size));
  }
  texts_.clear();
}

LineNumber Commands::PlanProcComment(CommentPlan& plan, LeadingLines& lines, const ProcLines& proc,
                                     bool insert) {
  const LineNumber first = CommentStartLine(lines, proc);
  std::u16string& text = plan.NextText();
  if (insert) {
    // The block goes straight after the empty line's CR LF, in the one
    // string the edit inserts.
    text += u"\r\n"sv;
    AppendProcComment(text, proc.name, lines.Declaration(proc.body), proc.kind, events_);
    // What the insert replaces is noted as it is read, for the command line
    // to tell: a second walk to find it would read every procedure again.
    if (auto handWritten = HandWrittenProcComment(lines, proc, first, events_))
      handWritten_.push_back(std::move(*handWritten));
  }
  plan.Add(lines, proc, first);
  return first;
}

LineNumber Commands::EditProcComment(CodeModule& module, const ProcLines& proc, bool insert) {
  LeadingLines lines(module, proc);
  CommentPlan plan;
  const LineNumber first = PlanProcComment(plan, lines, proc, insert);
  plan.Apply(module);
  return first;
}

LineNumber Commands::InsertProcCommentOf(CodeModule& module, const ProcLines& proc) {
  return EditProcComment(module, proc, true);
}

LineNumber Commands::DeleteProcCommentOf(CodeModule& module, const ProcLines& proc) {
  return EditProcComment(module, proc, false);
}

LineNumber Commands::GetSelectionLine() { return ActivePane()->GetSelection().startLine; }

}  // namespace tamvo
