// One tick of the sampler (50 interface rows) over histories of growing length, beside the
// plain scan over every record; and the memory the history takes per record.
#include <benchmark/benchmark.h>

#include <malloc.h>

#include "bench/BenchHistory.h"
#include "tools/scripted/ScriptedPorts.h"

namespace velkaro::bench {
namespace {

// Delivers the same 50 rows every tick, each counter a little higher than the last time.
class GrowingTable : public InterfaceTable {
public:
    GrowingTable() {
        for (int i = 0; i < kAdapters; ++i) rows_.push_back(MakeRow(BenchAdapterName(i), 1000000, 100000, i));
    }
    bool Load() override { return true; }
    bool GetIfTable(std::vector<InterfaceRow>& out) override {
        for (InterfaceRow& r : rows_) {
            r.inOctets += 1500;
            r.outOctets += 100;
        }
        out = rows_;
        return true;
    }
    const std::vector<InterfaceRow>& Rows() const { return rows_; }

private:
    std::vector<InterfaceRow> rows_;
};

std::size_t HeapInUse() {
    const struct mallinfo2 m = mallinfo2();
    return m.uordblks + m.hblkhd;  // small blocks plus mmap'd ones (the table itself)
}

void BM_SamplerTick(benchmark::State& state) {
    Accounting a;
    FillBenchHistory(a, static_cast<std::size_t>(state.range(0)));
    GrowingTable table;
    // As the tick runs it: the rows' storage kept from one reading to the next.
    std::vector<InterfaceRow> rows;
    std::uint64_t ms = 0;
    SampleInterfaces(a, table, rows, ms += 1000);
    SampleInterfaces(a, table, rows, ms += 1000);
    const std::size_t before = a.HistoryCount();
    const std::size_t heapBefore = HeapInUse();
    for (auto _ : state) SampleInterfaces(a, table, rows, ms += 1000);
    if (a.HistoryCount() != before) state.SkipWithError("the tick appended records");
    state.counters["records"] = static_cast<double>(before);
    state.counters["heap_growth"] = static_cast<double>(HeapInUse() - heapBefore);
}
BENCHMARK(BM_SamplerTick)->Arg(1000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMicrosecond);

void BM_PlainScanTick(benchmark::State& state) {
    PlainTable t;
    t.Fill(static_cast<std::size_t>(state.range(0)));
    GrowingTable table;
    std::vector<InterfaceRow> rows;
    const std::size_t before = t.records.size();
    for (auto _ : state) {
        table.GetIfTable(rows);
        for (const InterfaceRow& row : rows) t.SampleRow(std::string(AdapterNameView(row)), static_cast<std::uint32_t>(row.inOctets), static_cast<std::uint32_t>(row.outOctets));
    }
    if (t.records.size() != before) state.SkipWithError("the scan appended records");
    state.counters["records"] = static_cast<double>(before);
}
BENCHMARK(BM_PlainScanTick)->Arg(1000)->Arg(100000)->Unit(benchmark::kMicrosecond);

// Heap bytes held per record: measured with the allocator's own figures, and computed from the
// containers (the table's capacity and the index).
void BM_HistoryMemoryPerRecord(benchmark::State& state) {
    const std::size_t n = static_cast<std::size_t>(state.range(0));
    for (auto _ : state) {
        malloc_trim(0);
        const std::size_t heapBefore = HeapInUse();
        {
            Accounting a;
            FillBenchHistory(a, n);
            const std::size_t heapAfter = HeapInUse();
            std::size_t computed = a.History().capacity() * sizeof(HistoryRecord);
            for (const AdapterInfo& info : a.Adapters())
                computed += sizeof(AdapterInfo) + info.name.capacity() + info.openToday.capacity() * 4 +
                            64 /* hash node */ + info.name.capacity();
            state.counters["heap_bytes_per_record"] =
                static_cast<double>(heapAfter - heapBefore) / static_cast<double>(n);
            state.counters["container_bytes_per_record"] =
                static_cast<double>(computed) / static_cast<double>(n);
            state.counters["sizeof_record"] = sizeof(HistoryRecord);
        }
    }
}
BENCHMARK(BM_HistoryMemoryPerRecord)->Arg(1000000)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace velkaro::bench
