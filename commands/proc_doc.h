#pragma once
// What update and lint both read from a procedure: its leading comment
// lines, its doc block, and which tag of the block stands for which part of
// the declaration. One reading for both, so that a module after update-all
// is clean to the lint.

#include <optional>
#include <string>
#include <vector>

#include "engine/doc_block.h"
#include "host/code_module.h"

namespace tamvo {

struct ProcDoc {
  ProcLines proc;
  std::u16string declaration;
  LineNumber first = 0;               // module line of lines[0]
  std::vector<std::u16string> lines;  // the comment lines above the declaration
  std::optional<DocBlock> block;      // a module header is no procedure's block
  // No block, but tag lines written in another style (' @param x).
  std::optional<std::size_t> foreignLine;
};

ProcDoc ReadProcDoc(CodeModule& module, const ProcLines& proc);

// The comment a procedure owns above doc.lines[end] (its declaration, or its
// block): the comment lines right above, up to a blank line, a comment
// continued with " _", or a block's opening or closing line. Annotations
// among them are stepped over and stay. Update adopts it into the block.
struct OwnedComment {
  std::size_t first = 0;                      // the run's first line, annotations included
  std::vector<std::u16string> lines;          // the owned lines, in their order
  std::vector<std::u16string> annotations;    // the annotation lines of the run, in their order
  std::optional<std::u16string> description;  // the text of a '@Description("...") among them
};
OwnedComment ReadOwnedComment(const ProcDoc& doc, std::size_t end);

// The tags of a block matched with the declaration; tag numbers index
// block.tags.
struct TagMatch {
  bool isFunction = false;
  bool isProperty = false;
  std::vector<std::u16string> params;                // as insert writes them, in declaration order
  std::vector<std::optional<std::size_t>> paramTag;  // per parameter
  // Per parameter with a tag (the renamed one included): its type in
  // braces, and what follows its name, the description with whatever
  // separator was written before it. Its name ends where the tag's
  // reading of it or insert's name for the parameter ends, the later.
  std::vector<std::u16string> paramType;
  std::vector<std::u16string> paramRest;
  std::vector<std::size_t> staleParams;  // @param naming no parameter
  // Exactly one stale @param and one parameter without one: a rename.
  std::optional<std::size_t> renamedTag;
  std::optional<std::size_t> renamedParam;
  std::optional<std::size_t> returnTag;  // Functions and Property Get only
  std::vector<std::size_t> staleReturns;
  std::optional<std::size_t> accessorTag;  // properties only
  // Kept as they are, in their order: other tags, and a second tag for
  // what already has one.
  std::vector<std::size_t> others;

  // The parameter a tag stands for, the renamed one included: where update
  // keeps the tag's words, the pages show them.
  std::optional<std::size_t> ParamOf(std::size_t tag) const;
};

// Throws Failure when the parameter list is needed and can't be read.
TagMatch MatchTags(const DocBlock& block, ProcKind kind, std::u16string_view declaration);

// The module header at the top of the module: its lines and block.
struct HeaderDoc {
  std::vector<std::u16string> lines;  // the comment lines from line 1 on
  std::optional<DocBlock> block;      // FindModuleHeader's
  std::optional<std::size_t> nameTag;
};
HeaderDoc ReadHeaderDoc(CodeModule& module);

// The "@modulename" value: the module's name where the tag's rest starts
// with it as a whole word (or words), else the rest's first word.
std::u16string_view ModuleNameValue(const DocTag& tag, std::u16string_view componentName);

}  // namespace tamvo
