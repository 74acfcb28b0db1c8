// The quick-info window "Fast INFO", the program's main window: an always-on-top list of
// today's traffic and cost per adapter. Its menu is the tray icon's; a close request, the
// session's end and the system's suspend save the files.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "ui/Application.h"
#include "app/TrafficMeter.h"
#include "win/Dpi.h"
#include "win/Handles.h"

namespace velkaro::ui {

// The Run key behind an interface, so that the tray menu's logic can be tried without the
// registry.
class AutostartSetting {
public:
    virtual ~AutostartSetting() = default;
    virtual bool IsOn() = 0;
    // ERROR_SUCCESS or the system's error code.
    virtual LONG SetOn(bool on) = 0;
};

class QuickInfoWindow : public AppWindow {
public:
    static constexpr int kLayoutClientWidth = 293;
    static constexpr int kLayoutClientHeight = 38;

    // autostart: without one the item stays unchecked and does nothing. showStatistics: shown and
    // in front, centred the first time; showGraph: the speed graph of all adapters shown. Throws
    // std::runtime_error when Windows refuses.
    QuickInfoWindow(Application& app, TrafficMeter& meter, AutostartSetting* autostart,
                    std::function<void()> showStatistics, std::function<void()> showGraph);

    HMENU Menu() const { return menu_.get(); }  // the tray icon's menu

    // Sizes the window for the rows as far as the work area allows (growing and shrinking with
    // them); returns whether it is showing.
    bool Refresh(const std::vector<QuickInfoRow>& rows);
    // Hidden when it was showing at the last tick, else shown.
    void ToggleFromTray();

    void StartWithWindows();  // turned the other way; a failure says so in a message
    void Exit();              // save, then the end request

    // A session-end query was answered yes and the session has not ended or been cancelled.
    bool SessionEndPending() const { return sessionSaved_; }

protected:
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    // A failure shows the error box and returns false.
    bool Save();
    void MakeListView();  // once, at the first show
    void SetDpi(win::Dpi dpi) override;  // the font and the columns of that DPI
    // Sized for the rows it lists, as far as the work area allows.
    void Place() override;
    void DpiMoved() override { Place(); }
    // Whether the list scrolls through so many rows in a client area of that height.
    bool ListScrolls(std::size_t rows, int clientHeight) const;

    TrafficMeter& meter_;
    AutostartSetting* autostart_;
    std::function<void()> showStatistics_;
    std::function<void()> showGraph_;
    bool shownAtRefresh_ = false;  // showing at the last refresh (the last tick)
    HWND listView_ = nullptr;
    std::vector<QuickInfoRow> listed_;  // the rows as the list view holds them
    win::UniqueFont font_;
    win::UniqueMenu menu_;
    bool sessionSaved_ = false;
};

}  // namespace velkaro::ui
