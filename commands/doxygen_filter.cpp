#include "commands/doxygen_filter.h"

#include <algorithm>

#include "commands/proc_doc.h"
#include "engine/declaration.h"
#include "engine/doc_block.h"
#include "engine/text.h"

namespace tamvo {

namespace {

// Tags whose text doxygen takes as a paragraph, without an argument of its
// own that it would check.
constexpr std::u16string_view kParagraphCommands[] = {
    u"see",     u"sa",   u"note",    u"remark",    u"remarks", u"deprecated", u"since", u"author", u"authors",
    u"version", u"todo", u"warning", u"attention", u"bug",     u"date",       u"pre",   u"post",
};

bool IsParagraphCommand(std::u16string_view word) {
  return std::any_of(std::begin(kParagraphCommands), std::end(kParagraphCommands),
                     [&](std::u16string_view command) { return EqualsIgnoreCase(word, command); });
}

std::u16string Line(std::u16string_view text) { return u" * " + EscapeDoxygen(text); }

// VBA's types as C++ reads a type: "Excel.Range" becomes "Excel::Range".
std::u16string CppType(std::u16string_view type) {
  std::u16string cpp;
  for (const char16_t c : type) {
    if (c == u'.') {
      cpp += u"::";
    } else {
      cpp += c;
    }
  }
  return cpp.empty() ? u"Variant" : cpp;
}

bool Returns(const Declaration& declaration) {
  return declaration.keyword == u"Function" || declaration.keyword == u"Property Get";
}

std::u16string CppDeclaration(const Declaration& declaration, bool isStatic) {
  std::u16string out = EqualsIgnoreCase(declaration.scope, u"Private") ? u"private: " : u"public: ";
  if (isStatic) out += u"static ";
  out += Returns(declaration) ? CppType(declaration.returnType) : u"void";
  out += u" " + std::u16string(declaration.name) + u"(";
  for (std::size_t i = 0; i < declaration.params.size(); ++i) {
    const auto& param = declaration.params[i];
    if (i > 0) out += u", ";
    out += CppType(param.type) + u" " + std::u16string(param.name);
    if (param.array || param.paramArray) out += u"[]";
    if (!param.defaultValue.empty()) out += u" = " + std::u16string(param.defaultValue);
  }
  return out + u");";
}

// A procedure's declaration and its block's tags matched with it.
struct Declared {
  const Declaration& declaration;
  const TagMatch& match;
};

// The block's lines, lines[block.open] to lines[block.close], as a doxygen
// comment. The @param tags update keeps for a parameter become @param; the
// procedure's return (for what returns a value) becomes @return.
void ConvertBlock(const DocBlock& block, const std::vector<std::u16string>& lines,
                  const std::optional<Declared>& declared, std::vector<std::u16string>& out) {
  out.assign(block.close - block.open + 1, std::u16string());
  out.front() = u"/**";
  out.back() = u" */";
  // The summary's first line is the brief, as a JavaDoc summary's first
  // sentence is; the lines after it are the details.
  bool briefWritten = false;
  bool detailsWritten = false;
  for (std::size_t i = block.open + 1; i < block.SummaryEnd(); ++i) {
    const std::u16string_view text = DocLineText(lines[i]);
    const bool empty = text.find_first_not_of(u" \t") == std::u16string_view::npos;
    // The template's "." is a summary still to be written.
    if (!briefWritten && !empty && text != u".") {
      out[i - block.open] = u" * @brief " + EscapeDoxygen(text);
      briefWritten = true;
    } else if (briefWritten && !detailsWritten && !empty) {
      out[i - block.open] = u" * @details " + EscapeDoxygen(text);
      detailsWritten = true;
    } else if (text != u"." || briefWritten) {
      out[i - block.open] = Line(text);
    }
  }
  const bool returns = declared && Returns(declared->declaration);
  for (std::size_t t = 0; t < block.tags.size(); ++t) {
    const DocTag& tag = block.tags[t];
    std::u16string& line = out[tag.line - block.open];
    if (const auto p = declared ? declared->match.ParamOf(t) : std::nullopt) {
      // The name as declared: doxygen matches it with the declaration's.
      line = u" * @param " + std::u16string(declared->declaration.params[*p].name) + u" " +
             EscapeDoxygen(WithoutSeparator(declared->match.paramRest[*p]));
    } else if (tag.kind == DocTagKind::Return && returns) {
      line = u" * @return " + EscapeDoxygen(WithoutSeparator(tag.rest));
    } else if (tag.kind == DocTagKind::Other && IsParagraphCommand(std::u16string_view(tag.word).substr(1))) {
      line = u" * @" + tag.word.substr(1) + u" " + EscapeDoxygen(WithoutSeparator(tag.rest));
    } else {
      // A paragraph of its own, titled with the tag as written: plain text
      // would run on in the brief or in the @param above it.
      line = u" * @par " +
             EscapeDoxygen(tag.word + tag.type + (tag.name.empty() ? u"" : u" " + tag.name) + tag.rest);
    }
    for (std::size_t k = 1; k <= tag.continuation; ++k)
      out[tag.line + k - block.open] = Line(DocLineText(lines[tag.line + k]));
  }
}

}  // namespace

std::u16string EscapeDoxygen(std::u16string_view text) {
  std::u16string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char16_t c = text[i];
    if (std::u16string_view(u"\\@<>&#%$").find(c) != std::u16string_view::npos) out += u'\\';
    out += c;
    if (c == u'*' && i + 1 < text.size() && text[i + 1] == u'/') out += u' ';
  }
  return out;
}

std::vector<std::u16string> FilterForDoxygen(CodeModule& module, ModuleKind kind, LineNumber fileLineCount,
                                             const std::function<LineNumber(LineNumber)>& fileLine) {
  std::vector<std::u16string> out(static_cast<std::size_t>(std::max<LineNumber>(fileLineCount, 1)));
  auto at = [&](LineNumber moduleLine) -> std::u16string& {
    return out[static_cast<std::size_t>(fileLine(moduleLine) - 1)];
  };
  std::vector<std::u16string> converted;

  // The module header documents the class, which opens right after it.
  const std::u16string opening = u"class " + module.ComponentName() + u" { ";
  const HeaderDoc header = ReadHeaderDoc(module);
  if (header.block) {
    ConvertBlock(*header.block, header.lines, std::nullopt, converted);
    for (std::size_t i = 0; i < converted.size(); ++i) {
      at(static_cast<LineNumber>(header.block->open + i + 1)) = converted[i];
    }
    at(static_cast<LineNumber>(header.block->close + 1)) += u" " + opening;
  }

  for (LineNumber line = module.CountOfLines(); line > 0;) {
    const auto proc = module.ProcLinesOfLine(line);
    if (!proc) break;
    line = proc->start - 1;
    const ProcDoc doc = ReadProcDoc(module, *proc);
    const auto declaration = ReadDeclaration(doc.declaration);
    if (!declaration) continue;
    if (doc.block) {
      const TagMatch match = MatchTags(*doc.block, proc->kind, doc.declaration);
      ConvertBlock(*doc.block, doc.lines, Declared{*declaration, match}, converted);
      for (std::size_t i = 0; i < converted.size(); ++i) {
        at(doc.first + static_cast<LineNumber>(doc.block->open + i)) = converted[i];
      }
    }
    at(proc->body) += CppDeclaration(*declaration, kind == ModuleKind::Standard);
  }
  if (!header.block) out.front().insert(0, opening);
  out.back() += u" };";
  return out;
}

}  // namespace tamvo
