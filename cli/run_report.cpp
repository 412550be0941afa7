#include "cli/run_report.h"

#include <string>

#include "engine/text.h"

namespace tamvo {

std::vector<LineNumber> FileLinesOfModuleLines(const ModuleFile& file) {
  std::vector<LineNumber> fileLines(static_cast<std::size_t>(file.Module()->CountOfLines()) + 1, 0);
  for (std::size_t line = 1; line < fileLines.size(); ++line) {
    fileLines[line] = file.FileLineOfModuleLine(static_cast<LineNumber>(line));
  }
  return fileLines;
}

RunReport::RunReport(Command command, const ModuleFile& file) : file_(file) {
  CodeModule& module = *file.Module();
  switch (command) {
    case Command::InsertModuleHeader:
      replaced_ = HandWrittenModuleHeader(module);
      if (!replaced_.empty()) {
        const auto count = replaced_.front().count;
        for (LineNumber line = 1; line <= count && !headerBlock_; ++line) {
          headerBlock_ = module.Lines(line, 1).find(u"@modulename") != std::u16string::npos;
        }
        headerBlock_ = headerBlock_ && TrimSpaces(module.Lines(1, 1)) == u"'/**";
      }
      break;
    default:
      break;
  }
}

void RunReport::Write(std::ostream& err, const std::string& fileName, const Commands& commands) const {
  // Standard error is unbuffered: the lines go out in pieces of some 64 KiB,
  // not a system call for every part of every line, nor a copy of a report
  // of a hundred thousand lines.
  constexpr std::size_t kPiece = 1 << 16;
  std::string report;
  auto line = [&](const std::string& text) {
    report += text;
    if (report.size() < kPiece) return;
    err << report;
    report.clear();
  };
  auto fileLine = [&](LineNumber moduleLine) {
    return std::to_string(file_.FileLineOfModuleLine(moduleLine));
  };
  for (const auto& removed : commands.RemovedTags()) {
    line(fileName + ':' + fileLine(removed.line) + ": removed \"" + ToUtf8(removed.tag) + "\" (" +
         ToUtf8(removed.reason) + ")\n");
  }
  // What an insert of procedure comments replaced the insert noted as it
  // read each procedure; that of the header was looked at before the run.
  for (const auto* replaced : {&commands.HandWrittenComments(), &replaced_}) {
    for (const auto& comment : *replaced) {
      line(fileName + ':' + fileLine(comment.line) + ": replaced " + std::to_string(comment.count) +
           " comment lines written by hand " +
           (!comment.procName.empty() ? "above " + ToUtf8(comment.procName) + " (update-all keeps them)"
            : headerBlock_            ? "at the top of the module (update-header keeps them)"
                                      : "at the top of the module") +
           '\n');
    }
  }
  err << report;
}

}  // namespace tamvo
