#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/Accounting.h"
#include "core/Cp1251.h"
#include "core/Texts.h"
#include "statistics/StatisticsPanel.h"
#include "tests/TestSupport.h"

namespace velkaro {
namespace {

const Date kToday{2026, 3, 7};
const Date kYesterday{2026, 3, 6};
const std::string kTail(92, ' ');

// "x,y colour [bold] text", colour as "desktop" or six hex digits.
std::string Show(const PanelItem& item) {
    char head[64];
    if (item.desktopColour)
        std::snprintf(head, sizeof head, "%d,%d desktop%s ", item.x, item.y, item.bold ? " bold" : "");
    else
        std::snprintf(head, sizeof head, "%d,%d %06X%s ", item.x, item.y, static_cast<unsigned>(item.rgb),
                      item.bold ? " bold" : "");
    return head + item.text;
}

std::vector<std::string> Shown(const StatisticsPanel& panel) {
    std::vector<std::string> out;
    for (const PanelItem& item : panel.Items()) out.push_back(Show(item));
    return out;
}

// The texts drawn at x = 10 in desktop colour: the adapter names, in block order, with y.
std::vector<std::string> Names(const StatisticsPanel& panel) {
    std::vector<std::string> out;
    for (const PanelItem& item : panel.Items())
        if (item.desktopColour) out.push_back(std::to_string(item.y) + " " + item.text);
    return out;
}

class StatisticsPanelTest : public ::testing::Test {
protected:
    StatisticsPanelTest() { a.SetAccountingDate(kToday); }
    void Layout(char sep = ',') { panel.Layout(a, window, sep); }
    Accounting a;
    ScriptedWindowHost window;
    StatisticsPanel panel;
};

TEST_F(StatisticsPanelTest, OneBlockDrawsNameHeadersAndBothLinesAtTheirPlaces) {
    a.AddTariff(TariffEntry{1.5, 2, "eth0", "LAN"});
    AddRecord(a, "eth0", kYesterday, 1048576, 2048, 3);
    AddRecord(a, "eth0", kToday, 1572864, 1024);
    Layout();

    const std::vector<std::string> expected = {
        "10,4 desktop bold LAN" + kTail,
        "90,22 0000FF Отправлено"_cp1251, "190,22 0000FF Принято"_cp1251, "290,22 0000FF Всего"_cp1251,
        "390,22 0000FF Скорость"_cp1251, "490,22 0000FF Итого"_cp1251, "590,22 0000FF Цена Вход."_cp1251,
        "690,22 0000FF Цена Исход."_cp1251,
        "10,40 0000FF Сегодня"_cp1251, "90,40 000000 1,0 Kb", "190,40 000000 1 Mb 512 Kb",
        "290,40 000000 1 Mb 513 Kb" + kTail, "390,40 000000 0,0 Kb/s", "490,40 FF0000 2,25 руб."_cp1251, "590,40 000000 1,50 руб."_cp1251,
        "690,40 000000 2,00 руб."_cp1251,
        "10,58 0000FF Всего"_cp1251, "90,58 000000 3,0 Kb", "190,58 000000 2 Mb 512 Kb",
        "290,58 000000 2 Mb 515 Kb" + kTail, "490,58 FF0000 3,76 руб."_cp1251, "590,58 000000 1,50 руб."_cp1251,
        "690,58 000000 2,00 руб."_cp1251,
    };
    EXPECT_EQ(Shown(panel), expected);
    EXPECT_EQ(panel.BlocksEnd(), 82);
    EXPECT_EQ(panel.QuickInfoRows(), (std::vector<QuickInfoRow>{{"LAN.   ", "1 Mb 513 Kb", "2,25 руб."_cp1251}}));
    EXPECT_TRUE(panel.Unpriced().empty());
}

TEST_F(StatisticsPanelTest, DecimalSeparatorComesFromTheCaller) {
    a.AddTariff(TariffEntry{0.5, 0.25, "eth0", "eth0"});
    AddRecord(a, "eth0", kToday, 1536, 0);
    Layout('.');
    EXPECT_EQ(Show(panel.Items()[10]), "190,40 000000 1.5 Kb");
    EXPECT_EQ(Show(panel.Items()[12]), "390,40 000000 0.0 Kb/s");
    EXPECT_EQ(Show(panel.Items()[14]), "590,40 000000 0.50 руб."_cp1251);
    EXPECT_EQ(Show(panel.Items()[15]), "690,40 000000 0.25 руб."_cp1251);
}

// A panel that has drawn before reuses the texts of lines that did not change: whatever
// changed between two layouts, it shows what a panel laid out for the first time shows.
TEST_F(StatisticsPanelTest, ALayoutShowsWhatAFirstLayoutWouldWhateverChangedInBetween) {
    a.AddTariff(TariffEntry{0.5, 0.25, "eth0", "eth0"});
    const std::size_t open = AddRecord(a, "eth0", kToday, 1536, 70000);
    AddRecord(a, "wlan0", kYesterday, 4000000000u, 5);
    Layout();  // wlan0 without an entry
    a.AddTariff(TariffEntry{0, 0, "wlan0", "wlan0"});
    auto same = [&](char sep, ScriptedWindowHost& host) {
        panel.Layout(a, host, sep);
        StatisticsPanel fresh;
        fresh.Layout(a, host, sep);
        EXPECT_EQ(Shown(panel), Shown(fresh));
    };
    same(',', window);
    same(',', window);
    same('.', window);                        // the separator
    a.SetCounters(open, 1536, 900000000u);    // an amount
    same('.', window);
    a.SetPrices(0, -0.0, a.Tariffs()[0].priceOut);  // a price, even to the other zero
    same('.', window);
    a.SetDisplayName(0, "Сеть"_cp1251);  // a name
    same('.', window);
    struct WideHost : ScriptedWindowHost {
        int TextWidth(const std::string& text) override { return 30 * static_cast<int>(text.size()); }
    } wide;
    wide.clientHeight = window.clientHeight;
    same('.', wide);                          // another window measures otherwise
    EXPECT_GT(panel.Items()[2].x - panel.Items()[1].x, 100);  // the first two headers
}

TEST_F(StatisticsPanelTest, AnEmptiedHistoryLaysOutNothingAndLeavesNoFirstAdapter) {
    AddRecord(a, "eth0", kToday, 1, 1);
    Layout();
    a.ClearHistory();
    Layout();
    EXPECT_TRUE(panel.Items().empty());
    EXPECT_TRUE(panel.FirstAdapter().empty());
    EXPECT_TRUE(panel.QuickInfoRows().empty());
    EXPECT_TRUE(panel.Unpriced().empty());
    EXPECT_EQ(panel.AdapterAt(4), "");
    EXPECT_EQ(panel.OuterHeight(), window.OuterHeight());
    EXPECT_EQ(panel.TextsWidth(), 0);
}

TEST_F(StatisticsPanelTest, BlocksFollowFirstRecordsAndGatherRecordsThatAreNotAdjacent) {
    AddRecord(a, "A", kToday, 1024, 2048);
    AddRecord(a, "B", kToday, 10240, 0);
    AddRecord(a, "A", kToday, 1024, 2048, 1);
    AddRecord(a, "C", kYesterday, 0, 5120);
    AddRecord(a, "B", kYesterday, 10240, 0);
    Layout();

    EXPECT_EQ(Names(panel), (std::vector<std::string>{"4 A", "82 B", "160 C"}));
    const auto& rows = panel.QuickInfoRows();
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0].traffic, "6,0 Kb");   // both A records are today's
    EXPECT_EQ(rows[1].traffic, "10,0 Kb");  // only B's first record is today's
    EXPECT_EQ(rows[2].traffic, "0,0 Kb");
    EXPECT_EQ(rows[2].cost, "0,00 руб."_cp1251);
    // B's all-time line sums both of its records.
    bool found = false;
    for (const PanelItem& item : panel.Items())
        if (item.y == 82 + 54 && item.x == 190) {
            EXPECT_EQ(item.text, "20,0 Kb");
            found = true;
        }
    EXPECT_TRUE(found);
    // Each drawn adapter without an entry, once, in block order.
    EXPECT_EQ(panel.Unpriced(), (std::vector<std::string>{"A", "B", "C"}));
}

