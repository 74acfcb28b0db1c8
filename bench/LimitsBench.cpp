// The limits in the tick: the look at 50 limits (their periods, warnings and forecasts) and the
// panel with 50 limit lines, over histories of growing length, should follow the adapters, not
// the records; the rebuild of the period sums, once a period, follows the records.
#include <benchmark/benchmark.h>

#include "bench/BenchHistory.h"
#include "bench/BenchPanel.h"
#include "core/Accounting.h"
#include "app/TrafficMeter.h"
#include "tools/scripted/ScriptedPorts.h"

namespace velkaro {
namespace {

// Every adapter priced and limited high enough never to warn, so each tick does the whole look.
void FillLimited(Accounting& a, std::size_t records) {
    bench::FillBenchHistory(a, records);
    std::vector<LimitEntry> limits;
    for (int i = 0; i < bench::kAdapters; ++i) {
        const std::string name = bench::BenchAdapterName(i);
        a.AddTariff(TariffEntry{0.5, 0.25, name, name});
        limits.push_back(LimitEntry{name, 1e12, {}, 0});
    }
    a.ReplaceLimits(std::move(limits));
    a.SetLimitTime(bench::kToday, 12 * 3600);
}

void BM_CheckLimits(benchmark::State& state) {
    Accounting a;
    DataFiles files;
    FillLimited(a, static_cast<std::size_t>(state.range(0)));
    ScriptedNotifier notifier;
    for (auto _ : state) {
        a.SetLimitTime(bench::kToday, 12 * 3600);
        ShowLimitWarnings(a, files, ',', notifier);
    }
    if (!notifier.balloons.empty()) state.SkipWithError("a balloon was shown");
}
BENCHMARK(BM_CheckLimits)->Arg(1000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMicrosecond);

// The tray tip's line: the limit closest to its end, out of 50.
void BM_AllowanceLine(benchmark::State& state) {
    Accounting a;
    FillLimited(a, static_cast<std::size_t>(state.range(0)));
    for (auto _ : state) benchmark::DoNotOptimize(AllowanceLine(a, ','));
}
BENCHMARK(BM_AllowanceLine)->Arg(1000)->Arg(1000000)->Unit(benchmark::kMicrosecond);

// The same panel with (1) and without (0) the 50 limit lines.
void BM_PanelLayoutWithLimitLines(benchmark::State& state) {
    Accounting a;
    FillLimited(a, static_cast<std::size_t>(state.range(0)));
    if (state.range(1) == 0) a.ReplaceLimits({});
    bench::MeasureLayouts(state, a, 5000);
}
BENCHMARK(BM_PanelLayoutWithLimitLines)
    ->ArgsProduct({{1000, 100000, 1000000}, {0, 1}})
    ->Unit(benchmark::kMicrosecond);

// What the first tick of a new period costs on top of an ordinary one: the 50 adapters' period
// sums made again in one scan.
void BM_NewPeriodRebuild(benchmark::State& state) {
    Accounting a;
    FillLimited(a, static_cast<std::size_t>(state.range(0)));
    bool other = false;
    for (auto _ : state) {
        a.SetLimitTime(other ? Date{2026, 4, 7} : bench::kToday, 12 * 3600);
        other = !other;
    }
}
BENCHMARK(BM_NewPeriodRebuild)->Arg(1000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace velkaro
