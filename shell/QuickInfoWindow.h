// TForm2 "Fast INFO": the small always-on-top list of today's traffic and cost per adapter,
// and the application's main form. It owns the single-instance guard (OneInstance1) and the
// tray icon (TrayIcon1), whose menu is PopupMenu1 ("Главная форма", "Запускать вместе с
// Windows", "Выход"); its close query
// and the end of the Windows session are save paths.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/Accounting.h"
#include "shell/Application.h"
#include "shell/OneInstance.h"
#include "win/Handles.h"

namespace velkaro::shell {

class AutostartSetting;
class TTrayIcon;

// What TForm2 needs of the statistics window.
class StatisticsLink {
public:
    virtual ~StatisticsLink() = default;
    virtual void Save() = 0;            // TForm1's ost; raises AppError when it fails
    virtual void ShowStatistics() = 0;  // visible and in front; centred the first time
    virtual bool QuickInfoShown() = 0;  // TForm1's QuickInfoShown
};

struct QuickInfoOptions {
    // Start-up steps as they happen ("guard", "tray", "main form").
    std::function<void(const std::string&)> trace;
    // Runs on OneInstance1 before its check (tests replace the message box).
    std::function<void(TOneInstance&)> configureGuard;
    // Runs on TrayIcon1 before its Loaded (tests replace the shell calls).
    std::function<void(TTrayIcon&)> configureTray;
    // What "Запускать вместе с Windows" reads and sets; without one the item stays unchecked
    // and does nothing.
    AutostartSetting* autostart = nullptr;
};

class TForm2 : public TForm {
public:
    static constexpr wchar_t kClassName[] = L"TForm2";
    static constexpr UINT kN10 = 10;  // "Главная форма"
    static constexpr UINT kN2 = 2;    // "Выход"
    static constexpr UINT kN3 = 3;    // "Запускать вместе с Windows"
    static constexpr int kLayoutClientWidth = 293;
    static constexpr int kLayoutClientHeight = 38;
    static constexpr int kLayoutLeft = 358;
    static constexpr int kLayoutTop = 264;
    static constexpr int kFirstThreshold = 43;
    static constexpr int kRowStep = 13;

    // Creates the window hidden, then its components: the guard checks for a running
    // instance, then the tray icon puts the application into the notification area. Ends as
    // the application's main form.
    TForm2(TApplication& app, const Accounting& accounting, QuickInfoOptions options = {});
    ~TForm2() override;

    void AttachStatistics(StatisticsLink* link) { link_ = link; }

    // Brings the list to the QuickInfoRows when showing, and grows the window by their rows
    // as far as the work area allows; returns whether it is showing (the new QuickInfoShown).
    bool RefreshQuickInfo();
    void TrayIcon1DblClick();
    void Form1N10Click();
    void N2Click();
    // Start with Windows turned the other way; a failure says so in a message.
    void N3Click();
    // Before PopupMenu1 opens: its check mark shows whether the program starts with Windows.
    void PopupMenu1Popup();

    // The save of an exit path: TForm1's ost, except in a refused second instance, which
    // never writes. A failure shows the error box; returns false then.
    bool SaveForExit();
    // A session-end query was answered yes and the session has not ended or been cancelled.
    bool SessionEndPending() const { return sessionSaved_; }

    // Components.
    std::unique_ptr<TOneInstance> OneInstance1;
    std::unique_ptr<TTrayIcon> TrayIcon1;

protected:
    void FormCloseQuery(bool& canClose) override;
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    friend class ShellProgramTest;

    void MakeListView();  // ListView1, once

    const Accounting& a_;
    StatisticsLink* link_ = nullptr;
    AutostartSetting* autostart_ = nullptr;
    HWND listView_ = nullptr;  // ListView1, from the first show on
    std::vector<QuickInfoRow> listed_;  // the rows as ListView1 holds them
    win::UniqueFont font_;
    win::UniqueMenu popupMenu_;  // PopupMenu1
    bool sessionSaved_ = false;
    int saves_ = 0;  // saves run by this window's exit paths
};

}  // namespace velkaro::shell
