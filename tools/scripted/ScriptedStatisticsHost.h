// The statistics window without a window, for tests and velkaro-replay (sizes as in
// ScriptedWindow). Records what the controller asks of its window.
#pragma once

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "statistics/StatisticsController.h"
#include "tools/scripted/ScriptedPorts.h"

namespace velkaro {

class ScriptedStatisticsHost : public ScriptedWindow<StatisticsHost> {
public:
    int left = 120;  // the outer position on the screen
    int top = 340;
    int scrollTop = 0;  // how far the image area is scrolled down
    int scrollLeft = 0;  // and sideways
    bool quickInfoShowing = true;  // the quick-info window counts as showing

    bool timerEnabled = false;
    std::vector<bool> timerChanges;               // every SetTimerEnabled, in order
    int whiteSet = 0;
    std::vector<std::pair<int, int>> popups;      // screen points of PopupMenu
    int panelsShown = 0;
    std::vector<std::vector<QuickInfoRow>> quickInfoLists;  // rows given to each refresh while showing
    int aboutShown = 0;
    int endRequests = 0;
    std::vector<std::string> trayTips;            // every tip given, in order
    std::function<void()> onPopupMenu;            // a menu command chosen in the popup

    int ScrollTop() override { return scrollTop; }
    int ScrollLeft() override { return scrollLeft; }
    void SetTimerEnabled(bool enabled) override {
        timerEnabled = enabled;
        timerChanges.push_back(enabled);
    }
    void SetWhite() override { ++whiteSet; }
    void PopupMenu(int windowX, int windowY) override {
        popups.emplace_back(left + windowX, top + windowY);
        if (onPopupMenu) onPopupMenu();
    }
    void Resize(int outerWidth, int outerHeight) override {
        SetOuterWidth(outerWidth);
        clientHeight = outerHeight - 25;
    }
    void ShowPanel() override { ++panelsShown; }
    bool RefreshQuickInfo(const std::vector<QuickInfoRow>& rows) override {
        if (quickInfoShowing) quickInfoLists.push_back(rows);
        return quickInfoShowing;
    }
    void ShowAbout() override { ++aboutShown; }
    void EndRequest() override { ++endRequests; }
    void SetTrayTip(const std::string& tip) override { trayTips.push_back(tip); }
};

}  // namespace velkaro
