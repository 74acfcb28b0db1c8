// The panel's redraw, measured the same way by every benchmark of it: a window tall enough
// for every block, so that no redraw grows it while it is timed.
#pragma once

#include <benchmark/benchmark.h>

#include "core/Accounting.h"
#include "display/StatisticsPanel.h"
#include "tools/scripted/ScriptedPorts.h"

namespace velkaro::bench {

// Redraws the panel once per iteration, after beforeEach(); counts the items drawn.
template <class BeforeEach>
void MeasureRedraws(benchmark::State& state, Accounting& a, int clientHeight, BeforeEach&& beforeEach) {
    ScriptedWindowHost window;
    window.clientHeight = clientHeight;
    StatisticsPanel panel;
    for (auto _ : state) {
        beforeEach();
        panel.RedrawStatisticsPanel(a, window, ',');
        benchmark::DoNotOptimize(panel.Items().data());
        a.quickInfoRows.clear();
    }
    state.counters["items"] = static_cast<double>(panel.Items().size());
}

inline void MeasureRedraws(benchmark::State& state, Accounting& a, int clientHeight) {
    MeasureRedraws(state, a, clientHeight, [] {});
}

}  // namespace velkaro::bench
