// The program's windows: a window class registered once, a window whose messages reach the
// C++ object that created it, and the thread's windows.
#pragma once

#include <windows.h>

#include <exception>
#include <vector>

#include "win/Handles.h"

namespace velkaro::win {

struct WindowClass {
    const wchar_t* name;
    HBRUSH background = nullptr;  // null: the window paints its whole background itself
    HICON icon = nullptr;         // big and small icon of the class
};

// std::runtime_error "call(subject) failed, error N" with the thread's last error.
[[noreturn]] void ThrowLastError(const char* call, const wchar_t* subject = nullptr);

// Once per process; a class of that name registered already is left as it is. Throws
// std::runtime_error when Windows refuses.
void RegisterWindowClass(const WindowClass& cls);

// Messages reach WindowProc of this object from WM_NCCREATE to WM_NCDESTROY (Handle() valid in
// between); no message reaches it once its destruction, which destroys the window, has begun.
class Window {
public:
    Window() = default;
    virtual ~Window() { Destroy(); }
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    HWND Handle() const noexcept { return hwnd_; }

protected:
    // parent: the owner of a top-level window, the parent of a child, or HWND_MESSAGE. Throws
    // std::runtime_error when the class or the window cannot be made.
    void Create(const WindowClass& cls, const wchar_t* text, DWORD style, DWORD exStyle, int x,
                int y, int width, int height, HWND parent);
    // Nothing when there is none.
    void Destroy() noexcept;

    virtual LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp);
    // Nothing may unwind through Windows: the default ends the program; windows with an error box
    // show it there. The message then returns 0.
    virtual void MessageFailed(const std::exception& e) noexcept;

private:
    friend void RegisterWindowClass(const WindowClass& cls);
    static LRESULT CALLBACK Procedure(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    HWND hwnd_ = nullptr;
};

// The stock brush: nothing to make, nothing to fail, nothing to delete.
inline HBRUSH WhiteBrush() { return static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)); }

// Detached from the menu bar (res/menus.rc); empty when it cannot be loaded.
UniqueMenu LoadPopupMenu(const wchar_t* name);

// The calling thread's top-level windows.
std::vector<HWND> ThreadWindows();

}  // namespace velkaro::win
