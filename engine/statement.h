#pragma once
// What a VBA statement is, as far as finding procedures needs: the editor's
// rules for where procedures start and end, and for how one statement runs
// over several physical lines.

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
  std::u16string_view procName;  // ProcStart only; a view of the text classified
  ProcKind procKind = ProcKind::Proc;
};

// True when a physical line goes on in the next one: it ends in " _"
// (trailing blanks aside). Comments continue the same way as code.
bool ContinuesOnNextLine(std::u16string_view line);

// Appends the next physical line to a statement whose text so far continues
// (see ContinuesOnNextLine): the "_" and the blanks after it go, so do the
// new line's leading blanks; the blank before the "_" stays between them.
// "Sub F(a, _" and "    b)" read "Sub F(a, b)"; "Private _" and "Sub S()"
// read "Private Sub S()".
void AppendContinuationLine(std::u16string& statement, std::u16string_view line);

// One statement with its physical lines joined into the text it reads as.
struct JoinedStatement {
  std::u16string text;
  LineNumber lastLine = 0;
};

// Reads the statement whose first physical line is firstLine, in a module of
// lineCount lines: lineAt(n) gives line n's text (as a string or a view). A
// statement still continued on the module's last line ends there.
template <typename LineAt>
JoinedStatement JoinStatement(LineAt&& lineAt, LineNumber firstLine, LineNumber lineCount) {
  JoinedStatement statement{std::u16string(lineAt(firstLine)), firstLine};
  while (statement.lastLine < lineCount && ContinuesOnNextLine(statement.text)) {
    ++statement.lastLine;
    AppendContinuationLine(statement.text, lineAt(statement.lastLine));
  }
  return statement;
}

// Public, Private, Friend or Static, in any letter case: the words that may
// stand before Sub, Function or Property in a declaration.
bool IsProcModifier(std::u16string_view word);

// Classifies one statement, given as its physical lines joined.
Statement ClassifyStatement(std::u16string_view text);

// True when the statement, or one written after it on the same line behind
// a ":" ("Sub A(): End Sub", "x = 1: End Sub"), is End Sub, End Function or
// End Property: the editor ends a procedure there as on a line of its own.
bool EndsProcedure(std::u16string_view text);

// Calls f(first, last) with the first and last physical line of each
// statement that starts in [first, end): a comment continued with " _" is
// one statement with the lines it continues onto, however they read. A
// statement still continued at end - 1 ends there.
template <typename LineAt, typename F>
void ForEachStatementLines(LineAt&& lineAt, LineNumber first, LineNumber end, F&& f) {
  while (first < end) {
    LineNumber last = first;
    while (last + 1 < end && ContinuesOnNextLine(lineAt(last))) ++last;
    f(first, last);
    first = last + 1;
  }
}

// True for a line or a joined statement that is empty, blank or a comment.
bool IsBlankOrCommentLine(std::u16string_view line);

}  // namespace tamvo
