// How lint and update-all grow with the module: near linear, like the walks
// (ten times the lines, about ten times the time).

#include <benchmark/benchmark.h>

#include <memory>

#include "bench/generated_module.h"
#include "commands/lint.h"
#include "commands/update.h"
#include "host/memory_module.h"

namespace tamvo {
namespace {

// The generated module with a written block above each procedure, one the
// update has work on: a description to keep, two stale @param to remove (one
// alone would be a rename), a parameter and the @return to add.
std::vector<std::u16string> DocumentedModule(std::int64_t lines) {
  std::vector<std::u16string> documented;
  for (auto& line : bench::GeneratedModule(lines)) {
    if (line == u"' 古いコメント") {
      documented.insert(documented.end(), {u"'/**", u"' * 合計を数える.", u"' * @param a - 足す数",
                                           u"' * @param gone - 古い", u"' * @param old", u"' */"});
    } else {
      documented.push_back(std::move(line));
    }
  }
  return documented;
}

void BM_UpdateAll(benchmark::State& state) {
  const auto lines = DocumentedModule(state.range(0));
  EventTable events;
  events.InitEventTable();
  std::size_t removed = 0;
  for (auto _ : state) {
    state.PauseTiming();
    MemoryModule module(u"Module1", lines);
    state.ResumeTiming();
    removed = UpdateAllProcComments(module, events).size();
  }
  if (removed == 0) state.SkipWithError("the update removed no stale tag");
  state.SetComplexityN(state.range(0));
}

void BM_Lint(benchmark::State& state) {
  MemoryModule module(u"Module1", DocumentedModule(state.range(0)));
  std::size_t findings = 0;
  for (auto _ : state) findings = LintModule(module).size();
  if (findings == 0) state.SkipWithError("the lint found nothing");
  state.SetComplexityN(state.range(0));
}

BENCHMARK(BM_UpdateAll)
    ->Name("UpdateAllProcComments")
    ->RangeMultiplier(10)
    ->Range(1000, 100000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oN);
BENCHMARK(BM_Lint)
    ->Name("LintModule")
    ->RangeMultiplier(10)
    ->Range(1000, 100000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oN);

}  // namespace
}  // namespace tamvo
