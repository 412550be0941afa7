// The command line's path on a file of 1,000 to 100,000 lines: read, load,
// insert-all, save and write. Each iteration also times, on the same file,
// the same path without a command (read, load, save, write) and the bare
// read and write of its bytes; the counters x_load_save and x_read_write are
// the command line's time over theirs. insert-all must stay within three
// times the path without a command.

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "bench/generated_module.h"
#include "cli/tamvo_cli.h"
#include "engine/text.h"
#include "host/code_page.h"
#include "host/file_io.h"
#include "host/module_file.h"

namespace tamvo {
namespace {

namespace fs = std::filesystem;

// The generated module as an exported file: cp932, CR LF, with its name.
std::string GeneratedFile(std::int64_t lines) {
  std::u16string text = u"Attribute VB_Name = \"mdlBench\"\r\n";
  for (const auto& line : bench::GeneratedModule(lines)) text += line + u"\r\n";
  return CodePage("CP932").Encode(text);
}

class BenchFile {
 public:
  explicit BenchFile(std::int64_t lines)
      : folder_(fs::temp_directory_path() / ("tamvo-bench-" + std::to_string(::getpid()))),
        path_(folder_ / "mdlBench.bas"),
        bytes_(GeneratedFile(lines)) {
    fs::create_directories(folder_);
  }
  ~BenchFile() { fs::remove_all(folder_); }

  // The file as generated, before any command.
  void Restore() const { std::ofstream(path_, std::ios::binary) << bytes_; }
  const fs::path& Path() const { return path_; }
  const fs::path& Folder() const { return folder_; }

 private:
  fs::path folder_;
  fs::path path_;
  std::string bytes_;
};

void ReadAndWrite(const fs::path& path) { WriteFileAtomically(path, ReadFileBytes(path)); }

// What tamvo -i does to a file, without the command.
void LoadAndSave(const fs::path& path) {
  WriteFileAtomically(path, ModuleFile::Parse(ReadFileBytes(path), u"mdlBench").Serialize());
}

void BM_ReadWrite(benchmark::State& state) {
  const BenchFile file(state.range(0));
  file.Restore();
  for (auto _ : state) ReadAndWrite(file.Path());
  state.SetComplexityN(state.range(0));
}

void BM_CliInsertAll(benchmark::State& state) {
  using Clock = std::chrono::steady_clock;
  const BenchFile file(state.range(0));
  std::istringstream in;
  std::ostringstream out;
  std::ostringstream err;
  const CliEnvironment env{in, out, err, false, file.Folder() / "settings"};
  const std::vector<std::string> args{"insert-all", "-i", file.Path().string()};
  auto timed = [](auto&& work) {
    const auto start = Clock::now();
    work();
    return std::chrono::duration<double>(Clock::now() - start).count();
  };
  double cliSeconds = 0;
  double loadSaveSeconds = 0;
  double readWriteSeconds = 0;
  for (auto _ : state) {
    file.Restore();
    readWriteSeconds += timed([&] { ReadAndWrite(file.Path()); });
    file.Restore();
    loadSaveSeconds += timed([&] { LoadAndSave(file.Path()); });
    file.Restore();
    int code = kExitDone;
    const double seconds = timed([&] { code = RunTamvo(args, env); });
    if (code != kExitDone) state.SkipWithError(("tamvo failed: " + err.str()).c_str());
    state.SetIterationTime(seconds);
    cliSeconds += seconds;
  }
  state.counters["x_load_save"] = cliSeconds / loadSaveSeconds;
  state.counters["x_read_write"] = cliSeconds / readWriteSeconds;
  state.counters["load_save_ms"] =
      benchmark::Counter(loadSaveSeconds * 1000, benchmark::Counter::kAvgIterations);
  state.counters["read_write_ms"] =
      benchmark::Counter(readWriteSeconds * 1000, benchmark::Counter::kAvgIterations);
  state.SetComplexityN(state.range(0));
}

BENCHMARK(BM_ReadWrite)
    ->Name("ReadWrite")
    ->RangeMultiplier(10)
    ->Range(1000, 100000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oN);
BENCHMARK(BM_CliInsertAll)
    ->Name("CliInsertAll")
    ->RangeMultiplier(10)
    ->Range(1000, 100000)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oN);

}  // namespace
}  // namespace tamvo
