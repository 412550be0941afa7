// Comments above procedures, and the lookups that find a procedure.

#include "commands/commands.h"

#include <algorithm>
#include <functional>

#include "engine/comment_block.h"
#include "engine/doc_block.h"
#include "engine/failure.h"
#include "engine/statement.h"
#include "engine/text.h"

namespace tamvo {

using namespace std::string_view_literals;

namespace {

// The last line of a module header at the top of the module: "'/**" on
// line 1, a "' * @modulename " line, then "' */", all comment lines; 0 when
// the module doesn't start with one.
template <typename LineAt>
LineNumber ModuleHeaderEnd(LineAt&& lineAt, LineNumber searchEnd) {
  if (searchEnd < 1 || lineAt(1) != u"'/**") return 0;
  bool named = false;
  for (LineNumber line = 2; line <= searchEnd; ++line) {
    const std::u16string_view text = lineAt(line);
    if (text == u"' */") return named ? line : 0;
    // A second opening line: the first never closed, and what closes here
    // is a procedure's block.
    if (!IsBlankOrCommentLine(text) || text == u"'/**") return 0;
    named = named || text.starts_with(u"' * @modulename ");
  }
  return 0;
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
  // One look at each code unit: a search for the two-unit separator looks
  // for its first unit, then compares, then searches on.
  std::size_t at = 0;
  for (std::size_t i = 0; i + 1 < text.size(); ++i) {
    if (text[i] != u'\r' || text[i + 1] != u'\n') continue;
    lines_.push_back(text.substr(at, i - at));
    ++i;  // the LF
    at = i + 1;
  }
  lines_.push_back(text.substr(at));
  if (lines_.size() - before == static_cast<std::size_t>(count)) return;
  // Lines that don't split back as they were joined: one at a time, then.
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

LineNumber CommentStartLine(CodeModule& module, std::u16string_view procName, ProcKind kind) {
  return CommentStartLine(module, {std::u16string(procName), kind, module.ProcStartLine(procName, kind),
                                   module.ProcBodyLine(procName, kind)});
}

LineNumber CommentStartLine(CodeModule& module, const ProcLines& proc) {
  LeadingLines lines(module, proc);
  return CommentStartLine(lines, proc);
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

std::shared_ptr<CodePane> Commands::ActivePane() { return hostVbe_.ActiveCodePane(); }

std::shared_ptr<CodeModule> Commands::ActiveModule() { return ActivePane()->CodeModule(); }

std::u16string Commands::GetProcDeclaration(std::u16string_view procName, ProcKind kind) {
  auto module = ActiveModule();
  return ProcDeclarationAt(*module, module->ProcBodyLine(procName, kind));
}

std::u16string ProcDeclarationAt(CodeModule& module, LineNumber body) {
  return JoinStatement([&](LineNumber line) { return module.Lines(line, 1); }, body, module.CountOfLines())
      .text;
}

namespace {

ProcLines ProcByName(CodeModule& module, std::u16string_view procName, ProcKind kind) {
  return {std::u16string(procName), kind, module.ProcStartLine(procName, kind),
          module.ProcBodyLine(procName, kind)};
}

ProcLines ProcAt(CodeModule& module, LineNumber line) {
  auto proc = module.ProcLinesOfLine(line);
  if (!proc)
    throw Failure(std::u16string(kInvalidArgument) + u": line " + FromUtf8(std::to_string(line)) +
                  u" is not in a procedure");
  return *proc;
}

}  // namespace

void Commands::InsertProcComment(std::u16string_view procName, ProcKind kind) {
  auto module = ActiveModule();
  InsertProcCommentOf(*module, ProcByName(*module, procName, kind));
}

void Commands::DeleteProcComment(std::u16string_view procName, ProcKind kind) {
  auto module = ActiveModule();
  DeleteProcCommentOf(*module, ProcByName(*module, procName, kind));
}

void Commands::InsertProcCommentAt(LineNumber line) {
  auto module = ActiveModule();
  InsertProcCommentOf(*module, ProcAt(*module, line));
}

void Commands::DeleteProcCommentAt(LineNumber line) {
  auto module = ActiveModule();
  DeleteProcCommentOf(*module, ProcAt(*module, line));
}

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
  std::size_t start = 0;
  bool any = false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != u'\r' && text[i] != u'\n') continue;
    if (!f(text.substr(start, i - start))) return;
    any = true;
    if (text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') ++i;
    start = i + 1;
  }
  if (start < text.size() || !any) f(text.substr(start));
}

}  // namespace

void CommentPlan::Add(LeadingLines& lines, const ProcLines& proc, LineNumber first) {
  const std::u16string_view text = next_;
  std::vector<LineNumber> annotations;
  for (LineNumber line = first; line < proc.body; ++line) {
    if (IsAnnotationLine(lines.At(line))) annotations.push_back(line);
  }
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

std::u16string Commands::GetProcNameOfLine(LineNumber line, ProcKind& kind) {
  return ActiveModule()->ProcOfLine(line, kind);
}

std::u16string Commands::GetCurrentProcName(ProcKind& kind) {
  return GetProcNameOfLine(GetSelectionLine(), kind);
}

}  // namespace tamvo
