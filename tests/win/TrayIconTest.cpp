// The tray icon in-process under Wine: the records sent to the shell (recorded by a stand-in
// for Shell_NotifyIconW that refuses a second add, as the shell does), the mouse table, the
// menu, the application-window hook, taskbar re-creation and destruction.
#include <windows.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "core/Texts.h"
#include "shell/Application.h"
#include "shell/TrayIcon.h"
#include "tools/scripted/ScriptedPorts.h"
#include "win/Utf16.h"

namespace velkaro::shell {
namespace {

struct ShellCall {
    DWORD message;
    NOTIFYICONDATAW data;
    BOOL result;
    std::string Tip() const { return win::Narrow(data.szTip); }
};

// Keeps the icons "in the notification area" like the shell: an add of an icon that is there
// already, and a modify or delete of one that is not, are refused.
class FakeShell {
public:
    std::vector<ShellCall> calls;
    std::set<std::pair<HWND, UINT>> icons;
    bool throwOnCall = false;

    TTrayIcon::ShellNotify Notify() {
        return [this](DWORD message, NOTIFYICONDATAW* data) -> BOOL {
            if (throwOnCall) throw std::runtime_error("shell gone");
            const auto key = std::make_pair(data->hWnd, data->uID);
            BOOL ok = FALSE;
            if (message == NIM_ADD) {
                ok = icons.insert(key).second;
            } else if (message == NIM_DELETE) {
                ok = icons.erase(key) == 1;
            } else if (message == NIM_MODIFY) {
                ok = icons.count(key) == 1;
            }
            calls.push_back({message, *data, ok});
            return ok;
        };
    }
    std::vector<DWORD> Messages() const {
        std::vector<DWORD> m;
        for (const auto& c : calls) m.push_back(c.message);
        return m;
    }
};

class TestForm : public TForm {
public:
    explicit TestForm(TApplication& app) : TForm(app) {
        CreateForm(L"TrayIconTestForm", "Fast INFO", WS_POPUP | WS_CAPTION, WS_EX_TOPMOST, 358,
                   264, 300, 70);
    }
    std::vector<WPARAM> commands;

protected:
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override {
        if (msg == WM_COMMAND) {
            commands.push_back(LOWORD(wp));
            return 0;
        }
        return TForm::WindowProc(msg, wp, lp);
    }
};

// Drains the queue of this thread; returns the messages seen for one window.
std::vector<UINT> Pump(HWND forWindow = nullptr) {
    std::vector<UINT> seen;
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (forWindow && msg.hwnd == forWindow) seen.push_back(msg.message);
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    return seen;
}

UINT TaskbarCreated() { return ::RegisterWindowMessageW(L"TaskbarCreated"); }

}  // namespace

// The program's set-up of TrayIcon1 on a stand-in quick-info window, up to Loaded.
class TrayIconTest : public ::testing::Test {
protected:
    void SetUp() override {
        app = std::make_unique<TApplication>();
        app->SetTitle(texts::kAppTitle);
        app->SetDialogs(&dialogs);
        form = std::make_unique<TestForm>(*app);
        menu = ::CreatePopupMenu();
        ::AppendMenuW(menu, MF_STRING, 10, L"Главная форма");
        ::AppendMenuW(menu, MF_SEPARATOR, 1, nullptr);
        ::AppendMenuW(menu, MF_STRING, 2, L"Выход");
        originalAppProc = ::GetWindowLongPtrW(app->Handle(), GWLP_WNDPROC);
    }

    void TearDown() override {
        tray.reset();
        form.reset();
        ::DestroyMenu(menu);
        app.reset();
        Pump();
    }

    // Construction and the settings of the stored form, without Loaded.
    void Create() {
        tray = std::make_unique<TTrayIcon>(*app, *form);
        tray->SetShellNotify(shell.Notify());
        tray->SetMenuPopup([this](HMENU m, int x, int y, HWND owner) {
            popups.push_back({m, owner, x, y});
        });
        tray->SetHint(texts::kAppTitle);
        tray->SetShowHint(true);
        tray->SetIcon(app->Icon());
        tray->SetIconID(0);
        tray->SetMinimizeToTray(true);
        tray->SetMinimizeOnStart(true);
        tray->SetPopupMenu(menu);
        tray->OnDblClick = [this] {
            dblClicks.push_back({form->IsVisible(), ::IsWindowVisible(app->Handle()) != FALSE});
        };
        tray->OnClick = [this] { ++clicks; };
    }

