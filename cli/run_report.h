#pragma once
// What the command line tells on standard error about a command's run on
// one file, besides its failures: the tags an update removed, and the
// comment lines written by hand that an insert replaced. Lines are named as
// --line counts them, the hidden lines of the file included.

#include <ostream>
#include <string>
#include <vector>

#include "commands/commands.h"
#include "host/module_file.h"

namespace tamvo {

class RunReport {
 public:
  // Looks at the module before the command runs on it: only an insert of
  // the header needs to; the inserts of procedure comments note what they
  // replace as they go.
  RunReport(Command command, const ModuleFile& file);

  // After the command ran without failure:
  //   FILE:LINE: removed "@param old" (no such parameter)
  //   FILE:LINE: replaced N comment lines written by hand above NAME (update-all keeps them)
  void Write(std::ostream& err, const std::string& fileName, const Commands& commands) const;

 private:
  const ModuleFile& file_;                    // lines are told as its lines as loaded
  std::vector<HandWrittenComment> replaced_;  // by insert-header
  bool headerBlock_ = false;                  // the lines at the top are a header that update-header keeps
};

}  // namespace tamvo
