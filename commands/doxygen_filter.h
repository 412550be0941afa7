#pragma once
// A module as doxygen's C++ parser reads it, for its INPUT_FILTER: the
// module becomes a class, each procedure a member declaration on the line
// of its declaration, and each doc block a "/** ... */" comment on its own
// lines whose tags are doxygen's commands. Every other line is left empty,
// so that doxygen's line numbers are the file's.
//
// Tags doxygen doesn't take as commands ("@modulename", "@auther", a
// JavaDoc "@example" followed by text, a "@param" update removes or a
// second one for a parameter) arrive as text, so that doxygen warns about
// none of them. A "@param" update renames names the parameter it moves to.

#include <functional>
#include <string>
#include <vector>

#include "commands/doc_page.h"
#include "host/code_module.h"

namespace tamvo {

// The lines of the filtered file, fileLineCount of them (one at least).
// fileLine turns a module line into the file's line.
std::vector<std::u16string> FilterForDoxygen(CodeModule& module, ModuleKind kind, LineNumber fileLineCount,
                                             const std::function<LineNumber(LineNumber)>& fileLine);

// Escapes what doxygen would read as a command, an HTML tag or an entity,
// and a "*/" that would end the comment.
std::u16string EscapeDoxygen(std::u16string_view text);

}  // namespace tamvo
