// The once-a-second panel layout over histories of growing length: 50 adapters, with their
// records interleaved as the sampler leaves them. The cost should follow the adapters, not
// the records.
#include <benchmark/benchmark.h>

#include <string>

#include "bench/BenchPanel.h"
#include "core/Accounting.h"

namespace velkaro {
namespace {

constexpr int kAdapters = 50;

// `records` records of 50 adapters interleaved, the last one of each adapter open. Spread
// over days from 2021 on, or all on the day before the AccountingDate.
void FillPanelHistory(Accounting& a, std::size_t records, bool oneDay) {
    a.SetAccountingDate({2026, 3, 7});
    for (std::size_t i = 0; i < records; ++i) {
        HistoryRecord r;
        r.inOctets = static_cast<std::uint32_t>(i * 7919u);
        r.outOctets = static_cast<std::uint32_t>(i * 104729u);
        const std::size_t day = i / kAdapters;
        r.year = oneDay ? 2026 : static_cast<std::uint16_t>(2021 + day / 365);
        r.month = oneDay ? 3 : static_cast<std::uint16_t>(1 + day / 31 % 12);
        r.day = oneDay ? 6 : static_cast<std::uint16_t>(1 + day % 28);
        r.session = i + kAdapters < records ? 1 : 0;
        a.AppendHistoryRecord(a.Intern("Network adapter " + std::to_string(i % kAdapters)), r);
    }
}

void BM_PanelLayout(benchmark::State& state) {
    Accounting a;
    FillPanelHistory(a, static_cast<std::size_t>(state.range(0)), false);
    bench::MeasureLayouts(state, a, 4000);
}
BENCHMARK(BM_PanelLayout)->Arg(1000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMicrosecond);

// The same, with every adapter's counters moving between two layouts: a line's texts are made
// again only when its amounts changed, so this is the layout's cost when every adapter counts
// traffic (the all-time lines change; today's, of another day here, do not).
void BM_PanelLayoutCountersMoving(benchmark::State& state) {
    const std::size_t records = static_cast<std::size_t>(state.range(0));
    Accounting a;
    FillPanelHistory(a, records, true);
    std::uint32_t step = 0;
    bench::MeasureLayouts(state, a, 4000, [&] {
        ++step;
        for (std::size_t i = records - kAdapters; i < records; ++i)
            a.SetCounters(i, a.History()[i].inOctets + step, a.History()[i].outOctets + 3 * step);
    });
}
BENCHMARK(BM_PanelLayoutCountersMoving)->Arg(1000)->Arg(100000)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace velkaro