TEST_F(StatisticsPanelTest, FilterDrawsOnlyItsAdapterAtTheTopButFirstAdapterStaysTheFirst) {
    AddRecord(a, "A", kToday, 1, 1);
    AddRecord(a, "B", kToday, 2, 2);
    a.SetAdapterFilter("B");
    Layout();
    EXPECT_EQ(Names(panel), std::vector<std::string>{"4 B"});
    EXPECT_EQ(panel.FirstAdapter(), "A");
    EXPECT_EQ(panel.QuickInfoRows().size(), 1u);
    EXPECT_EQ(panel.Unpriced(), std::vector<std::string>{"B"});  // A never asked for its price

    // The block of the earlier layout goes, and a click finds the first adapter.
    a.SetAdapterFilter("nobody");
    Layout();
    EXPECT_TRUE(panel.Items().empty());
    EXPECT_EQ(panel.AdapterAt(4), "A");
    EXPECT_TRUE(panel.QuickInfoRows().empty());
}

TEST_F(StatisticsPanelTest, FirstAdapterSkipsAnEmptyNameWhichIsStillDrawn) {
    AddRecord(a, "", kToday, 1, 1);
    AddRecord(a, "X", kToday, 1, 1);
    Layout();
    EXPECT_EQ(panel.FirstAdapter(), "X");
    EXPECT_EQ(Names(panel), (std::vector<std::string>{"4 ", "82 X"}));
}

