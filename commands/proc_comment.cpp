// Comments above procedures, and the lookups that find a procedure.

#include "commands/commands.h"
#include "engine/comment_block.h"
#include "engine/statement.h"

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
    if (!IsBlankOrCommentLine(text)) return 0;
    named = named || text.starts_with(u"' * @modulename ");
  }
  return 0;
}

}  // namespace

LineNumber CommentStartLine(CodeModule& module, std::u16string_view procName, ProcKind kind) {
  const LineNumber start = module.ProcStartLine(procName, kind);
  const LineNumber body = module.ProcBodyLine(procName, kind);
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
  const LineNumber body = module->ProcBodyLine(procName, kind);
  return JoinStatement([&](LineNumber line) { return module->Lines(line, 1); }, body, module->CountOfLines())
      .text;
}

void Commands::InsertProcComment(std::u16string_view procName, ProcKind kind) {
  const std::u16string block = BuildProcComment(procName, GetProcDeclaration(procName, kind), kind, events_);
  DeleteProcComment(procName, kind);
  auto module = ActiveModule();
  module->InsertLines(module->ProcBodyLine(procName, kind), block);
}

void Commands::DeleteProcComment(std::u16string_view procName, ProcKind kind) {
  auto module = ActiveModule();
  const LineNumber first = CommentStartLine(*module, procName, kind);
  module->DeleteLines(first, module->ProcBodyLine(procName, kind) - first);
  module->InsertLines(first, u"");
}

LineNumber Commands::GetSelectionLine() { return ActivePane()->GetSelection().startLine; }

std::u16string Commands::GetProcNameOfLine(LineNumber line, ProcKind& kind) {
  return ActiveModule()->ProcOfLine(line, kind);
}

std::u16string Commands::GetCurrentProcName(ProcKind& kind) {
  return GetProcNameOfLine(GetSelectionLine(), kind);
}

}  // namespace tamvo
