// The application object: the hidden application window that carries the program's single
// taskbar button and owns every form (so no form gets a button of its own), the title, the
// main form, the show-main-form switch, the end request, the error box and the message loop.
#pragma once

#include <windows.h>

#include <string>

#include "win/Window.h"

namespace velkaro {

class Dialogs;

namespace shell {

class TApplication;

// A top-level window of the application, owned by the application window. TForm2 and TForm3
// derive from it; the statistics window is a window of its own kind, owned the same way.
class TForm : public win::Window {
public:
    explicit TForm(TApplication& app) : app_(app) {}

    bool IsVisible() const;               // IsWindowVisible
    virtual void SetVisible(bool visible);  // shown (SW_SHOW) or hidden
    void Show() { SetVisible(true); }
    void Hide() { SetVisible(false); }
    void BringToFront();                  // visible, restored, foreground
    // A close request: the close query first; when it allows the close, the main form makes
    // the end request, any other form only hides. Returns whether the form closed.
    bool Close();

protected:
    // Creates the window; the owner is the application window. Call from the derived
    // constructor. Throws std::runtime_error when Windows refuses.
    void CreateForm(const wchar_t* className, const std::string& caption, DWORD style,
                    DWORD exStyle, int x, int y, int outerWidth, int outerHeight);
    // The close query; canClose comes in true.
    virtual void FormCloseQuery(bool& canClose) { (void)canClose; }
    // Messages of this window; the default handles WM_CLOSE with Close().
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;
    // An error that ended a handler goes to the application's error box.
    void MessageFailed(const std::exception& e) noexcept override;
    TApplication& app_;
};

class TApplication : private win::Window {
public:
    static constexpr wchar_t kClassName[] = L"TApplication";

    // Creates the application window; throws std::runtime_error when Windows refuses.
    explicit TApplication(HINSTANCE instance = ::GetModuleHandleW(nullptr));
    ~TApplication() override;

    HINSTANCE Instance() const { return instance_; }
    // The application window: hidden at start, zero-sized, the taskbar button when shown.
    using win::Window::Handle;

    const std::string& Title() const { return title_; }  // Windows-1251
    void SetTitle(const std::string& title);              // also the application window's text
    std::wstring ExeName() const;                         // full path of the executable

    // Makes the message loop show the main form when it starts.
    bool ShowMainForm = true;

    // The first form created, once its creation has finished; null before.
    TForm* MainForm() const { return mainForm_; }
    void SetMainForm(TForm* form);  // the first call wins

    // The application icon (resource 1), shared, for the tray and the windows; a stock icon
    // when the executable has none.
    HICON Icon() const { return icon_; }

    // The end request: posts the quit message; the message loop ends when it takes it.
    void EndRequest();
    bool EndRequested() const { return endRequested_; }

    // The error box for an error that ended a handler.
    void SetDialogs(Dialogs* dialogs) { dialogs_ = dialogs; }
    void ShowError(const std::string& text);
    // A message box of the program's own, with an OK button.
    void ShowMessage(const std::string& text);

    // Shows the main form when the switch is on, then runs the message loop until the quit
    // message is taken; returns its exit code.
    int Run();

    // Shows the application window when a form of the application became visible and hides
    // it when none is visible any more, while its visibility is still the one set here last
    // (the tray icon may have shown or hidden it on its own). Runs by itself whenever a window
    // owned by the application window is shown or hidden.
    void UpdateVisible();

private:
    static LRESULT CALLBACK ShowHookProc(int code, WPARAM wp, LPARAM lp);
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;
    void MessageFailed(const std::exception& e) noexcept override;
    bool AnyFormVisible() const;

    HINSTANCE instance_;
    HHOOK showHook_ = nullptr;
    HICON icon_ = nullptr;
    std::string title_;
    TForm* mainForm_ = nullptr;
    Dialogs* dialogs_ = nullptr;
    bool endRequested_ = false;
    bool setVisible_ = false;  // the application window's visibility as UpdateVisible left it
    bool updating_ = false;
};

}  // namespace shell
}  // namespace velkaro
