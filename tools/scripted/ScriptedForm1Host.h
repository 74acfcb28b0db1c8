// The statistics window without a window, for tests and velkaro-replay: client 784 x 93,
// outer = client plus 6 x 25, the image is the client less the 21-pixel button bar, text
// 7 pixels per byte. Records what TForm1 asks of its window.
#pragma once

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "core/Accounting.h"
#include "display/StatisticsWindow.h"

namespace velkaro {

class ScriptedForm1Host : public Form1Host {
public:
    // The form whose QuickInfoShown RefreshQuickInfo sets and whose rows it copies.
    TForm1* form = nullptr;

    int clientWidth = 784;
    int clientHeight = 93;
    int left = 120;
    int top = 340;
    bool quickInfoShowing = true;  // the quick-info window counts as showing

    bool timerEnabled = false;
    std::vector<bool> timerChanges;               // every SetTimerEnabled, in order
    int whiteSet = 0;
    std::vector<std::pair<int, int>> popups;      // screen points of PopupMenu
    int repaints = 0;
    std::vector<std::vector<QuickInfoRow>> quickInfoLists;  // rows given to each refresh
    int aboutShown = 0;
    int endRequests = 0;
    int processMessagesCalls = 0;
    std::function<void()> onProcessMessages;      // a command that runs inside the tick
    std::function<void()> onPopupMenu;            // a menu command chosen in the popup

    int OuterWidth() override { return clientWidth + 6; }
    int OuterHeight() override { return clientHeight + 25; }
    void SetOuterWidth(int w) override { clientWidth = w - 6; }
    void SetOuterHeight(int h) override { clientHeight = h - 25; }
    int ClientHeight() override { return clientHeight; }
    int ImageWidth() override { return clientWidth; }
    int ImageHeight() override { return clientHeight - 21; }
    int TextWidth(const std::string& text) override { return 7 * static_cast<int>(text.size()); }
    void ProcessMessages() override;

    int WindowLeft() override { return left; }
    int WindowTop() override { return top; }
    void SetTimerEnabled(bool enabled) override;
    void SetWhite() override { ++whiteSet; }
    void PopupMenu(int screenX, int screenY) override;
    void Repaint() override { ++repaints; }
    void RefreshQuickInfo() override;
    void ShowAbout() override { ++aboutShown; }
    void EndRequest() override { ++endRequests; }
};

}  // namespace velkaro
