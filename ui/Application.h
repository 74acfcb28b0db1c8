// The hidden application window ("TApplication", titled as the program, which a second start
// looks for) and the program's top-level windows it owns: it carries their single taskbar
// button, and minimising it hides them into the tray.
#pragma once

#include <windows.h>

#include <functional>
#include <map>
#include <string>

#include "win/Dpi.h"
#include "win/Window.h"

namespace velkaro {

class Dialogs;

namespace ui {

class Application;

// A top-level window owned by the application window; its close box hides it, and an error
// leaving one of its messages goes to the application's error box.
class AppWindow : public win::Window {
public:
    explicit AppWindow(Application& app) : app_(app) {}

    bool IsVisible() const;
    void Show();
    // Gives the keyboard back to the window it was opened from, as a dialog does to its owner.
    void Hide();
    void BringToFront();  // visible, restored, in front and active
    void BringToFrontFrom(HWND opener);  // the same, opened from that window
    win::Dpi ScreenDpi() const { return dpi_; }

protected:
    // At x, y (pixels) with a client area of that size in units, at its monitor's DPI (dpi_).
    // Throws std::runtime_error when Windows refuses.
    void CreateOwned(const wchar_t* className, const std::string& caption, DWORD style, DWORD exStyle,
                     int x, int y, int clientWidth, int clientHeight,
                     HBRUSH background = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
    // The window takes the work area's size and place again after a taskbar or the display changed.
    virtual void Place() {}
    // Another monitor: the fonts and children of its DPI, taken before the window moves to the
    // place Windows suggests, so that its sizing sees them; then what follows the move.
    virtual void SetDpi(win::Dpi dpi) { dpi_ = dpi; }
    virtual void DpiMoved() {}
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;
    void MessageFailed(const std::exception& e) noexcept override;
    Application& app_;
    win::Dpi dpi_ = win::SystemDpi();  // the window's; the children's, which are made at it

private:
    HWND opener_ = nullptr;  // the window this one was last opened from, while shown
};

class Application : private win::Window {
public:
    static constexpr wchar_t kClassName[] = L"TApplication";

    // Throws std::runtime_error when Windows refuses.
    Application(const std::string& title, velkaro::Dialogs& dialogs);
    ~Application() override;

    using win::Window::Handle;
    // Shared; a stock icon when the executable has none.
    HICON Icon() const { return icon_; }

    // Hidden with the taskbar button on minimise; a close request to the application closes it.
    void SetMainWindow(AppWindow* window) { main_ = window; }
    void HideToTray();
    void RestoreFromTray();

    // Posts the quit message: the loop ends when it takes it.
    void EndRequest();
    bool EndRequested() const { return endRequested_; }

    // The program's messages and error boxes.
    velkaro::Dialogs& Dialogs() const { return dialogs_; }

    // Returns the quit message's exit code (1 when GetMessage fails).
    int Run();

    // onTimer runs in the message loop and in every modal loop alike. Setting it again restarts
    // its interval; false when Windows has no timer left.
    bool StartTimer(UINT_PTR id, unsigned ms, std::function<void()> onTimer);
    void StopTimer(UINT_PTR id);

private:
    // Follows the owned windows' visibility, but only while the application window's is still the
    // one set here last (the tray icon may have shown or hidden it on its own).
    void UpdateVisible();
    static LRESULT CALLBACK ShowHookProc(int code, WPARAM wp, LPARAM lp);
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;
    void MessageFailed(const std::exception& e) noexcept override;

    velkaro::Dialogs& dialogs_;
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
