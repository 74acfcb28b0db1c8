// The tray icon with its tip, menu and info balloons (one at a time), put back when the
// taskbar is re-created; its picture is of the size the shell asks for at the primary
// monitor's DPI. The shell's notifications reach a hidden window of the class
// "TCustomWindowTimer", the name other programs know it by.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <cstdint>
#include <functional>
#include <string>

#include "app/Ports.h"
#include "statistics/SpeedGraph.h"
#include "ui/Application.h"
#include "win/Dpi.h"
#include "win/Handles.h"
#include "win/Window.h"

namespace velkaro::ui {

// The message the shell sends to the hidden window for mouse actions on the icon.
inline constexpr UINT kTrayCallbackMessage = WM_USER + 211;  // 0x4D3

class TrayIcon : public Notifier, private win::Window {
public:
    // Tests record the calls instead.
    using ShellNotify = std::function<BOOL(DWORD message, NOTIFYICONDATAW* data)>;
    static constexpr std::size_t kTipLimit = 127;  // characters of the tip field
    // A balloon the shell never reports gone counts as gone after this long.
    static constexpr std::uint64_t kBalloonGoneMs = 30000;

    // owner: the main window, made foreground around the menu (whose commands go to it) and shown
    // or hidden by the double click before onDoubleClick runs. Throws std::runtime_error when the
    // hidden window cannot be created.
    TrayIcon(Application& app, AppWindow& owner, HMENU menu, std::function<void()> onDoubleClick,
             ShellNotify notify = {});
    ~TrayIcon() override;  // the icon leaves the notification area

    void Add();  // into the notification area, with the application's icon and the tip
    HWND WindowHandle() const { return Handle(); }
    const std::string& Tip() const { return tip_; }
    // The tip (Windows-1251, cut to kTipLimit) and the picture of a traffic state (Off: the
    // application's icon) in one call to the shell, and none when neither changed.
    void Show(const std::string& tip, TrayActivity activity);
    TrayActivity Activity() const { return activity_; }
    // False when the icon is not in the notification area, the shell refused it, or the last
    // balloon is still up: the shell shows one at a time, so the next waits until it reports the
    // last one hidden, timed out or clicked.
    bool ShowBalloon(const std::string& title, const std::string& text) override;  // Windows-1251

private:
    friend class TrayIconTest;
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;
    // The pictures of the notification area's size at a DPI: the application's icon and those
    // of the traffic states (its arrows grey where nothing went that way), all made ahead so
    // that a change of state only swaps them.
    void MakeIcon(win::Dpi dpi);
    void Fill();                 // the icon's record: window, id, flags, message, icon, tip
    void Notify(DWORD message);  // NIM_ADD, NIM_MODIFY or NIM_DELETE with the record filled

    Application& app_;
    AppWindow& owner_;
    HMENU menu_;
    std::function<void()> onDoubleClick_;
    ShellNotify notify_;
    const UINT taskbarCreated_;  // the number of "TaskbarCreated"; 0 when it could not be had
    win::UniqueIcon icon_;       // the application icon at the notification area's size
    // The traffic states' pictures by TrayActivity, none for Off; where there is none (Off, or
    // one that cannot be made) the application icon shows.
    win::UniqueIcon activityIcons_[5];
    TrayActivity activity_ = TrayActivity::Off;
    std::string tip_;
    bool added_ = false;
    std::uint64_t balloonShownAt_ = 0;  // GetTickCount64 of the balloon up; 0: none
    NOTIFYICONDATAW data_{};
};

}  // namespace velkaro::ui
