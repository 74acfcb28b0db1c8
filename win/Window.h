// The program's windows: a window class registered once, a window whose messages reach the
// C++ object that created it, the thread's windows, fonts by face, height, weight and character
// set, and the one conversion between the program's Windows-1251 bytes and the UTF-16 of the W
// APIs.
#pragma once

#include <windows.h>

#include <exception>
#include <string>
#include <vector>

#include "win/Handles.h"

namespace velkaro::win {

std::wstring Widen(const std::string& cp1251);
std::string Narrow(const std::wstring& utf16);  // characters outside Windows-1251 become '?'

struct WindowClass {
    const wchar_t* name;
    HBRUSH background = nullptr;  // null: the window paints its whole background itself
    HICON icon = nullptr;         // big and small icon of the class
};

// std::runtime_error "call(subject) failed, error N" with the thread's last error.
[[noreturn]] void ThrowLastError(const char* call, const wchar_t* subject = nullptr);

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
    static LRESULT CALLBACK Procedure(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    HWND hwnd_ = nullptr;
};

// The stock brush: nothing to make, nothing to fail, nothing to delete.
inline HBRUSH WhiteBrush() { return static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)); }

// Detached from the menu bar (res/menus.rc); empty when it cannot be loaded.
UniqueMenu LoadPopupMenu(const wchar_t* name);

// The calling thread's top-level windows.
std::vector<HWND> ThreadWindows();

struct FontSpec {
    const wchar_t* face;
    int height;  // LOGFONT height: negative for the character height in pixels (of the window's DPI)
    int weight = FW_NORMAL;
    BYTE charset = DEFAULT_CHARSET;
};

// Throws std::runtime_error when it cannot be created; Windows may substitute the face.
UniqueFont MakeFont(const FontSpec& spec);

// Falls back to the metric-compatible face alike, where Wine or a system without the Windows
// core fonts would substitute a sans-serif face.
UniqueFont MakeFontOrAlike(const FontSpec& spec, const wchar_t* alike);

}  // namespace velkaro::win
