// The speed graph "VelkaroSpeedGraph": the last ten minutes of one adapter's speed, or of all
// adapters shown, received and sent as two lines over a scale that fits the highest point. It
// draws what the meter keeps (statistics/SpeedGraph.h), is resizable, at its monitor's DPI, and
// its place goes to the "graph.window" setting once it has been shown.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "app/TrafficMeter.h"
#include "statistics/SpeedGraph.h"
#include "ui/Application.h"
#include "win/Dpi.h"
#include "win/Handles.h"

namespace velkaro::ui {

class SpeedGraphWindow : public AppWindow {
public:
    static constexpr int kDefaultWidth = 640;   // units, the outer size the first time
    static constexpr int kDefaultHeight = 340;
    static constexpr int kDefaultClientWidth = 624;   // within that outer size at 96 DPI
    static constexpr int kDefaultClientHeight = 300;
    static constexpr int kLeastWidth = 520;
    static constexpr int kLeastHeight = 240;

    // Hidden; throws std::runtime_error when Windows refuses.
    SpeedGraphWindow(Application& app, TrafficMeter& meter);
    ~SpeedGraphWindow() override;

    // Shown in front with the graph of an adapter (none: of all adapters shown), opened from
    // `opener`; at its kept place the first time, else centred on the opener's monitor.
    void ShowFor(const std::optional<std::string>& adapter, HWND opener);
    // The points of the last tick, drawn while it shows.
    void Refresh();

    // Where its parts are, in client pixels, as the last paint drew them.
    struct Geometry {
        RECT plot{};                      // the lines stay inside it
        std::vector<RECT> labels;         // the grid's, the time axis' and the speed lines' texts
        std::vector<POINT> in, out;       // the lines' points
    };
    const Geometry& Drawn() const { return drawn_; }
    const SpeedGraph& Graph() const { return graph_; }

private:
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;
    void Place() override;  // back inside a work area that changed
    void SetDpi(win::Dpi dpi) override;  // the font of another DPI
    void DpiMoved() override;
    void Paint(HDC dc, const RECT& client);
    void KeepPlace();  // the window's place into the setting
    void UpdateCaption();

    TrafficMeter& meter_;
    std::optional<std::string> adapter_;
    std::string caption_;  // Windows-1251, as the title bar shows it
    bool placed_ = false;  // shown at its place once
    win::UniqueFont font_;
    win::UniqueMemoryDc memory_;  // what is drawn off the screen
    win::UniqueBitmap bitmap_;
    SIZE bitmapSize_{0, 0};
    SpeedGraph graph_;
    Geometry drawn_;
};

}  // namespace velkaro::ui
