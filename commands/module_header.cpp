// The module header: a comment at the top of the module with the module's
// name and its author.

#include <optional>
#include <span>
#include <vector>

#include "commands/commands.h"
#include "engine/comment_block.h"
#include "engine/doc_block.h"
#include "engine/failure.h"
#include "engine/statement.h"
#include "engine/text.h"

namespace tamvo {

namespace {

std::u16string OnOneLine(std::u16string_view text) {
  std::u16string line;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == u'\r' || text[i] == u'\n') {
      if (text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') ++i;
      line += u' ';
    } else {
      line += text[i];
    }
  }
  return line;
}

// A control character (a NUL typed or from a damaged settings file) would
// make the module a binary file. A tab is an ordinary character of text, and
// line breaks (the editor's input box takes them) become spaces above.
std::optional<char16_t> ControlCharacterIn(std::u16string_view author) {
  for (const char16_t c : author) {
    if ((c < 0x20 && c != u'\t' && c != u'\r' && c != u'\n') || (c >= 0x7F && c <= 0x9F)) return c;
  }
  return std::nullopt;
}

}  // namespace

std::u16string ComposeModuleHeader(std::u16string_view componentName, std::u16string_view author) {
  std::u16string header;
  AppendLine(header, u"'/**");
  AppendLine(header, u"' * .");
  AppendLine(header, u"' * ");
  AppendLine(header, u"' * @modulename " + OnOneLine(componentName));
  AppendLine(header, u"' * @auther     " + OnOneLine(author));
  AppendLine(header, u"' * @version    1.0.0");
  AppendLine(header, u"' */");
  return header;
}

void Commands::InsertModuleHeader() { WriteModuleHeader(true); }

void Commands::WriteModuleHeader(bool replaceTop) {
  // Asking for the author comes before the error report is in force: its
  // failures are the front end's own.
  const std::u16string stored = settings_.GetSetting(kAuthorApplication, kAuthorSection, kAuthorKey, u"");
  const std::u16string author = ui_.InputBox(kAuthorPrompt, stored).value_or(u"");
  if (const auto control = ControlCharacterIn(author)) {
    static constexpr char16_t kDigits[] = u"0123456789ABCDEF";
    Report(Failure(u"the author holds the control character U+00" + std::u16string{kDigits[*control >> 4]} +
                   kDigits[*control & 0xF] + u"; give a name without control characters"));
    return;
  }
  settings_.SaveSetting(kAuthorApplication, kAuthorSection, kAuthorKey, author);

  // The new header is composed before the old one goes, so that a failure
  // leaves the module as it was.
  std::shared_ptr<CodeModule> module;
  std::u16string header;
  try {
    module = ActiveModule();
    header = ComposeModuleHeader(module->ComponentName(), author);
  } catch (const std::exception& failure) {
    // Without a module nothing can be lost: the removal reports that too.
    if (!module && replaceTop) DeleteModuleHeader();
    Report(failure);
    return;
  }
  if (replaceTop) DeleteModuleHeader();
  Trap([&] {
    module = ActiveModule();
    // A comment kept at the top stands apart from the header: an empty
    // line between.
    const bool keptComment =
        !replaceTop && module->CountOfLines() > 0 && TrimSpaces(module->Lines(1, 1)).starts_with(u'\'');
    if (keptComment) module->InsertLines(1, u"");
    module->InsertLines(1, header);
    module->CodePane()->SetSelection(2, 5, 2, 5);
  });
}

LineNumber ModuleHeaderLineCount(CodeModule& module) {
  const LineNumber count = module.CountOfLines();
  // Without a declarations section the first procedure's comment stands at
  // the top too: its own block, or what follows a header, is no part of
  // the header.
  LineNumber limit = count + 1;
  if (const auto proc = count > 0 ? module.ProcLinesOfLine(1) : std::nullopt) {
    LeadingLines lines(module, *proc);
    limit = CommentStartLine(lines, *proc);
    if (limit == 1) {
      std::vector<std::u16string> leading;
      for (LineNumber line = 1; line < proc->body; ++line) leading.emplace_back(lines.At(line));
      const auto block = FindLastDocBlock(leading);
      limit = block && !FindModuleHeader(std::span(leading).subspan(block->open))
                  ? static_cast<LineNumber>(block->open + 1)
                  : count + 1;
    }
  }
  // A comment continued with " _" goes whole: a line left of it would
  // become code. An annotation ('@Folder, '@ModuleDescription) is a
  // directive for another tool: the header ends there as it ends at a
  // statement.
  const auto lineAt = [&](LineNumber line) { return module.Lines(line, 1); };
  LineNumber end = 0;
  while (end + 1 < limit) {
    const std::u16string text = lineAt(end + 1);
    if (!text.starts_with(u'\'') || IsAnnotationLine(text)) break;
    const LineNumber last = JoinStatement(lineAt, end + 1, count).lastLine;
    if (last >= limit) break;
    end = last;
  }
  return end;
}

void Commands::DeleteModuleHeader() {
  Trap([&] {
    auto module = ActiveModule();
    if (const LineNumber count = ModuleHeaderLineCount(*module); count > 0) module->DeleteLines(1, count);
  });
}

}  // namespace tamvo
