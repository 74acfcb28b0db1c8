// The speed meter's part of a tick: 50 interface rows (two of them sharing a name), each a
// little higher than the last time; its time per tick and the heap allocations it makes per
// tick once the adapters are known.
#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <string>
#include <vector>

#include "bench/BenchHistory.h"
#include "core/Speed.h"
#include "tools/scripted/ScriptedPorts.h"

namespace {
std::atomic<long> g_allocations{0};
}  // namespace

// Every allocation of the benchmark program is counted (the count is read around the loop).
void* operator new(std::size_t size) {
    g_allocations.fetch_add(1, std::memory_order_relaxed);
    if (void* p = std::malloc(size ? size : 1)) return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

namespace velkaro::bench {
namespace {

void BM_SpeedUpdate(benchmark::State& state) {
    std::vector<InterfaceRow> rows;
    for (int i = 0; i < kAdapters; ++i)
        rows.push_back(MakeRow(BenchAdapterName(i % (kAdapters - 1)), 1000000, 100000));
    SpeedMeter speed;
    std::uint64_t ms = 0;
    speed.Update(rows, ms += 1000);
    speed.Update(rows, ms += 1000);  // every adapter known, its rows' storage in place
    const std::string first = BenchAdapterName(0);
    const long before = g_allocations.load();
    std::int64_t ticks = 0;
    for (auto _ : state) {
        for (InterfaceRow& r : rows) {
            r.dwInOctets += 1500;
            r.dwOutOctets += 100;
        }
        speed.Update(rows, ms += 1000);
        benchmark::DoNotOptimize(speed.Rate(first));
        ++ticks;
    }
    state.counters["allocations_per_tick"] =
        static_cast<double>(g_allocations.load() - before) / static_cast<double>(ticks);
    state.counters["rows"] = static_cast<double>(rows.size());
}
BENCHMARK(BM_SpeedUpdate)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace velkaro::bench