TEST_F(StatisticsPanelTest, NewAdapterIsDrawnWithoutTailUntilItsEntryExists) {
    AddRecord(a, "eth0", kToday, 0, 0);
    Layout();
    EXPECT_EQ(Names(panel), std::vector<std::string>{"4 eth0"});
    EXPECT_EQ(Show(panel.Items()[13]), "490,40 FF0000 0,00 руб."_cp1251);
    EXPECT_EQ(Show(panel.Items()[15]), "690,40 000000 0,00 руб."_cp1251);
    a.AddTariff(TariffEntry{0, 0, "eth0", "eth0"});  // as the tick registers it
    Layout();
    EXPECT_EQ(Names(panel), std::vector<std::string>{"4 eth0" + kTail});
}

TEST_F(StatisticsPanelTest, QuickInfoNameKeepsSeventeenCharacters) {
    a.AddTariff(TariffEntry{0, 0, "long", "12345678901234567890"});
    a.AddTariff(TariffEntry{0, 0, "exact", "12345678901234567"});
    AddRecord(a, "long", kToday, 0, 0);
    AddRecord(a, "exact", kToday, 0, 0);
    AddRecord(a, "short", kToday, 0, 0);
    Layout();
    const auto& rows = panel.QuickInfoRows();
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0].name, "12345678901234567.   ");
    EXPECT_EQ(rows[1].name, "12345678901234567.   ");
    EXPECT_EQ(rows[2].name, "short.   ");
}

// The columns these sums widen, in every block, and the window with them: the replay
// tests/replay/wide_column.script.
TEST_F(StatisticsPanelTest, SumsAboveFourGigabytesDoNotWrap) {
    a.AddTariff(TariffEntry{0, 1, "big", "big"});
    for (int i = 0; i < 3; ++i) AddRecord(a, "big", kYesterday, 4000000000u, 4000000000u, i + 1);
    AddRecord(a, "big", kToday, 4294967295u, 0);
    Layout();
    // out: 12,000,000,000 bytes = 11,718,750 Kb = 11444 Mb 94 Kb; in adds 16,294,967,295.
    const auto& items = panel.Items();
    EXPECT_EQ(Show(items[17]), "90,58 000000 11444 Mb 94 Kb");
    EXPECT_EQ(Show(items[18]), "196,58 000000 15540 Mb 93 Kb");
    EXPECT_EQ(Show(items[19]), "309,58 000000 26984 Mb 187 Kb" + kTail);
    EXPECT_EQ(Show(items[20]), "522,58 FF0000 11444,09 руб."_cp1251);
    EXPECT_EQ(Show(items[10]), "196,40 000000 4095 Mb 1023 Kb");
}

