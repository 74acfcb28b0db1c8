// The shell's windows: the quick-info window's layout, list and growth, its menu, the tray
// double click; the about window's layout and its single instance; the application window's
// taskbar button following the forms.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <iterator>
#include <string>
#include <vector>

#include "core/Cp1251.h"
#include "ui/StatisticsWindow.h"
#include "tests/win/ShellTestSupport.h"
#include "win/Dpi.h"
#include "win/Window.h"

namespace velkaro::shell {
namespace {

using testing::ClientSize;
using testing::OuterHeight;
using testing::ScriptedProgram;
using testing::TakeQuit;

std::string WindowText(HWND hwnd) {
    wchar_t buf[256] = {};
    ::GetWindowTextW(hwnd, buf, 256);
    return win::Narrow(buf);
}

// The quick-info window's list view and its items, as the list view reports them.
HWND ListView(const ui::QuickInfoWindow& f) { return ::FindWindowExW(f.Handle(), nullptr, WC_LISTVIEWW, nullptr); }

int ItemCount(const ui::QuickInfoWindow& f) {
    return static_cast<int>(::SendMessageW(ListView(f), LVM_GETITEMCOUNT, 0, 0));
}

std::string ItemText(const ui::QuickInfoWindow& f, int item, int column) {
    wchar_t buffer[512] = {};
    LVITEMW it{};
    it.iSubItem = column;
    it.pszText = buffer;
    it.cchTextMax = static_cast<int>(std::size(buffer));
    ::SendMessageW(ListView(f), LVM_GETITEMTEXTW, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&it));
    return win::Narrow(buffer);
}

// The child windows in creation order, which is their tab order.
std::vector<HWND> Children(HWND parent) {
    std::vector<HWND> children;
    for (HWND c = ::GetWindow(parent, GW_CHILD); c; c = ::GetWindow(c, GW_HWNDNEXT)) children.push_back(c);
    return children;
}

class ShellWindowsTest : public ::testing::Test {
protected:
    void SetUp() override { TakeQuit(); }
    Program& Start() { return sp.Start(); }
    void SetRows(int n) {
        rows.clear();
        for (int i = 1; i <= n; ++i)
            rows.push_back({"Адаптер "_cp1251 + std::to_string(i) + ".   ", std::to_string(i) + ".0 Kb",
                            std::to_string(i) + ",00 руб."_cp1251});
    }
    ScriptedProgram sp;
    std::vector<QuickInfoRow> rows;
};

TEST_F(ShellWindowsTest, QuickInfoWindowHasItsLayout) {
    Program& p = Start();
    HWND w = p.QuickInfo().Handle();
    EXPECT_EQ(WindowText(w), "Fast INFO");
    const LONG style = ::GetWindowLongW(w, GWL_STYLE);
    const LONG ex = ::GetWindowLongW(w, GWL_EXSTYLE);
    EXPECT_TRUE(style & WS_CAPTION);
    EXPECT_FALSE(style & WS_SYSMENU);  // no border icons
    EXPECT_FALSE(style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME));
    EXPECT_TRUE(ex & WS_EX_TOPMOST);
    EXPECT_TRUE(ex & WS_EX_DLGMODALFRAME);
    const SIZE client = ClientSize(w);
    EXPECT_EQ(client.cx, 293);
    EXPECT_EQ(client.cy, 38);
    RECT r;
    ::GetWindowRect(w, &r);
    EXPECT_EQ(r.left, 358);
    EXPECT_EQ(r.top, 264);

    // The list view comes with the first show.
    EXPECT_EQ(ListView(p.QuickInfo()), nullptr);
    p.QuickInfo().Show();
    HWND list = ListView(p.QuickInfo());
    ASSERT_NE(list, nullptr);
    const LONG ls = ::GetWindowLongW(list, GWL_STYLE);
    EXPECT_EQ(ls & LVS_TYPEMASK, LVS_REPORT);
    EXPECT_TRUE(ls & LVS_NOSORTHEADER);
    EXPECT_FALSE(::GetWindowLongW(list, GWL_EXSTYLE) & WS_EX_CLIENTEDGE);  // flat
    EXPECT_TRUE(::SendMessageW(list, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0) & LVS_EX_GRIDLINES);
    const SIZE listSize = ClientSize(list);
    (void)listSize;
    RECT lr;
    ::GetWindowRect(list, &lr);
    EXPECT_EQ(lr.right - lr.left, 293);  // fills the client area
    EXPECT_EQ(lr.bottom - lr.top, 38);

