// The statistics window's image area: the panel painted on its bitmap, and scrolled.
#include "tests/win/StatisticsWindowFixture.h"

namespace velkaro::ui {
namespace {

// ---- Painting ----

TEST_F(StatisticsWindowTest, ATickPaintsEachTextInItsColourOntoWhite) {
    files.files["price.txt"] = "Adapter A|Adapter A>0,5@0,25\r\n";
    TestWindow& win = Create();
    win.BringToFront();
    Tick({MakeRow("Adapter A", 3000000, 7000000)});
    EXPECT_GE(table.calls, 1);
    EXPECT_EQ(refreshes, 1);
    EXPECT_TRUE(TimerRunning(win));

    const auto& items = meter.Panel().Items();
    ASSERT_FALSE(items.empty());
    const PanelItem* name = ItemAt(10, 4);
    const PanelItem* header = Item(texts::kSent, 22);
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
    win.BringToFront();
    EXPECT_GT(Cell(*cost)[Hue::Red], 10);
    // Hidden again and shown, it paints the latest items.
    win.Hide();
    Tick({MakeRow("Adapter A", 3000, 9000)});
    win.BringToFront();
    const PanelItem* sent = ItemAt(90, 40);
    ASSERT_NE(sent, nullptr);
    EXPECT_EQ(sent->text.substr(0, 3), "8,8");
    EXPECT_GT(Cell(*sent)[Hue::Grey], 10);
    EXPECT_GT(Cell(*cost)[Hue::Red], 10);
}

TEST_F(StatisticsWindowTest, AShorterTextLeavesNothingOfALongerOneAndBlocksNoLongerDrawnGoWhite) {
    TestWindow& win = Create();
    win.BringToFront();
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
    EXPECT_EQ(meter.Panel().BlocksEnd(), 82);
    auto gone = Region(0, 82, BitmapSize(win).cx, 160);
    EXPECT_EQ(gone.size(), 1u);
    EXPECT_GT(gone[Hue::White], 0);
    // An empty history leaves an empty panel.
    a.ClearHistory();
    Tick({});
    EXPECT_TRUE(meter.Panel().Items().empty());
    auto empty = Region(0, 0, BitmapSize(win).cx, BitmapSize(win).cy);
    EXPECT_EQ(empty.size(), 1u);
}

// ---- More adapters than the screen holds ----

class StatisticsScrollTest : public StatisticsWindowTest {
protected:
    static constexpr int kAdapters = 50;
    static int BlockTop(int i) { return 4 + 78 * i; }
    void SetUp() override {
        StatisticsWindowTest::SetUp();
        Create().BringToFront();
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
    int GreenOnScreen(int y0, int y1) { return ScreenRegion(ImageOf(*w), 10, y0, 120, y1)[Hue::Green]; }
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
    const int blocksEnd = meter.Panel().BlocksEnd();
    EXPECT_TRUE(::GetWindowLongW(ImageOf(*w), GWL_STYLE) & WS_VSCROLL);
    EXPECT_EQ(Client(ImageOf(*w)).right, meter.Panel().BitmapWidth());  // beside the scroll bar
    const SCROLLINFO si = Scroll(ImageOf(*w));
    EXPECT_GE(si.nMax + 1, blocksEnd);
    EXPECT_EQ(static_cast<int>(si.nPage), Page());
    // The last block shows on the screen when scrolled to the end.
    ViewOf(*w).ScrollTo(1000000);
    EXPECT_EQ(ScrollTopOf(*w), Bottom());
    const int lastOnScreen = BlockTop(kAdapters - 1) - ScrollTopOf(*w);
    EXPECT_GT(GreenOnScreen(lastOnScreen, lastOnScreen + 16), 10);
    EXPECT_EQ(GreenOnScreen(lastOnScreen + 18, lastOnScreen + 78), 0);
}

TEST_F(StatisticsScrollTest, ARightClickAfterScrollingPicksTheBlockUnderTheCursorAndOpensTheMenuThere) {
    ViewOf(*w).ScrollTo(BlockTop(30));
    ASSERT_EQ(ScrollTopOf(*w), BlockTop(30));
    ::SendMessageW(ImageOf(*w), WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(300, 100));
    EXPECT_EQ(w->Picked(), "Adapter 31");  // 100 pixels down: the next block's top is 78 down
    ::SendMessageW(ImageOf(*w), WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(300, 77));
    EXPECT_EQ(w->Picked(), "Adapter 30");
    ASSERT_EQ(w->menus.size(), 2u);
    const RECT r = Outer();
    EXPECT_EQ(w->menus[0].x, r.left + 300);
    EXPECT_EQ(w->menus[0].y, r.top + 100 + 20);
    EXPECT_EQ(w->menus[1].y, r.top + 77 + 20);
}

TEST_F(StatisticsScrollTest, KeysTheWheelAndTheScrollBarScroll) {
    auto key = [&](WPARAM k) {
        ::SendMessageW(w->Handle(), WM_KEYDOWN, k, 0);
        return ScrollTopOf(*w);
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
    EXPECT_EQ(ScrollTopOf(*w), page);
    key(VK_HOME);

    UINT lines = 3;
    ::SystemParametersInfoW(SPI_GETWHEELSCROLLLINES, 0, &lines, 0);
    ASSERT_NE(lines, static_cast<UINT>(WHEEL_PAGESCROLL));
    ::SendMessageW(w->Handle(), WM_MOUSEWHEEL, MAKEWPARAM(0, -WHEEL_DELTA), 0);
    EXPECT_EQ(ScrollTopOf(*w), static_cast<int>(lines) * 18);
    ::SendMessageW(w->Handle(), WM_MOUSEWHEEL, MAKEWPARAM(0, -WHEEL_DELTA / 2), 0);
    ::SendMessageW(w->Handle(), WM_MOUSEWHEEL, MAKEWPARAM(0, -WHEEL_DELTA / 2), 0);
    EXPECT_EQ(ScrollTopOf(*w), 2 * static_cast<int>(lines) * 18);  // two halves make a notch
    ::SendMessageW(ImageOf(*w), WM_MOUSEWHEEL, MAKEWPARAM(0, 2 * WHEEL_DELTA), 0);
    EXPECT_EQ(ScrollTopOf(*w), 0);

    ::SendMessageW(ImageOf(*w), WM_VSCROLL, SB_LINEDOWN, 0);
    EXPECT_EQ(ScrollTopOf(*w), 18);
    ::SendMessageW(ImageOf(*w), WM_VSCROLL, SB_BOTTOM, 0);
    EXPECT_EQ(Scroll(ImageOf(*w)).nPos, Bottom());
}

// A limit line wider than the work area (after a long name): the window takes the work area's
// width, the image area scrolls sideways over the panel (keys, tilt wheel, scroll bar) and a
// right click opens the menu where it was; the limit gone, the window narrows again.
TEST_F(StatisticsWindowTest, ALineWiderThanTheWorkAreaScrollsSidewaysAndTheWindowNarrowsAgain) {
    const std::string name(150, 'M');
    TestWindow& win = Create();
    win.BringToFront();
    a.ReplaceLimits({{name, 10, {}, 0}});
    Tick({MakeRow(name, 1, 2)});
    const RECT area = win::MonitorWorkArea(win.Handle());
    RECT r = Outer();
    ASSERT_GT(win.OuterWidth(), win::Width(area));  // what the panel asks for
    EXPECT_EQ(win::Width(r), win::Width(area));
    EXPECT_TRUE(r.left >= area.left && r.right <= area.right && r.top >= area.top && r.bottom <= area.bottom);
    const HWND image = ImageOf(win);
    const LONG style = ::GetWindowLongW(image, GWL_STYLE);
    EXPECT_TRUE(style & WS_HSCROLL);
    EXPECT_FALSE(style & WS_VSCROLL);  // the window is taller by the bar instead
    EXPECT_EQ(Client(image).bottom, win.ImageHeight());

    ::SendMessageW(win.Handle(), WM_KEYDOWN, VK_RIGHT, 0);
    ::SendMessageW(win.Handle(), WM_MOUSEHWHEEL, MAKEWPARAM(0, WHEEL_DELTA), 0);
    EXPECT_EQ(ScrollLeftOf(win), 40);
    ::SendMessageW(image, WM_HSCROLL, SB_RIGHT, 0);
    const int end = meter.Panel().TextsWidth() - Client(image).right;  // the margin after left out
    EXPECT_EQ(ScrollLeftOf(win), end);
    // The end of the limit line shows at the right of the screen.
    const PanelItem& line = meter.Panel().Items().at(1);
    const int lineEnd = line.x + win.TextWidth(line.text) - end;
    ASSERT_GT(lineEnd, 40);
    ASSERT_LT(lineEnd, Client(image).right);
    EXPECT_GT(ScreenRegion(image, lineEnd - 40, line.y, lineEnd, line.y + 14)[Hue::Grey], 10);
    ::SendMessageW(image, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(300, 30));
    ASSERT_EQ(win.menus.size(), 1u);
    EXPECT_EQ(win.menus[0].x, Outer().left + 300);  // where the click was, not where the panel's x is
    a.ReplaceLimits({});
    Tick({MakeRow(name, 1, 2)});
    EXPECT_LT(win.OuterWidth(), 900);
    EXPECT_FALSE(::GetWindowLongW(image, GWL_STYLE) & WS_HSCROLL);
    EXPECT_EQ(ScrollLeftOf(win), 0);
}

// ---- On a monitor of another DPI ----

// Moved to a monitor of 120 DPI: the window takes the place the system suggests and lays
// itself out anew there, its size the pixels of its units, its centre the suggestion's.
TEST_F(StatisticsWindowTest, OnAMonitorOfAnotherDpiTheWindowTakesTheSuggestedPlaceAndItsSize) {
    TestWindow& win = Create();
    win.BringToFront();
    Tick({MakeRow("A", 1, 2), MakeRow("B", 3, 4)});
    const win::Dpi dpi(120);
    const RECT before = Outer();
    const RECT suggested{10, 20, 10 + dpi.Px(win::Width(before)), 20 + dpi.Px(win::Height(before))};
    ::SendMessageW(win.Handle(), WM_DPICHANGED, MAKEWPARAM(120, 120), reinterpret_cast<LPARAM>(&suggested));
    Pump();  // the layout that follows it
    EXPECT_EQ(win.ScreenDpi(), dpi);
    const RECT r = Outer();
    const RECT client = Client(win.Handle());
    EXPECT_EQ(client.right, dpi.Px(win.ImageWidth()));
    EXPECT_EQ(client.bottom, dpi.Px(win.ImageHeight()) + dpi.Px(21));
    EXPECT_NEAR(r.left + r.right, suggested.left + suggested.right, 1);
    EXPECT_NEAR(r.top + r.bottom, suggested.top + suggested.bottom, 1);
    // The image area shows all of the panel: no scroll bar for a rounding.
    EXPECT_FALSE(::GetWindowLongW(ImageOf(win), GWL_STYLE) & WS_VSCROLL);
}

// At 144 DPI the texts are measured in the fonts of that DPI and the columns widened where
// they need it: painted at their pixels, no text reaches the next one; a click picks the
// block whose pixels it is on.
TEST_F(StatisticsWindowTest, At144DpiNoTextReachesTheNextAndAClickPicksByPixels) {
    files.files["price.txt"] = "B|B>0@123456789\r\n";
    TestWindow& win = Create();
    win.BringToFront();
    Tick({MakeRow("A", 4000000000u, 4000000000u), MakeRow("B", 3000, 7000)});
    const win::Dpi dpi(144);
    RECT suggested = Outer();
    ::SendMessageW(win.Handle(), WM_DPICHANGED, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&suggested));
    Pump();  // laid out and painted anew, without a tick
    const std::vector<PanelItem>& items = meter.Panel().Items();
    ASSERT_FALSE(items.empty());
    for (std::size_t i = 1; i + 1 < items.size(); ++i) {
        const PanelItem& item = items[i];
        const PanelItem& next = items[i + 1];
        if (next.y != item.y || item.bold) continue;  // the last of its row; the bold name
        const std::string text = item.text.substr(0, item.text.find_last_not_of(' ') + 1);
        EXPECT_LT(dpi.Px(item.x) + ViewOf(win).TextWidth(text), dpi.Px(next.x)) << text << " at " << item.x;
    }
    // The cost, red, where its pixels are.
    const PanelItem* cost = ItemAt(items[5].x, 40);  // under the cost's header
    ASSERT_NE(cost, nullptr);
    int red = 0;
    for (int y = dpi.Px(cost->y); y < dpi.Px(cost->y) + 20; ++y)
        for (int x = dpi.Px(cost->x); x < dpi.Px(cost->x) + ViewOf(win).TextWidth(cost->text); ++x)
            if (HueOf(BitmapPixel(win, x, y)) == Hue::Red) ++red;
    EXPECT_GT(red, 20);
    // B's block begins at 82 units, on its pixel row 123.
    ::SendMessageW(ImageOf(win), WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(10, dpi.Px(82)));
    EXPECT_EQ(win.Picked(), "B");
    ::SendMessageW(ImageOf(win), WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(10, dpi.Px(82) - 1));
    EXPECT_EQ(win.Picked(), "A");
}

}  // namespace
}  // namespace velkaro::ui
