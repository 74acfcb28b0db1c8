// The tray icon in-process under Wine: the records sent to the shell (recorded by a stand-in
// for Shell_NotifyIconW that refuses what the shell refuses), the mouse, the menu, taskbar
// re-creation, minimising the application into the tray, and the end.
#include <windows.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <string>
#include <vector>

#include "core/Cp1251.h"
#include "core/Texts.h"
#include "ui/Application.h"
#include "ui/TrayIcon.h"
#include "tools/scripted/ScriptedPorts.h"
#include "win/Dpi.h"
#include "win/Window.h"

namespace velkaro::ui {
namespace {

// Keeps the icons "in the notification area" like the shell: an add of an icon that is there
// already, and a modify or delete of one that is not, are refused.
class FakeShell {
public:
    std::vector<NOTIFYICONDATAW> calls;
    std::vector<DWORD> messages;
    std::set<std::pair<HWND, UINT>> icons;

    TrayIcon::ShellNotify Notify() {
        return [this](DWORD message, NOTIFYICONDATAW* data) -> BOOL {
            const auto key = std::make_pair(data->hWnd, data->uID);
            calls.push_back(*data);
            messages.push_back(message);
            if (message == NIM_ADD) return icons.insert(key).second;
            if (message == NIM_DELETE) return icons.erase(key) == 1;
            return icons.count(key) == 1;
        };
    }
};

class Owner : public AppWindow {
public:
    explicit Owner(Application& app) : AppWindow(app) {
        CreateOwned(L"TrayIconTestOwner", "Fast INFO", WS_POPUP | WS_CAPTION, WS_EX_TOPMOST, 358, 264, 300, 70);
    }
    std::vector<WPARAM> commands;

protected:
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override {
        if (msg == WM_COMMAND) {
            commands.push_back(LOWORD(wp));
            return 0;
        }
        return AppWindow::WindowProc(msg, wp, lp);
    }
};

void Pump() {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
}

UINT TaskbarCreated() { return ::RegisterWindowMessageW(L"TaskbarCreated"); }

class TrayIconTest : public ::testing::Test {
protected:
    TrayIconTest() {
        app.SetMainWindow(&owner);
        ::AppendMenuW(menu, MF_STRING, 10, L"Главная форма");
        ::AppendMenuW(menu, MF_STRING, 2, L"Выход");
        tray = std::make_unique<TrayIcon>(app, owner, menu, [this] {
            seen.push_back({owner.IsVisible(), ::IsWindowVisible(app.Handle()) != FALSE});
        }, shell.Notify());
        tray->Add();
    }
    ~TrayIconTest() override {
        tray.reset();
        ::DestroyMenu(menu);
        Pump();
    }
    void Mouse(UINT mouseMessage) { ::SendMessageW(tray->WindowHandle(), kTrayCallbackMessage, 0, mouseMessage); }

