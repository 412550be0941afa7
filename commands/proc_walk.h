#pragma once
// The walk over every procedure of a module, last to first.

#include "host/code_module.h"

namespace tamvo {

// Calls f with each procedure of the module, last to first, from the one
// that holds line count (the module's CountOfLines, when the caller already
// has it) up. Bottom up, so that f may change a procedure's lines: the lines
// of those above keep their numbers, and the next is found above where the
// one just given started. Line 0 is asked for by no walk: it would be one
// more call into the editor for the answer that there is nothing there.
template <typename F>
void ForEachProcBottomUp(CodeModule& module, LineNumber count, F&& f) {
  for (LineNumber line = count; line > 0;) {
    const auto proc = module.ProcLinesOfLine(line);
    if (!proc) return;
    f(*proc);
    line = proc->start - 1;
  }
}

template <typename F>
void ForEachProcBottomUp(CodeModule& module, F&& f) {
  ForEachProcBottomUp(module, module.CountOfLines(), f);
}

}  // namespace tamvo
