// One adapter's all-time and billing-period costs once a second over 1,000,000 records, at one
// price for every day and with 12 price periods: the sums are kept per period, so the periods
// should cost the tick nothing that grows with the records.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "bench/BenchPanel.h"
#include "core/Accounting.h"
#include "core/Calendar.h"

namespace velkaro {
namespace {

constexpr Date kBenchToday{2026, 3, 7};
const std::string kAdapter = "Realtek PCIe GbE Family Controller";

// `records` records of the one adapter, ~700 a day back from kBenchToday, today's last and open.
void FillOneAdapter(Accounting& a, std::size_t records) {
    a.SetAccountingDate(kBenchToday);
    a.SetLimitTime(kBenchToday, 43200);
    a.AddTariff(TariffEntry{1.5, 0.5, kAdapter, kAdapter});
    const std::int64_t today = DayNumber(kBenchToday);
    const std::size_t days = 1500;
    for (std::size_t i = 0; i < records; ++i) {
        HistoryRecord r;
        const Date d = DateOfDayNumber(today - static_cast<std::int64_t>(days - 1 - i * days / records));
        r.year = d.year;
        r.month = d.month;
        r.day = d.day;
        r.inOctets = static_cast<std::uint32_t>(i * 7919u);
        r.outOctets = static_cast<std::uint32_t>(i * 104729u);
        r.session = i + 1 < records ? 1 : 0;
        a.AppendHistoryRecord(a.Intern(kAdapter), r);
    }
}

// Every 120 days back from today a period ends: periods - 1 earlier ones.
void SetPeriods(Accounting& a, int periods) {
    std::vector<PricePeriod> earlier;
    for (int p = periods - 1; p >= 1; --p)
        earlier.push_back(PricePeriod{kAdapter, DateOfDayNumber(DayNumber(kBenchToday) - 120 * p), 0.1 * p, 0.05 * p});
    a.ReplaceEarlierPrices(std::move(earlier));
}

// A tick's cost work: today's counters grow, then the panel (today's and all-time costs, the
// money limit's line) and the tip's allowance.
void BM_AllTimeCostOneAdapter(benchmark::State& state) {
    const std::size_t records = 1000000;
    Accounting a;
    FillOneAdapter(a, records);
    SetLimit(a, kAdapter, LimitKind::Money, 1e9, 1);
    SetPeriods(a, static_cast<int>(state.range(0)));
    std::uint32_t step = 0;
    bench::MeasureLayouts(state, a, 400, [&] {
        ++step;
        a.SetCounters(records - 1, a.History()[records - 1].inOctets + step, a.History()[records - 1].outOctets + step);
        benchmark::DoNotOptimize(AllowanceLine(a, ','));
    });
    state.counters["periods"] = static_cast<double>(state.range(0));
}
BENCHMARK(BM_AllTimeCostOneAdapter)->Arg(1)->Arg(12)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace velkaro
