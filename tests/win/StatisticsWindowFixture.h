// The statistics window as a real Win32 window under Wine, drawing a traffic meter over
// scripted interface table, dialogs and files, driven with window messages: what its tests
// share.
#pragma once

#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "core/Accounting.h"
#include "core/Texts.h"
#include "tests/TestSupport.h"
#include "win/DialogsWin32.h"
#include "ui/StatisticsWindow.h"
#include "win/Dpi.h"
#include "win/Window.h"

namespace velkaro::ui {

inline UINT Id(Command command) { return static_cast<UINT>(command); }

// Records the menu's screen points instead of opening it (unless realMenu).
class TestWindow : public StatisticsWindow {
public:
    using StatisticsWindow::StatisticsWindow;
    bool realMenu = false;
    std::vector<POINT> menus;
    void PopupMenu(int x, int y) override {
        const RECT r = win::WindowRect(Handle());
        menus.push_back(POINT{r.left + x, r.top + y});
        if (realMenu) StatisticsWindow::PopupMenu(x, y);
    }
};

// The meter's screen: the statistics window for the panel, the other windows counted.
class TestScreen : public Screen, public TickTimer {
public:
    StatisticsWindow* window = nullptr;
    bool quickInfoShowing = false;
    int refreshes = 0;  // snapshots shown
    int endRequests = 0;
    bool timerOn = false;

    int OuterWidth() override { return window->OuterWidth(); }
    int OuterHeight() override { return window->OuterHeight(); }
    void SetOuterWidth(int width) override { window->SetOuterWidth(width); }
    int ImageWidth() override { return window->ImageWidth(); }
    int ImageHeight() override { return window->ImageHeight(); }
    int TextWidth(const std::string& text) override { return window->TextWidth(text); }
    void Started() override { window->SetWhite(); }
    void ShowPanel(const StatisticsPanel& panel) override { window->ShowPanel(panel); }
    void Show(const Snapshot& snapshot) override {
        window->ShowPanel(snapshot.panel);
        ++refreshes;
    }
    bool ShowBalloon(const std::string&, const std::string&) override { return false; }
    void EndRequest() override { ++endRequests; }
    void SetEnabled(bool enabled) override { timerOn = enabled; }
};

enum class Hue { White, Grey, Red, Green, Blue, Other };

inline Hue HueOf(long rgb) {
    const int r = (rgb >> 16) & 0xFF, g = (rgb >> 8) & 0xFF, b = rgb & 0xFF;
    if (r > 245 && g > 245 && b > 245) return Hue::White;
    const int hi = std::max({r, g, b}), lo = std::min({r, g, b});
    if (hi - lo < 40) return Hue::Grey;  // black text, smoothed or not
    if (r - std::max(g, b) > 60) return Hue::Red;
    if (g - std::max(r, b) > 60) return Hue::Green;
    if (b - std::max(r, g) > 60) return Hue::Blue;
    return Hue::Other;
}

// The desktop colour, set to a green no other panel text uses, for the name's pixels.
inline constexpr COLORREF kTestDesktop = RGB(0, 150, 0);

class StatisticsWindowTest : public ::testing::Test, public Fakes {
protected:
    void SetUp() override {
        clock.today = {2026, 3, 7};
        a.SetCountingBoot(true);  // the rows' counters are the texts drawn
        savedDesktop = ::GetSysColor(COLOR_BACKGROUND);
        const INT element = COLOR_BACKGROUND;
        const COLORREF colour = kTestDesktop;
        ::SetSysColors(1, &element, &colour);
    }
    void TearDown() override {
        w.reset();
        const INT element = COLOR_BACKGROUND;
        ::SetSysColors(1, &element, &savedDesktop);
        Pump();
    }

    TestWindow& Create(bool start = true) {
        w = std::make_unique<TestWindow>(app, meter, [this] { ++abouts; });
        screen.window = w.get();
        if (start) Run([this] { meter.Start(); });
        return *w;
    }

    // One tick, as the program's timer runs it while it is on.
    void Tick(std::vector<InterfaceRow> rows) {
        table.rows = std::move(rows);
        if (screen.timerOn) Run([this] { meter.Tick(); });
    }
    template <class F> void Run(F&& handler) {
        win::DialogOwner owner(w->Handle());
        meter.Guarded(std::forward<F>(handler));
    }

