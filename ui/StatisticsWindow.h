// The statistics window "VelkaroTForm1": the meter's panel in an image area over the button
// bar, and the panel's menu. The panel sizes the window as if the screen had no end; on the
// screen it stays inside its monitor's work area and the image area scrolls past that
// (statistics/StatisticsPanel.h). Sizes are 96-DPI units, drawn at the window's monitor's DPI.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "core/Accounting.h"
#include "app/Ports.h"
#include "app/TrafficMeter.h"
#include "ui/Application.h"
#include "ui/PanelView.h"
#include "win/DialogsWin32.h"
#include "win/Dpi.h"
#include "win/Handles.h"
#include "win/Window.h"

namespace velkaro::ui {

// The statistics window's flat button bar: a button clicks when the mouse is released over the
// button it was pressed on, sending WM_COMMAND with its id to the parent. In 96-DPI units.
class ButtonBar : public win::Window {
public:
    struct Button {
        int left;  // in the bar's client coordinates
        int width;
        const char* caption;  // Windows-1251
        UINT command;
    };
    static constexpr int kHeight = 21;

    // The statistics window's buttons. Throws std::runtime_error when its brush cannot be made;
    // its font comes with SetDpi.
    ButtonBar();
    // The child window "VelkaroPanel1".
    void Create(HWND parent);
    // Throws std::runtime_error when the font cannot be made.
    void SetDpi(win::Dpi dpi);

protected:
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    int ButtonAt(int x, int y) const;
    // Paints again only when the state changed.
    void SetState(int& button, int value);
    void Paint(HDC dc);

    win::Dpi dpi_;
    win::UniqueFont font_;
    win::UniqueBrush brush_;
    int pressed_ = -1;  // button under a pressed left mouse button
    int hot_ = -1;      // button under the mouse
};

class StatisticsWindow : public WindowHost, public AppWindow {
public:
    static constexpr int kLayoutClientWidth = StatisticsPanel::kLayoutImageWidth;
    static constexpr int kLayoutClientHeight = StatisticsPanel::kLayoutImageHeight + ButtonBar::kHeight;

    // Hidden, centred in the work area when first shown; throws std::runtime_error when Windows
    // refuses.
    // showGraph: the speed graph of the adapter picked, from the panel's menu.
    StatisticsWindow(Application& app, TrafficMeter& meter, std::function<void()> showAbout,
                     std::function<void(const std::string&)> showGraph = {});
    ~StatisticsWindow() override;

    // The sizes the panel (or the width setting) gave, not those on the screen.
    int OuterWidth() override { return outerWidth_; }
    int OuterHeight() override { return panelOuterHeight_; }
    void SetOuterWidth(int width) override;
    int ImageWidth() override;
    int ImageHeight() override;
    int TextWidth(const std::string& text) override { return dpi_.UnitsCovering(view_.TextWidth(text)); }

    void ShowPanel(const StatisticsPanel& panel);
    void SetWhite();  // window and image area white: the meter counts
    // The block's at or above the last right click.
    const std::string& Picked() const { return picked_; }

    // What the handler asks or says comes from this window. Any exception, not only the meter's,
    // ends in the error box instead of unwinding through Windows.
    template <class F> void Run(F&& handler) {
        win::DialogOwner owner(Handle());
        try {
            meter_.Guarded(std::forward<F>(handler));
        } catch (const std::exception& e) {
            app_.Dialogs().ShowError(e.what());
        }
    }

protected:
    // At a point measured from the window's outer top-left corner, in units; returns when the
    // menu has closed.
    virtual void PopupMenu(int windowX, int windowY);

private:
    friend class StatisticsWindowTest;
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;
    void RightClick(int x, int y);  // y includes the scroll offset
    void LayoutChildren();  // at the client area's size, the image area's scroll size with them
    // The size on the screen: at most the work area, keeping the window's centre and inside it.
    void Place() override;
    void SetDpi(win::Dpi dpi) override;  // the fonts and the children of that DPI
    void DpiMoved() override;
    int ScrollWidth();  // the image area's width that scrolls sideways: the panel's texts
    SIZE FrameUnits() const;  // the title bar and borders, in units

    TrafficMeter& meter_;
    std::function<void()> showAbout_;
    std::function<void(const std::string&)> showGraph_;
    std::string picked_;
    PanelView view_;
    ButtonBar bar_;
    bool shownOnce_ = false;
    int outerWidth_ = 0;        // units
    int panelOuterHeight_ = 0;  // units: the outer height the panel gave the window
    SIZE frame_{0, 0};          // title bar and borders, in pixels
    win::UniqueFont font_;
};

}  // namespace velkaro::ui
