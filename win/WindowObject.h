// Windows created with their C++ object as the creation parameter find that object again in
// every message: WM_NCCREATE stores it in the window's user data, WM_NCDESTROY clears it.
#pragma once

#include <windows.h>

namespace velkaro::win {

// The object of window hwnd for this message; null before WM_NCCREATE and after WM_NCDESTROY.
template <class T> T* WindowObject(HWND hwnd, UINT msg, LPARAM lp) {
    T* self;
    if (msg == WM_NCCREATE) {
        self = static_cast<T*>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams);
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    } else {
        self = reinterpret_cast<T*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    }
    if (msg == WM_NCDESTROY) ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    return self;
}

}  // namespace velkaro::win
