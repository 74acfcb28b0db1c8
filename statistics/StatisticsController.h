// The statistics window's controller: start-up, the one-second tick, the right click that
// picks an adapter, the commands of its menu and buttons, and the saves. It works through
// ports, so the very same code runs in the Win32 window (win/StatisticsWindow.cpp), in tests
// and in velkaro-replay.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/AppError.h"
#include "core/Accounting.h"
#include "core/Ports.h"
#include "statistics/StatisticsPanel.h"

namespace velkaro {

// The commands of the program's menus and buttons, by the WM_COMMAND ids its windows take.
enum class Command : unsigned {
    Exit = 2,              // "Выход": the tray menu's and the button's
    StartWithWindows = 3,  // the tray menu's "Запускать вместе с Windows"
    ShowStatistics = 10,   // the tray menu's "Главная форма"
    ShowReport = 102,      // the panel's menu: "История"
    ExportCsv = 111,       // "Экспорт в CSV"
    SetPrices = 103,       // "Задать цену"
    Rename = 105,          // "Переименовать"
    SetLimit = 107,        // "Лимит расходов в месяц..."
    SetTrafficLimit = 108, // "Лимит трафика в месяц..."
    HideIdle = 109,        // "Скрывать адаптеры без трафика"
    MailToAuthor = 201,    // the buttons: "Написать автору"
    ClearHistory = 202,    // "Отчистить историю"
    Help = 203,            // "Помощь"
    About = 204,           // "Об авторе"
};

// What the controller needs of its window beyond the panel's WindowHost (96-DPI units too).
class StatisticsHost : public WindowHost {
public:
    // The panel's row at the top of the image area: 0, or how far the image area is scrolled
    // down when the panel is taller than the window can be.
    virtual int ScrollTop() = 0;
    virtual int ScrollLeft() = 0;  // and how far sideways, when it is wider
    virtual void SetTimerEnabled(bool enabled) = 0;  // the next tick 1000 ms after enabling
    virtual void SetWhite() = 0;                     // window and image colour white
    // The panel's menu at a point of the window, measured from its outer top-left corner;
    // returns when the menu has closed.
    virtual void PopupMenu(int windowX, int windowY) = 0;
    // The outer size the panel asks for, applied in one step.
    virtual void Resize(int outerWidth, int outerHeight) = 0;
    virtual void ShowPanel() = 0;  // the panel's items changed
    // The quick-info window's list; returns whether that window is showing.
    virtual bool RefreshQuickInfo(const std::vector<QuickInfoRow>& rows) = 0;
    virtual void SetTrayTip(const std::string& tip) = 0;  // the tray icon's tip (Windows-1251)
    virtual void ShowAbout() = 0;                          // the about window, not modal
    virtual void EndRequest() = 0;                         // PostQuitMessage(0)
};

// The operating system and the controller's own window; the notifier shows the limits'
// warnings (none: no warning is shown, and none counts as given).
struct StatisticsPorts : SystemPorts {
    StatisticsHost& host;
    Notifier* notifier = nullptr;
};

class StatisticsController {
public:
    StatisticsController(Accounting& a, StatisticsPorts ports);

    // Finds the interface function, whitens the window, loads the files and starts the timer;
    // nothing of it when the function is missing.
    void Start();
    // Samples the interface table, looks at the limits, lays the panel out, resizes the window
    // once, shows the panel, refreshes the quick-info list and the tray tip.
    void Tick();
    // Lays the panel out again from the state of the last tick, resizes the window and shows
    // the panel: the window's text widths changed (another DPI).
    void Relayout();
    // A right click on the panel (y includes the scroll offset): picks the adapter of the
    // block at or above it and opens the menu below the pointer.
    void RightClick(int x, int y);
    // Runs a command of the statistics window; false for a command it does not have.
    bool Run(Command command);

    void ShowReport();    // the HTML history of the picked adapter, opened
    void ExportCsv();     // history.csv of all adapters (or the "SHOW" one), opened
    void SetPrices();     // both prices of the picked adapter
    void Rename();        // its display name
    void SetLimit();         // its money limit per billing period, and the period's day
    void SetTrafficLimit();  // its traffic limit per billing period, and the period's day
    void HideIdle();      // the setting on or off
    void Exit();          // save, then the end request (a failing save raises: no end)
    void ClearHistory();  // asks, saves, deletes, reloads, then tells
    void MailToAuthor();
    void Help();
    void About();

    // The save of the exit paths and of the clear: a file that still cannot be read is left
    // as it is, and a message names it. Raises AppError when a write fails.
    void SaveFiles();
    // The periodic save: the same, without a word about files still unread; the error it
    // raises names the file and the automatic save.
    void PeriodicSave();

    // Runs a handler; an AppError that ends it goes to the error box. Returns false then.
    template <class F> bool Guarded(F&& handler);

    const StatisticsPanel& Panel() const { return panel_; }
    // The tray tip the last tick made (the title before the first one).
    const std::string& TrayTip() const { return trayTip_; }
    // The adapter the commands work on: picked by the last right click.
    const std::string& Picked() const { return picked_; }
    void Pick(const std::string& adapter) { picked_ = adapter; }
    // Whether the quick-info window was showing at the last tick (the tray's double click
    // toggles by it).
    bool QuickInfoShown() const { return quickInfoShown_; }
    Accounting& State() { return a_; }
    bool TimerEnabled() const { return timerEnabled_; }
    bool Sampling() const { return sampling_; }  // the interface function was found

private:
    bool StartAccounting();  // false when the interface function is missing
    // A limit command: the amount, then (unless it removes the limit) the period day.
    void AskLimit(LimitKind kind);
    // Opens a file the program has written into its folder with the program Windows has for
    // it; a failure of the shell says so, naming the file and the reason.
    void OpenWrittenFile(const char* name);
    void SetTimer(bool enabled);
    void LayOut(char sep);  // the panel laid out, new entries registered, the window sized, shown
    // A shell result of 32 or less: the message failed (texts::kOpenFailed or
    // kOpenWrittenFailed) of what could not be opened, with the reason.
    void ReportIfNotOpened(std::intptr_t result, const char* failed, const std::string& what);
    // Why the shell could not open something, by its result (32 or less).
    static std::string OpenFailureReason(std::intptr_t result);
    Accounting& a_;
    StatisticsPorts p_;
    StatisticsPanel panel_;
    std::vector<InterfaceRow> rows_;  // the last reading of the interface table
    std::string trayTip_;
    std::string picked_;
    bool quickInfoShown_ = false;
    bool timerEnabled_ = false;
    bool sampling_ = false;
};

template <class F> bool StatisticsController::Guarded(F&& handler) {
    try {
        handler();
        return true;
    } catch (const AppError& e) {
        p_.dialogs.ShowError(e.what());
        return false;
    }
}

}  // namespace velkaro
