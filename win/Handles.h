// Small move-only owners for Win32 handles, each releasing what it holds exactly once, and the
// functions a library may lack.
#pragma once

#include <windows.h>

#include <utility>

namespace velkaro::win {

template <typename Traits>
class Unique {
public:
    using Value = typename Traits::Value;

    Unique() noexcept = default;
    explicit Unique(Value v) noexcept : value_(v) {}
    ~Unique() { reset(); }

    Unique(const Unique&) = delete;
    Unique& operator=(const Unique&) = delete;
    Unique(Unique&& other) noexcept : value_(other.release()) {}
    Unique& operator=(Unique&& other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }

    Value get() const noexcept { return value_; }
    explicit operator bool() const noexcept { return value_ != Traits::Invalid(); }

    // Gives the value up without releasing it.
    Value release() noexcept { return std::exchange(value_, Traits::Invalid()); }
    void reset(Value v = Traits::Invalid()) noexcept {
        Value old = std::exchange(value_, v);
        if (old != Traits::Invalid()) Traits::Release(old);
    }

private:
    Value value_ = Traits::Invalid();
};

struct MutexTraits {  // CreateMutex: given back when this thread owns it, then closed
    using Value = HANDLE;
    static Value Invalid() noexcept { return nullptr; }
    static void Release(Value v) noexcept {
        ::ReleaseMutex(v);  // fails harmlessly when this thread does not own it
        ::CloseHandle(v);
    }
};

struct FileHandleTraits {  // CreateFile (INVALID_HANDLE_VALUE when failed)
    using Value = HANDLE;
    static Value Invalid() noexcept { return INVALID_HANDLE_VALUE; }
    static void Release(Value v) noexcept { ::CloseHandle(v); }
};

// Handles that are null when there is none, given back by one call (DeleteObject for fonts,
// brushes and bitmaps; DestroyIcon for CopyIcon or LoadImage without LR_SHARED; DestroyMenu
// for a menu attached to no window).
template <typename T, auto Free>
struct NullHandleTraits {
    using Value = T;
    static Value Invalid() noexcept { return nullptr; }
    static void Release(Value v) noexcept { Free(v); }
};

// A function of a library that older systems may lack, found by name; null where it is missing.
template <class F> F FunctionOf(HMODULE library, const char* name) {
    return library ? reinterpret_cast<F>(reinterpret_cast<void*>(::GetProcAddress(library, name))) : nullptr;
}

using UniqueMutex = Unique<MutexTraits>;
using UniqueFile = Unique<FileHandleTraits>;
using UniqueModule = Unique<NullHandleTraits<HMODULE, &::FreeLibrary>>;
using UniqueFont = Unique<NullHandleTraits<HFONT, &::DeleteObject>>;
using UniqueBrush = Unique<NullHandleTraits<HBRUSH, &::DeleteObject>>;
using UniqueBitmap = Unique<NullHandleTraits<HBITMAP, &::DeleteObject>>;
using UniqueMemoryDc = Unique<NullHandleTraits<HDC, &::DeleteDC>>;
using UniqueIcon = Unique<NullHandleTraits<HICON, &::DestroyIcon>>;
using UniqueMenu = Unique<NullHandleTraits<HMENU, &::DestroyMenu>>;
using UniqueKey = Unique<NullHandleTraits<HKEY, &::RegCloseKey>>;

class WindowDc {
public:
    explicit WindowDc(HWND hwnd) noexcept : hwnd_(hwnd), dc_(::GetDC(hwnd)) {}
    ~WindowDc() {
        if (dc_) ::ReleaseDC(hwnd_, dc_);
    }
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;
    HDC get() const noexcept { return dc_; }
    explicit operator bool() const noexcept { return dc_ != nullptr; }

private:
    HWND hwnd_;
    HDC dc_;
};

class PaintDc {
public:
    explicit PaintDc(HWND hwnd) noexcept : hwnd_(hwnd) { dc_ = ::BeginPaint(hwnd, &ps_); }
    ~PaintDc() { ::EndPaint(hwnd_, &ps_); }
    PaintDc(const PaintDc&) = delete;
    PaintDc& operator=(const PaintDc&) = delete;
    HDC get() const noexcept { return dc_; }
    const PAINTSTRUCT& paint() const noexcept { return ps_; }

private:
    HWND hwnd_;
    PAINTSTRUCT ps_{};
    HDC dc_ = nullptr;
};

// Selects a GDI object into a DC and puts the previous one back at the end of the scope.
class SelectObjectScope {
public:
    SelectObjectScope(HDC dc, HGDIOBJ obj) noexcept : dc_(dc), old_(::SelectObject(dc, obj)) {}
    ~SelectObjectScope() {
        if (old_ && old_ != HGDI_ERROR) ::SelectObject(dc_, old_);
    }
    SelectObjectScope(const SelectObjectScope&) = delete;
    SelectObjectScope& operator=(const SelectObjectScope&) = delete;

private:
    HDC dc_;
    HGDIOBJ old_;
};

}  // namespace velkaro::win
