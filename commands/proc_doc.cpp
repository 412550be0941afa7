#include "commands/proc_doc.h"

#include <algorithm>

#include "commands/commands.h"
#include "engine/declaration.h"
#include "engine/text.h"

namespace tamvo {

namespace {

bool IsModuleNameTag(const DocTag& tag) {
  return tag.kind == DocTagKind::Other && EqualsIgnoreCase(tag.word, u"@modulename");
}

bool IsBlankChar(char16_t c) { return c == u' ' || c == u'\t'; }

// What follows name in text, when text starts with the whole name.
std::optional<std::u16string> AfterName(std::u16string_view text, std::u16string_view name) {
  if (!text.starts_with(name)) return std::nullopt;
  if (text.size() > name.size() && !IsBlankChar(text[name.size()]) && text[name.size()] != u':') {
    return std::nullopt;
  }
  return std::u16string(text.substr(name.size()));
}

struct ParamMatch {
  std::size_t index;
  std::u16string type;
  std::u16string rest;
};

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
      if (auto rest = AfterName(afterType, params[p])) return ParamMatch{p, tag.type, std::move(*rest)};
      if (auto rest = AfterName(whole, params[p]); rest && !tag.type.empty()) {
        return ParamMatch{p, {}, std::move(*rest)};
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
    for (std::size_t i = 0; i < doc.lines.size() && !doc.foreignLine; ++i) {
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
        if (!match.isFunction) {
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
  if (match.staleParams.size() == 1 && missing.size() == 1) {
    match.renamedTag = match.staleParams.front();
    match.renamedParam = missing.front();
  }
  return match;
}

HeaderDoc ReadHeaderDoc(CodeModule& module) {
  HeaderDoc header;
  const LineNumber count = module.CountOfLines();
  for (LineNumber line = 1; line <= count; ++line) {
    std::u16string text = module.Lines(line, 1);
    if (!text.starts_with(u'\'')) break;
    const bool closing = TrimSpaces(text) == u"' */" || TrimSpaces(text) == u"'*/";
    header.lines.push_back(std::move(text));
    if (closing) break;
  }
  header.block = ReadDocBlockAt(header.lines, 0);
  if (header.block) {
    for (std::size_t t = 0; t < header.block->tags.size() && !header.nameTag; ++t) {
      if (IsModuleNameTag(header.block->tags[t])) header.nameTag = t;
    }
    if (!header.nameTag) header.block.reset();
  }
  return header;
}

std::u16string_view ModuleNameValue(const DocTag& tag) {
  const std::u16string_view rest = tag.rest;
  std::size_t begin = 0;
  while (begin < rest.size() && IsBlankChar(rest[begin])) ++begin;
  std::size_t end = begin;
  while (end < rest.size() && !IsBlankChar(rest[end])) ++end;
  return rest.substr(begin, end - begin);
}

}  // namespace tamvo
