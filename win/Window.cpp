#include "win/Window.h"

#include <stdexcept>
#include <string>
#include <utility>

namespace velkaro::win {

namespace {
constexpr UINT kCp1251 = 1251;
}  // namespace

// Windows-1251 has one byte a character, and each is one UTF-16 unit: the text keeps its length
// either way (an empty one, or a failed conversion, gives an empty text).
std::wstring Widen(const std::string& s) {
    std::wstring w(s.size(), L'\0');
    const int size = static_cast<int>(s.size());
    w.resize(static_cast<std::size_t>(MultiByteToWideChar(kCp1251, 0, s.data(), size, w.data(), size)));
    return w;
}

std::string Narrow(const std::wstring& w) {
    std::string s(w.size(), '\0');
    const int size = static_cast<int>(w.size());
    s.resize(static_cast<std::size_t>(
        WideCharToMultiByte(kCp1251, 0, w.data(), size, s.data(), size, nullptr, nullptr)));
    return s;
}

void ThrowLastError(const char* call, const wchar_t* subject) {
    const DWORD error = ::GetLastError();  // before another call can overwrite it
    const std::string what = subject ? std::string(call) + "(" + Narrow(subject) + ")" : std::string(call);
    throw std::runtime_error(what + " failed, error " + std::to_string(error));
}

namespace {

BOOL CALLBACK CollectWindow(HWND w, LPARAM windows) {
    reinterpret_cast<std::vector<HWND>*>(windows)->push_back(w);
    return TRUE;
}

// Whether font, selected into a DC, has the face asked for.
bool HasFace(HDC dc, HFONT font, const wchar_t* face) {
    wchar_t got[LF_FACESIZE]{};
    SelectObjectScope select(dc, font);
    return ::GetTextFaceW(dc, LF_FACESIZE, got) > 0 && ::lstrcmpiW(got, face) == 0;
}

}  // namespace

void Window::Create(const WindowClass& cls, const wchar_t* text, DWORD style, DWORD exStyle,
                    int x, int y, int width, int height, HWND parent) {
    const HINSTANCE module = ::GetModuleHandleW(nullptr);
    // The class is registered once per process; one of that name there already stays as it is.
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    if (!::GetClassInfoExW(module, cls.name, &wc)) {
        wc = WNDCLASSEXW{};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = &Window::Procedure;
        wc.hInstance = module;
        wc.hIcon = cls.icon;
        wc.hIconSm = cls.icon;
        wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
        wc.hbrBackground = cls.background;
        wc.lpszClassName = cls.name;
        if (!::RegisterClassExW(&wc)) ThrowLastError("RegisterClassEx", cls.name);
    }
    // The procedure stores the handle at WM_NCCREATE.
    if (!::CreateWindowExW(exStyle, cls.name, text, style, x, y, width, height, parent, nullptr, module, this))
        ThrowLastError("CreateWindowEx", cls.name);
}

void Window::Destroy() noexcept {
    if (!hwnd_) return;
    HWND hwnd = std::exchange(hwnd_, nullptr);
    ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    ::DestroyWindow(hwnd);
}

LRESULT Window::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
    return ::DefWindowProcW(hwnd_, msg, wp, lp);
}

void Window::MessageFailed(const std::exception&) noexcept { std::terminate(); }

LRESULT CALLBACK Window::Procedure(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    Window* self;
    if (msg == WM_NCCREATE) {
        self = static_cast<Window*>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams);
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        self->hwnd_ = hwnd;
    } else {
        self = reinterpret_cast<Window*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    }
    // Before WM_NCCREATE (WM_GETMINMAXINFO) and once detached: no object.
    if (!self) return ::DefWindowProcW(hwnd, msg, wp, lp);
    if (msg == WM_NCDESTROY) {
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        self->hwnd_ = nullptr;
        return ::DefWindowProcW(hwnd, msg, wp, lp);
    }
    try {
        return self->WindowProc(msg, wp, lp);
    } catch (const std::exception& e) {
        self->MessageFailed(e);
        return 0;
    }
}

UniqueMenu LoadPopupMenu(const wchar_t* name) {
    UniqueMenu bar(::LoadMenuW(::GetModuleHandleW(nullptr), name));
    HMENU popup = bar ? ::GetSubMenu(bar.get(), 0) : nullptr;
    // Removed from the bar, the popup outlives the bar's destruction.
    return UniqueMenu(popup && ::RemoveMenu(bar.get(), 0, MF_BYPOSITION) ? popup : nullptr);
}

std::vector<HWND> ThreadWindows() {
    std::vector<HWND> windows;
    ::EnumThreadWindows(::GetCurrentThreadId(), &CollectWindow, reinterpret_cast<LPARAM>(&windows));
    return windows;
}

UniqueFont MakeFont(const FontSpec& spec) {
    UniqueFont font(::CreateFontW(spec.height, 0, 0, 0, spec.weight, FALSE, FALSE, FALSE,
                                  spec.charset, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                                  DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, spec.face));
    if (!font) ThrowLastError("CreateFont", spec.face);
    return font;
}

UniqueFont MakeFontOrAlike(const FontSpec& spec, const wchar_t* alike) {
    UniqueFont font = MakeFont(spec);
    UniqueMemoryDc dc(::CreateCompatibleDC(nullptr));
    if (!dc || HasFace(dc.get(), font.get(), spec.face)) return font;
    UniqueFont substitute = MakeFont({alike, spec.height, spec.weight, spec.charset});
    if (HasFace(dc.get(), substitute.get(), alike)) return substitute;
    return font;
}

}  // namespace velkaro::win
