// The monthly limits in the tick: the look at 50 limits (warnings) and the panel with 50 limit
// lines, over histories of growing length, should follow the adapters, not the records; the
// rebuild of the month sums, once a month, follows the records.
#include <benchmark/benchmark.h>

#include "bench/BenchHistory.h"
#include "bench/BenchPanel.h"
#include "core/Accounting.h"
#include "core/Limits.h"
#include "tools/scripted/ScriptedPorts.h"

namespace velkaro {
namespace {

// Every adapter priced and limited high enough never to warn, so each tick does the whole look.
void FillLimited(Accounting& a, std::size_t records) {
    bench::FillBenchHistory(a, records);
    for (int i = 0; i < bench::kAdapters; ++i) {
        const std::string name = bench::BenchAdapterName(i);
        a.Tariffs().push_back(TariffEntry{0.5, 0.25, name, name});
        a.Limits().push_back(LimitEntry{name, 1e12, {}, 0});
    }
    a.SetCostMonth(MonthOf(bench::kToday));
}

void BM_CheckLimits(benchmark::State& state) {
    Accounting a;
    FillLimited(a, static_cast<std::size_t>(state.range(0)));
    ScriptedNotifier notifier;
    for (auto _ : state) CheckLimits(a, bench::kToday, ',', notifier);
    if (!notifier.balloons.empty()) state.SkipWithError("a balloon was shown");
}
BENCHMARK(BM_CheckLimits)->Arg(1000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMicrosecond);

// The same panel with (1) and without (0) the 50 limit lines.
void BM_PanelLayoutWithLimitLines(benchmark::State& state) {
    Accounting a;
    FillLimited(a, static_cast<std::size_t>(state.range(0)));
    if (state.range(1) == 0) a.Limits().clear();
    bench::MeasureLayouts(state, a, 5000);
}
BENCHMARK(BM_PanelLayoutWithLimitLines)
    ->ArgsProduct({{1000, 100000, 1000000}, {0, 1}})
    ->Unit(benchmark::kMicrosecond);

// What the first tick of a new month costs on top of an ordinary one.
void BM_NewMonthRebuild(benchmark::State& state) {
    Accounting a;
    FillLimited(a, static_cast<std::size_t>(state.range(0)));
    bool other = false;
    for (auto _ : state) {
        a.SetCostMonth(other ? YearMonth{2026, 4} : MonthOf(bench::kToday));
        other = !other;
    }
}
BENCHMARK(BM_NewMonthRebuild)->Arg(1000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace velkaro