    const struct {
        const char* caption;
        int width;
        int fmt;
    } columns[] = {{"Имя"_cp1251, 125, LVCFMT_LEFT}, {"Трафик"_cp1251, 90, LVCFMT_CENTER}, {"Сумма"_cp1251, 75, LVCFMT_CENTER}};
    for (int i = 0; i < 3; ++i) {
        wchar_t buf[64] = {};
        LVCOLUMNW col{};
        col.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT;
        col.pszText = buf;
        col.cchTextMax = 64;
        ASSERT_TRUE(::SendMessageW(list, LVM_GETCOLUMNW, i, reinterpret_cast<LPARAM>(&col)));
        EXPECT_EQ(win::Narrow(buf), columns[i].caption);
        EXPECT_EQ(col.cx, columns[i].width);
        EXPECT_EQ(col.fmt & LVCFMT_JUSTIFYMASK, columns[i].fmt);
    }
    // The header takes no clicks.
    HWND header = reinterpret_cast<HWND>(::SendMessageW(list, LVM_GETHEADER, 0, 0));
    ASSERT_NE(header, nullptr);
    EXPECT_FALSE(::GetWindowLongW(header, GWL_STYLE) & HDS_BUTTONS);

    // The menu: "Главная форма", "Запускать вместе с Windows", "Активность в значке", a
    // separator, "График скорости", a separator, "Выход".
    HMENU menu = p.QuickInfo().Menu();
    ASSERT_EQ(::GetMenuItemCount(menu), 7);
    wchar_t item[64] = {};
    ::GetMenuStringW(menu, 0, item, 64, MF_BYPOSITION);
    EXPECT_EQ(win::Narrow(item), "Главная форма"_cp1251);
    ::GetMenuStringW(menu, 1, item, 64, MF_BYPOSITION);
    EXPECT_EQ(win::Narrow(item), "Запускать вместе с Windows"_cp1251);
    EXPECT_EQ(::GetMenuItemID(menu, 1), static_cast<UINT>(Command::StartWithWindows));
    ::GetMenuStringW(menu, 2, item, 64, MF_BYPOSITION);
    EXPECT_EQ(win::Narrow(item), "Активность в значке"_cp1251);
    EXPECT_EQ(::GetMenuItemID(menu, 2), static_cast<UINT>(Command::TrayActivity));
    ::GetMenuStringW(menu, 4, item, 64, MF_BYPOSITION);
    EXPECT_EQ(win::Narrow(item), "График скорости"_cp1251);
    EXPECT_EQ(::GetMenuItemID(menu, 4), static_cast<UINT>(Command::SpeedGraphAll));
    for (int separator : {3, 5})
        EXPECT_EQ(::GetMenuState(menu, separator, MF_BYPOSITION) & MF_SEPARATOR, static_cast<UINT>(MF_SEPARATOR));
    ::GetMenuStringW(menu, 6, item, 64, MF_BYPOSITION);
    EXPECT_EQ(win::Narrow(item), "Выход"_cp1251);
}

