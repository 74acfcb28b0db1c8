// The quick-info window "Fast INFO": the small always-on-top list of today's traffic and cost
// per adapter, and the program's main window. Its menu is the tray icon's ("Главная форма",
// "Запускать вместе с Windows", "Выход"); a close request, the end of the Windows session and
// the system's suspend save the files. Its sizes are 96-DPI units, scaled to the DPI of its
// monitor.
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

// Whether the program starts when the user logs on: behind this interface (the Run key in
// the program) so that the tray menu's logic can be tried without the registry.
class AutostartSetting {
public:
    virtual ~AutostartSetting() = default;
    // Whether this program is set to start with Windows.
    virtual bool IsOn() = 0;
    // Turns it on or off; ERROR_SUCCESS or the system's error code.
    virtual LONG SetOn(bool on) = 0;
};

// What the window needs of the rest of the program.
struct QuickInfoLinks {
    std::function<void()> save;            // the meter's save; raises AppError
    std::function<void()> showStatistics;  // shown and in front; centred the first time
    // What "Запускать вместе с Windows" reads and sets; without one the item stays unchecked
    // and does nothing.
    AutostartSetting* autostart = nullptr;
};

class QuickInfoWindow : public AppWindow {
public:
    static constexpr int kLayoutClientWidth = 293;
    static constexpr int kLayoutClientHeight = 38;

    // Created hidden; throws std::runtime_error when Windows refuses.
    QuickInfoWindow(Application& app, QuickInfoLinks links);

    HMENU Menu() const { return menu_.get(); }  // the tray icon's menu

    // Brings the list to the rows while showing, and sizes the window for their rows as far
    // as the work area allows (from its layout size: it grows with the rows and shrinks with
    // them), a scroll bar's width wider while the list scrolls; returns whether it is showing.
    // The window keeps inside the work area also when that or the display changes, and is
    // placed inside it again whenever it is shown.
    bool Refresh(const std::vector<QuickInfoRow>& rows);
    // The tray's double click: hidden when it was showing at the last tick, else shown.
    void ToggleFromTray();

    // The commands of the menu.
    void ShowStatistics();    // the statistics window in front, this one hidden
    void StartWithWindows();  // turned the other way; a failure says so in a message
    void Exit();              // save, then the end request

    // A session-end query was answered yes and the session has not ended or been cancelled.
    bool SessionEndPending() const { return sessionSaved_; }

protected:
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    // The save of an exit path; a failure shows the error box and returns false.
    bool Save();
    void MakeListView();  // once, at the first show
    void SetDpi(win::Dpi dpi);  // the font and the columns of another DPI
    void FitToRows(std::size_t rows);
    // Whether the list scrolls through so many rows in a client area of that height.
    bool ListScrolls(std::size_t rows, int clientHeight) const;

    QuickInfoLinks links_;
    win::Dpi dpi_;
    bool shownAtRefresh_ = false;  // showing at the last refresh (the last tick)
    HWND listView_ = nullptr;
    std::vector<QuickInfoRow> listed_;  // the rows as the list view holds them
    win::UniqueFont font_;
    win::UniqueMenu menu_;
    bool sessionSaved_ = false;
};

}  // namespace velkaro::ui
