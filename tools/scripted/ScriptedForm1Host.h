// The statistics window without a window, for tests and velkaro-replay (sizes as in
// ScriptedWindow). Records what TForm1 asks of its window.
#pragma once

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "core/Accounting.h"
#include "display/StatisticsWindow.h"
#include "tools/scripted/ScriptedPorts.h"

namespace velkaro {

class ScriptedForm1Host : public ScriptedWindow<Form1Host> {
public:
    // The form whose QuickInfoShown RefreshQuickInfo sets and whose rows it copies.
    TForm1* form = nullptr;

    int left = 120;
    int top = 340;
    int scrollTop = 0;  // how far the image area is scrolled down
    bool quickInfoShowing = true;  // the quick-info window counts as showing

    bool timerEnabled = false;
    std::vector<bool> timerChanges;               // every SetTimerEnabled, in order
    int whiteSet = 0;
    std::vector<std::pair<int, int>> popups;      // screen points of PopupMenu
    int repaints = 0;
    std::vector<std::vector<QuickInfoRow>> quickInfoLists;  // rows given to each refresh
    int aboutShown = 0;
    int endRequests = 0;
    std::vector<std::string> trayTips;            // every tip given, in order
    std::function<void()> onPopupMenu;            // a menu command chosen in the popup

    int WindowLeft() override { return left; }
    int WindowTop() override { return top; }
    int ScrollTop() override { return scrollTop; }
    void SetTimerEnabled(bool enabled) override;
    void SetWhite() override { ++whiteSet; }
    void PopupMenu(int screenX, int screenY) override;
    void Repaint() override { ++repaints; }
    void RefreshQuickInfo() override;
    void ShowAbout() override { ++aboutShown; }
    void EndRequest() override { ++endRequests; }
    void SetTrayTip(const std::string& tip) override { trayTips.push_back(tip); }
};

}  // namespace velkaro