TEST_F(ShellWindowsTest, TheListIsRebuiltOnlyWhileShowingAndTheWindowFitsItsRows) {
    Program& p = Start();
    ui::QuickInfoWindow& f = p.QuickInfo();
    SetRows(3);
    // Hidden: nothing happens, not shown.
    EXPECT_FALSE(f.Refresh(rows));
    EXPECT_EQ(ItemCount(f), 0);

    f.Show();
    RECT r;
    ::GetWindowRect(f.Handle(), &r);
    ::SetWindowPos(f.Handle(), nullptr, 0, 0, r.right - r.left, 63, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    ASSERT_EQ(OuterHeight(f.Handle()), 63);

    std::vector<int> heights;
    for (int n = 1; n <= 3; ++n) {
        SetRows(n);
        EXPECT_TRUE(f.Refresh(rows));
        EXPECT_EQ(ItemCount(f), n);
        heights.push_back(OuterHeight(f.Handle()));
    }
    EXPECT_EQ(heights, (std::vector<int>{63, 76, 89}));
    EXPECT_EQ(ItemText(f, 2, 0), "Адаптер 3.   "_cp1251);
    EXPECT_EQ(ItemText(f, 2, 1), "3.0 Kb");
    EXPECT_EQ(ItemText(f, 2, 2), "3,00 руб."_cp1251);
    EXPECT_EQ(ItemText(f, 0, 0), "Адаптер 1.   "_cp1251);

    // All three rows in one refresh from the layout height, whatever the window has now: one
    // step per row that needs it.
    ::SetWindowPos(f.Handle(), nullptr, 0, 0, r.right - r.left, 200, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    f.Refresh(rows);
    EXPECT_EQ(OuterHeight(f.Handle()), 89);

    // Fewer rows: the list loses them and the window fits them again; an empty list leaves
    // it at its layout height.
    SetRows(1);
    f.Refresh(rows);
    EXPECT_EQ(ItemCount(f), 1);
    EXPECT_EQ(OuterHeight(f.Handle()), 63);
    SetRows(0);
    f.Refresh(rows);
    EXPECT_EQ(ItemCount(f), 0);
    EXPECT_EQ(OuterHeight(f.Handle()), 63);

    // Hidden again: the list keeps the items of the last refresh.
    SetRows(2);
    f.Refresh(rows);
    f.Hide();
    SetRows(3);
    EXPECT_FALSE(f.Refresh(rows));
    EXPECT_EQ(ItemCount(f), 2);
}

TEST_F(ShellWindowsTest, QuickInfoGrowsNoFurtherThanTheWorkAreaMovingUpToStayInside) {
    Program& p = Start();
    ui::QuickInfoWindow& f = p.QuickInfo();
    f.Show();
    const RECT area = win::MonitorWorkArea(f.Handle());
    auto place = [&](int top, int height) {
        ::SetWindowPos(f.Handle(), nullptr, 358, top, win::Width(win::WindowRect(f.Handle())), height,
                       SWP_NOZORDER | SWP_NOACTIVATE);
    };
    // Near the bottom: it grows by its rows as always (63 to 115 for five) and moves up so that
    // its bottom stays on the work area's.
    place(area.bottom - 70, 63);
    SetRows(5);
    f.Refresh(rows);
    RECT r = win::WindowRect(f.Handle());
    EXPECT_EQ(win::Height(r), 115);
    EXPECT_EQ(r.bottom, area.bottom);
    EXPECT_EQ(r.left, 358);
    // With more rows than the screen holds: as tall as the work area, inside it, and the list
    // scrolls through every row, its columns beside the scroll bar (none across).
    SetRows(80);
    f.Refresh(rows);
    r = win::WindowRect(f.Handle());
    EXPECT_EQ(win::Height(r), win::Height(area));
    EXPECT_EQ(r.top, area.top);
    EXPECT_EQ(r.bottom, area.bottom);
    EXPECT_EQ(ItemCount(f), 80);
    const LONG scrolling = ::GetWindowLongW(ListView(f), GWL_STYLE);
    EXPECT_TRUE(scrolling & WS_VSCROLL);
    EXPECT_FALSE(scrolling & WS_HSCROLL);
    EXPECT_EQ(ClientSize(f.Handle()).cx, 293 + ::GetSystemMetrics(SM_CXVSCROLL));
    // Refreshed again, it stays.
    f.Refresh(rows);
    EXPECT_EQ(win::WindowRect(f.Handle()).top, area.top);
    EXPECT_EQ(win::Height(win::WindowRect(f.Handle())), win::Height(area));
    // Five rows again: they fit, and the window is as narrow as its layout.
    SetRows(5);
    f.Refresh(rows);
    EXPECT_EQ(win::Height(win::WindowRect(f.Handle())), 115);
    EXPECT_EQ(ClientSize(f.Handle()).cx, 293);
}

// Left below the work area (as a taskbar that grows or comes later leaves it): placed inside
// again when the work area or the display changes, and when it is shown.
TEST_F(ShellWindowsTest, QuickInfoIsPlacedInsideTheWorkAreaAgainWhenItOrTheDisplayChanges) {
    Program& p = Start();
    ui::QuickInfoWindow& f = p.QuickInfo();
    f.Show();
    const RECT area = win::MonitorWorkArea(f.Handle());
    auto below = [&] {
        ::SetWindowPos(f.Handle(), nullptr, 358, area.bottom - 20, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        return win::WindowRect(f.Handle()).bottom > area.bottom;
    };
    auto inside = [&] {
        const RECT r = win::WindowRect(f.Handle());
        return r.left == 358 && r.top >= area.top && r.bottom == area.bottom;
    };
    ASSERT_TRUE(below());
    ::SendMessageW(f.Handle(), WM_SETTINGCHANGE, SPI_SETWORKAREA, 0);
    EXPECT_TRUE(inside());
    ASSERT_TRUE(below());
    ::SendMessageW(f.Handle(), WM_SETTINGCHANGE, SPI_SETDESKWALLPAPER, 0);
    EXPECT_FALSE(inside()) << "another setting moves nothing";
    ::SendMessageW(f.Handle(), WM_DISPLAYCHANGE, 32, MAKELPARAM(1024, 768));
    EXPECT_TRUE(inside());
    f.Hide();
    ASSERT_TRUE(below());
    f.Show();
    EXPECT_TRUE(inside());
}

// Moved to a monitor of 144 DPI: the place the system suggests, the font and the columns of
// that DPI, the rows fitted again; more rows than it holds scroll beside the columns.
TEST_F(ShellWindowsTest, QuickInfoOnAMonitorOf144DpiTakesTheSuggestedPlaceAndScalesItsList) {
    SetRows(3);
    Program& p = Start();
    ui::QuickInfoWindow& f = p.QuickInfo();
    f.Show();
    f.Refresh(rows);
    RECT suggested{100, 50, 100 + 440, 50 + 120};
    ::SendMessageW(f.Handle(), WM_DPICHANGED, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&suggested));
    RECT r = win::WindowRect(f.Handle());
    EXPECT_EQ(r.left, 100);
    EXPECT_EQ(r.top, 50);
    EXPECT_EQ(ClientSize(f.Handle()).cx, 440);  // 293 units
    LVCOLUMNW col{};
    col.mask = LVCF_WIDTH;
    ASSERT_TRUE(::SendMessageW(ListView(f), LVM_GETCOLUMNW, 2, reinterpret_cast<LPARAM>(&col)));
    EXPECT_EQ(col.cx, 113);  // 75 units
    LOGFONTW lf{};
    ASSERT_TRUE(::GetObjectW(reinterpret_cast<HFONT>(::SendMessageW(ListView(f), WM_GETFONT, 0, 0)), sizeof lf, &lf));
    EXPECT_EQ(lf.lfHeight, -17);  // 11 units
    // Row by row up to more than the work area holds: wider by the scroll bar exactly while the
    // list scrolls, never a scroll bar across.
    bool scrolled = false;
    for (int n = 1; n <= 45; ++n) {
        SetRows(n);
        f.Refresh(rows);
        const LONG style = ::GetWindowLongW(ListView(f), GWL_STYLE);
        const bool scrolls = (style & WS_VSCROLL) != 0;
        scrolled = scrolled || scrolls;
        EXPECT_FALSE(style & WS_HSCROLL) << n;
        EXPECT_EQ(ClientSize(f.Handle()).cx, 440 + (scrolls ? win::SystemMetric(SM_CXVSCROLL, win::Dpi(144)) : 0)) << n;
    }
    EXPECT_TRUE(scrolled);
}

// The list keeps its items between refreshes and writes only what changed (rows coming and
// going: the test above); a changed cell shows.
TEST_F(ShellWindowsTest, ACellWhoseTextChangedShowsAtTheNextRefresh) {
    Program& p = Start();
    ui::QuickInfoWindow& f = p.QuickInfo();
    f.Show();
    SetRows(2);
    f.Refresh(rows);
    rows[1].traffic = "9.9 Kb";
    rows[1].cost = "";
    f.Refresh(rows);
    EXPECT_EQ(ItemText(f, 1, 0), "Адаптер 2.   "_cp1251);
    EXPECT_EQ(ItemText(f, 1, 1), "9.9 Kb");
    EXPECT_EQ(ItemText(f, 1, 2), "");
}

TEST_F(ShellWindowsTest, TheTickRefreshesTheList) {
    sp.Row("eth0", 2048, 1024);
    Program& p = Start();
    p.QuickInfo().Show();
    p.Meter().Tick();
    ASSERT_EQ(ItemCount(p.QuickInfo()), 1);
    EXPECT_EQ(ItemText(p.QuickInfo(), 0, 0), "eth0.   ");
    p.QuickInfo().Hide();
    p.Meter().Tick();
    EXPECT_FALSE(p.QuickInfo().IsVisible());
}

TEST_F(ShellWindowsTest, TheTrayDoubleClickTogglesByQuickInfoShownAsOfTheLastTick) {
    Program& p = Start();
    ui::QuickInfoWindow& f = p.QuickInfo();
    TrafficMeter& meter = p.Meter();
    f.ToggleFromTray();  // not shown at the last tick: show
    EXPECT_TRUE(f.IsVisible());
    f.ToggleFromTray();  // no tick yet: still not, stays shown
    EXPECT_TRUE(f.IsVisible());
    meter.Tick();
    f.ToggleFromTray();  // hides
    EXPECT_FALSE(f.IsVisible());
    // Through the tray icon's double click: it hides or restores first, then the toggle.
    auto doubleClick = [&] { ::SendMessageW(p.Tray().WindowHandle(), ui::kTrayCallbackMessage, 0, WM_LBUTTONDBLCLK); };
    meter.Tick();
    doubleClick();
    EXPECT_TRUE(f.IsVisible());
    meter.Tick();
    doubleClick();
    EXPECT_FALSE(f.IsVisible());
}

constexpr UINT kStartWithWindows = static_cast<UINT>(Command::StartWithWindows);

// Start with Windows as the menu sees it, with failures to inject.
struct FakeAutostart : ui::AutostartSetting {
    bool on = false;
    LONG failure = ERROR_SUCCESS;
    bool IsOn() override { return on; }
    LONG SetOn(bool value) override {
        if (failure != ERROR_SUCCESS) return failure;
        on = value;
        return ERROR_SUCCESS;
    }
};

TEST_F(ShellWindowsTest, TheAutostartItemShowsTheSettingWhenTheMenuOpensAndTurnsItOverOrSaysWhyNot) {
    FakeAutostart autostart;
    sp.options.autostart = &autostart;
    Program& p = Start();
    HWND w = p.QuickInfo().Handle();
    HMENU menu = p.QuickInfo().Menu();
    auto opened = [&] {  // the menu opens: TrackPopupMenu sends this to the owner first
        ::SendMessageW(w, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(menu), 0);
        return (::GetMenuState(menu, kStartWithWindows, MF_BYCOMMAND) & MF_CHECKED) != 0;
    };
    EXPECT_FALSE(opened());
    autostart.on = true;  // changed outside the program: the next opening shows it
    EXPECT_TRUE(opened());

    ::SendMessageW(w, WM_COMMAND, kStartWithWindows, 0);  // turning it over, the Run key: the e2e run
    EXPECT_FALSE(autostart.on);
    EXPECT_TRUE(sp.dialogs.messages.empty());

    autostart.failure = ERROR_ACCESS_DENIED;
    autostart.on = true;
    ::SendMessageW(w, WM_COMMAND, kStartWithWindows, 0);
    autostart.on = false;
    ::SendMessageW(w, WM_COMMAND, kStartWithWindows, 0);
    EXPECT_EQ(sp.dialogs.messages,
              (std::vector<std::string>{
                  "Не удалось удалить автозапуск Velkaro из реестра Windows (код ошибки 5)."_cp1251,
                  "Не удалось записать автозапуск Velkaro в реестр Windows (код ошибки 5)."_cp1251}));
    EXPECT_EQ(sp.files.writes, 0);
}

TEST_F(ShellWindowsTest, MainFormCommandShowsTheStatisticsWindowInFrontAndHidesTheQuickInfo) {
    Program& p = Start();
    p.QuickInfo().Show();
    ::SendMessageW(p.QuickInfo().Handle(), WM_COMMAND, static_cast<WPARAM>(Command::ShowStatistics), 0);
    EXPECT_TRUE(p.Statistics().IsVisible());
    EXPECT_FALSE(p.QuickInfo().IsVisible());
    // Centred in the work area the first time.
    RECT r;
    ::GetWindowRect(p.Statistics().Handle(), &r);
    const RECT area = win::MonitorWorkArea(p.Statistics().Handle());
    EXPECT_LE(std::abs((r.left + r.right) / 2 - (area.left + area.right) / 2), 1);
    // Already visible: it comes to the front again and the quick-info window hides.
    p.QuickInfo().Show();
    ::SetWindowPos(p.QuickInfo().Handle(), nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    p.Meter().Tick();
    ::SendMessageW(p.QuickInfo().Handle(), WM_COMMAND, static_cast<WPARAM>(Command::ShowStatistics), 0);
    EXPECT_TRUE(p.Statistics().IsVisible());
    EXPECT_FALSE(p.QuickInfo().IsVisible());
    EXPECT_EQ(::GetForegroundWindow(), p.Statistics().Handle());
    EXPECT_EQ(sp.files.writes, 0);
}

TEST_F(ShellWindowsTest, TheTaskbarButtonFollowsTheWindowsUnlessShownOrHiddenOutside) {
    Program& p = Start();
    HWND app = p.App().Handle();
    EXPECT_FALSE(::IsWindowVisible(app));
    p.Statistics().BringToFront();
    EXPECT_TRUE(::IsWindowVisible(app));
    p.About().BringToFrontFrom(nullptr);
    p.Statistics().Hide();
    EXPECT_TRUE(::IsWindowVisible(app));  // the about window is still showing
    ::SendMessageW(p.About().Handle(), WM_CLOSE, 0, 0);
    EXPECT_FALSE(::IsWindowVisible(app));
    // The tray icon shows the application window itself: the forms then leave it alone.
    p.App().RestoreFromTray();
    EXPECT_TRUE(::IsWindowVisible(app));
    EXPECT_TRUE(p.QuickInfo().IsVisible());
    p.QuickInfo().Hide();
    EXPECT_TRUE(::IsWindowVisible(app));
    p.App().HideToTray();
    EXPECT_FALSE(::IsWindowVisible(app));
}

TEST_F(ShellWindowsTest, AboutWindowHasItsLayout) {
    Program& p = Start();
    ui::AboutWindow& f = p.About();
    HWND w = f.Handle();
    // The controls come with the first show.
    EXPECT_TRUE(Children(w).empty());
    f.BringToFrontFrom(nullptr);
    EXPECT_EQ(WindowText(w), "About....");
    const LONG style = ::GetWindowLongW(w, GWL_STYLE);
    EXPECT_TRUE(style & WS_SYSMENU);
    EXPECT_FALSE(style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME));
    const SIZE client = ClientSize(w);
    EXPECT_EQ(client.cx, 346);
    EXPECT_EQ(client.cy, 129);
    RECT r;
    ::GetWindowRect(w, &r);
    EXPECT_LE(std::abs((r.left + r.right) / 2 - ::GetSystemMetrics(SM_CXSCREEN) / 2), 1);
    EXPECT_LE(std::abs((r.top + r.bottom) / 2 - ::GetSystemMetrics(SM_CYSCREEN) / 2), 1);

    struct Expect {
        const char* name;
        int x, y;
        const char* text;
    };
    const Expect controls[] = {
        {"icon", 8, 6, nullptr},
        {"by", 88, 40, "Реализовал:"_cp1251},
        {"credit", 160, 40, texts::kAboutCredit},
        {"mail label", 120, 88, "e-mail:"},
        {"city", 0, 112, texts::kAboutCity},
        {"product", 48, 8, "VELKARO V1.4 FINAL"},
        {"site label", 64, 64, "офицальный сайт"_cp1251},
        {"site", 160, 64, texts::kWebSite},
        {"mail", 160, 88, texts::kEmail},
    };
    // In tab order: the i-th child is controls[i].
    const std::vector<HWND> children = Children(w);
    ASSERT_EQ(children.size(), std::size(controls));
    auto control = [&](const std::string& name) {
        for (std::size_t i = 0; i < std::size(controls); ++i)
            if (name == controls[i].name) return children[i];
        return HWND{};
    };
    for (std::size_t i = 0; i < std::size(controls); ++i) {
        SCOPED_TRACE(controls[i].name);
        HWND c = children[i];
        RECT cr;
        ::GetWindowRect(c, &cr);
        ::MapWindowPoints(nullptr, w, reinterpret_cast<POINT*>(&cr), 2);
        EXPECT_EQ(cr.left, controls[i].x);
        EXPECT_EQ(cr.top, controls[i].y);
        if (controls[i].text) {
            EXPECT_EQ(WindowText(c), controls[i].text);
        }
    }
    RECT ir;
    ::GetWindowRect(control("icon"), &ir);
    EXPECT_EQ(ir.right - ir.left, 32);
    EXPECT_EQ(ir.bottom - ir.top, 32);
    RECT city;
    ::GetWindowRect(control("city"), &city);
    EXPECT_EQ(city.right - city.left, 346);
    EXPECT_EQ(city.bottom - city.top, 17);
    EXPECT_TRUE(::GetWindowLongW(control("city"), GWL_STYLE) & SS_CENTER);
    // Labels end before the value column at 160.
    for (const char* label : {"by", "site label", "mail label"}) {
        RECT lr;
        ::GetWindowRect(control(label), &lr);
        ::MapWindowPoints(nullptr, w, reinterpret_cast<POINT*>(&lr), 2);
        EXPECT_LE(lr.right, 160) << label;
    }
    // The product caption in Times New Roman 14 pt bold, the values 10 pt bold.
    LOGFONTW lf{};
    HFONT caption = reinterpret_cast<HFONT>(::SendMessageW(control("product"), WM_GETFONT, 0, 0));
    ASSERT_TRUE(::GetObjectW(caption, sizeof lf, &lf));
    EXPECT_STREQ(lf.lfFaceName, L"Times New Roman");
    EXPECT_EQ(lf.lfHeight, -19);
    EXPECT_EQ(lf.lfWeight, FW_BOLD);
    EXPECT_EQ(lf.lfCharSet, RUSSIAN_CHARSET);
    HFONT value = reinterpret_cast<HFONT>(::SendMessageW(control("site"), WM_GETFONT, 0, 0));
    ASSERT_TRUE(::GetObjectW(value, sizeof lf, &lf));
    EXPECT_EQ(lf.lfHeight, -13);
    EXPECT_EQ(lf.lfWeight, FW_BOLD);
}

TEST_F(ShellWindowsTest, TheAboutButtonShowsTheOneAboutWindowAgainAndAgain) {
    Program& p = Start();
    struct Count {
        static BOOL CALLBACK Visit(HWND h, LPARAM lp) {
            wchar_t cls[32] = {};
            ::GetClassNameW(h, cls, 32);
            if (std::wstring(cls) == L"TForm3") ++*reinterpret_cast<int*>(lp);
            return TRUE;
        }
    };
    auto countAbout = [] {
        int n = 0;
        ::EnumThreadWindows(::GetCurrentThreadId(), &Count::Visit, reinterpret_cast<LPARAM>(&n));
        return n;
    };
    EXPECT_EQ(countAbout(), 1);
    ::SendMessageW(p.Statistics().Handle(), WM_COMMAND, static_cast<WPARAM>(Command::About), 0);  // "Об авторе"
    EXPECT_TRUE(p.About().IsVisible());
    HWND first = p.About().Handle();
    ::SendMessageW(p.Statistics().Handle(), WM_COMMAND, static_cast<WPARAM>(Command::About), 0);
    EXPECT_EQ(countAbout(), 1);
    EXPECT_EQ(p.About().Handle(), first);
    EXPECT_EQ(::GetForegroundWindow(), first);
    ::SendMessageW(first, WM_CLOSE, 0, 0);  // closing only hides
    EXPECT_FALSE(p.About().IsVisible());
    EXPECT_TRUE(::IsWindow(first));
    EXPECT_FALSE(p.App().EndRequested());
    ::SendMessageW(p.Statistics().Handle(), WM_COMMAND, static_cast<WPARAM>(Command::About), 0);
    EXPECT_TRUE(p.About().IsVisible());
    EXPECT_EQ(p.About().Handle(), first);
    EXPECT_EQ(countAbout(), 1);
}

}  // namespace
}  // namespace velkaro::shell