TEST_F(StatisticsPanelTest, CellsTileEveryBlockFromTheLeftToTheRightEdge) {
    AddRecord(a, "A", kToday, 1, 1);
    AddRecord(a, "B", kToday, 1, 1);
    a.ReplaceLimits({{"B", 1, {}, 0}});  // one item more on B's name row
    a.RefreshPeriods();
    window.clientHeight = 400;
    Layout();
    const auto& items = panel.Items();
    ASSERT_EQ(items.size(), 47u);
    EXPECT_EQ(items[11].cell, (PanelCell{290, 40, 390, 58}));  // today's total, up to the speed
    EXPECT_EQ(items[19].cell, (PanelCell{290, 58, 490, 82}));  // the all-time total, over it
    // Row by row, each cell begins at its item and ends where the next one begins; the rows
    // follow each other without gap from the first block's top to where the blocks end.
    int rowTop = 4;
    for (std::size_t i = 0; i < items.size(); ++i) {
        const PanelCell& c = items[i].cell;
        const bool first = i == 0 || items[i - 1].cell.top != c.top;
        const bool last = i + 1 == items.size() || items[i + 1].cell.top != c.top;
        if (first) {
            EXPECT_EQ(c.left, 10) << i;
            EXPECT_EQ(c.top, rowTop) << i;
            rowTop = c.bottom;
        } else {
            EXPECT_EQ(c.left, items[i].x) << i;
            EXPECT_EQ(items[i - 1].cell.right, c.left) << i;
        }
        if (last) {
            EXPECT_EQ(c.right, panel.BitmapWidth()) << i;
        }
        EXPECT_EQ(c.top, items[i].y) << i;
    }
    EXPECT_EQ(rowTop, 160);
    EXPECT_EQ(panel.BlocksEnd(), 160);
    a.SetAdapterFilter("nobody");  // no block: they end where the first would begin
    Layout();
    EXPECT_EQ(panel.BlocksEnd(), 4);
}

TEST_F(StatisticsPanelTest, ALimitLineStandsOnTheNameRowAtTheCostColumnRedFromEightyPercent) {
    const std::string longName(80, 'n');
    a.ReplaceTariffs({TariffEntry{1, 0, "A", "A"}, TariffEntry{1, 0, longName, longName}});
    AddRecord(a, "A", kToday, 8 * 1048576 - 1, 0);
    AddRecord(a, longName, kToday, 8 * 1048576, 0);
    AddRecord(a, "C", kToday, 0, 0);
    a.ReplaceLimits({{"A", 10, {}, 0}, {longName, 10, {}, 0}});
    a.SetLimitTime({2026, 3, 1}, 0);  // the period's first day: no forecast yet
    window.clientHeight = 400;
    Layout();
    const auto& items = panel.Items();
    ASSERT_EQ(items.size(), 24u + 24u + 23u);
    EXPECT_EQ(Show(items[1]), "490,4 000000 Лимит: 10,00 руб., за месяц: 8,00 руб. (79%)"_cp1251);
    // A name reaching past the cost column pushes the line after it: 80 letters of 7 pixels,
    // an eighth more for bold, and the margin.
    EXPECT_EQ(Show(items[25]), "648,82 FF0000 Лимит: 10,00 руб., за месяц: 8,00 руб. (80%)"_cp1251);
    EXPECT_EQ(items[24].cell.right, 648);
    EXPECT_EQ(panel.TextsWidth(), 648 + 7 * 44 + 8);   // room for the line
    EXPECT_EQ(Names(panel).back(), "160 C");             // no limit, no line
    EXPECT_EQ(items[49].y, 178);                         // C's headers follow its name
}

// Both limits: the traffic limit's line on a row of its own under the money limit's, at the
// cost column also when a long name pushes the money limit's line right; each red on its own;
// the block a row taller, the window a row higher, and as wide as the wider line needs.
TEST_F(StatisticsPanelTest, BothLimitsPutTheTrafficLineOnARowOfItsOwnAndTheBlockGrowsByARow) {
    const std::string longName(80, 'n');
    a.ReplaceTariffs({TariffEntry{1, 0, "A", "A"}, TariffEntry{1, 0, longName, longName}});
    AddRecord(a, "A", kToday, 9 * 1048576, 0);
    AddRecord(a, longName, kToday, 0, 0);
    a.ReplaceLimits({{"A", 10, {}, 0}, {"A", 100, {}, 0, LimitKind::Traffic},
                     {longName, 10, {}, 0}, {longName, 100, {}, 0, LimitKind::Traffic}});
    a.SetLimitTime({2026, 3, 1}, 0);
    Layout();
    EXPECT_EQ(panel.OuterHeight(), 100 + 148 + 18);  // the second block's top, 18 lower
    const auto& items = panel.Items();
    ASSERT_EQ(items.size(), 2 * 25u);
    EXPECT_EQ(Show(items[1]), "490,4 FF0000 Лимит: 10,00 руб., за месяц: 9,00 руб. (90%)"_cp1251);
    EXPECT_EQ(Show(items[2]), "490,22 000000 Лимит: 100 Mb 0 Kb, за месяц: 9 Mb 0 Kb (9%)"_cp1251);
    EXPECT_EQ(items[2].cell, (PanelCell{10, 22, panel.BitmapWidth(), 40}));
    EXPECT_EQ(Show(items[3]), "90,40 0000FF Отправлено"_cp1251);
    EXPECT_EQ(Names(panel).back(), "100 " + longName + kTail);  // 18 further down than without
    EXPECT_EQ(items[26].x, 648);                        // after the long name
    EXPECT_EQ(items[27].x, 490);                        // at the cost column, under it
    EXPECT_EQ(items[27].y, 118);
    EXPECT_EQ(panel.BlocksEnd(), 4 + 2 * (78 + 18));
    EXPECT_EQ(panel.TextsWidth(), 648 + 7 * 43 + 8);    // its money limit's line ends there
    // The limits gone, the block and the window are as before.
    a.ReplaceLimits({});
    Layout();
    EXPECT_EQ(items.size(), 2 * 23u);
    EXPECT_EQ(panel.OuterHeight(), 230);
    EXPECT_EQ(panel.OuterWidth(), 793);  // for "0,00 руб."
}

