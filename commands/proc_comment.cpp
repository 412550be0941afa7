// Comments above procedures, and the lookups that find a procedure.

#include "commands/commands.h"
#include "engine/comment_block.h"
#include "engine/doc_block.h"
#include "engine/failure.h"
#include "engine/statement.h"
#include "engine/text.h"

namespace tamvo {

namespace {

// The last line of a module header at the top of the module: "'/**" on
// line 1, a "' * @modulename " line, then "' */", all comment lines; 0 when
// the module doesn't start with one.
LineNumber ModuleHeaderEnd(CodeModule& module, LineNumber searchEnd) {
  if (module.Lines(1, 1) != u"'/**") return 0;
  bool named = false;
  for (LineNumber line = 2; line <= searchEnd; ++line) {
    const std::u16string text = module.Lines(line, 1);
    if (text == u"' */") return named ? line : 0;
    // A second opening line: the first never closed, and what closes here
    // is a procedure's block.
    if (!IsBlankOrCommentLine(text) || text == u"'/**") return 0;
    named = named || text.starts_with(u"' * @modulename ");
  }
  return 0;
}

}  // namespace

LineNumber CommentStartLine(CodeModule& module, std::u16string_view procName, ProcKind kind) {
  return CommentStartLine(module, {std::u16string(procName), kind, module.ProcStartLine(procName, kind),
                                   module.ProcBodyLine(procName, kind)});
}

LineNumber CommentStartLine(CodeModule& module, const ProcLines& proc) {
  const LineNumber start = proc.start;
  const LineNumber body = proc.body;
  // Statement by statement upwards: a comment continued with " _" is one
  // comment however its later lines read. A code statement above the
  // declaration (#If, say) and all above it stay.
  const auto lineAt = [&](LineNumber line) { return module.Lines(line, 1); };
  LineNumber first = body;
  while (first > start) {
    LineNumber top = first - 1;
    while (top > start && ContinuesOnNextLine(lineAt(top - 1))) --top;
    if (!IsBlankOrCommentLine(JoinStatement(lineAt, top, first - 1).text)) break;
    first = top;
  }
  // In a module without declarations the header at the top would count as
  // the first procedure's comment; it is not.
  if (start == 1) {
    const LineNumber headerEnd = ModuleHeaderEnd(module, body - 1);
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
    throw Failure(u"Invalid procedure call or argument: line " + FromUtf8(std::to_string(line)) +
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

LineNumber Commands::InsertProcCommentOf(CodeModule& module, const ProcLines& proc) {
  const std::u16string block =
      BuildProcComment(proc.name, ProcDeclarationAt(module, proc.body), proc.kind, events_);
  const LineNumber emptyLine = DeleteProcCommentOf(module, proc);
  module.InsertLines(emptyLine + 1, block);
  return emptyLine;
}

LineNumber Commands::DeleteProcCommentOf(CodeModule& module, const ProcLines& proc) {
  const LineNumber first = CommentStartLine(module, proc);
  // Annotations are directives for other tools, not comments: they stay, and
  // end up together right above the declaration. The runs between them go,
  // bottom up, so that the lines still to look at keep their numbers.
  for (LineNumber end = proc.body; end > first;) {
    LineNumber runStart = end;
    while (runStart > first && !IsAnnotationLine(module.Lines(runStart - 1, 1))) --runStart;
    module.DeleteLines(runStart, end - runStart);
    end = runStart - 1;
  }
  module.InsertLines(first, u"");
  return first;
}

LineNumber Commands::GetSelectionLine() { return ActivePane()->GetSelection().startLine; }

std::u16string Commands::GetProcNameOfLine(LineNumber line, ProcKind& kind) {
  return ActiveModule()->ProcOfLine(line, kind);
}

std::u16string Commands::GetCurrentProcName(ProcKind& kind) {
  return GetProcNameOfLine(GetSelectionLine(), kind);
}

}  // namespace tamvo
