#include "ui/TrayIcon.h"

#include <algorithm>
#include <cstring>
#include <cwchar>
#include <iterator>
#include <vector>

#include "core/Texts.h"

namespace velkaro::ui {

namespace {

static_assert(std::size(NOTIFYICONDATAW{}.szTip) - 1 == TrayIcon::kTipLimit, "tip field");
// How long the balloon stays (shells from Vista on use their own setting).
constexpr UINT kBalloonTimeoutMs = 10000;

template <std::size_t N> void Put(WCHAR (&field)[N], const std::string& text) {
    const std::wstring wide = win::Widen(text);
    const std::size_t n = std::min(wide.size(), N - 1);
    std::wmemcpy(field, wide.data(), n);
    std::wmemset(field + n, L'\0', N - n);
}

// The icon with its arrow down (blue: received) and its arrow up (green: sent) grey where
// that way is not lit; null when its pixels cannot be had.
win::UniqueIcon WithArrows(HICON icon, bool downLit, bool upLit) {
    ICONINFO info{};
    if (!::GetIconInfo(icon, &info)) return {};
    const win::UniqueBitmap colour(info.hbmColor), mask(info.hbmMask);
    BITMAP bm{};
    if (!colour || !::GetObjectW(colour.get(), sizeof bm, &bm) || bm.bmBitsPixel != 32) return {};
    BITMAPINFO bi{};
    bi.bmiHeader = BITMAPINFOHEADER{sizeof(BITMAPINFOHEADER), bm.bmWidth, -bm.bmHeight, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    std::vector<RGBQUAD> pixels(static_cast<std::size_t>(bm.bmWidth) * static_cast<std::size_t>(bm.bmHeight));
    const win::WindowDc screen(nullptr);
    if (!::GetDIBits(screen.get(), colour.get(), 0, bm.bmHeight, pixels.data(), &bi, DIB_RGB_COLORS)) return {};
    for (RGBQUAD& p : pixels) {
        const int r = p.rgbRed, g = p.rgbGreen, b = p.rgbBlue;
        const bool down = b > r + 30 && b > g + 20, up = g > r + 30 && g > b + 20;
        if ((down && downLit) || (up && upLit) || (!down && !up)) continue;
        // A grey of the pixel's lightness, lifted so that it shows on a dark taskbar as well.
        const auto grey = static_cast<BYTE>(0x48 + (r * 30 + g * 59 + b * 11) / 200);
        p.rgbRed = p.rgbGreen = p.rgbBlue = grey;
    }
    // A DIB section of 32 bits keeps the alpha channel whatever the screen's depth.
    void* bits = nullptr;
    const win::UniqueBitmap grey(::CreateDIBSection(screen.get(), &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!grey || !bits) return {};
    std::memcpy(bits, pixels.data(), pixels.size() * sizeof(RGBQUAD));
    ICONINFO made{TRUE, 0, 0, mask.get(), grey.get()};
    return win::UniqueIcon(::CreateIconIndirect(&made));
}

}  // namespace

TrayIcon::TrayIcon(Application& app, AppWindow& owner, HMENU menu, std::function<void()> onDoubleClick,
                   ShellNotify notify)
    : app_(app),
      owner_(owner),
      menu_(menu),
      onDoubleClick_(std::move(onDoubleClick)),
      notify_(notify ? std::move(notify) : ShellNotify(&::Shell_NotifyIconW)),
      taskbarCreated_(::RegisterWindowMessageW(L"TaskbarCreated")),
      tip_(texts::kAppTitle) {
    // Top-level (not message-only), so that broadcasts such as "TaskbarCreated" reach it;
    // never shown.
    Create({L"TCustomWindowTimer"}, L"", WS_POPUP, WS_EX_TOOLWINDOW, 0, 0, 0, 0, nullptr);
    // At 0, 0 the window is on the primary monitor, whose taskbar holds the notification area.
    MakeIcon(win::WindowDpi(Handle()));
}

void TrayIcon::MakeIcon(win::Dpi dpi) {
    // An icon loaded from a resource keeps all its sizes (the one asked for, else the next larger
    // scaled down); the last picture stays when neither can be had.
    win::UniqueIcon icon(static_cast<HICON>(::CopyImage(app_.Icon(), IMAGE_ICON, win::SystemMetric(SM_CXSMICON, dpi),
                                                        win::SystemMetric(SM_CYSMICON, dpi), LR_COPYFROMRESOURCE)));
    if (!icon) icon.reset(::CopyIcon(app_.Icon()));
    if (icon) icon_ = std::move(icon);
    // Idle, In, Out, Both (after Off, which has none): which arrows keep their colour.
    static constexpr bool kLit[4][2] = {{false, false}, {true, false}, {false, true}, {true, true}};
    for (std::size_t i = 0; i < std::size(kLit); ++i)
        activityIcons_[i + 1] = icon_ ? WithArrows(icon_.get(), kLit[i][0], kLit[i][1]) : win::UniqueIcon();
}

TrayIcon::~TrayIcon() {
    if (added_) Notify(NIM_DELETE);
}

void TrayIcon::Fill() {
    data_.cbSize = NOTIFYICONDATAW_V2_SIZE;
    data_.hWnd = Handle();
    data_.uID = 0;
    data_.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    data_.uCallbackMessage = kTrayCallbackMessage;
    const HICON state = activityIcons_[static_cast<std::size_t>(activity_)].get();
    data_.hIcon = state ? state : icon_.get();
    Put(data_.szTip, tip_);
}

// The shell's answer to an add, modify or delete changes nothing here: a refused call (the
// icon there already, or forgotten by a restarted shell) is no error.
void TrayIcon::Notify(DWORD message) {
    Fill();
    notify_(message, &data_);
}

void TrayIcon::Add() {
    Notify(NIM_ADD);
    added_ = true;
}

void TrayIcon::Show(const std::string& tip, TrayActivity activity) {
    if (tip == tip_ && activity == activity_) return;
    tip_ = tip;
    activity_ = activity;
    if (added_) Notify(NIM_MODIFY);
}

bool TrayIcon::ShowBalloon(const std::string& title, const std::string& text) {
    const std::uint64_t now = ::GetTickCount64();
    if (!added_ || (balloonShownAt_ != 0 && now - balloonShownAt_ < kBalloonGoneMs)) return false;
    Fill();
    data_.uFlags |= NIF_INFO;
    Put(data_.szInfoTitle, title);
    Put(data_.szInfo, text);
    data_.dwInfoFlags = NIIF_INFO;
    data_.uTimeout = kBalloonTimeoutMs;
    const BOOL shown = notify_(NIM_MODIFY, &data_);
    // The record is filled afresh for every call, but its balloon fields are not: emptied, so
    // that no later call shows this balloon again.
    data_.szInfoTitle[0] = L'\0';
    data_.szInfo[0] = L'\0';
    data_.dwInfoFlags = 0;
    if (shown) balloonShownAt_ = std::max<std::uint64_t>(now, 1);
    return shown != FALSE;
}

LRESULT TrayIcon::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == kTrayCallbackMessage) {
        switch (static_cast<UINT>(lp)) {
        case WM_LBUTTONUP:
        case WM_MBUTTONUP:
            ::SetForegroundWindow(owner_.Handle());
            break;
        case WM_RBUTTONUP: {
            POINT pt{};
            ::GetCursorPos(&pt);
            // Foreground before and a null message after, so that the menu closes on a click outside.
            ::SetForegroundWindow(owner_.Handle());
            ::TrackPopupMenu(menu_, TPM_LEFTALIGN | TPM_RIGHTBUTTON, pt.x, pt.y, 0, owner_.Handle(), nullptr);
            ::PostMessageW(owner_.Handle(), WM_NULL, 0, 0);
            break;
        }
        case WM_LBUTTONDBLCLK:
            // The handler decides by its own rule whether the main window stays.
            if (owner_.IsVisible())
                app_.HideToTray();
            else
                app_.RestoreFromTray();
            if (onDoubleClick_) onDoubleClick_();
            break;
        case NIN_BALLOONHIDE:
        case NIN_BALLOONTIMEOUT:
        case NIN_BALLOONUSERCLICK:
            balloonShownAt_ = 0;  // the next balloon may come
            break;
        default:
            break;
        }
        return 0;
    }
    if (msg == taskbarCreated_ && msg != 0 && added_) {
        // A restarted shell forgot the icon and its balloon.
        Notify(NIM_DELETE);
        app_.RestoreFromTray();
        MakeIcon(win::WindowDpi(Handle()));
        Notify(NIM_ADD);
        balloonShownAt_ = 0;
    }
    if (msg == WM_DPICHANGED) {
        MakeIcon(win::Dpi(LOWORD(wp)));
        if (added_) Notify(NIM_MODIFY);
        return 0;
    }
    return Window::WindowProc(msg, wp, lp);
}

}  // namespace velkaro::ui
