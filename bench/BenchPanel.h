// The panel's layout, measured the same way by every benchmark of it: a window tall enough
// for every block.
#pragma once

#include <benchmark/benchmark.h>

#include "core/Accounting.h"
#include "statistics/StatisticsPanel.h"
#include "tools/scripted/ScriptedPorts.h"

namespace velkaro::bench {

// Lays the panel out once per iteration, after beforeEach(); counts the items drawn.
template <class BeforeEach>
void MeasureLayouts(benchmark::State& state, Accounting& a, int clientHeight, BeforeEach&& beforeEach) {
    ScriptedWindowHost window;
    window.clientHeight = clientHeight;
    StatisticsPanel panel;
    for (auto _ : state) {
        beforeEach();
        panel.Layout(a, window, ',');
        benchmark::DoNotOptimize(panel.Items().data());
    }
    state.counters["items"] = static_cast<double>(panel.Items().size());
}

inline void MeasureLayouts(benchmark::State& state, Accounting& a, int clientHeight) {
    MeasureLayouts(state, a, clientHeight, [] {});
}

}  // namespace velkaro::bench
