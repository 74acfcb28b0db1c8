// TForm1, the statistics window's behaviour: start-up, the one-second tick, the pick, the
// menu commands and the buttons. It works through ports, so the very same code runs in the
// Win32 window (win/Form1Window.cpp) and in tests and velkaro-replay.
#pragma once

#include <string>
#include <vector>

#include "core/Accounting.h"
#include "core/Files.h"
#include "core/Ports.h"
#include "display/StatisticsPanel.h"

namespace velkaro {

// What TForm1 needs of its window beyond the panel's WindowHost.
class Form1Host : public WindowHost {
public:
    virtual int WindowLeft() = 0;   // outer position on the screen
    virtual int WindowTop() = 0;
    // The panel's row at the top of the image area: 0, or how far the image area is scrolled
    // down when the panel is taller than the window can be.
    virtual int ScrollTop() = 0;
    virtual void SetTimerEnabled(bool enabled) = 0;  // Timer1: next tick 1000 ms after enabling
    virtual void SetWhite() = 0;                     // window and image colour white
    virtual void PopupMenu(int screenX, int screenY) = 0;  // PopupMenu1; returns when closed
    virtual void Repaint() = 0;                      // the panel's items changed
    virtual void RefreshQuickInfo() = 0;             // TForm2's refresh (sets QuickInfoShown)
    virtual void SetTrayTip(const std::string& tip) = 0;  // the tray icon's tip (Windows-1251)
    virtual void ShowAbout() = 0;                    // TForm3, not modal
    virtual void EndRequest() = 0;                   // PostQuitMessage(0)
};

// The operating system and TForm1's own window; the notifier shows the limits' warnings
// (none: no warning is shown, and none counts as given).
struct Form1Ports : SystemPorts {
    Form1Host& host;
    Notifier* notifier = nullptr;
};

enum class MouseButton { Left, Right, Middle };

class TForm1 {
public:
    TForm1(Accounting& a, Form1Ports ports);

    void FormCreate();
    void Timer1Timer();
    // x and y in the panel's coordinates (y includes the scroll offset).
    void Image1MouseDown(MouseButton button, int x, int y);
    void N2Click();  // "История": the HTML report of SelectedAdapter
    void N3Click();  // "Задать цену"
    void N5Click();  // "Переименовать"
    void N7Click();  // "Лимит расходов в месяц...": the monthly money limit of SelectedAdapter
    void N9Click();  // "Скрывать адаптеры без трафика": the setting on or off
    void SpeedButton1Click();  // "Выход": save, then the end request (save errors propagate)
    void SpeedButton2Click();  // "Отчистить историю": asks, saves, deletes, reloads, then tells
    void SpeedButton3Click();  // "Написать автору"
    void SpeedButton4Click();  // "Помощь"
    void SpeedButton5Click();  // "Об авторе"
    void MailToAuthor();
    // The save of the exit paths and of the clear: a file that still cannot be read is left
    // as it is, and a message names it. Raises AppError when a write fails.
    void ost();
    // The periodic save: the same, without a word about files still unread.
    void PeriodicSave();

    // Runs a handler; an AppError that ends it goes to the error box. Returns false then.
    template <class F> bool Guarded(F&& handler);

    const StatisticsPanel& Panel() const { return panel_; }
    // The tray tip the last complete tick made (the title before the first one).
    const std::string& TrayTip() const { return trayTip_; }
    Accounting& State() { return a_; }
    bool QuickInfoShown = false;
    bool TimerEnabled() const { return timerEnabled_; }
    // A tick, a save, or the clear command between its deletion and the end of its reload is
    // under way: the state is half-way there, and a save now would write it so.
    bool Busy() const { return ticking_ || saving_ || reloading_; }
    bool Sampling() const { return sampling_; }  // the interface function was found

private:
    // Finds the interface function, whitens the window, loads the files and starts the
    // timer; false when the function is missing.
    bool StartAccounting();
    void SetTimer(bool enabled);
    FilePorts Files();
    Accounting& a_;
    Form1Ports p_;
    StatisticsPanel panel_;
    std::vector<InterfaceRow> rows_;  // the last reading of the interface table
    std::string trayTip_;
    bool timerEnabled_ = false;
    bool sampling_ = false;
    bool ticking_ = false;
    bool saving_ = false;
    bool reloading_ = false;
};

}  // namespace velkaro

#include "core/AppError.h"

template <class F> bool velkaro::TForm1::Guarded(F&& handler) {
    try {
        handler();
        return true;
    } catch (const AppError& e) {
        p_.dialogs.ShowError(e.what());
        return false;
    }
}
