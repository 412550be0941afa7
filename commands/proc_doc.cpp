#include "commands/proc_doc.h"

#include <algorithm>

#include "commands/commands.h"
#include "engine/adoption.h"
#include "engine/declaration.h"
#include "engine/statement.h"
#include "engine/text.h"

namespace tamvo {

namespace {

bool IsBlankChar(char16_t c) { return c == u' ' || c == u'\t'; }

// What follows name in text, when text starts with the whole name.
std::optional<std::u16string> AfterName(std::u16string_view text, std::u16string_view name) {
  if (!text.starts_with(name)) return std::nullopt;
  if (text.size() > name.size() && !EndsDocName(text[name.size()])) {
    return std::nullopt;
  }
  return std::u16string(text.substr(name.size()));
}

struct ParamMatch {
  std::size_t index;
  std::u16string type;
  std::u16string rest;
};

// What follows the parameter's name in the tag: after the name as insert
// writes it or as the tag reads it, whichever runs longer. A tag may give
// a typed parameter's default ("@param Optional x = 5 the x" for insert's
// "Optional x"); insert's name may hold blanks where the tag's reading
// stops ("Optional n = 1 + 2"). Both rests are ends of the same text.
std::u16string LaterRest(std::u16string rest, const DocTag& tag) {
  return rest.size() < tag.rest.size() ? std::move(rest) : tag.rest;
}

// The parameter a @param stands for: first one without a tag yet whose name
// the tag writes exactly as insert does (whatever the name holds: blanks, a
// default, braces), then one whose name compares equal; failing those, one
// that already has a tag (the match then tells a second tag for it).
std::optional<ParamMatch> MatchParam(const DocTag& tag, const std::vector<std::u16string>& params,
                                     const std::vector<std::u16string>& keys,
                                     const std::vector<std::optional<std::size_t>>& taken) {
  const std::u16string afterType = tag.name + tag.rest;
  const std::u16string whole = tag.type + afterType;
  const std::u16string key = ParamKey(tag.name);
  for (const bool free : {true, false}) {
    for (std::size_t p = 0; p < params.size(); ++p) {
      if (free == taken[p].has_value()) continue;
      if (auto rest = AfterName(afterType, params[p])) {
        return ParamMatch{p, tag.type, LaterRest(std::move(*rest), tag)};
      }
      if (auto rest = AfterName(whole, params[p]); rest && !tag.type.empty()) {
        return ParamMatch{p, {}, LaterRest(std::move(*rest), tag)};
      }
    }
    for (std::size_t p = 0; p < params.size(); ++p) {
      if (free == taken[p].has_value()) continue;
      if (!key.empty() && EqualsIgnoreCase(keys[p], key)) return ParamMatch{p, tag.type, tag.rest};
    }
  }
  return std::nullopt;
}

}  // namespace

OwnedComment ReadOwnedComment(const ProcDoc& doc, std::size_t end) {
  struct Statement {
    std::size_t first;
    std::size_t last;
  };
  std::vector<Statement> statements;
  const auto lineAt = [&](std::size_t i) -> std::u16string_view { return doc.lines[i]; };
  ForEachStatementLines(lineAt, std::size_t{0}, end, [&](std::size_t first, std::size_t last) {
    statements.push_back({first, last});
  });
  OwnedComment owned;
  owned.first = end;
  for (auto statement = statements.rbegin(); statement != statements.rend(); ++statement) {
    const std::u16string_view top = doc.lines[statement->first];
    if (top.find_first_not_of(u" \t") == std::u16string_view::npos) break;
    // A comment continued with " _" is left as it is: its lines written into
    // a block would go on continuing each other there.
    const bool annotation = IsAnnotationLine(top) && !IsDocTagCommentLine(top);
    if (statement->last > statement->first && !annotation) break;
    // Nor is a block's line: an earlier block, or one that never closed.
    if (IsDocBlockClosing(top) || TrimSpaces(top) == u"'/**") break;
    owned.first = statement->first;
  }
  // Lines below an opening line that never closed are a broken block's.
  if (owned.first > 0 && TrimSpaces(doc.lines[owned.first - 1]) == u"'/**") owned.first = end;
  for (const Statement& statement : statements) {
    if (statement.first < owned.first) continue;
    const std::u16string_view top = doc.lines[statement.first];
    const bool annotation = IsAnnotationLine(top) && !IsDocTagCommentLine(top);
    if (annotation && !owned.description) owned.description = DescriptionAnnotationText(top);
    auto& into = annotation ? owned.annotations : owned.lines;
    into.insert(into.end(), doc.lines.begin() + static_cast<std::ptrdiff_t>(statement.first),
                doc.lines.begin() + static_cast<std::ptrdiff_t>(statement.last) + 1);
  }
  return owned;
}

ProcDoc ReadProcDoc(CodeModule& module, const ProcLines& proc) {
  ProcDoc doc;
  doc.proc = proc;
  // One read of the procedure's lines for the declaration, the comment's
  // first line and its lines.
  LeadingLines lines(module, proc);
  doc.declaration = lines.Declaration(proc.body);
  doc.first = CommentStartLine(lines, proc);
  for (LineNumber line = doc.first; line < proc.body; ++line) doc.lines.emplace_back(lines.At(line));
  doc.block = FindLastDocBlock(doc.lines);
  if (doc.block && std::any_of(doc.block->tags.begin(), doc.block->tags.end(), IsModuleNameTag)) {
    doc.block.reset();
  }
  if (!doc.block) {
    // Only the comment update adopts: one above a blank line is no one's.
    const OwnedComment owned = ReadOwnedComment(doc, doc.lines.size());
    for (std::size_t i = owned.first; i < doc.lines.size() && !doc.foreignLine; ++i) {
      if (IsForeignTagLine(doc.lines[i])) doc.foreignLine = i;
    }
  }
  return doc;
}

TagMatch MatchTags(const DocBlock& block, ProcKind kind, std::u16string_view declaration) {
  TagMatch match;
  match.isProperty = kind != ProcKind::Proc;
  match.isFunction = !match.isProperty && IsFunctionDeclaration(declaration);
  bool hasParamTags = false;
  for (const auto& tag : block.tags) hasParamTags = hasParamTags || tag.kind == DocTagKind::Param;
  // A property's parameters matter only to the @param lines written for it.
  if (!match.isProperty || hasParamTags) match.params = GetParamNames(declaration);
  std::vector<std::u16string> keys;
  for (const auto& param : match.params) keys.push_back(ParamKey(param));
  match.paramTag.resize(match.params.size());
  match.paramType.resize(match.params.size());
  match.paramRest.resize(match.params.size());

  for (std::size_t t = 0; t < block.tags.size(); ++t) {
    const DocTag& tag = block.tags[t];
    switch (tag.kind) {
      case DocTagKind::Param: {
        const auto param = MatchParam(tag, match.params, keys, match.paramTag);
        if (param && !match.paramTag[param->index]) {
          match.paramTag[param->index] = t;
          match.paramType[param->index] = param->type;
          match.paramRest[param->index] = param->rest;
        } else if (param) {
          match.others.push_back(t);
        } else {
          match.staleParams.push_back(t);
        }
        break;
      }
      case DocTagKind::Return:
        // A Property Get gives a value back as a Function does.
        if (!match.isFunction && kind != ProcKind::Get) {
          match.staleReturns.push_back(t);
        } else if (match.returnTag) {
          match.others.push_back(t);
        } else {
          match.returnTag = t;
        }
        break;
      case DocTagKind::Accessor:
        if (match.isProperty && !match.accessorTag) {
          match.accessorTag = t;
        } else {
          match.others.push_back(t);
        }
        break;
      case DocTagKind::Other:
        match.others.push_back(t);
        break;
    }
  }

  std::vector<std::size_t> missing;
  for (std::size_t p = 0; p < match.params.size(); ++p) {
    if (!match.paramTag[p]) missing.push_back(p);
  }
  // A parameter without a name (a declaration the editor would refuse) takes
  // no description: a tag renamed to nothing would read its text as a name.
  if (match.staleParams.size() == 1 && missing.size() == 1 && !keys[missing.front()].empty()) {
    match.renamedTag = match.staleParams.front();
    match.renamedParam = missing.front();
    const DocTag& tag = block.tags[*match.renamedTag];
    match.paramType[*match.renamedParam] = tag.type;
    match.paramRest[*match.renamedParam] = tag.rest;
  }
  return match;
}

std::optional<std::size_t> TagMatch::ParamOf(std::size_t tag) const {
  if (renamedTag == tag) return renamedParam;
  for (std::size_t p = 0; p < paramTag.size(); ++p) {
    if (paramTag[p] == tag) return p;
  }
  return std::nullopt;
}

HeaderDoc ReadHeaderDoc(CodeModule& module) {
  HeaderDoc header;
  const LineNumber count = module.CountOfLines();
  for (LineNumber line = 1; line <= count; ++line) {
    std::u16string text = module.Lines(line, 1);
    if (!IsBlankOrCommentLine(text)) break;
    header.lines.push_back(std::move(text));
  }
  header.block = FindModuleHeader(header.lines);
  if (header.block) {
    header.lines.resize(header.block->close + 1);
    for (std::size_t t = 0; t < header.block->tags.size() && !header.nameTag; ++t) {
      if (IsModuleNameTag(header.block->tags[t])) header.nameTag = t;
    }
  }
  return header;
}

std::u16string_view ModuleNameValue(const DocTag& tag, std::u16string_view componentName) {
  const std::u16string_view rest = tag.rest;
  std::size_t begin = 0;
  while (begin < rest.size() && IsBlankChar(rest[begin])) ++begin;
  // A name of several words (a file "My Module.bas" without VB_Name) is
  // the value whole where it is written whole.
  const std::u16string_view value = rest.substr(begin);
  if (!componentName.empty() && value.starts_with(componentName) &&
      (value.size() == componentName.size() || IsBlankChar(value[componentName.size()]))) {
    return value.substr(0, componentName.size());
  }
  std::size_t end = begin;
  while (end < rest.size() && !IsBlankChar(rest[end])) ++end;
  return rest.substr(begin, end - begin);
}

}  // namespace tamvo
