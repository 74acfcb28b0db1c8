// The statistics window as a real Win32 window under Wine, driven with window messages over
// scripted interface table, dialogs and files.
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
#include "win/StatisticsWindow.h"
#include "win/Geometry.h"
#include "win/Utf16.h"

namespace velkaro {
namespace {

using win::StatisticsWindow;

UINT Id(Command command) { return static_cast<UINT>(command); }

// Records the menu's screen points instead of opening it (unless realMenu).
class TestWindow : public StatisticsWindow {
public:
    using StatisticsWindow::StatisticsWindow;
    bool realMenu = false;
    std::vector<POINT> menus;
    void PopupMenu(int x, int y) override {
        menus.push_back(POINT{x, y});
        if (realMenu) StatisticsWindow::PopupMenu(x, y);
    }
};

enum class Hue { White, Grey, Red, Green, Blue, Other };

Hue HueOf(long rgb) {
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
constexpr COLORREF kTestDesktop = RGB(0, 150, 0);

}  // namespace

namespace win {

class StatisticsWindowTest : public ::testing::Test, public Fakes {
protected:
    void SetUp() override {
        clock.today = {2026, 3, 7};
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

    TestWindow& Create(bool start = true, bool systemTimer = false) {
        win::StatisticsLinks cb;
        cb.refreshQuickInfo = [this](const std::vector<QuickInfoRow>&) {
            ++refreshes;
            return quickInfoShowing;
        };
        cb.showAbout = [this] { ++abouts; };
        cb.endRequest = [this] { ++endRequests; };
        win::StatisticsOptions options;
        options.start = start;
        options.systemTimer = systemTimer;
        w = std::make_unique<TestWindow>(
            a, System(), cb, options);
        return *w;
    }

    // One tick through the window's own timer message.
    void Tick(std::vector<InterfaceRow> rows) {
        table.rows = std::move(rows);
        ::SendMessageW(w->Handle(), WM_TIMER, StatisticsWindow::kTimerId, 0);
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
        for (const PanelItem& i : w->Controller().Panel().Items())
            if (i.text == text && i.y == y) return &i;
        return nullptr;
    }
    const PanelItem* ItemAt(int x, int y) const {
        for (const PanelItem& i : w->Controller().Panel().Items())
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

    void ClickButton(int x) {
        ::SendMessageW(BarOf(*w), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, 8));
        ::SendMessageW(BarOf(*w), WM_LBUTTONUP, 0, MAKELPARAM(x, 8));
    }

    Accounting a;
    int refreshes = 0, abouts = 0, endRequests = 0;
    bool quickInfoShowing = false;
    COLORREF savedDesktop = 0;
    std::unique_ptr<TestWindow> w;

    // What the window keeps to itself: its children, the timer's state and the panel bitmap.
    static PanelView& ViewOf(StatisticsWindow& f) { return f.view_; }
    static HWND ImageOf(const StatisticsWindow& f) { return f.view_.Handle(); }
    static HWND BarOf(const StatisticsWindow& f) { return f.bar_.Handle(); }
    static bool TimerRunning(const StatisticsWindow& f) { return f.timerRunning_; }
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

}  // namespace win

namespace {

using win::StatisticsWindowTest;

// ---- The window as created ----

TEST_F(StatisticsWindowTest, CreatedHiddenWithItsCaptionBorderAndLayoutSizes) {
    TestWindow& win = Create();
    HWND h = win.Handle();
    ASSERT_TRUE(::IsWindow(h));
    EXPECT_FALSE(::IsWindowVisible(h));

    wchar_t caption[64]{};
    ::GetWindowTextW(h, caption, 64);
    EXPECT_EQ(std::wstring(caption), win::Widen(texts::kStatisticsCaption));

    const LONG style = ::GetWindowLongW(h, GWL_STYLE);
    EXPECT_EQ(style & WS_CAPTION, WS_CAPTION);
    EXPECT_TRUE(style & WS_SYSMENU);
    EXPECT_FALSE(style & WS_MINIMIZEBOX);
    EXPECT_FALSE(style & WS_MAXIMIZEBOX);
    EXPECT_FALSE(style & WS_THICKFRAME);

    const RECT c = Client(h);
    EXPECT_EQ(c.right, 784);
    EXPECT_EQ(c.bottom, 93);
    EXPECT_EQ(win.ImageWidth(), 784);
    EXPECT_EQ(win.ImageHeight(), 72);
    // The bar is docked at the bottom, 21 high, the image fills the rest.
    RECT bar{};
    ::GetWindowRect(BarOf(win), &bar);
    ::MapWindowPoints(nullptr, h, reinterpret_cast<POINT*>(&bar), 2);
    EXPECT_EQ(bar.top, 72);
    EXPECT_EQ(bar.bottom - bar.top, 21);
    EXPECT_EQ(Client(ImageOf(win)).bottom, 72);

    // The start-up ran: the timer runs, the window is white and has its bitmap.
    EXPECT_TRUE(TimerRunning(win));
    EXPECT_TRUE(win.Controller().Sampling());
    EXPECT_NE(BitmapDc(win), nullptr);
}

TEST_F(StatisticsWindowTest, StartUpWithoutTheInterfaceFunctionLeavesTheTimerOffAndNoBitmap) {
    table.loadable = false;
    TestWindow& win = Create();
    EXPECT_FALSE(TimerRunning(win));
    EXPECT_EQ(BitmapDc(win), nullptr);
}

TEST_F(StatisticsWindowTest, FirstShowCentresInTheWorkAreaLaterShowsKeepThePlace) {
    TestWindow& win = Create();
    win.Show();
    EXPECT_TRUE(win.Visible());
    RECT r = Outer();
    const RECT area = win::MonitorWorkArea(win.Handle());
    EXPECT_NEAR(r.left, area.left + (win::Width(area) - win::Width(r)) / 2, 1);
    EXPECT_NEAR(r.top, area.top + (win::Height(area) - win::Height(r)) / 2, 1);

    ::SetWindowPos(win.Handle(), nullptr, 10, 20, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    win.Hide();
    win.Show();
    r = Outer();
    EXPECT_EQ(r.left, 10);
    EXPECT_EQ(r.top, 20);
    EXPECT_EQ(win.WindowLeft(), 10);
    EXPECT_EQ(win.WindowTop(), 20);
}

TEST_F(StatisticsWindowTest, TheCloseBoxOnlyHides) {
    files.files["history.txt"] = "SHOW=\r\nform1.width=790\r\n";
    TestWindow& win = Create();
    win.Show();
    ::SendMessageW(win.Handle(), WM_CLOSE, 0, 0);
    EXPECT_TRUE(::IsWindow(win.Handle()));
    EXPECT_FALSE(win.Visible());
    EXPECT_EQ(files.writes, 0);
    EXPECT_EQ(endRequests, 0);
    EXPECT_TRUE(TimerRunning(win));
}

// ---- Ticks and painting ----

TEST_F(StatisticsWindowTest, ATickPaintsEachTextInItsColourOntoWhite) {
    files.files["price.txt"] = "Adapter A|Adapter A>0,5@0,25\r\n";
    TestWindow& win = Create();
    win.Show();
    Tick({MakeRow("Adapter A", 3000000, 7000000)});
    EXPECT_GE(table.calls, 1);
    EXPECT_EQ(refreshes, 1);
    EXPECT_TRUE(TimerRunning(win));

    const auto& items = win.Controller().Panel().Items();
    ASSERT_FALSE(items.empty());
    const PanelItem* name = ItemAt(10, 4);
    const PanelItem* header = Item(texts::kHeaderSent, 22);
    const PanelItem* today = Item(texts::kToday, 40);
    const PanelItem* amount = ItemAt(90, 40);
    const PanelItem* cost = ItemAt(490, 40);
    ASSERT_TRUE(name && header && today && amount && cost);

    auto nameCell = Cell(*name);
    EXPECT_GT(nameCell[Hue::Green], 10) << "the name in the desktop colour";
    EXPECT_EQ(nameCell[Hue::Red] + nameCell[Hue::Blue], 0);
    auto headerCell = Cell(*header);
    EXPECT_GT(headerCell[Hue::Blue], 10);
    EXPECT_EQ(headerCell[Hue::Red] + headerCell[Hue::Green], 0);
    auto todayCell = Cell(*today);
    EXPECT_GT(todayCell[Hue::Blue], 10);
    auto amountCell = Cell(*amount);
    EXPECT_GT(amountCell[Hue::Grey], 10);
    EXPECT_EQ(amountCell[Hue::Red] + amountCell[Hue::Blue] + amountCell[Hue::Green], 0);
    auto costCell = Cell(*cost);
    EXPECT_GT(costCell[Hue::Red], 10);
    EXPECT_EQ(costCell[Hue::Blue] + costCell[Hue::Green], 0);
    // The bold name is wider than the same text in the plain panel font.
    // The "Скорость" column holds nothing on the "Всего" line.
    auto speed = Region(392, 58, 480, 72);
    EXPECT_EQ(speed[Hue::Red] + speed[Hue::Blue] + speed[Hue::Grey] + speed[Hue::Green], 0);

    // WM_PAINT blits the bitmap: the cost cell's red shows on the screen too.
    ::RedrawWindow(ImageOf(win), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    HDC screen = ::GetDC(ImageOf(win));
    int red = 0;
    for (int y = cost->y; y < cost->y + 14; ++y)
        for (int x = cost->x; x < cost->x + win.TextWidth(cost->text); ++x) {
            const COLORREF c = ::GetPixel(screen, x, y);
            if (c != CLR_INVALID && HueOf((GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c)) == Hue::Red) ++red;
        }
    ::ReleaseDC(ImageOf(win), screen);
    EXPECT_GT(red, 10);
}

TEST_F(StatisticsWindowTest, WhileHiddenTheItemsWaitAndArePaintedWhenShown) {
    TestWindow& win = Create();
    Tick({MakeRow("Adapter A", 3000, 7000)});
    const PanelItem* cost = ItemAt(490, 40);
    ASSERT_NE(cost, nullptr);
    EXPECT_EQ(Cell(*cost)[Hue::Red], 0) << "painted although nobody could see it";
    win.Show();
    EXPECT_GT(Cell(*cost)[Hue::Red], 10);
    // Hidden again and shown, it paints the latest items.
    win.Hide();
    Tick({MakeRow("Adapter A", 3000, 9000)});
    win.Show();
    const PanelItem* sent = ItemAt(90, 40);
    ASSERT_NE(sent, nullptr);
    EXPECT_EQ(sent->text.substr(0, 3), "8,8");
    EXPECT_GT(Cell(*sent)[Hue::Grey], 10);
    EXPECT_GT(Cell(*cost)[Hue::Red], 10);
}

TEST_F(StatisticsWindowTest, AShorterTextLeavesNothingOfALongerOneAndBlocksNoLongerDrawnGoWhite) {
    TestWindow& win = Create();
    win.Show();
    Tick({MakeRow("A", 4000000000u, 4000000000u), MakeRow("B", 3000, 7000)});
    const PanelItem longSent = *ItemAt(90, 40);
    ASSERT_GT(longSent.text.size(), 10u);  // "3814 Mb 711 Kb"
    const int longEnd = longSent.x + win.TextWidth(longSent.text);
    a.ClearHistory();
    Tick({MakeRow("A", 1000, 1000)});
    const PanelItem* shortSent = ItemAt(90, 40);
    ASSERT_NE(shortSent, nullptr);
    const int shortEnd = shortSent->x + win.TextWidth(shortSent->text);
    ASSERT_LT(shortEnd + 10, longEnd);
    // Where the long text's end stood, the cell is white, to its right edge.
    auto tail = Region(shortEnd + 2, shortSent->cell.top, shortSent->cell.right, shortSent->cell.bottom);
    EXPECT_EQ(tail.size(), 1u);
    EXPECT_GT(tail[Hue::White], 0);
    EXPECT_GT(Cell(*shortSent)[Hue::Grey], 10);
    // B's block is gone, and so are its pixels.
    EXPECT_EQ(win.Controller().Panel().BlocksEnd(), 82);
    auto gone = Region(0, 82, BitmapSize(win).cx, 160);
    EXPECT_EQ(gone.size(), 1u);
    EXPECT_GT(gone[Hue::White], 0);
    // An empty history leaves an empty panel.
    a.ClearHistory();
    Tick({});
    EXPECT_TRUE(win.Controller().Panel().Items().empty());
    auto empty = Region(0, 0, BitmapSize(win).cx, BitmapSize(win).cy);
    EXPECT_EQ(empty.size(), 1u);
}

TEST_F(StatisticsWindowTest, TheWindowGrowsForEachBlockAndForAWidePrice) {
    files.files["price.txt"] = "B|B>0@123456789\r\n";
    TestWindow& win = Create();
    win.Show();
    const RECT before = Outer();
    const int frameHeight = (before.bottom - before.top) - 93;
    Tick({MakeRow("A", 1, 2)});
    // First block at y 4: the 72-pixel image is less than 132, so the outer height is 152.
    EXPECT_EQ(win.OuterHeight(), 152);
    EXPECT_EQ(win.ImageHeight(), 152 - frameHeight - 21);
    // It fits: no scroll bar, nothing scrolled.
    EXPECT_FALSE(::GetWindowLongW(ImageOf(win), GWL_STYLE) & WS_VSCROLL);
    EXPECT_EQ(win.ScrollTop(), 0);
    RECT bar{};
    ::GetWindowRect(BarOf(win), &bar);
    ::MapWindowPoints(nullptr, win.Handle(), reinterpret_cast<POINT*>(&bar), 2);
    EXPECT_EQ(bar.bottom, 152 - frameHeight);

    Tick({MakeRow("A", 1, 2), MakeRow("B", 3, 4)});
    // Second block at y 82: outer height 82 + 148.
    EXPECT_EQ(win.OuterHeight(), 230);
    ASSERT_NE(ItemAt(10, 82), nullptr);
    // B's outgoing price is wide: outer width 730 + its text width.
    const PanelItem* price = ItemAt(690, 82 + 54);
    ASSERT_NE(price, nullptr);
    EXPECT_EQ(win.OuterWidth(), 730 + win.TextWidth(price->text));
    EXPECT_GT(win.OuterWidth(), before.right - before.left);
    // Width and height applied at once, not when messages are handled.
    EXPECT_EQ(Outer().bottom - Outer().top, 230);
}

// No message is handled in the middle of a tick: a command that comes meanwhile waits for its
// end, and then works on the blocks the tick laid out.
TEST_F(StatisticsWindowTest, ACommandThatComesDuringATickRunsAfterIt) {
    TestWindow& win = Create();
    dialogs.answers.push_back(std::string("Modem"));
    win.Controller().Pick("A");
    ::PostMessageW(win.Handle(), WM_COMMAND, Id(Command::Rename), 0);
    Tick({MakeRow("A", 1, 2), MakeRow("B", 3, 4)});  // the window grows for both blocks
    EXPECT_TRUE(dialogs.prompts.empty());
    EXPECT_EQ(win.OuterHeight(), 230);
    Pump();
    ASSERT_EQ(dialogs.prompts.size(), 1u);
    EXPECT_EQ(a.Tariffs()[0].displayName, "Modem");
}

// ---- The pick and the menu ----

class StatisticsPickTest : public StatisticsWindowTest {
protected:
    void SetUp() override {
        StatisticsWindowTest::SetUp();
        Create().Show();
        Tick({MakeRow("A", 1, 2), MakeRow("B", 3, 4)});  // blocks at 4 and 82
    }
    std::string RightClickAt(int x, int y) {
        ::SendMessageW(ImageOf(*w), WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(x, y));
        return w->Controller().Picked();
    }
};

TEST_F(StatisticsPickTest, ARightClickPicksTheBlockAtOrAboveAndOpensTheMenuBelowThePointer) {
    EXPECT_EQ(RightClickAt(300, 100), "B");
    ASSERT_EQ(w->menus.size(), 1u);
    const RECT r = Outer();
    EXPECT_EQ(w->menus[0].x, r.left + 300);
    EXPECT_EQ(w->menus[0].y, r.top + 100 + 20);
    EXPECT_EQ(RightClickAt(5, 82), "B");   // exactly on the block top
    EXPECT_EQ(RightClickAt(5, 81), "A");   // the gap below A
    EXPECT_EQ(RightClickAt(5, 4), "A");
    w->Controller().Pick("x");
    EXPECT_EQ(RightClickAt(5, 2), "A");    // above the first block: FirstAdapter
    EXPECT_EQ(w->menus.size(), 5u);
}

TEST_F(StatisticsPickTest, LeftAndMiddleClicksDoNothing) {
    w->Controller().Pick("x");
    ::SendMessageW(ImageOf(*w), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 90));
    ::SendMessageW(ImageOf(*w), WM_MBUTTONDOWN, MK_MBUTTON, MAKELPARAM(5, 90));
    EXPECT_TRUE(w->menus.empty());
    EXPECT_EQ(w->Controller().Picked(), "x");
}

TEST_F(StatisticsPickTest, SetPricesAndRenameRunFromTheirMenuCommands) {
    RightClickAt(5, 90);
    dialogs.answers = {std::string("2,5"), std::string(" 0,5 ")};
    ::SendMessageW(w->Handle(), WM_COMMAND, Id(Command::SetPrices), 0);
    dialogs.answers = {std::string("Modem")};
    ::SendMessageW(w->Handle(), WM_COMMAND, Id(Command::Rename), 0);
    ASSERT_EQ(a.Tariffs().size(), 2u);
    EXPECT_DOUBLE_EQ(a.Tariffs()[1].priceIn, 2.5);
    EXPECT_DOUBLE_EQ(a.Tariffs()[1].priceOut, 0.5);
    EXPECT_EQ(a.Tariffs()[1].displayName, "Modem");
    EXPECT_EQ(a.Tariffs()[0].displayName, "A");
    EXPECT_TRUE(dialogs.errors.empty());
    // The next tick draws the new name.
    Tick({});
    ASSERT_NE(ItemAt(10, 82), nullptr);
    EXPECT_EQ(ItemAt(10, 82)->text.substr(0, 5), "Modem");
}

TEST_F(StatisticsPickTest, APriceThatIsNoNumberGoesToTheErrorBoxAndTheWindowGoesOn) {
    RightClickAt(5, 10);
    dialogs.answers = {std::string("abc")};
    ::SendMessageW(w->Handle(), WM_COMMAND, Id(Command::SetPrices), 0);
    ASSERT_EQ(dialogs.errors.size(), 1u);
    EXPECT_EQ(dialogs.errors[0], "'abc' is not a valid floating point value");
    EXPECT_DOUBLE_EQ(a.Tariffs()[0].priceIn, 0.0);
    Tick({});
    EXPECT_TRUE(TimerRunning(*w));
}

TEST_F(StatisticsPickTest, HistoryWritesTheReportAndOpensIt) {
    RightClickAt(5, 10);
    ::SendMessageW(w->Handle(), WM_COMMAND, Id(Command::ShowReport), 0);
    EXPECT_EQ(shell.programFiles.files.count("history.htm"), 1u);
    ASSERT_EQ(shell.opened.size(), 1u);
    EXPECT_EQ(shell.opened[0], "C:\\Velkaro\\history.htm");
}

TEST_F(StatisticsPickTest, TheRealMenuDispatchesTheChosenItem) {
    w->realMenu = true;
    dialogs.answers = {std::string("3"), std::string("4")};
    // Keys queued for the menu's own loop: down past the separator to "Задать цену", Enter.
    ::PostMessageW(w->Handle(), WM_KEYDOWN, VK_DOWN, 0);
    ::PostMessageW(w->Handle(), WM_KEYDOWN, VK_DOWN, 0);
    ::PostMessageW(w->Handle(), WM_KEYDOWN, VK_RETURN, 0);
    RightClickAt(5, 90);
    Pump();  // the chosen command arrives as a posted WM_COMMAND
    ASSERT_EQ(dialogs.prompts.size(), 2u);
    EXPECT_EQ(dialogs.prompts[0], texts::kPromptPriceIn);
    EXPECT_DOUBLE_EQ(a.Tariffs()[1].priceIn, 3.0);
    EXPECT_DOUBLE_EQ(a.Tariffs()[1].priceOut, 4.0);
}

TEST_F(StatisticsPickTest, AMenuClosedWithEscapeRunsNothing) {
    w->realMenu = true;
    ::PostMessageW(w->Handle(), WM_KEYDOWN, VK_ESCAPE, 0);
    RightClickAt(5, 90);
    Pump();
    EXPECT_TRUE(dialogs.prompts.empty());
    EXPECT_TRUE(shell.programFiles.files.count("history.htm") == 0);
}

// What the window's menu held when it opened.
struct OpenedMenu {
    std::string last;
    bool lastChecked = false;
};

LRESULT CALLBACK RecordMenu(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR ref) {
    if (msg == WM_INITMENUPOPUP) {
        auto* seen = reinterpret_cast<OpenedMenu*>(ref);
        HMENU menu = reinterpret_cast<HMENU>(wp);
        const int last = ::GetMenuItemCount(menu) - 1;
        wchar_t text[64] = {};
        ::GetMenuStringW(menu, last, text, 64, MF_BYPOSITION);
        seen->last = win::Narrow(text);
        seen->lastChecked = (::GetMenuState(menu, last, MF_BYPOSITION) & MF_CHECKED) != 0;
    }
    return ::DefSubclassProc(hwnd, msg, wp, lp);
}

// Its pick and what it hides run in the e2e run; here the check mark.
TEST_F(StatisticsPickTest, TheLastMenuItemHidesIdleAdaptersAndIsCheckedWhileItDoes) {
    w->realMenu = true;
    OpenedMenu seen;
    ASSERT_TRUE(::SetWindowSubclass(w->Handle(), &RecordMenu, 1, reinterpret_cast<DWORD_PTR>(&seen)));
    ::PostMessageW(w->Handle(), WM_KEYDOWN, VK_ESCAPE, 0);
    RightClickAt(5, 90);
    Pump();
    EXPECT_EQ(seen.last, texts::kMenuHideIdle);
    EXPECT_FALSE(seen.lastChecked);
    ::SendMessageW(w->Handle(), WM_COMMAND, Id(Command::HideIdle), 0);
    EXPECT_TRUE(a.hideIdle);
    ::PostMessageW(w->Handle(), WM_KEYDOWN, VK_ESCAPE, 0);
    RightClickAt(5, 90);
    Pump();
    EXPECT_TRUE(seen.lastChecked);
    ::SendMessageW(w->Handle(), WM_COMMAND, Id(Command::HideIdle), 0);
    EXPECT_FALSE(a.hideIdle);
    ::RemoveWindowSubclass(w->Handle(), &RecordMenu, 1);
}

// ---- More adapters than the screen holds ----

class StatisticsScrollTest : public StatisticsWindowTest {
protected:
    static constexpr int kAdapters = 50;
    static int BlockTop(int i) { return 4 + 78 * i; }
    void SetUp() override {
        StatisticsWindowTest::SetUp();
        Create().Show();
        std::vector<InterfaceRow> rows;
        for (int i = 0; i < kAdapters; ++i) rows.push_back(MakeRow("Adapter " + std::to_string(i), 1000u * (i + 1), 2000));
        Tick(rows);
    }
    int Page() const { return Client(ImageOf(*w)).bottom; }
    static bool Inside(const RECT& r, const RECT& area) {
        return r.left >= area.left && r.top >= area.top && r.right <= area.right && r.bottom <= area.bottom;
    }
    static SCROLLINFO Scroll(HWND image) {
        SCROLLINFO si{};
        si.cbSize = sizeof si;
        si.fMask = SIF_ALL;
        ::GetScrollInfo(image, SB_VERT, &si);
        return si;
    }
    int Bottom() const { return ViewOf(*w).ScrollHeight() - Page(); }  // the last scroll position
    // Pixels of the name's colour on the screen in the image area's rows y0 to y1.
    int GreenOnScreen(int y0, int y1) {
        ::RedrawWindow(ImageOf(*w), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        HDC screen = ::GetDC(ImageOf(*w));
        int green = 0;
        for (int y = y0; y < y1; ++y)
            for (int x = 10; x < 120; ++x) {
                const COLORREF c = ::GetPixel(screen, x, y);
                if (c != CLR_INVALID && HueOf((GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c)) == Hue::Green) ++green;
            }
        ::ReleaseDC(ImageOf(*w), screen);
        return green;
    }
};

TEST_F(StatisticsScrollTest, TheWindowStaysInsideTheWorkAreaAndScrollsOverEveryBlock) {
    const RECT area = win::MonitorWorkArea(w->Handle());
    const RECT r = Outer();
    EXPECT_TRUE(Inside(r, area));
    EXPECT_EQ(r.bottom - r.top, win::Height(area));
    RECT bar{};
    ::GetWindowRect(BarOf(*w), &bar);
    EXPECT_TRUE(Inside(bar, area)) << "the button bar";
    // The screen shows a part of the blocks.
    const int blocksEnd = w->Controller().Panel().BlocksEnd();
    EXPECT_TRUE(::GetWindowLongW(ImageOf(*w), GWL_STYLE) & WS_VSCROLL);
    const SCROLLINFO si = Scroll(ImageOf(*w));
    EXPECT_GE(si.nMax + 1, blocksEnd);
    EXPECT_EQ(static_cast<int>(si.nPage), Page());
    // The last block shows on the screen when scrolled to the end.
    ViewOf(*w).ScrollTo(1000000);
    EXPECT_EQ(w->ScrollTop(), Bottom());
    const int lastOnScreen = BlockTop(kAdapters - 1) - w->ScrollTop();
    EXPECT_GT(GreenOnScreen(lastOnScreen, lastOnScreen + 16), 10);
    EXPECT_EQ(GreenOnScreen(lastOnScreen + 18, lastOnScreen + 78), 0);
}

TEST_F(StatisticsScrollTest, ARightClickAfterScrollingPicksTheBlockUnderTheCursorAndOpensTheMenuThere) {
    ViewOf(*w).ScrollTo(BlockTop(30));
    ASSERT_EQ(w->ScrollTop(), BlockTop(30));
    ::SendMessageW(ImageOf(*w), WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(300, 100));
    EXPECT_EQ(w->Controller().Picked(), "Adapter 31");  // 100 pixels down: the next block's top is 78 down
    ::SendMessageW(ImageOf(*w), WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(300, 77));
    EXPECT_EQ(w->Controller().Picked(), "Adapter 30");
    ASSERT_EQ(w->menus.size(), 2u);
    const RECT r = Outer();
    EXPECT_EQ(w->menus[0].x, r.left + 300);
    EXPECT_EQ(w->menus[0].y, r.top + 100 + 20);
    EXPECT_EQ(w->menus[1].y, r.top + 77 + 20);
}

TEST_F(StatisticsScrollTest, KeysTheWheelAndTheScrollBarScroll) {
    auto key = [&](WPARAM k) {
        ::SendMessageW(w->Handle(), WM_KEYDOWN, k, 0);
        return w->ScrollTop();
    };
    const int page = Page();
    EXPECT_EQ(key(VK_DOWN), 18);
    EXPECT_EQ(key(VK_NEXT), 18 + page);
    EXPECT_EQ(key(VK_UP), page);
    EXPECT_EQ(key(VK_PRIOR), 0);  // and no further
    EXPECT_EQ(key(VK_END), Bottom());
    EXPECT_EQ(key(VK_DOWN), Bottom());
    EXPECT_EQ(key(VK_HOME), 0);
    // The image area takes the keys too, when it has the focus.
    ::SendMessageW(ImageOf(*w), WM_KEYDOWN, VK_NEXT, 0);
    EXPECT_EQ(w->ScrollTop(), page);
    key(VK_HOME);

    UINT lines = 3;
    ::SystemParametersInfoW(SPI_GETWHEELSCROLLLINES, 0, &lines, 0);
    ASSERT_NE(lines, static_cast<UINT>(WHEEL_PAGESCROLL));
    ::SendMessageW(w->Handle(), WM_MOUSEWHEEL, MAKEWPARAM(0, -WHEEL_DELTA), 0);
    EXPECT_EQ(w->ScrollTop(), static_cast<int>(lines) * 18);
    ::SendMessageW(w->Handle(), WM_MOUSEWHEEL, MAKEWPARAM(0, -WHEEL_DELTA / 2), 0);
    ::SendMessageW(w->Handle(), WM_MOUSEWHEEL, MAKEWPARAM(0, -WHEEL_DELTA / 2), 0);
    EXPECT_EQ(w->ScrollTop(), 2 * static_cast<int>(lines) * 18);  // two halves make a notch
    ::SendMessageW(ImageOf(*w), WM_MOUSEWHEEL, MAKEWPARAM(0, 2 * WHEEL_DELTA), 0);
    EXPECT_EQ(w->ScrollTop(), 0);

    ::SendMessageW(ImageOf(*w), WM_VSCROLL, SB_LINEDOWN, 0);
    EXPECT_EQ(w->ScrollTop(), 18);
    ::SendMessageW(ImageOf(*w), WM_VSCROLL, SB_BOTTOM, 0);
    EXPECT_EQ(Scroll(ImageOf(*w)).nPos, Bottom());
}

// ---- The button bar ----

TEST_F(StatisticsWindowTest, ClearHistoryWhenTheFileCannotBeDeletedKeepsTheHistory) {
    files.files["history.txt"] = "SHOW=\r\nform1.width=790\r\n7.3.2026-0\t1\t2\tA\r\n";
    files.undeletable["history.txt"] = true;
    TestWindow& win = Create();
    quickInfoShowing = true;
    Tick({});
    ASSERT_TRUE(win.Controller().QuickInfoShown());
    ClickButton(200 + 10);  // "Отчистить историю"
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0], texts::kClearFailed);
    EXPECT_EQ(a.HistoryCount(), 1u);
    EXPECT_FALSE(win.Controller().QuickInfoShown());
    EXPECT_TRUE(TimerRunning(win));
    EXPECT_GE(files.writes, 2);  // the save ran first
}

TEST_F(StatisticsWindowTest, ClearHistoryEmptiesTheHistoryWhenTheFileIsGone) {
    files.files["history.txt"] = "SHOW=\r\nform1.width=790\r\n7.3.2026-0\t1\t2\tA\r\n";
    TestWindow& win = Create();
    ClickButton(336);  // the last pixel of the button
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0], texts::kClearDone);
    EXPECT_EQ(a.HistoryCount(), 0u);
    EXPECT_TRUE(TimerRunning(win));
}

TEST_F(StatisticsWindowTest, ExitSavesThenAsksToEndAFailedSaveShowsTheErrorAndGoesOn) {
    files.files["history.txt"] = "SHOW=\r\nform1.width=790\r\n";
    Create();
    files.writeError["history.txt"] = kIoDiskFull;
    ClickButton(5);  // "Выход"
    EXPECT_EQ(endRequests, 0);
    ASSERT_EQ(dialogs.errors.size(), 1u);
    files.writeError.clear();
    ClickButton(72);
    EXPECT_EQ(endRequests, 1);
    EXPECT_EQ(files.files.count("price.txt"), 1u);
}

TEST_F(StatisticsWindowTest, MailHelpAndAboutButtons) {
    Create();
    shell.result = 2;
    ClickButton(80);  // "Написать автору"
    ASSERT_EQ(shell.opened.size(), 1u);
    EXPECT_EQ(shell.opened[0].rfind("mailto:", 0), 0u);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0], texts::kMailFailed);
    ClickButton(344);  // "Помощь": no help file, the online page
    ASSERT_EQ(shell.opened.size(), 2u);
    EXPECT_EQ(shell.opened[1], texts::kOnlineHelp);
    ClickButton(480 + 80);  // "Об авторе"
    EXPECT_EQ(abouts, 1);
}

TEST_F(StatisticsWindowTest, OnlyAPressAndReleaseOnTheSameButtonClicks) {
    Create();
    // In the gap between "Выход" (0..72) and "Написать автору" (80..192).
    ClickButton(76);
    // Pressed on "Помощь", released on "Об авторе".
    ::SendMessageW(BarOf(*w), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(350, 8));
    ::SendMessageW(BarOf(*w), WM_LBUTTONUP, 0, MAKELPARAM(500, 8));
    // Right of the last button.
    ClickButton(600);
    EXPECT_TRUE(shell.opened.empty());
    EXPECT_EQ(abouts, 0);
    EXPECT_EQ(endRequests, 0);
}

// ---- Timer and message pump ----

TEST_F(StatisticsWindowTest, TheSystemTimerTicksAndStopsWhenDisabled) {
    TestWindow& win = Create(true, true);
    EXPECT_TRUE(TimerRunning(win));
    const DWORD start = ::GetTickCount();
    while (table.calls < 2 && ::GetTickCount() - start < 5000) {
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 100, QS_ALLINPUT);
        Pump();
    }
    EXPECT_GE(table.calls, 2);
    EXPECT_TRUE(TimerRunning(win));

    win.SetTimerEnabled(false);
    EXPECT_FALSE(TimerRunning(win));
    const int calls = table.calls;
    // A WM_TIMER that arrives anyway starts no tick while the timer is off.
    ::SendMessageW(win.Handle(), WM_TIMER, StatisticsWindow::kTimerId, 0);
    const DWORD stop = ::GetTickCount();
    while (::GetTickCount() - stop < 1300) {
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 100, QS_ALLINPUT);
        Pump();
    }
    EXPECT_EQ(table.calls, calls);
}

TEST_F(StatisticsWindowTest, TextWidthMeasuresThePanelFont) {
    TestWindow& win = Create();
    EXPECT_EQ(win.TextWidth(""), 0);
    const int one = win.TextWidth(texts::kToday);
    EXPECT_GT(one, 20);
    EXPECT_GT(win.TextWidth(std::string(texts::kToday) + texts::kToday), one + 20);
}

}  // namespace
}  // namespace velkaro
