// The program's windows: a window class registered once, a window whose messages reach the
// C++ object that created it, and the message loop.
#pragma once

#include <windows.h>

#include <exception>

#include "win/Handles.h"

namespace velkaro::win {

// A class of the program's own windows. Every such class runs Window's procedure.
struct WindowClass {
    const wchar_t* name;
    HBRUSH background = nullptr;  // null: the window paints its whole background itself
    HICON icon = nullptr;         // big and small icon of the class
};

// Registers the class with the executable's module, once per process: a class of that name
// registered already is left as it is. Throws std::runtime_error when Windows refuses.
void RegisterWindowClass(const WindowClass& cls);

// A window whose messages go to WindowProc of this object, from WM_NCCREATE (where Handle()
// becomes valid) to WM_NCDESTROY (where it becomes null again). Destroying the object destroys
// the window first, and no message reaches the object once its destruction has begun.
class Window {
public:
    Window() = default;
    virtual ~Window() { Destroy(); }
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    HWND Handle() const noexcept { return hwnd_; }

protected:
    // Registers the class when needed and creates the window (parent: the owner of a
    // top-level window, the parent of a child, or HWND_MESSAGE). Throws std::runtime_error
    // when the class cannot be registered or the window cannot be created.
    void Create(const WindowClass& cls, const wchar_t* text, DWORD style, DWORD exStyle, int x,
                int y, int width, int height, HWND parent);
    // Detaches the window from this object and destroys it; nothing when there is none.
    void Destroy() noexcept;

    // Messages of the window; the default is DefWindowProcW.
    virtual LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp);
    // An exception left WindowProc. Nothing may unwind through Windows, so the default ends
    // the program; windows with an error box of their own show it there. The message then
    // returns 0.
    virtual void MessageFailed(const std::exception& e) noexcept;

private:
    friend void RegisterWindowClass(const WindowClass& cls);
    static LRESULT CALLBACK Procedure(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    HWND hwnd_ = nullptr;
};

// The popup of the menu resource name (res/menus.rc: a menu bar holding one popup), detached
// from it; empty when it cannot be loaded.
UniqueMenu LoadPopupMenu(const wchar_t* name);

// The thread's message loop: runs until the quit message is taken and returns its exit code
// (1 when GetMessage fails).
int RunMessageLoop();

}  // namespace velkaro::win
