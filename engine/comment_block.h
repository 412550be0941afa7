#pragma once
// The comment blocks written above procedures: lines joined by CR LF, none
// before the first line or after the last.

#include <string>
#include <string_view>

#include "engine/event_table.h"
#include "engine/proc_kind.h"

namespace tamvo {

// Appends one line to a comment block. An empty block takes the line as its
// first line, so a block never starts or ends with CR LF.
void AppendLine(std::u16string& block, std::u16string_view line);

// The comment block for one procedure:
//   '/**
//   ' * <summary>.
//   ' * @return            (functions)
//   ' * @param <name>      (one per parameter of a Sub or Function)
//   ' * Getter: <name>     (Property Get) / ' * Setter: <name> (Let, Set)
//   ' */
// Throws Failure when the parameter list of a Sub or Function can't be read.
std::u16string BuildProcComment(std::u16string_view procName, std::u16string_view declaration, ProcKind kind,
                                const EventTable& events);
// The same block appended to text, with no string of its own: callers that
// put it after other lines build it in place. text is left as it was when
// this throws.
void AppendProcComment(std::u16string& text, std::u16string_view procName, std::u16string_view declaration,
                       ProcKind kind, const EventTable& events);

}  // namespace tamvo
