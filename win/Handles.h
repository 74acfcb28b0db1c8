// Small move-only owners for Win32 handles, each releasing what it holds exactly once, and the
// functions a library may lack.
#pragma once

#include <windows.h>

#include <cstdint>
#include <utility>

namespace velkaro::win {

// A handle given back by one call, Free; kInvalid when there is none (null for most handles,
// INVALID_HANDLE_VALUE for CreateFile's).
template <typename Value, auto Free, std::intptr_t kInvalid = 0>
class Unique {
public:
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
    explicit operator bool() const noexcept { return value_ != Invalid(); }

    // Gives the value up without releasing it.
    Value release() noexcept { return std::exchange(value_, Invalid()); }
    void reset(Value v = Invalid()) noexcept {
        Value old = std::exchange(value_, v);
        if (old != Invalid()) Free(old);
    }

private:
    static Value Invalid() noexcept { return reinterpret_cast<Value>(kInvalid); }
    Value value_ = Invalid();
};

// CreateMutex's: given back when this thread owns it (failing harmlessly when it does not), then
// closed.
inline void ReleaseAndClose(HANDLE mutex) noexcept {
    ::ReleaseMutex(mutex);
    ::CloseHandle(mutex);
}

// A function of a library that older systems may lack, found by name; null where it is missing.
template <class F> F FunctionOf(HMODULE library, const char* name) {
    return library ? reinterpret_cast<F>(reinterpret_cast<void*>(::GetProcAddress(library, name))) : nullptr;
}

// DeleteObject for fonts, brushes, pens and bitmaps; DestroyIcon for CopyIcon or LoadImage
// without LR_SHARED; DestroyMenu for a menu attached to no window.
using UniqueMutex = Unique<HANDLE, &ReleaseAndClose>;
using UniqueFile = Unique<HANDLE, &::CloseHandle, -1>;
using UniqueModule = Unique<HMODULE, &::FreeLibrary>;
using UniqueFont = Unique<HFONT, &::DeleteObject>;
using UniqueBrush = Unique<HBRUSH, &::DeleteObject>;
using UniquePen = Unique<HPEN, &::DeleteObject>;
using UniqueBitmap = Unique<HBITMAP, &::DeleteObject>;
using UniqueMemoryDc = Unique<HDC, &::DeleteDC>;
using UniqueIcon = Unique<HICON, &::DestroyIcon>;
using UniqueMenu = Unique<HMENU, &::DestroyMenu>;
using UniqueKey = Unique<HKEY, &::RegCloseKey>;

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
    explicit PaintDc(HWND hwnd) noexcept : hwnd_(hwnd) { ::BeginPaint(hwnd, &ps_); }
    ~PaintDc() { ::EndPaint(hwnd_, &ps_); }
    PaintDc(const PaintDc&) = delete;
    PaintDc& operator=(const PaintDc&) = delete;
    HDC get() const noexcept { return ps_.hdc; }  // null when BeginPaint failed
    const PAINTSTRUCT& paint() const noexcept { return ps_; }

private:
    HWND hwnd_;
    PAINTSTRUCT ps_{};
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
