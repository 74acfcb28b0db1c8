// The program's windows and its timer without a window, for tests and velkaro-replay (sizes as
// in ScriptedWindow): records what the meter showed them.
#pragma once

#include <string>
#include <vector>

#include "app/TrafficMeter.h"
#include "tools/scripted/ScriptedPorts.h"

namespace velkaro {

class ScriptedScreen : public ScriptedWindow<Screen>, public TickTimer {
public:
    bool quickInfoShowing = true;  // the quick-info window counts as showing
    bool balloonsShown = true;     // false: the shell refuses every balloon

    bool timerEnabled = false;
    std::vector<bool> timerChanges;  // every SetEnabled, in order
    int started = 0;
    int panelsShown = 0;             // ShowPanel and Show alike
    std::vector<std::vector<QuickInfoRow>> quickInfoLists;  // rows of each snapshot while showing
    std::vector<std::string> trayTips;                      // every tip shown, in order
    std::vector<std::string> balloons;                      // every balloon shown, in order
    int endRequests = 0;

    void SetEnabled(bool enabled) override {
        timerEnabled = enabled;
        timerChanges.push_back(enabled);
    }
    void Started() override { ++started; }
    void ShowPanel(const StatisticsPanel& panel) override {
        // The window takes the size the panel asks for.
        SetOuterWidth(panel.OuterWidth());
        clientHeight = panel.OuterHeight() - 25;
        ++panelsShown;
    }
    void Show(const Snapshot& s) override {
        ShowPanel(s.panel);
        if (quickInfoShowing) quickInfoLists.push_back(s.panel.QuickInfoRows());
        trayTips.push_back(s.tip);
    }
    bool ShowBalloon(const std::string&, const std::string& text) override {
        if (balloonsShown) balloons.push_back(text);
        return balloonsShown;
    }
    void EndRequest() override { ++endRequests; }
};

}  // namespace velkaro