    static void Pump() {
        MSG m;
        while (::PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&m);
            ::DispatchMessageW(&m);
        }
    }

    RECT Outer() const {
        RECT r{};
        ::GetWindowRect(w->Handle(), &r);
        return r;
    }
    RECT Client(HWND h) const {
        RECT r{};
        ::GetClientRect(h, &r);
        return r;
    }

    const PanelItem* Item(const std::string& text, int y) const {
        for (const PanelItem& i : meter.Panel().Items())
            if (i.text == text && i.y == y) return &i;
        return nullptr;
    }
    const PanelItem* ItemAt(int x, int y) const {
        for (const PanelItem& i : meter.Panel().Items())
            if (i.x == x && i.y == y) return &i;
        return nullptr;
    }

    // Pixels of each hue in the cell of an item (its text width, 16 rows).
    std::map<Hue, int> Cell(const PanelItem& item) {
        std::map<Hue, int> count;
        const int width = w->TextWidth(item.text) * (item.bold ? 2 : 1);
        for (int y = item.y; y < item.y + 16; ++y)
            for (int x = item.x; x < item.x + width; ++x) {
                const long p = BitmapPixel(*w, x, y);
                if (p >= 0) ++count[HueOf(p)];
            }
        return count;
    }
    std::map<Hue, int> Region(int x0, int y0, int x1, int y1) {
        std::map<Hue, int> count;
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x) {
                const long p = BitmapPixel(*w, x, y);
                if (p >= 0) ++count[HueOf(p)];
            }
        return count;
    }

    // Pixels of each hue in a region of a window on the screen, once it has painted.
    static std::map<Hue, int> ScreenRegion(HWND hwnd, int x0, int y0, int x1, int y1) {
        ::RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        std::map<Hue, int> count;
        HDC screen = ::GetDC(hwnd);
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x) {
                const COLORREF c = ::GetPixel(screen, x, y);
                if (c != CLR_INVALID) ++count[HueOf((GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c))];
            }
        ::ReleaseDC(hwnd, screen);
        return count;
    }

    void ClickButton(int x) {
        ::SendMessageW(BarOf(*w), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, 8));
        ::SendMessageW(BarOf(*w), WM_LBUTTONUP, 0, MAKELPARAM(x, 8));
    }

    TestScreen screen;
    TrafficMeter meter{MeterPorts{System(), screen, screen}};
    Accounting& a = meter.State();
    int& refreshes = screen.refreshes;
    int& endRequests = screen.endRequests;
    int abouts = 0;
    COLORREF savedDesktop = 0;
    Application app{"Velkaro statistics test", dialogs};  // the owner, as in the program
    std::unique_ptr<TestWindow> w;

    // What the window keeps to itself: its children, the timer's state and the panel bitmap.
    static PanelView& ViewOf(StatisticsWindow& f) { return f.view_; }
    static HWND ImageOf(const StatisticsWindow& f) { return f.view_.Handle(); }
    static HWND BarOf(const StatisticsWindow& f) { return f.bar_.Handle(); }
    bool TimerRunning(const StatisticsWindow&) const { return screen.timerOn; }
    static int ScrollTopOf(const StatisticsWindow& f) { return f.view_.ScrollTop(); }
    static int ScrollLeftOf(const StatisticsWindow& f) { return f.view_.ScrollLeft(); }
    static HDC BitmapDc(const StatisticsWindow& f) { return f.view_.memDc_.get(); }
    static SIZE BitmapSize(const StatisticsWindow& f) { return f.view_.bitmapSize_; }
    // Colour of the bitmap pixel of a panel point as 0xRRGGBB, or -1 where the bitmap (the
    // image area, scrolled) does not reach.
    static long BitmapPixel(const StatisticsWindow& f, int x, int y) {
        const PanelView& v = f.view_;
        y -= v.scrollTop_;
        if (!v.bitmap_ || x < 0 || y < 0 || x >= v.bitmapSize_.cx || y >= v.bitmapSize_.cy) return -1;
        const COLORREF c = ::GetPixel(v.memDc_.get(), x, y);
        if (c == CLR_INVALID) return -1;
        return static_cast<long>((GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c));
    }
};

}  // namespace velkaro::ui
