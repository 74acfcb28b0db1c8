// Saving and loading history.txt through the in-memory file store, so the figures are those
// of the text engine (formatting, scanning, appending), not of a disk.
#include <benchmark/benchmark.h>

#include "bench/BenchHistory.h"
#include "core/Cp1251.h"
#include "core/Files.h"
#include "tools/scripted/ScriptedPorts.h"

namespace velkaro::bench {
namespace {

struct BenchPorts {
    MemoryFileStore files;
    FixedClock clock;
    FixedRegional regional;
    ScriptedDialogs dialogs;
    ScriptedWindowHost window;
    ScriptedFilePorts ports{{files, clock, regional}, dialogs, window};
    BenchPorts() { clock.today = kToday; }
};

void FillPrices(Accounting& a) {
    for (int i = 0; i < kAdapters; ++i)
        a.AddTariff({1.5, 0.35, BenchAdapterName(i), "Адаптер "_cp1251 + std::to_string(i)});
}

void BM_SaveFiles(benchmark::State& state) {
    BenchPorts p;
    Accounting a;
    DataFiles aFiles;
    LoadFiles(a, aFiles, p.ports);  // nothing there yet: marks the files as loaded
    FillBenchHistory(a, static_cast<std::size_t>(state.range(0)));
    FillPrices(a);
    for (auto _ : state) SaveFiles(a, aFiles, p.ports);
    const std::size_t bytes = p.files.files["history.txt"].size() + p.files.files["price.txt"].size();
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
    state.counters["file_MB"] = static_cast<double>(bytes) / 1e6;
}
BENCHMARK(BM_SaveFiles)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);

void BM_LoadFiles(benchmark::State& state) {
    BenchPorts p;
    {
        Accounting a;
        DataFiles aFiles;
        LoadFiles(a, aFiles, p.ports);
        FillBenchHistory(a, static_cast<std::size_t>(state.range(0)));
        FillPrices(a);
        SaveFiles(a, aFiles, p.ports);
    }
    const std::size_t bytes = p.files.files["history.txt"].size() + p.files.files["price.txt"].size();
    std::size_t records = 0;
    for (auto _ : state) {
        Accounting a;
        DataFiles aFiles;
        LoadFiles(a, aFiles, p.ports);
        records = a.HistoryCount();
    }
    if (records != static_cast<std::size_t>(state.range(0))) state.SkipWithError("wrong record count");
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
    state.counters["file_MB"] = static_cast<double>(bytes) / 1e6;
}
BENCHMARK(BM_LoadFiles)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace velkaro::bench
