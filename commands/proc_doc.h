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

// The tags of a block matched with the declaration; tag numbers index
// block.tags.
struct TagMatch {
  bool isFunction = false;
  bool isProperty = false;
  std::vector<std::u16string> params;                // as insert writes them, in declaration order
  std::vector<std::optional<std::size_t>> paramTag;  // per parameter
  // Per parameter with a tag: its type in braces and what follows its name,
  // to write after insert's "@param" and name.
  std::vector<std::u16string> paramType;
  std::vector<std::u16string> paramRest;
  std::vector<std::size_t> staleParams;  // @param naming no parameter
  // Exactly one stale @param and one parameter without one: a rename.
  std::optional<std::size_t> renamedTag;
  std::optional<std::size_t> renamedParam;
  std::optional<std::size_t> returnTag;  // Functions only
  std::vector<std::size_t> staleReturns;
  std::optional<std::size_t> accessorTag;  // properties only
  // Kept as they are, in their order: other tags, and a second tag for
  // what already has one.
  std::vector<std::size_t> others;
};

// Throws Failure when the parameter list is needed and can't be read.
TagMatch MatchTags(const DocBlock& block, ProcKind kind, std::u16string_view declaration);

// The module header at the top of the module: its lines and block.
struct HeaderDoc {
  std::vector<std::u16string> lines;  // the comment lines from line 1 on
  std::optional<DocBlock> block;      // one with a "@modulename" line
  std::optional<std::size_t> nameTag;
};
HeaderDoc ReadHeaderDoc(CodeModule& module);

// The "@modulename" value: the first word of the tag's rest.
std::u16string_view ModuleNameValue(const DocTag& tag);

}  // namespace tamvo
