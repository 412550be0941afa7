// How the walks over every procedure grow with the module: they must stay
// near linear (ten times the procedures, about ten times the time).

#include <benchmark/benchmark.h>

#include <memory>

#include "commands/commands.h"
#include "host/memory_module.h"

namespace tamvo {
namespace {

class SilentUi : public Ui {
 public:
  void MsgBox(std::u16string_view, std::int32_t) override { ++messages; }
  std::optional<std::u16string> InputBox(std::u16string_view, std::u16string_view) override {
    return std::nullopt;
  }
  int messages = 0;
};

class NoSettings : public Settings {
 public:
  std::u16string GetSetting(std::u16string_view, std::u16string_view, std::u16string_view,
                            std::u16string_view defaultValue) override {
    return std::u16string(defaultValue);
  }
  void SaveSetting(std::u16string_view, std::u16string_view, std::u16string_view,
                   std::u16string_view) override {}
};

// A module of the given number of procedures, each with an old comment.
std::vector<std::u16string> GeneratedModule(int procedures) {
  std::vector<std::u16string> lines{u"Option Explicit", u"Private mCount As Long"};
  for (int i = 0; i < procedures; ++i) {
    const std::u16string name = u"Proc" + std::u16string(1, static_cast<char16_t>(u'A' + i % 26)) +
                                std::u16string(1, static_cast<char16_t>(u'a' + (i / 26) % 26)) +
                                std::u16string(1, static_cast<char16_t>(u'a' + (i / 676) % 26)) +
                                std::u16string(1, static_cast<char16_t>(u'a' + (i / 17576) % 26));
    lines.insert(lines.end(), {u"", u"' old comment", u"Public Function " + name +
                                                          u"(ByVal a As Long, Optional b As String) As Long",
                               u"    mCount = mCount + a", u"    " + name + u" = mCount", u"End Function"});
  }
  return lines;
}

template <void (Commands::*Walk)()>
void BM_Walk(benchmark::State& state) {
  const auto lines = GeneratedModule(static_cast<int>(state.range(0)));
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
    ->Arg(2000)
    ->Arg(20000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oN);
BENCHMARK(BM_Walk<&Commands::DeleteAllProcComments>)
    ->Name("DeleteAllProcComments")
    ->Arg(2000)
    ->Arg(20000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oN);

}  // namespace
}  // namespace tamvo
