// The tray icon: the program's icon in the notification area of the taskbar, with its tip,
// the right-button menu, the double-click toggle of the main form, minimise-to-tray, re-adding
// after the taskbar is re-created, and removal at the end.
//
// How the quick-info window (TForm2, the owner) sets it up, in this order:
//
//     TrayIcon1 = std::make_unique<TTrayIcon>(app, *this);   // after CreateForm()
//     TrayIcon1->SetHint(texts::kAppTitle);                  // "Velkaro V1.4 Final"
//     TrayIcon1->SetShowHint(true);
//     TrayIcon1->SetIcon(app.Icon());                        // copied
//     TrayIcon1->SetIconID(0);
//     TrayIcon1->SetMinimizeToTray(true);
//     TrayIcon1->SetMinimizeOnStart(true);
//     TrayIcon1->SetPopupMenu(PopupMenu1);                   // HMENU; commands go to the owner
//     TrayIcon1->OnDblClick = [this] { TrayIcon1DblClick(); };
//     TrayIcon1->Loaded();   // after the single-instance guard's check, before SetMainForm
//
// and destroys it with the form (before the menu and before the application object). The menu
// is shown with TrackPopupMenu on the owner's window, so its items arrive there as WM_COMMAND
// with the item id, as they do when a default item is clicked by a double click.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <cstdint>
#include <functional>
#include <string>

#include "core/AppError.h"
#include "core/Ports.h"
#include "win/Handles.h"
#include "win/Window.h"

namespace velkaro::shell {

class TApplication;
class TForm;

// Raised when putting the icon into the notification area or taking it out failed.
class ETrayIcon : public AppError {
public:
    using AppError::AppError;
};

// The message the shell sends to the hidden window for mouse actions on the icon.
inline constexpr UINT TrayCallbackMessage = WM_USER + 211;  // 0x4D3
// The icon-data record: the wide layout with the 128-character tip field and the balloon
// fields, which every shell from Windows 2000 on takes. The tip is cut after 127 characters.
inline constexpr DWORD kIconDataSize = NOTIFYICONDATAW_V2_SIZE;
inline constexpr int kTipLimit = 127;
// The balloon's fields hold 63 characters of title and 255 of text.
inline constexpr int kBalloonTitleLimit = 63;
inline constexpr int kBalloonTextLimit = 255;
// How long the balloon stays (shells from Vista on use their own setting).
inline constexpr UINT kBalloonTimeoutMs = 10000;

// Base of the program's reusable components: a name and the setting About, which nothing reads.
class TBaseComponent {
public:
    explicit TBaseComponent(std::string name) : name_(std::move(name)) {}
    virtual ~TBaseComponent() = default;
    TBaseComponent(const TBaseComponent&) = delete;
    TBaseComponent& operator=(const TBaseComponent&) = delete;

    const std::string& Name() const { return name_; }
    std::string About;

    // Called when the owner's settings have all been given.
    virtual void Loaded() {}

private:
    std::string name_;
};

// A hidden top-level window, created in the constructor and destroyed in the destructor, that
// receives messages for the component, and a periodic timer with id 1 on it.
class TCustomWindowTimer : public TBaseComponent, private win::Window {
public:
    using ErrorHandler = std::function<void(const std::exception&)>;

    static constexpr wchar_t kWindowClass[] = L"TCustomWindowTimer";
    static constexpr UINT_PTR kTimerId = 1;

    // Throws std::runtime_error when the hidden window cannot be created.
    TCustomWindowTimer(std::string name, ErrorHandler onError);
    ~TCustomWindowTimer() override;

    HWND WindowHandle() const { return Handle(); }

    // The timer runs when the interval is not 0, it is enabled and an event is set. Every
    // change kills it and starts it again; "Not enough timers available" when that fails.
    unsigned Interval() const { return interval_; }
    void SetInterval(unsigned milliseconds);
    bool TimerEnabled() const { return timerEnabled_; }
    void SetTimerEnabled(bool enabled);
    void SetOnTimer(std::function<void()> onTimer);

protected:
    // Messages of the hidden window. The base runs the timer step on WM_TIMER and gives
    // everything else to DefWindowProcW; an error raised inside goes to ReportError.
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;
    virtual void TimerStep();
    // Shows an error raised inside a message of the hidden window.
    void ReportError(const std::exception& e);

private:
    friend class TrayIconTest;
    void MessageFailed(const std::exception& e) noexcept override { ReportError(e); }
    void UpdateTimer();

    ErrorHandler onError_;
    unsigned interval_ = 1000;
    bool timerEnabled_ = true;
    bool timerRunning_ = false;
    std::function<void()> onTimer_;
};

enum class TMouseButton { mbLeft, mbRight, mbMiddle };

// Shift state given to the mouse events.
enum TShift : unsigned {
    ssShift = 1u << 0,
    ssAlt = 1u << 1,
    ssCtrl = 1u << 2,
    ssLeft = 1u << 3,
    ssRight = 1u << 4,
    ssMiddle = 1u << 5,
};

// The tray icon is also the program's Notifier: the limits' warnings are its info balloons.
class TTrayIcon : public TCustomWindowTimer, public Notifier {
public:
    using ShellNotify = std::function<BOOL(DWORD message, NOTIFYICONDATAW* data)>;
    using MenuPopup = std::function<void(HMENU menu, int x, int y, HWND owner)>;
    using MouseEvent = std::function<void(TMouseButton button, unsigned shift, int x, int y)>;
    using MouseMoveEvent = std::function<void(unsigned shift, int x, int y)>;
    using NotifyEvent = std::function<void()>;

