// The tray icon's traffic states and the speed graph window in a whole program over scripted
// ports: the shell calls over quiet ticks, the pictures of the states and of the option off,
// the graph's layout at 96 and 144 DPI, its menu commands and its kept place.
#include <windows.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "core/Cp1251.h"
#include "tests/win/ShellTestSupport.h"
#include "ui/SpeedGraphWindow.h"
#include "ui/StatisticsWindow.h"
#include "win/Dpi.h"
#include "win/Window.h"

namespace velkaro::shell {
namespace {

using testing::ScriptedProgram;
using testing::TakeQuit;

void CALLBACK CloseMenu(HWND, UINT, UINT_PTR, DWORD) { ::EndMenu(); }

// The clearly blue and clearly green pixels of an icon: its lit arrows.
std::pair<int, int> LitPixels(HICON icon) {
    ICONINFO info{};
    if (!::GetIconInfo(icon, &info)) return {-1, -1};
    BITMAP bm{};
    ::GetObjectW(info.hbmColor, sizeof bm, &bm);
    BITMAPINFO bi{};
    bi.bmiHeader = BITMAPINFOHEADER{sizeof(BITMAPINFOHEADER), bm.bmWidth, -bm.bmHeight, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    std::vector<RGBQUAD> px(static_cast<std::size_t>(bm.bmWidth * bm.bmHeight));
    HDC dc = ::GetDC(nullptr);
    ::GetDIBits(dc, info.hbmColor, 0, bm.bmHeight, px.data(), &bi, DIB_RGB_COLORS);
    ::ReleaseDC(nullptr, dc);
    ::DeleteObject(info.hbmColor);
    ::DeleteObject(info.hbmMask);
    int blue = 0, green = 0;
    for (const RGBQUAD& p : px) {
        if (p.rgbReserved == 0) continue;
        blue += p.rgbBlue - std::max(p.rgbRed, p.rgbGreen) > 60;
        green += p.rgbGreen - std::max(p.rgbRed, p.rgbBlue) > 60;
    }
    return {blue, green};
}

struct TrayCall {
    DWORD message;
    HICON icon;
};

class SpeedGraphWindowTest : public ::testing::Test {
protected:
    SpeedGraphWindowTest() {
        TakeQuit();
        sp.options.shellNotify = [this](DWORD message, NOTIFYICONDATAW* data) {
            calls.push_back({message, data->hIcon});
            return TRUE;
        };
    }
    Program& Start() { return sp.Start(); }
    // One tick with eth's counters at in and out.
    void Tick(Program& p, std::uint32_t in, std::uint32_t out) {
        sp.Row("eth", in, out);
        p.Meter().Tick();
    }
    std::size_t Modifies() const {
        std::size_t n = 0;
        for (const TrayCall& c : calls) n += c.message == NIM_MODIFY;
        return n;
    }
    ScriptedProgram sp;
    std::vector<TrayCall> calls;
};

TEST_F(SpeedGraphWindowTest, TheTrayIconIsSentOnlyWhenTheTrafficStateChanges) {
    Program& p = Start();
    const HICON described = calls.at(0).icon;
    Tick(p, 1000, 1000);
    Tick(p, 1000, 1000);
    // A quiet minute: the tip and the picture stay, and nothing goes to the shell.
    const std::size_t before = Modifies();
    for (int i = 0; i < 60; ++i) Tick(p, 1000, 1000);
    EXPECT_EQ(Modifies(), before);
    EXPECT_EQ(p.Tray().Activity(), TrayActivity::Idle);

    // Each state once, one call per tick for the picture and the tip together; each of its
    // own picture, of the notification area's size, none the described one.
    std::set<HICON> pictures;
    const std::pair<std::uint32_t, std::uint32_t> moves[] = {{5000, 1000}, {5000, 4000}, {9000, 8000}, {9000, 8000}};
    const TrayActivity states[] = {TrayActivity::In, TrayActivity::Out, TrayActivity::Both, TrayActivity::Idle};
    for (int i = 0; i < 4; ++i) {
        const std::size_t n = calls.size();
        Tick(p, moves[i].first, moves[i].second);
        ASSERT_EQ(calls.size(), n + 1) << i;
        EXPECT_EQ(calls.back().message, static_cast<DWORD>(NIM_MODIFY));
        EXPECT_EQ(p.Tray().Activity(), states[i]);
        EXPECT_NE(calls.back().icon, described);
        ICONINFO info{};
        ASSERT_TRUE(::GetIconInfo(calls.back().icon, &info));
        BITMAP bm{};
        ::GetObjectW(info.hbmColor, sizeof bm, &bm);
        ::DeleteObject(info.hbmColor);
        ::DeleteObject(info.hbmMask);
        EXPECT_EQ(bm.bmWidth, ::GetSystemMetrics(SM_CXSMICON));
        // The arrow down lit (blue) for received, the arrow up (green) for sent; grey else.
        const auto [blue, green] = LitPixels(calls.back().icon);
        const bool in = states[i] == TrayActivity::In || states[i] == TrayActivity::Both;
        const bool out = states[i] == TrayActivity::Out || states[i] == TrayActivity::Both;
        EXPECT_EQ(blue > 0, in) << i << " blue " << blue;
        EXPECT_EQ(green > 0, out) << i << " green " << green;
        pictures.insert(calls.back().icon);
    }
    EXPECT_EQ(pictures.size(), 4u);
    const auto [describedBlue, describedGreen] = LitPixels(described);  // both arrows in colour
    EXPECT_GT(describedBlue, 0);
    EXPECT_GT(describedGreen, 0);

    // Off from the tray menu: the described picture at the next tick, whatever flows, and
    // nothing more while it stays off.
    ::SendMessageW(p.QuickInfo().Handle(), WM_COMMAND, 4, 0);
    Tick(p, 9000, 8000);
    EXPECT_EQ(calls.back().icon, described);
    const std::size_t off = Modifies();
    Tick(p, 9000, 8000);
    EXPECT_EQ(Modifies(), off);
    EXPECT_FALSE(p.Meter().State().TrayActivity());
    ::SendMessageW(p.QuickInfo().Handle(), WM_COMMAND, 4, 0);
    Tick(p, 9000, 8000);
    EXPECT_EQ(p.Tray().Activity(), TrayActivity::Idle);
    EXPECT_EQ(pictures.count(calls.back().icon), 1u);
}

// Every label inside the client area and off the plot, every point of the lines inside it.
void ExpectWhole(const ui::SpeedGraphWindow& g, const char* what) {
    const RECT client = win::ClientRect(g.Handle());
    const ui::SpeedGraphWindow::Geometry& d = g.Drawn();
    ASSERT_GE(d.labels.size(), 6u) << what;  // two speed lines, the grid's, the time axis
    for (const RECT& r : d.labels) {
        EXPECT_GE(r.left, 0) << what;
        EXPECT_GE(r.top, 0) << what;
        EXPECT_LE(r.right, client.right) << what;
        EXPECT_LE(r.bottom, client.bottom) << what;
        RECT overlap;
        EXPECT_FALSE(::IntersectRect(&overlap, &r, &d.plot)) << what << " " << r.left << "," << r.top;
    }
    ASSERT_FALSE(d.in.empty()) << what;
    for (const auto* line : {&d.in, &d.out})
        for (const POINT& pt : *line) EXPECT_TRUE(::PtInRect(&d.plot, pt)) << what << " " << pt.x << "," << pt.y;
}

TEST_F(SpeedGraphWindowTest, TheGraphAt96And144DpiKeepsItsLabelsWholeAndItsLinesInsideThePlot) {
    Program& p = Start();
    std::uint32_t in = 1000;
    for (int i = 0; i < 30; ++i) Tick(p, in += (i % 7) * 300000, 1000 + i * 5000);
    ::SendMessageW(p.QuickInfo().Handle(), WM_COMMAND, 11, 0);  // the tray menu's graph: all adapters
    ui::SpeedGraphWindow& g = p.Graph();
    ASSERT_TRUE(g.IsVisible());
    ::UpdateWindow(g.Handle());
    ExpectWhole(g, "96 DPI");
    EXPECT_EQ(g.Drawn().in.size(), 30u);
    EXPECT_EQ(g.Graph().grid.size(), 4u);  // 1,71 Mb/s at the most: 0,5 Mb/s steps
    EXPECT_EQ(g.Drawn().in.back().x, g.Drawn().plot.right - 1);  // the newest on the right
    const int height96 = win::Height(g.Drawn().labels[0]);

    const RECT r = win::WindowRect(g.Handle());
    RECT suggested{r.left, r.top, r.left + win::Width(r) * 3 / 2, r.top + win::Height(r) * 3 / 2};
    ::SendMessageW(g.Handle(), WM_DPICHANGED, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&suggested));
    ::UpdateWindow(g.Handle());
    EXPECT_EQ(g.ScreenDpi(), win::Dpi(144));
    ExpectWhole(g, "144 DPI");
    EXPECT_GT(win::Height(g.Drawn().labels[0]), height96 * 5 / 4);
    // A tick draws the new point.
    Tick(p, in + 100000, 200000);
    ::UpdateWindow(g.Handle());
    EXPECT_EQ(g.Drawn().in.size(), 31u);
}

TEST_F(SpeedGraphWindowTest, AtRestTheGraphIsNotDrawnAgainAndTrafficDrawsIt) {
    Program& p = Start();
    for (int i = 0; i < 3; ++i) Tick(p, 1000, 1000);
    p.Graph().ShowFor(std::nullopt, p.QuickInfo().Handle());
    ::UpdateWindow(p.Graph().Handle());
    EXPECT_TRUE(p.Graph().Drawn().in.empty());  // no line while nothing moved
    for (int i = 0; i < 5; ++i) {
        Tick(p, 1000, 1000);
        EXPECT_FALSE(::GetUpdateRect(p.Graph().Handle(), nullptr, FALSE)) << i;
    }
    Tick(p, 9000, 1000);
    EXPECT_TRUE(::GetUpdateRect(p.Graph().Handle(), nullptr, FALSE));
    ::UpdateWindow(p.Graph().Handle());
    EXPECT_EQ(p.Graph().Drawn().in.size(), 9u);
    // Once traffic is in the window, each tick moves the lines.
    Tick(p, 9000, 1000);
    EXPECT_TRUE(::GetUpdateRect(p.Graph().Handle(), nullptr, FALSE));
}

TEST_F(SpeedGraphWindowTest, ThePanelMenuShowsThePickedAdapterAndThePlaceIsKeptOnceShown) {
    Program& p = Start();
    Tick(p, 1000, 1000);
    Tick(p, 51000, 1000);
    p.Meter().SaveFiles();
    EXPECT_EQ(sp.files.files["history.txt"].find("graph.window"), std::string::npos);  // never opened

    ui::StatisticsWindow& s = p.Statistics();
    s.Show();
    // A right click on the panel picks eth; its menu closes unused.
    const UINT_PTR timer = ::SetTimer(nullptr, 0, 50, &CloseMenu);
    ::SendMessageW(::GetWindow(s.Handle(), GW_CHILD), WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(5, 10));
    ::KillTimer(nullptr, timer);
    ASSERT_EQ(s.Picked(), "eth");
    ::SendMessageW(s.Handle(), WM_COMMAND, 112, 0);
    ui::SpeedGraphWindow& g = p.Graph();
    ASSERT_TRUE(g.IsVisible());
    wchar_t caption[128] = {};
    ::GetWindowTextW(g.Handle(), caption, 128);
    EXPECT_EQ(win::Narrow(caption), "График скорости: eth"_cp1251);
    EXPECT_EQ(g.Graph().points.back(), (SpeedPoint{50000, 0}));
    EXPECT_EQ(::GetWindow(g.Handle(), GW_OWNER), p.App().Handle());

    ::SetWindowPos(g.Handle(), nullptr, 40, 30, 700, 400, SWP_NOZORDER | SWP_NOACTIVATE);
    ::SendMessageW(g.Handle(), WM_EXITSIZEMOVE, 0, 0);
    p.Meter().SaveFiles();
    EXPECT_NE(sp.files.files["history.txt"].find("\r\ngraph.window=40 30 700 400\r\n"), std::string::npos);
    ::SendMessageW(g.Handle(), WM_CLOSE, 0, 0);
    EXPECT_FALSE(g.IsVisible());

    // The next run shows it there.
    const std::string kept = sp.files.files["history.txt"];
    sp.program.reset();
    TakeQuit();
    sp.files.files["history.txt"] = kept;
    Program& next = Start();
    next.Graph().ShowFor(std::nullopt, next.QuickInfo().Handle());
    const RECT r = win::WindowRect(next.Graph().Handle());
    EXPECT_EQ(r.left, 40);
    EXPECT_EQ(r.top, 30);
    EXPECT_EQ(win::Width(r), 700);
    EXPECT_EQ(win::Height(r), 400);
}

}  // namespace
}  // namespace velkaro::shell
