// The statistics window on Win32: the top-level window "VelkaroTForm1" that runs the
// statistics controller and serves as its host, with the image area (win/PanelView.h) over the
// button bar (win/ButtonBar.h), the one-second timer and the panel's menu. Every handler runs
// through the controller's Guarded, so an error shows the error box and the program goes on.
//
// The panel sizes the window as if the screen had no end: the outer size it sets and reads
// is its own. On the screen the window is never taller or wider than the work area of its
// monitor and stays inside it; past that the image area scrolls over the panel, down and
// sideways (statistics/WindowFit.h). Sizes given and taken
// are 96-DPI units; on the screen they are the pixels of the window's DPI, which follows the
// monitor it is on (WM_DPICHANGED).
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "core/Accounting.h"
#include "core/Ports.h"
#include "statistics/StatisticsController.h"
#include "win/ButtonBar.h"
#include "win/Dpi.h"
#include "win/Handles.h"
#include "win/PanelView.h"
#include "win/Window.h"

namespace velkaro::win {

// What the window needs of the rest of the program.
struct StatisticsLinks {
    // The quick-info window's list; returns whether that window is showing.
    std::function<bool(const std::vector<QuickInfoRow>&)> refreshQuickInfo;
    std::function<void()> showAbout;                      // the about window, not modal
    std::function<void()> endRequest;                     // empty: PostQuitMessage(0)
    std::function<void(const std::string&)> setTrayTip;  // the tray icon's tip, each tick
};

struct StatisticsOptions {
    bool start = true;          // run the controller's Start right after the window is created
    bool systemTimer = true;    // false: the timer is only a flag (tests run the ticks)
    HWND owner = nullptr;       // e.g. the application window: no taskbar button of its own
    Notifier* notifier = nullptr;  // shows the limits' warnings (the tray icon)
};

class StatisticsWindow : public StatisticsHost, private Window {
public:
    static constexpr UINT_PTR kTimerId = 1;
    static constexpr int kLayoutClientWidth = StatisticsPanel::kLayoutImageWidth;
    static constexpr int kLayoutClientHeight = StatisticsPanel::kLayoutImageHeight + ButtonBar::kHeight;

    // Creates the window hidden (throws std::runtime_error when Windows refuses), then starts
    // the controller unless the options say otherwise.
    StatisticsWindow(Accounting& a, SystemPorts ports, StatisticsLinks links, StatisticsOptions options = {});
    ~StatisticsWindow() override;

    StatisticsController& Controller() { return controller_; }
    using Window::Handle;

    // Shown, in front and active; centred in the work area the first time.
    void Show();
    void Hide();
    bool Visible() const;
    Dpi ScreenDpi() const { return dpi_; }

    // WindowHost: the outer size and the image's are those the panel (or the width setting)
    // gave the window.
    int OuterWidth() override { return outerWidth_; }
    int OuterHeight() override { return panelOuterHeight_; }
    void SetOuterWidth(int width) override;
    int ImageWidth() override;
    int ImageHeight() override;
    int TextWidth(const std::string& text) override { return dpi_.UnitsCovering(view_.TextWidth(text)); }

    // StatisticsHost
    int ScrollTop() override { return view_.ScrollTop(); }
    int ScrollLeft() override { return view_.ScrollLeft(); }
    void SetTimerEnabled(bool enabled) override;
    void SetWhite() override;
    void PopupMenu(int windowX, int windowY) override;
    void Resize(int outerWidth, int outerHeight) override;
    void ShowPanel() override { view_.ShowItems(); }
    bool RefreshQuickInfo(const std::vector<QuickInfoRow>& rows) override;
    void SetTrayTip(const std::string& tip) override;
    void ShowAbout() override;
    void EndRequest() override;

private:
    friend class StatisticsWindowTest;
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;
    // Runs a handler through the controller's Guarded; any other exception also ends in the
    // error box instead of unwinding through Windows.
    template <class F> void Run(F&& handler);
    void LayoutChildren();
    // The window's size on the screen: the pixels of its units, at most as high as the work
    // area; a new size keeps the window's centre; the window moved into the work area; the
    // image area told the rows it scrolls through.
    void Place();
    void SetDpi(Dpi dpi);  // the fonts and the children of another DPI
    int ScrollWidth();  // the image area's width that scrolls sideways: the panel's texts
    SIZE FrameUnits() const;  // the title bar and borders, in units

    Dialogs& dialogs_;
    StatisticsLinks links_;
    StatisticsOptions options_;
    StatisticsController controller_;
    Dpi dpi_;  // before the children, which are made at it
    PanelView view_;
    ButtonBar bar_;
    bool shownOnce_ = false;
    bool timerRunning_ = false;
    int outerWidth_ = 0;        // units
    int panelOuterHeight_ = 0;  // units: the outer height the panel gave the window
    SIZE frame_{0, 0};          // title bar and borders, in pixels
    UniqueFont font_;
    UniqueBrush whiteBrush_;
};

}  // namespace velkaro::win
