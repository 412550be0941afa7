#pragma once
// What a VBA statement is, as far as finding procedures needs: the editor's
// rules for where procedures start and end.

#include <string>
#include <string_view>

#include "engine/proc_kind.h"

namespace tamvo {

enum class StatementKind {
  Blank,
  Comment,    // ' ... or Rem ...
  ProcStart,  // [Public|Private|Friend] [Static] Sub|Function|Property Get|Let|Set name
  ProcEnd,    // End Sub|Function|Property
  Code,       // anything else, Declare statements and #If lines included
};

struct Statement {
  StatementKind kind = StatementKind::Blank;
  std::u16string procName;  // ProcStart only
  ProcKind procKind = ProcKind::Proc;
};

// True when a physical line goes on in the next one: it ends in " _"
// (trailing blanks aside). Comments continue the same way as code.
bool ContinuesOnNextLine(std::u16string_view line);

// Classifies one statement, given as its physical lines joined.
Statement ClassifyStatement(std::u16string_view text);

// True for a line that is empty, blank or a whole-line comment.
bool IsBlankOrCommentLine(std::u16string_view line);

}  // namespace tamvo
