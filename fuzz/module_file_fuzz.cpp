// Any bytes as an exported module file. Loading either fails with a Failure
// or succeeds, and then:
// - saving without a command gives the same bytes;
// - after insert-all, delete-all or insert-header, saving succeeds (the text
//   the commands write comes from the file or from the commands themselves,
//   so the file's encoding holds it) unless the file reads both as UTF-8
//   and as cp932 and a command composed text that is not ASCII, and every
//   hidden line and every line of a statement that is neither blank nor a
//   comment is still there, in order, with its own bytes;
// - loading the saved file and running the command again gives the same
//   bytes: nothing drifts from one run to the next.

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "commands/commands.h"
#include "engine/failure.h"
#include "engine/statement.h"
#include "engine/text.h"
#include "host/module_file.h"
#include "tests/commands/fakes.h"

namespace tamvo {
namespace {

[[noreturn]] void Violated(const char* property, std::string_view bytes) {
  std::fprintf(stderr, "property violated: %s\nfile bytes: %s\n", property, std::string(bytes).c_str());
  std::abort();
}

// The file's hidden lines and the lines of its code statements (neither
// blank nor a comment, continued lines joined as the module shows them,
// hidden lines left out), as bytes: none of them may go.
std::vector<std::string_view> CodeLines(std::string_view bytes) {
  std::optional<ModuleFile> file;
  try {
    file.emplace(ModuleFile::Parse(bytes, u"Module1"));
  } catch (const Failure&) {
    Violated("the saved file can't be loaded", bytes);
  }
  MemoryModule& module = *file->Module();
  const LineNumber count = module.CountOfLines();
  std::vector<bool> isCode(static_cast<std::size_t>(count) + 1, false);
  const auto lineAt = [&](LineNumber line) -> std::u16string_view { return module.LineText(line); };
  for (LineNumber line = 1; line <= count;) {
    const JoinedStatement statement = JoinStatement(lineAt, line, count);
    for (; line <= statement.lastLine; ++line) isCode[line] = !IsBlankOrCommentLine(statement.text);
  }

  if (bytes.starts_with("\xEF\xBB\xBF")) bytes.remove_prefix(3);
  std::vector<std::string_view> code;
  LineNumber fileLine = 0;
  LineNumber moduleLinesAbove = 0;
  while (!bytes.empty()) {
    const std::size_t end = std::min(bytes.find_first_of("\r\n"), bytes.size());
    const LineNumber moduleLine = file->LineMap().ModuleLineOfFileLine(++fileLine);
    const bool hidden = moduleLine == moduleLinesAbove;
    if (hidden || isCode[moduleLine]) code.push_back(bytes.substr(0, end));
    moduleLinesAbove = moduleLine;
    bytes.remove_prefix(end);
    if (bytes.starts_with("\r\n")) {
      bytes.remove_prefix(2);
    } else if (!bytes.empty()) {
      bytes.remove_prefix(1);
    }
  }
  return code;
}

// Nothing when the file rightly refuses what the command wrote.
std::optional<std::string> Run(std::string_view bytes, Command command) {
  ModuleFile file = ModuleFile::Parse(bytes, u"Module1");
  MemoryVbe vbe(file.Module());
  EventTable events;
  events.InitEventTable();
  test::FakeUi ui;
  test::FakeSettings settings;
  ui.answer = u"Author";
  Commands(vbe, events, ui, settings).Run(command);
  try {
    return file.Serialize();
  } catch (const Failure&) {
    if (file.ReadsBothWays()) return std::nullopt;
    Violated("the file can't hold what a command wrote", bytes);
  }
}

}  // namespace
}  // namespace tamvo

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace tamvo;
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  try {
    if (ModuleFile::Parse(bytes, u"Module1").Serialize() != bytes)
      Violated("load and save changed the bytes", bytes);
  } catch (const Failure&) {
    return 0;  // binary, or not valid in its encoding
  }
  const auto code = CodeLines(bytes);
  for (const Command command :
       {Command::InsertAllProcComments, Command::InsertModuleHeader, Command::DeleteAllProcComments}) {
    const auto saved = Run(bytes, command);
    if (!saved) continue;
    if (CodeLines(*saved) != code) Violated("a command changed the file's code lines", bytes);
    try {
      if (Run(*saved, command) != saved) Violated("a second run on the saved file changed it", bytes);
    } catch (const Failure&) {
      Violated("the saved file can't be loaded", bytes);
    }
  }
  return 0;
}
