// The six commands on any module text, in the in-memory editor. What must
// hold for every module, not only that nothing crashes:
// - code lines (of statements neither blank nor a comment) are never added,
//   removed or changed, by any command;
// - insert-all twice gives what insert-all once gives, and so do a second
//   insert-header and a second insert-proc at the caret the first one left
//   (in a module without ambiguous names, below);
// - delete-all after insert-all gives what delete-all alone gives, and
//   delete-header after insert-header what delete-header alone gives;
// - update-all twice gives what update-all once gives, update-all after
//   insert-all changes nothing, and update-header twice is once;
// - the procedure index that edits keep up to date answers as one built
//   afresh from the edited lines;
// - the one failure a command may report is a parameter list that is never
//   closed;
// - a comment continued with " _" is kept or removed whole, by any command:
//   every continued comment of the result is one of the module's, and no
//   line it continued onto stands alone;
// - lint finds something where update-all changes something, and update-all
//   changes something where lint finds something of the rules update mends.
//
// Input: the module text in UTF-8; its last two bytes also place the caret.

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "commands/commands.h"
#include "commands/lint.h"
#include "engine/statement.h"
#include "engine/text.h"
#include "host/memory_module.h"
#include "tests/commands/fakes.h"

namespace tamvo {
namespace {

using Lines = std::vector<std::u16string>;

[[noreturn]] void Violated(const char* property, const std::string& detail = {}) {
  std::fprintf(stderr, "property violated: %s\n%s\n", property, detail.c_str());
  std::abort();
}

Lines LinesOf(MemoryModule& module) {
  Lines lines;
  for (LineNumber line = 1; line <= module.CountOfLines(); ++line) lines.emplace_back(module.LineText(line));
  return lines;
}

// The lines as text to print: a NUL shows as "\0", so that a report is not
// cut short where a module holds one.
std::string Show(const Lines& lines) {
  std::string text;
  for (const auto& line : lines) {
    for (const char c : ToUtf8(line)) text += c == '\0' ? std::string("\\0") : std::string(1, c);
    text += "\n";
  }
  return text;
}

// The lines of the statements that are neither blank nor a comment: every
// line of a comment continued with " _" is comment.
Lines CodeLines(const Lines& lines) {
  Lines code;
  const auto count = static_cast<LineNumber>(lines.size());
  const auto lineAt = [&](LineNumber line) -> std::u16string_view { return lines[line - 1]; };
  for (LineNumber line = 1; line <= count;) {
    const JoinedStatement statement = JoinStatement(lineAt, line, count);
    if (!IsBlankOrCommentLine(statement.text)) {
      code.insert(code.end(), lines.begin() + (line - 1), lines.begin() + statement.lastLine);
    }
    line = statement.lastLine + 1;
  }
  return code;
}

// Every line's procedure with the procedure's start and body line, as the
// module answers them.
std::vector<std::u16string> Layout(MemoryModule& module) {
  std::vector<std::u16string> layout;
  for (LineNumber line = 1; line <= module.CountOfLines(); ++line) {
    ProcKind kind = ProcKind::Proc;
    const std::u16string name = module.ProcOfLine(line, kind);
    layout.push_back(name.empty() ? u"-"
                                  : name + u'/' + FromUtf8(std::to_string(static_cast<int>(kind))) + u'@' +
                                        FromUtf8(std::to_string(module.ProcStartLine(name, kind))) + u':' +
                                        FromUtf8(std::to_string(module.ProcBodyLine(name, kind))));
  }
  return layout;
}

// The module after a command run `times` times, as a user pressing its button
// again would; the caret matters only to the -proc commands.
Lines Apply(const Lines& lines, Command command, LineNumber caret = 1, int times = 1,
            bool* failed = nullptr) {
  auto module = std::make_shared<MemoryModule>(u"Module1", lines);
  MemoryVbe vbe(module);
  vbe.Pane().SetSelection(caret, 1, caret, 1);
  EventTable events;
  events.InitEventTable();
  test::FakeUi ui;
  test::FakeSettings settings;
  // A line break in the author must not write a line of code.
  ui.answer = u"作成者\r\nSub Injected()";
  Commands commands(vbe, events, ui, settings);
  for (int i = 0; i < times; ++i) commands.Run(command);

  if (failed) *failed = !ui.messages.empty();
  for (const auto& message : ui.messages) {
    if (!message.text.starts_with(u"Invalid procedure call or argument: the parameter list has no closing")) {
      Violated("a command reported a failure of its own making", ToUtf8(message.text));
    }
  }
  Lines after = LinesOf(*module);
  MemoryModule fresh(u"Module1", after);
  if (Layout(*module) != Layout(fresh)) Violated("the kept index differs from a fresh one", Show(after));
  return after;
}

// Two procedures whose names differ only in letter case are one name to the
// editor, which calls that an ambiguous name: which of them the name means
// is the editor's choice, and the caret the first insert-proc leaves may
// then stand in the other one.
bool HasAmbiguousNames(const Lines& lines) {
  MemoryModule module(u"Module1", lines);
  std::set<std::pair<std::u16string, ProcKind>> names;
  for (LineNumber line = 1; line <= module.CountOfLines(); ++line) {
    ProcKind kind = ProcKind::Proc;
    const std::u16string name = module.ProcOfLine(line, kind);
    if (!name.empty()) names.emplace(name, kind);
  }
  std::set<std::pair<std::u16string, ProcKind>> folded;
  for (const auto& [name, kind] : names) {
    if (!folded.emplace(ToLowerAscii(name), kind).second) return true;
  }
  return false;
}

// The module's comments continued with " _", each as its lines, and the
// lines that are no part of one.
struct Comments {
  std::multiset<Lines> continued;
  std::multiset<std::u16string> alone;
};

Comments CommentsOf(const Lines& lines) {
  Comments comments;
  const auto count = static_cast<LineNumber>(lines.size());
  const auto lineAt = [&](LineNumber line) -> std::u16string_view { return lines[line - 1]; };
  for (LineNumber line = 1; line <= count;) {
    const JoinedStatement statement = JoinStatement(lineAt, line, count);
    if (statement.lastLine > line && IsBlankOrCommentLine(statement.text)) {
      comments.continued.emplace(lines.begin() + (line - 1), lines.begin() + statement.lastLine);
    } else {
      for (LineNumber l = line; l <= statement.lastLine; ++l) comments.alone.insert(lines[l - 1]);
    }
    line = statement.lastLine + 1;
  }
  return comments;
}

void ExpectCommentsWhole(const Comments& before, const Lines& after, const std::string& what) {
  const Comments now = CommentsOf(after);
  // Lines the commands write themselves may well read as such a line: a
  // parameter the editor would refuse, "_", gives "' * @param _", which
  // continues onto the block's next line.
  const auto written = [](std::u16string_view line) {
    return line.starts_with(u"'/**") || line.starts_with(u"' *") || line.starts_with(u"'*/") || line.empty();
  };
  for (const Lines& comment : now.continued) {
    if (now.continued.count(comment) > before.continued.count(comment) &&
        !std::all_of(comment.begin(), comment.end(), written))
      Violated("a continued comment was cut", what + " gave:\n" + Show(after));
  }
  for (const Lines& comment : before.continued) {
    for (std::size_t i = 1; i < comment.size(); ++i) {
      if (!written(comment[i]) && now.alone.count(comment[i]) > before.alone.count(comment[i]))
        Violated("a continued comment lost its first line", what + " gave:\n" + Show(after));
    }
  }
}

bool IsMendedByUpdate(LintRule rule) {
  switch (rule) {
    case LintRule::SummaryEmpty:
    case LintRule::HeaderStale:
    case LintRule::ParamUndescribed:
    case LintRule::ReturnUndescribed:
      return false;
    default:
      return true;
  }
}

void Expect(const Lines& actual, const Lines& expected, const char* property) {
  if (actual != expected) Violated(property, "got:\n" + Show(actual) + "expected:\n" + Show(expected));
}

}  // namespace
}  // namespace tamvo

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  using namespace tamvo;
  FuzzedDataProvider data(bytes, size);
  const auto caretSeed = data.ConsumeIntegral<std::uint16_t>();
  const Lines lines = SplitLines(FromUtf8(data.ConsumeRemainingBytesAsString()));
  const Lines code = CodeLines(lines);
  const Comments comments = CommentsOf(lines);
  const LineNumber count = static_cast<LineNumber>(lines.size());
  const LineNumber caret = count == 0 ? 1 : 1 + caretSeed % count;

  for (const Command command :
       {Command::InsertCurrentProcComment, Command::InsertAllProcComments, Command::InsertModuleHeader,
        Command::DeleteCurrentProcComment, Command::DeleteAllProcComments, Command::DeleteModuleHeader,
        Command::UpdateCurrentProcComment, Command::UpdateAllProcComments, Command::UpdateModuleHeader}) {
    // Without lines there is no caret line for the -proc commands to ask about.
    if (count == 0 &&
        (command == Command::InsertCurrentProcComment || command == Command::DeleteCurrentProcComment ||
         command == Command::UpdateCurrentProcComment))
      continue;
    const Lines after = Apply(lines, command, caret);
    const std::string what = "command " + std::to_string(static_cast<int>(command));
    if (CodeLines(after) != code) Violated("a command changed code lines", what + " on:\n" + Show(lines));
    ExpectCommentsWhole(comments, after, what);
  }

  const Lines inserted = Apply(lines, Command::InsertAllProcComments);
  Expect(Apply(inserted, Command::InsertAllProcComments), inserted, "insert-all twice differs from once");
  const Lines deleted = Apply(lines, Command::DeleteAllProcComments);
  Expect(Apply(inserted, Command::DeleteAllProcComments), deleted,
         "delete-all after insert-all differs from delete-all");

  bool updateFailed = false;
  const Lines updated = Apply(lines, Command::UpdateAllProcComments, 1, 1, &updateFailed);
  if (!updateFailed) {
    MemoryModule module(u"Module1", lines);
    bool found = false;
    bool mended = false;
    for (const LintFinding& finding : LintModule(module)) {
      found = true;
      mended = mended || IsMendedByUpdate(finding.rule);
    }
    if (updated != lines && !found) Violated("update-all changed a module lint finds clean", Show(lines));
    if (updated == lines && mended) Violated("lint found what update-all leaves as it is", Show(lines));
  }
  Expect(Apply(updated, Command::UpdateAllProcComments), updated, "update-all twice differs from once");
  Expect(Apply(inserted, Command::UpdateAllProcComments), inserted,
         "update-all after insert-all changed something");
  const Lines updatedHeader = Apply(lines, Command::UpdateModuleHeader);
  Expect(Apply(updatedHeader, Command::UpdateModuleHeader), updatedHeader,
         "update-header twice differs from once");

  const Lines header = Apply(lines, Command::InsertModuleHeader);
  Expect(Apply(header, Command::InsertModuleHeader), header, "insert-header twice differs from once");
  Expect(Apply(header, Command::DeleteModuleHeader), Apply(lines, Command::DeleteModuleHeader),
         "delete-header after insert-header differs from delete-header");

  if (count > 0 && !HasAmbiguousNames(lines)) {
    Expect(Apply(lines, Command::InsertCurrentProcComment, caret, 2),
           Apply(lines, Command::InsertCurrentProcComment, caret), "insert-proc twice differs from once");
  }
  return 0;
}