// The window within a work area: a scroll bar's room where the panel scrolls, never more than
// the work area; a horizontal bar that takes the last rows makes the panel scroll down too.
// Only the texts' width scrolls sideways: a window too narrow for the margin after them alone
// takes the work area's width without a bar.
TEST(WindowFit, KeepsTheWindowWithinTheWorkAreaWithRoomForItsScrollBars) {
    EXPECT_EQ(FitToWorkArea(800, 800, 600, 1024, 738, 17, 17), (WindowFit{800, 600, false, false}));
    EXPECT_EQ(FitToWorkArea(800, 800, 900, 1024, 738, 17, 17), (WindowFit{817, 738, true, false}));
    EXPECT_EQ(FitToWorkArea(1010, 1010, 900, 1024, 738, 17, 17), (WindowFit{1024, 738, true, true}));
    EXPECT_EQ(FitToWorkArea(1010, 1007, 900, 1024, 738, 17, 17), (WindowFit{1024, 738, true, false}));
    EXPECT_EQ(FitToWorkArea(1036, 1036, 600, 1024, 738, 17, 17), (WindowFit{1024, 617, false, true}));
    EXPECT_EQ(FitToWorkArea(1036, 1024, 600, 1024, 738, 17, 17), (WindowFit{1024, 600, false, false}));
    EXPECT_EQ(FitToWorkArea(1036, 1036, 721, 1024, 738, 17, 17), (WindowFit{1024, 738, false, true}));
    EXPECT_EQ(FitToWorkArea(1036, 1036, 722, 1024, 738, 17, 17), (WindowFit{1024, 738, true, true}));
}

TEST_F(StatisticsPanelTest, TheOuterHeightGrowsByAStepWheneverABlockWouldNotFitAndShrinksWithTheBlocks) {
    AddRecord(a, "A", kToday, 0, 0);
    Layout();
    EXPECT_EQ(panel.OuterHeight(), 152);  // the image of 72 is short of the 132 the block needs
    window.clientHeight = 21 + 400;
    Layout();  // from the layout height, whatever the window has now
    EXPECT_EQ(panel.OuterHeight(), 152);
    AddRecord(a, "B", kToday, 0, 0);
    Layout();  // B's top at 82 needs an image of 210: outer height 230
    EXPECT_EQ(panel.OuterHeight(), 230);
    window.clientHeight = 230 - 25;
    a.SetAdapterFilter("A");
    Layout();  // one block again
    EXPECT_EQ(panel.OuterHeight(), 152);
}

TEST_F(StatisticsPanelTest, TheWindowTakesRoomForTheLastPriceTextAndGivesItBack) {
    a.AddTariff(TariffEntry{0, 123456.78, "A", "A"});
    AddRecord(a, "A", kToday, 0, 0);
    Layout();
    // "123456,78 руб." is 14 bytes, 98 pixels: 730 + 98.
    EXPECT_EQ(panel.OuterWidth(), 828);
    EXPECT_EQ(panel.BitmapWidth(), 822);  // the image area once widened: the price shows whole
    window.clientWidth = 822;
    a.SetPrices(0, a.Tariffs()[0].priceIn, 0);
    Layout();
    EXPECT_EQ(panel.TextsWidth(), 730 + 63 - 40 + 8);  // "0,00 руб." is 9 bytes, the margin 40
    EXPECT_EQ(panel.OuterWidth(), 793);
    a.ClearHistory();
    Layout();
    EXPECT_EQ(panel.OuterWidth(), 790);  // the layout's width, the least
}

}  // namespace
}  // namespace velkaro
