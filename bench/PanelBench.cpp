// The once-a-second panel layout over histories of growing length: 50 adapters, with their
// records interleaved as the sampler leaves them. The cost should follow the adapters, not
// the records.
#include <benchmark/benchmark.h>

#include <string>

#include "core/Accounting.h"
#include "display/StatisticsPanel.h"
#include "tools/scripted/ScriptedPorts.h"

namespace velkaro {
namespace {

constexpr int kAdapters = 50;

void BM_RedrawStatisticsPanel(benchmark::State& state) {
    const std::size_t records = static_cast<std::size_t>(state.range(0));
    Accounting a;
    a.SetAccountingDate({2026, 3, 7});
    for (std::size_t i = 0; i < records; ++i) {
        HistoryRecord r;
        r.inOctets = static_cast<std::uint32_t>(i * 7919u);
        r.outOctets = static_cast<std::uint32_t>(i * 104729u);
        const std::size_t day = i / kAdapters;
        r.year = static_cast<std::uint16_t>(2021 + day / 365);
        r.month = static_cast<std::uint16_t>(1 + day / 31 % 12);
        r.day = static_cast<std::uint16_t>(1 + day % 28);
        r.session = i + kAdapters < records ? 1 : 0;
        a.AppendHistoryRecord("Network adapter " + std::to_string(i % kAdapters), r);
    }
    ScriptedWindowHost window;
    window.clientHeight = 4000;  // no growth while measuring
    StatisticsPanel panel;
    for (auto _ : state) {
        panel.RedrawStatisticsPanel(a, window, ',');
        benchmark::DoNotOptimize(panel.Items().data());
        a.quickInfoRows.clear();
    }
    state.counters["items"] = static_cast<double>(panel.Items().size());
}
BENCHMARK(BM_RedrawStatisticsPanel)->Arg(1000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMicrosecond);

// The same, with every adapter's counters moving between two redraws: a line's texts are made
// again only when its amounts changed, so this is the layout's cost when every adapter counts
// traffic (the all-time lines change; today's, of another day here, do not).
void BM_RedrawStatisticsPanelCountersMoving(benchmark::State& state) {
    const std::size_t records = static_cast<std::size_t>(state.range(0));
    Accounting a;
    a.SetAccountingDate({2026, 3, 7});
    for (std::size_t i = 0; i < records; ++i) {
        HistoryRecord r;
        r.inOctets = static_cast<std::uint32_t>(i * 7919u);
        r.outOctets = static_cast<std::uint32_t>(i * 104729u);
        r.year = 2026;
        r.month = 3;
        r.day = 6;
        r.session = i + kAdapters < records ? 1 : 0;
        a.AppendHistoryRecord("Network adapter " + std::to_string(i % kAdapters), r);
    }
    ScriptedWindowHost window;
    window.clientHeight = 4000;
    StatisticsPanel panel;
    std::uint32_t step = 0;
    for (auto _ : state) {
        ++step;
        for (std::size_t i = records - kAdapters; i < records; ++i)
            a.SetCounters(i, a.History()[i].inOctets + step, a.History()[i].outOctets + 3 * step);
        panel.RedrawStatisticsPanel(a, window, ',');
        benchmark::DoNotOptimize(panel.Items().data());
        a.quickInfoRows.clear();
    }
    state.counters["items"] = static_cast<double>(panel.Items().size());
}
BENCHMARK(BM_RedrawStatisticsPanelCountersMoving)->Arg(1000)->Arg(100000)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace velkaro
