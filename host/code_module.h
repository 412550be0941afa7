#pragma once
// The editor's code objects as the commands see them: the active code pane,
// its module, the module's procedures. Members carry the editor's names and
// 1-based line numbers; a member that the editor would fail on (no active
// pane, an unknown procedure, a line out of range) throws Failure with a
// description, from every implementation alike.

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "engine/proc_kind.h"

namespace tamvo {

// The editor's own words when an object it should reach holds Nothing (no
// active code pane, say): every host and the add-in fail with them alike.
inline constexpr std::u16string_view kObjectNotSet = u"Object variable or With block variable not set";

class CodePane;

// A procedure found by a line: its name and kind, its first line and the
// first line of its declaration.
struct ProcLines {
  std::u16string name;
  ProcKind kind = ProcKind::Proc;
  LineNumber start = 0;
  LineNumber body = 0;
};

class CodeModule {
 public:
  virtual ~CodeModule() = default;

  // Parent.Name: the name of the component that owns the module.
  virtual std::u16string ComponentName() = 0;
  virtual LineNumber CountOfLines() = 0;
  // count lines from startLine on, joined by CR LF, without a final line end.
  virtual std::u16string Lines(LineNumber startLine, LineNumber count) = 0;
  // The lines of code (split at CR LF, CR or LF) become lines line, line + 1, ...
  virtual void InsertLines(LineNumber line, std::u16string_view code) = 0;
  virtual void DeleteLines(LineNumber startLine, LineNumber count) = 0;
  // First line of the procedure: the comments and blank lines above its
  // declaration are part of it.
  virtual LineNumber ProcStartLine(std::u16string_view procName, ProcKind kind) = 0;
  // First line of the procedure's declaration statement.
  virtual LineNumber ProcBodyLine(std::u16string_view procName, ProcKind kind) = 0;
  // Name and kind of the procedure that holds the line; an empty name for a
  // line of the declarations section.
  virtual std::u16string ProcOfLine(LineNumber line, ProcKind& kind) = 0;
  virtual std::shared_ptr<tamvo::CodePane> CodePane() = 0;

  // The procedure that holds the line, nothing for the declarations section.
  // The editor answers only by name, so this asks it by name: of two
  // procedures of one name and kind (under #If ... #Else) it finds the first.
  // A host that knows its procedures by position overrides it, so that each
  // answers for its own lines.
  virtual std::optional<ProcLines> ProcLinesOfLine(LineNumber line) {
    ProcLines proc;
    proc.name = ProcOfLine(line, proc.kind);
    if (proc.name.empty()) return std::nullopt;
    proc.start = ProcStartLine(proc.name, proc.kind);
    proc.body = ProcBodyLine(proc.name, proc.kind);
    return proc;
  }
};

struct Selection {
  LineNumber startLine = 1;
  LineNumber startColumn = 1;
  LineNumber endLine = 1;
  LineNumber endColumn = 1;
};

class CodePane {
 public:
  virtual ~CodePane() = default;

  virtual std::shared_ptr<tamvo::CodeModule> CodeModule() = 0;
  virtual Selection GetSelection() = 0;
  virtual void SetSelection(LineNumber startLine, LineNumber startColumn, LineNumber endLine,
                            LineNumber endColumn) = 0;
};

class Vbe {
 public:
  virtual ~Vbe() = default;

  virtual std::shared_ptr<CodePane> ActiveCodePane() = 0;
};

}  // namespace tamvo
