// The statistics window on Win32: the top-level window "VelkaroTForm1" that draws the meter's
// panel, with the image area (ui/PanelView.h) over the button bar (ui/ButtonBar.h) and the
// panel's menu, whose commands go to the meter for the adapter picked. Every handler runs
// through the meter's Guarded, so an error shows the error box and the program goes on.
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
#include "app/Ports.h"
#include "app/TrafficMeter.h"
#include "ui/Application.h"
#include "ui/ButtonBar.h"
#include "ui/PanelView.h"
#include "win/Dpi.h"
#include "win/Handles.h"
#include "win/Window.h"

namespace velkaro::ui {

class StatisticsWindow : public WindowHost, public AppWindow {
public:
    static constexpr int kLayoutClientWidth = StatisticsPanel::kLayoutImageWidth;
    static constexpr int kLayoutClientHeight = StatisticsPanel::kLayoutImageHeight + ButtonBar::kHeight;

    // Creates the window hidden, centred in the work area when first shown; throws
    // std::runtime_error when Windows refuses. showAbout opens the about window.
    StatisticsWindow(Application& app, TrafficMeter& meter, std::function<void()> showAbout);
    ~StatisticsWindow() override;

    win::Dpi ScreenDpi() const { return dpi_; }

    // WindowHost: the outer size and the image's are those the panel (or the width setting)
    // gave the window.
    int OuterWidth() override { return outerWidth_; }
    int OuterHeight() override { return panelOuterHeight_; }
    void SetOuterWidth(int width) override;
    int ImageWidth() override;
    int ImageHeight() override;
    int TextWidth(const std::string& text) override { return dpi_.UnitsCovering(view_.TextWidth(text)); }

    // The panel as the meter laid it out last: the window takes the size it asks for and
    // paints what changed.
    void ShowPanel(const StatisticsPanel& panel);
    void SetWhite();  // window and image area white: the meter counts
    // The adapter the menu's commands work on: the block's at or above the last right click.
    const std::string& Picked() const { return picked_; }

protected:
    // The panel's menu at a point of the window, measured from its outer top-left corner, in
    // units; returns when the menu has closed.
    virtual void PopupMenu(int windowX, int windowY);

private:
    friend class StatisticsWindowTest;
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;
    // Runs a handler through the meter's Guarded; any other exception also ends in the error
    // box instead of unwinding through Windows.
    template <class F> void Run(F&& handler);
    void RightClick(int x, int y);  // y includes the scroll offset
    void Resize(int outerWidth, int outerHeight);
    void LayoutChildren();
    // The window's size on the screen: the pixels of its units, at most as high as the work
    // area; a new size keeps the window's centre; the window moved into the work area; the
    // image area told the rows it scrolls through.
    void Place();
    void SetDpi(win::Dpi dpi);  // the fonts and the children of another DPI
    int ScrollWidth();  // the image area's width that scrolls sideways: the panel's texts
    SIZE FrameUnits() const;  // the title bar and borders, in units

    TrafficMeter& meter_;
    std::function<void()> showAbout_;
    std::string picked_;
    win::Dpi dpi_;  // before the children, which are made at it
    PanelView view_;
    ButtonBar bar_;
    bool shownOnce_ = false;
    int outerWidth_ = 0;        // units
    int panelOuterHeight_ = 0;  // units: the outer height the panel gave the window
    SIZE frame_{0, 0};          // title bar and borders, in pixels
    win::UniqueFont font_;
    win::UniqueBrush whiteBrush_;
};

}  // namespace velkaro::ui