    // Creates the hidden window and hooks the application window. owner: the form that owns
    // the icon (the quick-info window); it is made foreground around the menu and toggled by
    // the double click.
    TTrayIcon(TApplication& app, TForm& owner, std::string name = "TrayIcon1");
    ~TTrayIcon() override;

    // Settings.
    const std::string& Hint() const { return hint_; }
    void SetHint(const std::string& hint);  // Windows-1251
    bool ShowHint() const { return showHint_; }
    void SetShowHint(bool show);
    HICON Icon() const { return icon_.get(); }
    void SetIcon(HICON icon);  // copies the picture
    UINT IconID() const { return iconId_; }
    void SetIconID(UINT id) { iconId_ = id; }
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool enabled) { enabled_ = enabled; }
    bool Visible() const { return visible_; }
    void SetVisible(bool visible);
    bool MinimizeToTray() const { return minimizeToTray_; }
    void SetMinimizeToTray(bool value) { minimizeToTray_ = value; }
    bool MinimizeOnStart() const { return minimizeOnStart_; }
    void SetMinimizeOnStart(bool value) { minimizeOnStart_ = value; }
    HMENU PopupMenu() const { return popupMenu_; }
    // The menu and its AutoPopup setting; null drops the reference (the menu is going away).
    void SetPopupMenu(HMENU menu, bool autoPopup = true);
    bool PopupByLeft() const { return popupByLeft_; }
    void SetPopupByLeft(bool value) { popupByLeft_ = value; }

    // Events. The program sets only OnDblClick.
    MouseMoveEvent OnMouseMove;
    MouseEvent OnMouseDown;
    MouseEvent OnMouseUp;
    NotifyEvent OnClick;
    NotifyEvent OnDblClick;
    NotifyEvent OnMinimize;
    NotifyEvent OnPopup;
    NotifyEvent OnShow;
    NotifyEvent OnHide;

    void Loaded() override;

    // Operations.
    virtual void FillIconData();
    virtual void UpdateIcon();
    virtual void ShowIcon();
    virtual void HideIcon();
    virtual void ShowPopupMenu();
    virtual void RestoreApplication();
    virtual void HideApplication();
    virtual void HideToTray();
    virtual void DblClick();
    // An info balloon from the icon: NIM_MODIFY with NIF_INFO, the info icon, the title and
    // text cut to their fields. False when the icon is not in the notification area or the
    // shell refused it. Later updates of the icon carry no balloon.
    bool ShowBalloon(const std::string& title, const std::string& text) override;  // Windows-1251

    // Seams: the shell call (default Shell_NotifyIconW) and the menu's popup (default
    // TrackPopupMenu on the owner's window).
    void SetShellNotify(ShellNotify notify) { shellNotify_ = std::move(notify); }
    void SetMenuPopup(MenuPopup popup) { menuPopup_ = std::move(popup); }

protected:
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;  // TrayWindowProc
    LRESULT TrayWindowProc(UINT msg, WPARAM wp, LPARAM lp);
    // Every message to the application window passes here first.
    LRESULT AppWindowHook(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

    virtual void MouseMove(unsigned shift, int x, int y);
    virtual void MouseDown(TMouseButton button, unsigned shift, int x, int y);
    virtual void MouseUp(TMouseButton button, unsigned shift, int x, int y);
    virtual void Click();

private:
    friend class TrayIconTest;
    void InsertToTray();
    void DeleteFromTray();
    void Notify(DWORD message);
    void HideIconSteps(bool restore);
    void HookApplicationWindow();
    void UnhookApplicationWindow();
    static LRESULT CALLBACK AppHookProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id,
                                        DWORD_PTR self);
    static unsigned ShiftState();

    TApplication& app_;
    TForm& owner_;
    // The number RegisterWindowMessage gives "TaskbarCreated"; 0 when it could not be had.
    const UINT taskbarCreatedMessage_;
    std::string hint_;
    bool showHint_ = true;
    win::UniqueIcon icon_;  // own copy
    UINT iconId_ = 0;
    bool enabled_ = true;
    bool visible_ = false;
    bool minimizeToTray_ = false;
    bool minimizeOnStart_ = false;
    HMENU popupMenu_ = nullptr;
    bool autoPopup_ = true;
    bool popupByLeft_ = false;
    bool leftButtonPressed_ = false;
    UINT flags_ = NIF_MESSAGE | NIF_TIP;
    NOTIFYICONDATAW iconData_{};
    ShellNotify shellNotify_;
    MenuPopup menuPopup_;

    // The application window while this component's hook sits in its subclass chain.
    HWND hookedWindow_ = nullptr;
};

}  // namespace velkaro::shell
