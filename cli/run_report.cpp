#include "cli/run_report.h"

#include <sstream>

#include "engine/text.h"

namespace tamvo {

std::vector<LineNumber> FileLinesOfModuleLines(const ModuleFile& file) {
  std::vector<LineNumber> fileLines(static_cast<std::size_t>(file.Module()->CountOfLines()) + 1, 0);
  for (std::size_t line = 1; line < fileLines.size(); ++line) {
    fileLines[line] = file.FileLineOfModuleLine(static_cast<LineNumber>(line));
  }
  return fileLines;
}

RunReport::RunReport(Command command, const ModuleFile& file, LineNumber /*moduleLine*/,
                     const EventTable& /*events*/)
    : file_(file) {
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
  // One write for the whole report: standard error is unbuffered, and a
  // module of thousands of procedures would otherwise cost a system call
  // for every piece of every line.
  std::ostringstream report;
  auto fileLine = [&](LineNumber line) { return file_.FileLineOfModuleLine(line); };
  for (const auto& removed : commands.RemovedTags()) {
    report << fileName << ':' << fileLine(removed.line) << ": removed \"" << ToUtf8(removed.tag) << "\" ("
           << ToUtf8(removed.reason) << ")\n";
  }
  // What an insert of procedure comments replaced the insert noted as it
  // read each procedure; that of the header was looked at before the run.
  for (const auto* replaced : {&commands.HandWrittenComments(), &replaced_}) {
    for (const auto& comment : *replaced) {
      report << fileName << ':' << fileLine(comment.line) << ": replaced " << comment.count
             << " comment lines written by hand "
             << (!comment.procName.empty() ? "above " + ToUtf8(comment.procName) + " (update-all keeps them)"
                 : headerBlock_            ? "at the top of the module (update-header keeps them)"
                                           : "at the top of the module")
             << '\n';
    }
  }
  err << report.str();
}

}  // namespace tamvo
