// The application window and the program's other top-level windows.
//
// The application window is a hidden top-level window of the class "TApplication" whose text
// is the program's title: a second start finds the first by it. It carries the program's single
// taskbar button: every window of the program is owned by it (so none has a button of its own),
// and it shows while one of them is shown. Minimising it (from its taskbar button) hides it and
// the main window into the tray; a close request to it closes the main window (the quick-info
// window), which saves and ends the program.
#pragma once

#include <windows.h>

#include <functional>
#include <map>
#include <string>

#include "win/Window.h"

namespace velkaro {

class Dialogs;

namespace ui {

class Application;

// A top-level window owned by the application window; an error that leaves one of its
// messages goes to the application's error box.
class AppWindow : public win::Window {
public:
    explicit AppWindow(Application& app) : app_(app) {}

    bool IsVisible() const;
    void Show();
    // Hidden; a window opened from another that has the keyboard gives it back to that one,
    // as a dialog does to its owner, when it is still shown and takes input.
    void Hide();
    void BringToFront();  // visible, restored, in front and active
    void BringToFrontFrom(HWND opener);  // the same, opened from that window

protected:
    // Creates the window; throws std::runtime_error when Windows refuses.
    void CreateOwned(const wchar_t* className, const std::string& caption, DWORD style, DWORD exStyle,
                     int x, int y, int outerWidth, int outerHeight);
    void MessageFailed(const std::exception& e) noexcept override;
    Application& app_;

private:
    HWND opener_ = nullptr;  // the window this one was last opened from, while shown
};

class Application : private win::Window {
public:
    static constexpr wchar_t kClassName[] = L"TApplication";

    // Creates the application window, hidden, with the title as its text; throws
    // std::runtime_error when Windows refuses.
    Application(const std::string& title, Dialogs& dialogs);
    ~Application() override;

    using win::Window::Handle;
    const std::string& Title() const { return title_; }  // Windows-1251
    // The application icon (resource 1), shared, for the tray and the windows; a stock icon
    // when the executable has none.
    HICON Icon() const { return icon_; }

    // The window that minimising hides along with the taskbar button, and that a close request
    // to the application window closes.
    void SetMainWindow(AppWindow* window) { main_ = window; }
    // The taskbar button and the main window hidden, as minimising does; both shown again.
    void HideToTray();
    void RestoreFromTray();

    // The end request: posts the quit message; the message loop ends when it takes it.
    void EndRequest();
    bool EndRequested() const { return endRequested_; }

    // The error box for an error that ended a handler; a message box of the program's own.
    void ShowError(const std::string& text);
    void ShowMessage(const std::string& text);

    // The message loop, until the quit message is taken; returns its exit code.
    int Run();

    // A timer of the application window: onTimer runs at each of its WM_TIMER, in the message
    // loop and in every modal loop alike. Setting it again starts its interval afresh; false
    // when Windows has no timer left.
    bool StartTimer(UINT_PTR id, unsigned ms, std::function<void()> onTimer);
    void StopTimer(UINT_PTR id);

private:
    // Shows the application window when a window of the application became visible and hides
    // it when none is visible any more, while its visibility is still the one set here last
    // (the tray icon may have shown or hidden it on its own). Runs whenever a window owned by
    // the application window is shown or hidden.
    void UpdateVisible();
    static LRESULT CALLBACK ShowHookProc(int code, WPARAM wp, LPARAM lp);
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;
    void MessageFailed(const std::exception& e) noexcept override;
    bool AnyWindowVisible() const;

    std::string title_;
    Dialogs& dialogs_;
    HHOOK showHook_ = nullptr;
    HICON icon_ = nullptr;
    AppWindow* main_ = nullptr;
    std::map<UINT_PTR, std::function<void()>> timers_;
    bool endRequested_ = false;
    bool setVisible_ = false;  // the application window's visibility as UpdateVisible left it
    bool updating_ = false;
};

}  // namespace ui
}  // namespace velkaro
