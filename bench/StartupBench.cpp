// The program's start-up over a long history: Start (LoadFiles of history.txt and
// price.txt as the program writes them, from the in-memory file store) and the first Tick (50
// interface rows, the panel's layout), through the scripted ports. The window
// is hidden, as at every start: the first tick refreshes no quick-info list.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "bench/BenchHistory.h"
#include "core/Cp1251.h"
#include "core/Files.h"
#include "app/TrafficMeter.h"
#include "tools/scripted/ScriptedScreen.h"
#include "tools/scripted/ScriptedPorts.h"

namespace velkaro::bench {
namespace {

struct StartupPorts {
    MemoryFileStore files;
    FixedClock clock;
    FixedRegional regional;
    ScriptedDialogs dialogs;
    ScriptedShell shell;
    StartupPorts() { clock.today = kToday; }
};

// A run of the program: its state, its window and the interface table of its first tick.
struct Run {
    ScriptedInterfaceTable table;
    ScriptedScreen screen;
    TrafficMeter meter;
    Run(StartupPorts& p, const std::vector<InterfaceRow>& rows)
        : meter(MeterPorts{{table, p.clock, p.regional, p.dialogs, p.shell, p.files}, screen, screen}) {
        table.rows = rows;
        screen.quickInfoShowing = false;
    }
};

void BM_StartupLoadAndFirstTick(benchmark::State& state) {
    const std::size_t records = static_cast<std::size_t>(state.range(0));
    StartupPorts p;
    {
        Accounting a;
        DataFiles aFiles;
        ScriptedWindowHost window;
        ScriptedFilePorts ports{{p.files, p.clock, p.regional}, p.dialogs, window};
        LoadFiles(a, aFiles, ports);  // nothing there yet: marks the files as loaded
        FillBenchHistory(a, records);
        for (int i = 0; i < kAdapters; ++i)
            a.AddTariff({1.5, 0.35, BenchAdapterName(i), "Адаптер "_cp1251 + std::to_string(i)});
        SaveFiles(a, aFiles, ports);
    }
    std::vector<InterfaceRow> rows;
    for (int i = 0; i < kAdapters; ++i)
        rows.push_back(MakeRow(BenchAdapterName(i), 5000000u + 1000u * i, 300000u + 100u * i));

    std::size_t loaded = 0;
    std::size_t blocks = 0;
    for (auto _ : state) {
        auto run = std::make_unique<Run>(p, rows);
        run->meter.Start();
        run->meter.Tick();
        loaded = run->meter.State().HistoryCount();
        blocks = run->meter.State().Adapters().size();
        state.PauseTiming();  // the program never frees its history at start
        run.reset();
        state.ResumeTiming();
    }
    // The tick found every adapter's open record of today and appended one for each adapter
    // the history did not know.
    const std::size_t adapters = static_cast<std::size_t>(kAdapters);
    if (loaded != std::max(records, adapters) || blocks != adapters || !p.dialogs.log.empty())
        state.SkipWithError("the start-up did not load the history and tick over it");
    state.counters["file_MB"] = static_cast<double>(p.files.files["history.txt"].size()) / 1e6;
}
BENCHMARK(BM_StartupLoadAndFirstTick)->Arg(10)->Arg(1000000)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace velkaro::bench
