#include "cli/run_report.h"

#include <charconv>
#include <string>

#include "engine/text.h"

namespace tamvo {

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
  // of a hundred thousand lines. Each line is appended part by part: a
  // report may have a line for every procedure of every file.
  constexpr std::size_t kPiece = 1 << 16;
  std::string report;
  report.reserve(kPiece + 256);
  auto number = [&](LineNumber value) {
    char digits[16];
    const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    report.append(digits, end);
  };
  auto start = [&](LineNumber moduleLine) {
    report += fileName;
    report += ':';
    number(file_.LineMap().FileLineOfModuleLine(moduleLine));
  };
  auto end = [&] {
    report += '\n';
    if (report.size() < kPiece) return;
    err << report;
    report.clear();
  };
  for (const auto& removed : commands.RemovedTags()) {
    start(removed.line);
    report += ": removed \"";
    report += ToUtf8(removed.tag);
    report += "\" (";
    report += ToUtf8(removed.reason);
    report += ')';
    end();
  }
  // What an insert of procedure comments replaced the insert noted as it
  // read each procedure; that of the header was looked at before the run.
  for (const auto* replaced : {&commands.HandWrittenComments(), &replaced_}) {
    for (const auto& comment : *replaced) {
      start(comment.line);
      report += ": replaced ";
      number(comment.count);
      report += " comment lines written by hand ";
      if (!comment.procName.empty()) {
        report += "above ";
        report += ToUtf8(comment.procName);
        report += " (update-all keeps them)";
      } else {
        report +=
            headerBlock_ ? "at the top of the module (update-header keeps them)" : "at the top of the module";
      }
      end();
    }
  }
  err << report;
}

}  // namespace tamvo
