// tamvo docs over a project of 200,000 lines: 40 modules of 5,000 lines,
// every procedure with a filled-in doc block, read from files and written
// as Markdown pages and an index. The goal is under a second a run.

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "cli/tamvo_cli.h"
#include "engine/text.h"

namespace tamvo {
namespace {

namespace fs = std::filesystem;

// A module of about `lines` lines, UTF-8, each procedure documented.
std::string DocumentedModule(int index, std::int64_t lines) {
  std::string text = "Attribute VB_Name = \"mdlBench" + std::to_string(index) + "\"\r\nOption Explicit\r\n";
  std::int64_t count = 2;
  for (int i = 0; count + 12 <= lines; ++i, count += 12) {
    const std::string name = "Proc" + std::to_string(i);
    text += "\r\n'/**\r\n' * 合計に加える: " + name +
            ".\r\n' * @return the new total\r\n' * @param a - the amount\r\n"
            "' * @param Optional note - a note <kept> & escaped\r\n' * @see Reset\r\n' */\r\n"
            "Public Function " +
            name +
            "(ByVal a As Long, Optional ByRef note As String = \"\") As Long\r\n"
            "    mCount = mCount + a\r\n    " +
            name + " = mCount\r\nEnd Function\r\n";
  }
  return text;
}

void BM_DocsProject(benchmark::State& state) {
  const fs::path folder = fs::temp_directory_path() / ("tamvo-docs-bench-" + std::to_string(::getpid()));
  fs::create_directories(folder);
  std::vector<std::string> args{"docs", "-o", (folder / "pages").string()};
  for (int i = 0; i < 40; ++i) {
    const fs::path path = folder / ("mdlBench" + std::to_string(i) + ".bas");
    std::ofstream(path, std::ios::binary) << DocumentedModule(i, 5000);
    args.push_back(path.string());
  }
  std::istringstream in;
  std::ostringstream out;
  std::ostringstream err;
  for (auto _ : state) {
    // Written afresh each time, not skipped as unchanged.
    fs::remove_all(folder / "pages");
    const CliEnvironment env{in, out, err, false, std::nullopt};
    if (RunTamvo(args, env) != kExitDone) state.SkipWithError(err.str().c_str());
  }
  state.counters["lines"] = 200000;
  fs::remove_all(folder);
}
BENCHMARK(BM_DocsProject)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tamvo