    // As at start-up: Loaded, then the form becomes the main form.
    void Start() {
        Create();
        tray->Loaded();
        app->SetMainForm(form.get());
    }

    LRESULT Mouse(UINT mouseMessage) {
        return ::SendMessageW(tray->WindowHandle(), TrayCallbackMessage, 0, mouseMessage);
    }

    // The component's state as the shell calls and the events do not show it.
    const NOTIFYICONDATAW& IconData() const { return tray->iconData_; }
    UINT IconFlags() const { return tray->flags_; }
    bool LeftButtonPressed() const { return tray->leftButtonPressed_; }
    static bool TimerRunning(const TCustomWindowTimer& timer) { return timer.timerRunning_; }

    struct Popup {
        HMENU menu;
        HWND owner;
        int x, y;
    };
    struct DblClickSeen {
        bool formVisible;
        bool appWindowVisible;
    };

    ScriptedDialogs dialogs;
    std::unique_ptr<TApplication> app;
    std::unique_ptr<TestForm> form;
    HMENU menu = nullptr;
    LONG_PTR originalAppProc = 0;
    FakeShell shell;
    std::unique_ptr<TTrayIcon> tray;
    std::vector<Popup> popups;
    std::vector<DblClickSeen> dblClicks;
    int clicks = 0;
};

namespace {

// ---- start-up and the records ----

TEST_F(TrayIconTest, StartUpAddsTheIconTwiceAndLeavesEverythingHidden) {
    Create();
    // The settings given before the icon exists send modifies that the shell refuses.
    ASSERT_FALSE(shell.calls.empty());
    for (const auto& c : shell.calls) {
        EXPECT_EQ(c.message, static_cast<DWORD>(NIM_MODIFY));
        EXPECT_FALSE(c.result);
    }
    EXPECT_EQ(IconFlags(), static_cast<UINT>(NIF_MESSAGE | NIF_TIP));
    EXPECT_FALSE(tray->Visible());
    shell.calls.clear();

    tray->Loaded();
    app->SetMainForm(form.get());

    EXPECT_FALSE(app->ShowMainForm);
    EXPECT_TRUE(tray->Visible());
    ASSERT_EQ(shell.Messages(), (std::vector<DWORD>{NIM_ADD, NIM_ADD}));
    EXPECT_TRUE(shell.calls[0].result);
    EXPECT_FALSE(shell.calls[1].result);  // the second add is refused; nothing changes
    for (const auto& c : shell.calls) {
        EXPECT_EQ(c.data.cbSize, static_cast<DWORD>(NOTIFYICONDATAW_V2_SIZE));
        EXPECT_EQ(c.data.hWnd, tray->WindowHandle());
        EXPECT_EQ(c.data.uID, 0u);
        EXPECT_EQ(c.data.uFlags, static_cast<UINT>(NIF_MESSAGE | NIF_ICON | NIF_TIP));
        EXPECT_EQ(c.data.uCallbackMessage, 0x4D3u);
        EXPECT_NE(c.data.hIcon, nullptr);
        EXPECT_EQ(c.data.hIcon, tray->Icon());  // its own copy of the application icon
        EXPECT_EQ(c.Tip(), "Velkaro V1.4 Final");
    }
    EXPECT_NE(tray->Icon(), app->Icon());
    EXPECT_FALSE(form->IsVisible());
    EXPECT_FALSE(::IsWindowVisible(app->Handle()));
    EXPECT_TRUE(dialogs.errors.empty());
}

TEST_F(TrayIconTest, TipIsWidenedCutAt127CharactersAndEmptyWithoutShowHint) {
    Create();
    const std::string cyrillic = "Трафик "_cp1251;  // 7 bytes in Windows-1251
    std::string longHint;
    while (longHint.size() < 200) longHint += cyrillic;

    tray->SetHint(longHint);
    EXPECT_EQ(IconData().cbSize, static_cast<DWORD>(NOTIFYICONDATAW_V2_SIZE));
    EXPECT_EQ(win::Narrow(IconData().szTip), longHint.substr(0, 127));
    EXPECT_EQ(IconData().szTip[0], L'\u0422');  // the Cyrillic T, whatever the code page

    tray->SetHint(longHint.substr(0, 127));  // exactly at the limit: kept whole
    EXPECT_EQ(win::Narrow(IconData().szTip), longHint.substr(0, 127));
    tray->SetHint(longHint.substr(0, 128));
    EXPECT_EQ(win::Narrow(IconData().szTip), longHint.substr(0, 127));

    tray->SetHint(longHint.substr(0, 63));
    EXPECT_EQ(win::Narrow(IconData().szTip), longHint.substr(0, 63));
    // The rest of the tip field is zeroed, also what the long tip had filled before.
    for (int i = 63; i < 128; ++i) EXPECT_EQ(IconData().szTip[i], 0) << i;
    tray->SetHint(longHint);

    tray->SetShowHint(false);
    EXPECT_EQ(shell.calls.back().message, static_cast<DWORD>(NIM_MODIFY));
    EXPECT_EQ(shell.calls.back().Tip(), "");
    EXPECT_EQ(tray->Hint(), longHint);  // kept, only not sent

    // Setting the same text again sends nothing.
    const auto before = shell.calls.size();
    tray->SetHint(longHint);
    tray->SetShowHint(false);
    EXPECT_EQ(shell.calls.size(), before);
}

TEST_F(TrayIconTest, FlagsWordGainsTheIconOnShowAndLosesItOnHide) {
    Create();
    tray->SetMinimizeToTray(false);
    EXPECT_EQ(IconFlags(), 5u);
    tray->SetVisible(true);
    EXPECT_EQ(IconFlags(), 7u);
    EXPECT_EQ(shell.calls.back().message, static_cast<DWORD>(NIM_ADD));
    EXPECT_EQ(shell.calls.back().data.uFlags, 7u);
    tray->SetVisible(true);  // already visible: nothing sent
    EXPECT_EQ(shell.calls.back().message, static_cast<DWORD>(NIM_ADD));
    tray->SetVisible(false);
    EXPECT_EQ(IconFlags(), 5u);
    EXPECT_EQ(shell.calls.back().message, static_cast<DWORD>(NIM_DELETE));
    EXPECT_EQ(shell.calls.back().data.uFlags, 5u);
    EXPECT_TRUE(shell.icons.empty());
    // Hiding the icon shows the owner.
    EXPECT_TRUE(form->IsVisible());
}

TEST_F(TrayIconTest, ShellErrorsBecomeTheComponentsErrorsAndRefusalsAreNone) {
    Create();
    shell.throwOnCall = true;
    try {
        tray->ShowIcon();
        FAIL() << "no error";
    } catch (const ETrayIcon& e) {
        EXPECT_STREQ(e.what(), texts::kTrayInsertFailed);
    }
    EXPECT_FALSE(tray->Visible());
    shell.throwOnCall = false;
    tray->ShowIcon();
    EXPECT_TRUE(tray->Visible());
    shell.throwOnCall = true;
    try {
        tray->HideIcon();
        FAIL() << "no error";
    } catch (const ETrayIcon& e) {
        EXPECT_STREQ(e.what(), texts::kTrayDeleteFailed);
    }
    shell.throwOnCall = false;

    // A refused delete (the shell forgot the icon) is no error.
    shell.icons.clear();
    tray->SetMinimizeToTray(false);
    tray->HideIcon();
    EXPECT_FALSE(tray->Visible());
    EXPECT_FALSE(shell.calls.back().result);
}

TEST_F(TrayIconTest, ABalloonIsAnInfoModifyOfTheShownIconAndLaterUpdatesCarryNone) {
    Create();
    EXPECT_FALSE(tray->ShowBalloon("t", "x"));  // not in the notification area yet
    tray->SetVisible(true);
    std::string text(300, 'a');
    EXPECT_TRUE(tray->ShowBalloon(texts::kAppTitle, text));
    const NOTIFYICONDATAW& d = shell.calls.back().data;
    EXPECT_EQ(shell.calls.back().message, static_cast<DWORD>(NIM_MODIFY));
    EXPECT_EQ(d.uFlags, static_cast<UINT>(NIF_MESSAGE | NIF_ICON | NIF_TIP | NIF_INFO));
    EXPECT_EQ(d.dwInfoFlags, static_cast<DWORD>(NIIF_INFO));
    EXPECT_EQ(win::Narrow(d.szInfoTitle), texts::kAppTitle);
    EXPECT_EQ(win::Narrow(d.szInfo), text.substr(0, 255));
    tray->SetHint("tip");
    EXPECT_EQ(shell.calls.back().data.uFlags, static_cast<UINT>(NIF_MESSAGE | NIF_ICON | NIF_TIP));
    shell.icons.clear();  // the shell forgot the icon
    EXPECT_FALSE(tray->ShowBalloon(texts::kAppTitle, "x"));
}

// ---- mouse ----

TEST_F(TrayIconTest, DoubleClickShowsThenHidesTheOwnerBeforeTheHandler) {
    Start();
    ASSERT_FALSE(form->IsVisible());
    // The shell's order for a double click.
    for (UINT m : {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP}) Mouse(m);
    EXPECT_EQ(clicks, 1);
    ASSERT_EQ(dblClicks.size(), 1u);
    EXPECT_TRUE(dblClicks[0].formVisible);
    EXPECT_TRUE(dblClicks[0].appWindowVisible);  // the taskbar button is back
    EXPECT_TRUE(form->IsVisible());
    EXPECT_FALSE(LeftButtonPressed());

    for (UINT m : {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP}) Mouse(m);
    EXPECT_EQ(clicks, 2);
    ASSERT_EQ(dblClicks.size(), 2u);
    EXPECT_FALSE(dblClicks[1].formVisible);
    EXPECT_FALSE(dblClicks[1].appWindowVisible);
    EXPECT_FALSE(form->IsVisible());
    EXPECT_TRUE(popups.empty());
    EXPECT_TRUE(tray->Visible());  // the icon stays
}

TEST_F(TrayIconTest, SingleClickAndButtonPressesShowOrHideNothing) {
    Start();
    std::vector<std::pair<TMouseButton, unsigned>> downs, ups;
    tray->OnMouseDown = [&](TMouseButton b, unsigned s, int, int) { downs.push_back({b, s}); };
    tray->OnMouseUp = [&](TMouseButton b, unsigned s, int, int) { ups.push_back({b, s}); };
    int moves = 0;
    tray->OnMouseMove = [&](unsigned shift, int, int) {
        ++moves;
        EXPECT_EQ(shift & (ssLeft | ssRight | ssMiddle), 0u);
    };

    Mouse(WM_LBUTTONDOWN);
    Mouse(WM_LBUTTONUP);
    Mouse(WM_LBUTTONUP);  // a release without a press is no click
    Mouse(WM_RBUTTONDOWN);
    Mouse(WM_MBUTTONDOWN);
    Mouse(WM_MBUTTONUP);
    Mouse(WM_MOUSEMOVE);

    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(moves, 1);
    EXPECT_TRUE(popups.empty());  // a right press alone opens nothing
    EXPECT_TRUE(dblClicks.empty());
    EXPECT_FALSE(form->IsVisible());
    ASSERT_EQ(downs.size(), 3u);
    EXPECT_EQ(downs[0].first, TMouseButton::mbLeft);
    EXPECT_TRUE(downs[0].second & ssLeft);
    EXPECT_EQ(downs[1].first, TMouseButton::mbRight);
    EXPECT_TRUE(downs[1].second & ssRight);
    EXPECT_EQ(downs[2].first, TMouseButton::mbMiddle);
    EXPECT_TRUE(downs[2].second & ssMiddle);
    ASSERT_EQ(ups.size(), 3u);
    EXPECT_EQ(ups[2].first, TMouseButton::mbMiddle);
}

TEST_F(TrayIconTest, RightReleaseOpensTheMenuAtTheCursorThenPostsANullMessage) {
    Start();
    ::SetCursorPos(500, 400);
    POINT cursor{};
    ::GetCursorPos(&cursor);
    Pump();
    Mouse(WM_RBUTTONDOWN);
    EXPECT_TRUE(popups.empty());
    Mouse(WM_RBUTTONUP);
    ASSERT_EQ(popups.size(), 1u);
    EXPECT_EQ(popups[0].menu, menu);
    EXPECT_EQ(popups[0].owner, form->Handle());
    EXPECT_EQ(popups[0].x, cursor.x);
    EXPECT_EQ(popups[0].y, cursor.y);
    const auto seen = Pump(form->Handle());
    EXPECT_NE(std::find(seen.begin(), seen.end(), static_cast<UINT>(WM_NULL)), seen.end());

    // No menu, or a menu that does not pop up by itself: nothing opens.
    tray->SetPopupMenu(menu, false);
    Mouse(WM_RBUTTONUP);
    tray->SetPopupMenu(nullptr);
    Mouse(WM_RBUTTONUP);
    EXPECT_EQ(popups.size(), 1u);

    // PopupByLeft: the left release opens it too.
    tray->SetPopupMenu(menu);
    tray->SetPopupByLeft(true);
    Mouse(WM_LBUTTONDOWN);
    Mouse(WM_LBUTTONUP);
    EXPECT_EQ(popups.size(), 2u);
    EXPECT_EQ(clicks, 1);
}

// The real menu: TrackPopupMenu on the owner's window, closed from a timer once it is seen.
bool g_popupSeen = false;
int g_popupTicks = 0;

void CALLBACK ClosePopupWhenSeen(HWND, UINT, UINT_PTR, DWORD) {
    HWND popup = ::FindWindowW(L"#32768", nullptr);
    if (popup && ::IsWindowVisible(popup)) g_popupSeen = true;
    if (g_popupSeen || ++g_popupTicks > 60) ::EndMenu();
}

TEST_F(TrayIconTest, RightReleaseShowsThePopupMenuWindow) {
    tray = std::make_unique<TTrayIcon>(*app, *form);
    tray->SetShellNotify(shell.Notify());
    tray->SetPopupMenu(menu);
    tray->SetMinimizeToTray(true);
    tray->SetMinimizeOnStart(true);
    tray->Loaded();
    app->SetMainForm(form.get());

    g_popupSeen = false;
    g_popupTicks = 0;
    UINT_PTR timer = ::SetTimer(nullptr, 0, 50, &ClosePopupWhenSeen);
    Mouse(WM_RBUTTONUP);
    ::KillTimer(nullptr, timer);
    EXPECT_TRUE(g_popupSeen);
    Pump();
    EXPECT_TRUE(form->commands.empty());  // closed without a command
}

TEST_F(TrayIconTest, DisabledIconIgnoresEveryMouseNotification) {
    Start();
    tray->SetEnabled(false);
    int events = 0;
    tray->OnMouseDown = [&](TMouseButton, unsigned, int, int) { ++events; };
    tray->OnMouseUp = [&](TMouseButton, unsigned, int, int) { ++events; };
    tray->OnMouseMove = [&](unsigned, int, int) { ++events; };
    for (UINT m : {WM_MOUSEMOVE, WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP,
                   WM_RBUTTONDOWN, WM_RBUTTONUP, WM_MBUTTONDOWN, WM_MBUTTONUP})
        EXPECT_EQ(Mouse(m), 0);
    EXPECT_EQ(events, 0);
    EXPECT_EQ(clicks, 0);
    EXPECT_TRUE(dblClicks.empty());
    EXPECT_TRUE(popups.empty());
    EXPECT_FALSE(form->IsVisible());
    EXPECT_FALSE(LeftButtonPressed());

    tray->SetEnabled(true);
    Mouse(WM_LBUTTONDBLCLK);
    EXPECT_EQ(dblClicks.size(), 1u);
}

TEST_F(TrayIconTest, DoubleClickClicksADefaultMenuItemInsteadOfToggling) {
    Start();
    ::SetMenuDefaultItem(menu, 10, FALSE);
    Mouse(WM_LBUTTONDBLCLK);
    EXPECT_EQ(form->commands, (std::vector<WPARAM>{10}));
    ASSERT_EQ(dblClicks.size(), 1u);
    EXPECT_FALSE(form->IsVisible());  // no toggle

    // With PopupByLeft the default item is not used.
    tray->SetPopupByLeft(true);
    Mouse(WM_LBUTTONDBLCLK);
    EXPECT_EQ(form->commands.size(), 1u);
    EXPECT_TRUE(form->IsVisible());
}

TEST_F(TrayIconTest, AnErrorInAHandlerGoesToTheErrorBox) {
    Start();
    tray->OnDblClick = [] { throw AppError("I/O error 101"); };
    Mouse(WM_LBUTTONDBLCLK);
    EXPECT_EQ(dialogs.errors, (std::vector<std::string>{"I/O error 101"}));
    // The icon keeps working.
    tray->OnDblClick = [this] { dblClicks.push_back({form->IsVisible(), false}); };
    Mouse(WM_LBUTTONDBLCLK);
    EXPECT_EQ(dblClicks.size(), 1u);
}

// ---- messages of the hidden window ----

TEST_F(TrayIconTest, SessionEndQueryIsAnsweredYes) {
    Start();
    EXPECT_EQ(::SendMessageW(tray->WindowHandle(), WM_QUERYENDSESSION, 0, 0), 1);
}

TEST_F(TrayIconTest, TaskbarCreatedPutsTheIconBackAndShowsTheApplication) {
    Start();
    ASSERT_NE(TaskbarCreated(), 0u);
    shell.calls.clear();
    shell.icons.clear();  // the shell restarted and forgot the icon

    ::SendMessageW(tray->WindowHandle(), TaskbarCreated(), 0, 0);

    ASSERT_EQ(shell.Messages(), (std::vector<DWORD>{NIM_DELETE, NIM_ADD}));
    EXPECT_FALSE(shell.calls[0].result);
    EXPECT_TRUE(shell.calls[1].result);
    EXPECT_EQ(shell.calls[1].data.uFlags, 7u);
    EXPECT_TRUE(tray->Visible());
    EXPECT_EQ(shell.icons.size(), 1u);
    // The restore steps of the hide: the owner and the taskbar button are shown.
    EXPECT_TRUE(form->IsVisible());
    EXPECT_TRUE(::IsWindowVisible(app->Handle()));

    // Without the icon shown, the broadcast does nothing.
    tray->SetMinimizeToTray(false);
    tray->SetVisible(false);
    shell.calls.clear();
    ::SendMessageW(tray->WindowHandle(), TaskbarCreated(), 0, 0);
    EXPECT_TRUE(shell.calls.empty());
}

TEST_F(TrayIconTest, TimerIsOffAndWorksWhenTurnedOn) {
    Create();
    EXPECT_EQ(tray->Interval(), 200u);
    EXPECT_FALSE(tray->TimerEnabled());
    EXPECT_FALSE(TimerRunning(*tray));

    TCustomWindowTimer timer("Timer", nullptr);
    EXPECT_FALSE(TimerRunning(timer));  // no event yet
    int ticks = 0;
    timer.SetInterval(20);
    timer.SetOnTimer([&] { ++ticks; });
    EXPECT_TRUE(TimerRunning(timer));
    const DWORD until = ::GetTickCount() + 2000;
    while (ticks < 2 && ::GetTickCount() < until) {
        Pump();
        ::Sleep(5);
    }
    EXPECT_GE(ticks, 2);
    timer.SetTimerEnabled(false);
    EXPECT_FALSE(TimerRunning(timer));
    timer.SetTimerEnabled(true);
    timer.SetInterval(0);
    EXPECT_FALSE(TimerRunning(timer));
}

// ---- the application window ----

TEST_F(TrayIconTest, MinimisingTheApplicationHidesItIntoTheTray) {
    Start();
    Mouse(WM_LBUTTONDBLCLK);  // shown: owner and taskbar button
    ASSERT_TRUE(form->IsVisible());
    ASSERT_TRUE(::IsWindowVisible(app->Handle()));

    ::ShowWindow(app->Handle(), SW_MINIMIZE);
    Pump();

    EXPECT_TRUE(::IsIconic(app->Handle()));  // the minimise went through
    EXPECT_FALSE(::IsWindowVisible(app->Handle()));
    EXPECT_FALSE(form->IsVisible());
    EXPECT_TRUE(tray->Visible());
    EXPECT_EQ(shell.icons.size(), 1u);

    // A re-created taskbar brings the application back from there, restored.
    ::SendMessageW(tray->WindowHandle(), TaskbarCreated(), 0, 0);
    EXPECT_TRUE(::IsWindowVisible(app->Handle()));
    EXPECT_FALSE(::IsIconic(app->Handle()));
    EXPECT_TRUE(form->IsVisible());

    // Without minimise-to-tray the minimised button stays.
    ::ShowWindow(app->Handle(), SW_SHOWNORMAL);
    tray->SetMinimizeToTray(false);
    ::ShowWindow(app->Handle(), SW_MINIMIZE);
    EXPECT_TRUE(::IsIconic(app->Handle()));
    EXPECT_TRUE(::IsWindowVisible(app->Handle()));
}

TEST_F(TrayIconTest, HookHandsEveryMessageOnToTheApplicationWindow) {
    Start();
    EXPECT_NE(::GetWindowLongPtrW(app->Handle(), GWLP_WNDPROC), originalAppProc);
    // The default handling of the application window still runs behind the hook.
    EXPECT_EQ(::SendMessageW(app->Handle(), WM_USER + 7, 0, 0), 0);
    ::SendMessageW(app->Handle(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"hooked"));
    wchar_t text[16] = {};
    ::GetWindowTextW(app->Handle(), text, 16);
    EXPECT_STREQ(text, L"hooked");
    // The application's own handling still runs behind the hook: a close request closes the
    // main form, which makes the end request.
    ::SendMessageW(app->Handle(), WM_CLOSE, 0, 0);
    EXPECT_TRUE(app->EndRequested());
    MSG msg;
    EXPECT_TRUE(::PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
}

TEST_F(TrayIconTest, DestructionDeletesTheIconAndPutsTheProcedureBack) {
    Start();
    HWND hidden = tray->WindowHandle();
    ASSERT_TRUE(::IsWindow(hidden));
    shell.calls.clear();

    tray.reset();

    ASSERT_EQ(shell.Messages(), (std::vector<DWORD>{NIM_DELETE}));
    EXPECT_TRUE(shell.calls[0].result);
    EXPECT_EQ(shell.calls[0].data.uFlags, 5u);
    EXPECT_TRUE(shell.icons.empty());
    EXPECT_EQ(::GetWindowLongPtrW(app->Handle(), GWLP_WNDPROC), originalAppProc);
    EXPECT_FALSE(::IsWindow(hidden));
    // Without the restore steps: nothing was shown on the way out.
    EXPECT_FALSE(form->IsVisible());
    EXPECT_FALSE(::IsWindowVisible(app->Handle()));
    // Minimising now leaves everything to the application.
    ::ShowWindow(app->Handle(), SW_SHOWNORMAL);
    ::ShowWindow(app->Handle(), SW_MINIMIZE);
    EXPECT_TRUE(::IsWindowVisible(app->Handle()));
}

TEST_F(TrayIconTest, SecondHookOnTheSameWindowChainsAndUnwindsInAnyOrder) {
    Create();
    auto second = std::make_unique<TTrayIcon>(*app, *form, "TrayIcon2");
    FakeShell secondShell;
    second->SetShellNotify(secondShell.Notify());
    second->SetMinimizeToTray(true);
    // The first goes first: the second's hook stays in front and keeps working.
    tray.reset();
    ::ShowWindow(app->Handle(), SW_SHOWNORMAL);
    ::ShowWindow(app->Handle(), SW_MINIMIZE);
    EXPECT_TRUE(second->Visible());
    EXPECT_FALSE(::IsWindowVisible(app->Handle()));
    second.reset();
    ::ShowWindow(app->Handle(), SW_SHOWNORMAL);
    EXPECT_EQ(::SendMessageW(app->Handle(), WM_USER + 8, 0, 0), 0);  // still handled
}

}  // namespace
}  // namespace velkaro::shell
