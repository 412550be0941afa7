// The command line as a user runs it, whole processes side by side with cat
// of the same bytes to the same place (/dev/null), in one run:
//   ProcessInsertAll  insert-all to standard output on a module of 90,000
//                     lines (20,000 procedures); goal x_cat <= 5.
//   ProcessCheckMany  insert-all --check over 500 modules in one process;
//                     goal x_cat <= 3.
//   ProcessPeakMemory insert-all on a module of 1,000,000 lines; goal
//                     bytes_per_line (peak resident memory over the input's
//                     lines) <= 100.
//   ProcessLeastInsert the least any insert-all must do (least_insert.cpp)
//                     on the module of ProcessInsertAll: the floor under
//                     its x_cat on this machine.
// Each iteration runs cat and tamvo once each; x_cat is tamvo's total time
// over cat's. TAMVO_BENCH_BINARY names another tamvo to race (an older
// build, say); by default it is the one built with the benchmarks.

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

extern char** environ;

namespace tamvo {
namespace {

namespace fs = std::filesystem;

// A module of about 4.5 lines a procedure, short lines as real modules
// have them (about 19 bytes), cp932 with some Japanese text, CR LF: half
// the procedures carry an old comment, a third have a continued
// declaration, one is an event procedure.
std::string GeneratedModuleFile(int procedures) {
  std::string text = "Attribute VB_Name = \"mdlBig\"\r\nOption Explicit\r\nPrivate m As Long\r\n";
  for (int i = 0; i < procedures; ++i) {
    const std::string name = "P" + std::to_string(i);
    if (i % 2 == 0) text += "' \x8C\xC3\x82\xA2\r\n";  // "古い" in cp932
    if (i % 3 == 0) {
      text += "Function " + name + "(a, b) As Long\r\n " + name + " = a\r\nEnd Function\r\n";
    } else if (i % 3 == 1) {
      text += "Sub " + name + "(ByVal s _\r\n , t)\r\nEnd Sub\r\n";
    } else {
      text += (i == 2 ? std::string("Sub Form_Load()") : "Sub " + name + "()") + "\r\n m = 1\r\nEnd Sub\r\n";
    }
    text += "\r\n";
  }
  return text;
}

class Folder {
 public:
  Folder() : path_(fs::temp_directory_path() / ("tamvo-process-bench-" + std::to_string(::getpid()))) {
    fs::create_directories(path_);
  }
  ~Folder() { fs::remove_all(path_); }
  fs::path Write(const std::string& name, const std::string& bytes) const {
    std::ofstream(path_ / name, std::ios::binary) << bytes;
    return path_ / name;
  }
  const fs::path& Path() const { return path_; }

 private:
  fs::path path_;
};

struct Run {
  double seconds = 0;
  long peakKilobytes = 0;
  int status = 0;
};

// Runs the program with standard output and error to /dev/null.
Run Spawn(const std::vector<std::string>& args, const fs::path& home) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  std::vector<char*> argv;
  for (const auto& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);
  const std::string homeVariable = "HOME=" + home.string();
  std::vector<char*> env{const_cast<char*>(homeVariable.c_str()), nullptr};
  Run run;
  const auto start = std::chrono::steady_clock::now();
  pid_t pid = 0;
  if (posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), env.data()) != 0) {
    run.status = -1;
  } else {
    rusage usage{};
    wait4(pid, &run.status, 0, &usage);
    run.peakKilobytes = usage.ru_maxrss;
  }
  run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  posix_spawn_file_actions_destroy(&actions);
  return run;
}

// The tamvo to race.
std::string Tamvo() {
  const char* other = std::getenv("TAMVO_BENCH_BINARY");
  return other ? other : TAMVO_BINARY;
}

// A command (tamvo, say) against cat on the same files; exit 1 is
// --check's "would change".
void Race(benchmark::State& state, std::vector<std::string> tamvo, const std::vector<fs::path>& files,
          const fs::path& home, long inputLines) {
  std::vector<std::string> cat{"cat"};
  for (const auto& file : files) {
    tamvo.push_back(file.string());
    cat.push_back(file.string());
  }
  double tamvoSeconds = 0;
  double catSeconds = 0;
  long peakKilobytes = 0;
  for (auto _ : state) {
    catSeconds += Spawn(cat, home).seconds;
    const Run run = Spawn(tamvo, home);
    if (!WIFEXITED(run.status) || WEXITSTATUS(run.status) > 1) state.SkipWithError("tamvo failed");
    tamvoSeconds += run.seconds;
    peakKilobytes = std::max(peakKilobytes, run.peakKilobytes);
    state.SetIterationTime(run.seconds);
  }
  state.counters["x_cat"] = tamvoSeconds / catSeconds;
  state.counters["cat_ms"] = benchmark::Counter(catSeconds * 1000, benchmark::Counter::kAvgIterations);
  state.counters["peak_MB"] = static_cast<double>(peakKilobytes) / 1024;
  state.counters["bytes_per_line"] =
      static_cast<double>(peakKilobytes) * 1024 / static_cast<double>(inputLines);
}

// Lines in the generated module of that many procedures.
long LinesOf(const std::string& bytes) {
  return static_cast<long>(std::count(bytes.begin(), bytes.end(), '\n'));
}

void BM_ProcessInsertAll(benchmark::State& state) {
  const Folder folder;
  const std::string bytes = GeneratedModuleFile(20000);
  const fs::path file = folder.Write("mdlBig.bas", bytes);
  Race(state, {Tamvo(), "insert-all"}, {file}, folder.Path(), LinesOf(bytes));
}

void BM_ProcessLeastInsert(benchmark::State& state) {
  const Folder folder;
  const std::string bytes = GeneratedModuleFile(20000);
  const fs::path file = folder.Write("mdlBig.bas", bytes);
  Race(state, {LEAST_INSERT_BINARY}, {file}, folder.Path(), LinesOf(bytes));
}

void BM_ProcessCheckMany(benchmark::State& state) {
  const Folder folder;
  std::vector<fs::path> files;
  long lines = 0;
  for (int i = 0; i < 500; ++i) {
    const std::string bytes = GeneratedModuleFile(10 + i % 60);
    lines += LinesOf(bytes);
    files.push_back(folder.Write("mdl" + std::to_string(i) + ".bas", bytes));
  }
  Race(state, {Tamvo(), "--check", "insert-all"}, files, folder.Path(), lines);
}

void BM_ProcessPeakMemory(benchmark::State& state) {
  const Folder folder;
  const std::string bytes = GeneratedModuleFile(222222);
  const fs::path file = folder.Write("mdlHuge.bas", bytes);
  Race(state, {Tamvo(), "insert-all"}, {file}, folder.Path(), LinesOf(bytes));
}

BENCHMARK(BM_ProcessInsertAll)->Name("ProcessInsertAll")->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ProcessLeastInsert)->Name("ProcessLeastInsert")->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ProcessCheckMany)->Name("ProcessCheckMany")->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ProcessPeakMemory)
    ->Name("ProcessPeakMemory")
    ->UseManualTime()
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tamvo