    struct Seen {  // at the double click's handler
        bool ownerVisible;
        bool appWindowVisible;
    };
    ScriptedDialogs dialogs;
    Application app{texts::kAppTitle, dialogs};
    Owner owner{app};
    HMENU menu = ::CreatePopupMenu();
    FakeShell shell;
    std::unique_ptr<TrayIcon> tray;
    std::vector<Seen> seen;
};

TEST_F(TrayIconTest, TheIconGoesInWithItsPictureAndTipAndOutAtTheEnd) {
    ASSERT_EQ(shell.messages, std::vector<DWORD>{NIM_ADD});
    const NOTIFYICONDATAW& d = shell.calls[0];
    EXPECT_EQ(d.cbSize, static_cast<DWORD>(NOTIFYICONDATAW_V2_SIZE));
    EXPECT_EQ(d.hWnd, tray->WindowHandle());
    EXPECT_EQ(d.uID, 0u);
    EXPECT_EQ(d.uFlags, static_cast<UINT>(NIF_MESSAGE | NIF_ICON | NIF_TIP));
    EXPECT_EQ(d.uCallbackMessage, 0x4D3u);
    EXPECT_NE(d.hIcon, nullptr);
    EXPECT_NE(d.hIcon, app.Icon());  // its own copy, of the notification area's size
    EXPECT_EQ(win::Narrow(d.szTip), texts::kAppTitle);
    EXPECT_FALSE(owner.IsVisible());
    EXPECT_FALSE(::IsWindowVisible(app.Handle()));

    // A new tip goes to the shell, cut to the field; the same tip again sends nothing.
    std::string tip;
    while (tip.size() < 200) tip += "Трафик "_cp1251;
    tray->Show(tip, tray->Activity());
    tray->Show(tip, tray->Activity());
    ASSERT_EQ(shell.messages, (std::vector<DWORD>{NIM_ADD, NIM_MODIFY}));
    EXPECT_EQ(win::Narrow(shell.calls[1].szTip), tip.substr(0, 127));

    tray.reset();
    EXPECT_EQ(shell.messages.back(), static_cast<DWORD>(NIM_DELETE));
    EXPECT_TRUE(shell.icons.empty());
    EXPECT_FALSE(owner.IsVisible());  // nothing shown on the way out
}

TEST_F(TrayIconTest, ADoubleClickShowsThenHidesTheOwnerAndTheTaskbarButtonBeforeItsHandler) {
    // The shell's order for a double click.
    for (UINT m : {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP}) Mouse(m);
    for (UINT m : {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP}) Mouse(m);
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_TRUE(seen[0].ownerVisible);
    EXPECT_TRUE(seen[0].appWindowVisible);
    EXPECT_FALSE(seen[1].ownerVisible);
    EXPECT_FALSE(seen[1].appWindowVisible);
    EXPECT_EQ(shell.icons.size(), 1u);  // the icon stays
}

// The real menu: TrackPopupMenu on the owner's window, closed from a timer once it is seen.
bool g_popupSeen = false;
int g_popupTicks = 0;

void CALLBACK ClosePopupWhenSeen(HWND, UINT, UINT_PTR, DWORD) {
    HWND popup = ::FindWindowW(L"#32768", nullptr);
    if (popup && ::IsWindowVisible(popup)) g_popupSeen = true;
    if (g_popupSeen || ++g_popupTicks > 60) ::EndMenu();
}

TEST_F(TrayIconTest, ARightReleaseOpensTheMenuAndSingleClicksShowNothing) {
    for (UINT m : {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_RBUTTONDOWN, WM_MBUTTONDOWN, WM_MBUTTONUP, WM_MOUSEMOVE}) Mouse(m);
    EXPECT_FALSE(owner.IsVisible());
    EXPECT_TRUE(seen.empty());
    const UINT_PTR timer = ::SetTimer(nullptr, 0, 50, &ClosePopupWhenSeen);
    Mouse(WM_RBUTTONUP);
    ::KillTimer(nullptr, timer);
    EXPECT_TRUE(g_popupSeen);
    Pump();
    EXPECT_TRUE(owner.commands.empty());  // closed without a command
}

TEST_F(TrayIconTest, TaskbarCreatedPutsTheIconBackAndShowsTheApplication) {
    shell.icons.clear();  // the shell restarted and forgot the icon
    ::SendMessageW(tray->WindowHandle(), TaskbarCreated(), 0, 0);
    EXPECT_EQ(shell.messages, (std::vector<DWORD>{NIM_ADD, NIM_DELETE, NIM_ADD}));
    EXPECT_EQ(shell.icons.size(), 1u);
    EXPECT_TRUE(owner.IsVisible());
    EXPECT_TRUE(::IsWindowVisible(app.Handle()));
}

int IconWidth(HICON icon) {
    ICONINFO info{};
    if (!::GetIconInfo(icon, &info)) return 0;
    BITMAP bm{};
    ::GetObjectW(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof bm, &bm);
    if (info.hbmColor) ::DeleteObject(info.hbmColor);
    if (info.hbmMask) ::DeleteObject(info.hbmMask);
    return bm.bmWidth;
}

TEST_F(TrayIconTest, APrimaryMonitorOfAnotherDpiGetsThePictureOfItsSize) {
    const int before = IconWidth(shell.calls[0].hIcon);
    EXPECT_EQ(before, ::GetSystemMetrics(SM_CXSMICON));
    RECT suggested{0, 0, 0, 0};
    ::SendMessageW(tray->WindowHandle(), WM_DPICHANGED, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&suggested));
    ASSERT_EQ(shell.messages.back(), static_cast<DWORD>(NIM_MODIFY));
    const int after = IconWidth(shell.calls.back().hIcon);
    EXPECT_EQ(after, win::SystemMetric(SM_CXSMICON, win::Dpi(144)));
    EXPECT_GT(after, before);
}

TEST_F(TrayIconTest, MinimisingTheApplicationHidesItIntoTheTray) {
    Mouse(WM_LBUTTONDBLCLK);  // shown: owner and taskbar button
    ASSERT_TRUE(::IsWindowVisible(app.Handle()));
    ::ShowWindow(app.Handle(), SW_MINIMIZE);
    Pump();
    EXPECT_TRUE(::IsIconic(app.Handle()));  // the minimise went through
    EXPECT_FALSE(::IsWindowVisible(app.Handle()));
    EXPECT_FALSE(owner.IsVisible());
    EXPECT_EQ(shell.icons.size(), 1u);
    // A re-created taskbar brings the application back from there, restored.
    ::SendMessageW(tray->WindowHandle(), TaskbarCreated(), 0, 0);
    EXPECT_TRUE(::IsWindowVisible(app.Handle()));
    EXPECT_FALSE(::IsIconic(app.Handle()));
    EXPECT_TRUE(owner.IsVisible());
}

}  // namespace
}  // namespace velkaro::ui
