// How the walks over every procedure grow with the module: they must stay
// near linear (ten times the lines, about ten times the time).

#include <benchmark/benchmark.h>

#include <memory>

#include "bench/generated_module.h"
#include "bench/quiet_services.h"
#include "commands/commands.h"
#include "host/memory_module.h"

namespace tamvo {
namespace {

using bench::NoSettings;
using bench::SilentUi;

template <void (Commands::*Walk)()>
void BM_Walk(benchmark::State& state) {
  const auto lines = bench::GeneratedModule(state.range(0));
  EventTable events;
  events.InitEventTable();
  SilentUi ui;
  NoSettings settings;
  for (auto _ : state) {
    state.PauseTiming();
    MemoryVbe vbe(std::make_shared<MemoryModule>(u"Module1", lines));
    Commands commands(vbe, events, ui, settings);
    state.ResumeTiming();
    (commands.*Walk)();
  }
  if (ui.messages != 0) state.SkipWithError("the walk reported a failure");
  state.SetComplexityN(state.range(0));
}

BENCHMARK(BM_Walk<&Commands::InsertAllProcComments>)
    ->Name("InsertAllProcComments")
    ->RangeMultiplier(10)
    ->Range(1000, 100000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oN);
BENCHMARK(BM_Walk<&Commands::DeleteAllProcComments>)
    ->Name("DeleteAllProcComments")
    ->RangeMultiplier(10)
    ->Range(1000, 100000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oN);

}  // namespace
}  // namespace tamvo
