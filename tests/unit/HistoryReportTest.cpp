#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <limits>
#include <regex>
#include <string>
#include <vector>

#include "core/Accounting.h"
#include "core/Cp1251.h"
#include "report/HistoryReport.h"
#include "tests/TestSupport.h"

namespace velkaro {
namespace {

std::string Lines(const std::vector<std::string>& lines) {
    std::string s;
    for (const std::string& l : lines) s += l + "\r\n";
    return s;
}

// The page up to and including the empty line after the header row.
std::string HeadFor(const std::string& shownName) {
    return Lines({
        "<html>",
        "<head>",
        "<title>VELKARO INFO V1.4 FINAL</title>",
        "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=windows-1251\">",
        "<style type=\"text/css\"> ",
        "<!-- body",
        "{background-image: url(indexBG.gif);}",
        ".style1 {font-size: 14px; font-weight: bold;}",
        ".style2 {font-size: 14px}",
        ".style3 {color: #0033FF; font-weight: bold;\tfont-size: 18px;}",
        ".style4 {color: #0066FF;\tfont-weight: bold; font-size: 16px;}",
        "-->",
        "</style></head>",
        "<body>",
        "<div align=\"center\">",
        "  <p class=\"style3\">Velkaro V1.4 Final</p>",
        "  <p class=\"style4\">" + shownName + "</p>",
        "  <table width=\"90%\"  border=\"1\" cellpadding=\"0\" cellspacing=\"0\">",
        "    <tr bgcolor=\"#66CCFF\">",
        "      <td width=\"10%\" bgcolor=\"#66CCFF\"><div align=\"center\" class=\"style1\">ДАТА</div></td>"_cp1251,
        "      <td width=\"15%\"><div align=\"center\" class=\"style1\">ПРИНЯТО</div></td>"_cp1251,
        "      <td width=\"15%\"><div align=\"center\" class=\"style1\">ОТПРАВЛЕНО</div></td>"_cp1251,
        "      <td width=\"15%\"><div align=\"center\" class=\"style1\">ВСЕГО</div></td>"_cp1251,
        "      <td width=\"10%\"><div align=\"center\" class=\"style1\">1 МБ Вход. </div></td>"_cp1251,
        "      <td width=\"10%\"><div align=\"center\" class=\"style1\">1 МБ Исход.</div></td>"_cp1251,
        "      <td><div align=\"center\" class=\"style1\">ИТОГО</div></td>"_cp1251,
        "    </tr>",
        "",
    });
}

const std::string kOpen10 =
    "      <td width=\"10%\"><div align=\"center\"><span class=\"style2\"><span class=\"style2\">";
const std::string kOpen15 =
    "      <td width=\"15%\"><div align=\"center\"><span class=\"style2\"><span class=\"style2\">";
const std::string kOpenLast = "      <td><div align=\"center\"><span class=\"style2\"><span class=\"style2\">";
const std::string kEnd = "</span></span></div></td>";
const std::string kPriceEnd = " руб </span></div></td>"_cp1251;

std::string DayRow(const std::string& date, const std::string& in, const std::string& out,
                   const std::string& sum, const std::string& priceIn, const std::string& priceOut,
                   const std::string& cost) {
    return "<tr bgcolor=\"#FFFFCC\">" + kOpen10 + date + kEnd + kOpen15 + in + kEnd + kOpen15 + out + kEnd +
           kOpen15 + sum + kEnd + kOpen10 + priceIn + kPriceEnd + kOpen10 + priceOut + kPriceEnd +
           kOpenLast + cost + kEnd + "    </tr>\r\n\r\n";
}

std::string Subtotal(const std::string& money) {
    return Lines({
        "<tr><td>&nbsp;</td><td>&nbsp;</td><td> &nbsp;</td><td>&nbsp; </td><td> &nbsp;</td><td>&nbsp; "
        "</td><td bgcolor=\"#FFFFCC\"><div align=\"center\"><span class=\"style2\"><b>" +
            money + " руб.</b></span></div></td></tr>"_cp1251,
        "<tr><td>&nbsp;  </td><td>&nbsp;  </td><td> &nbsp; </td><td>&nbsp;  </td><td>&nbsp;  </td><td> &nbsp; "
        "</td><td>&nbsp;</td></tr>",
    });
}

std::string TotalsAndFoot(const std::string& in, const std::string& out, const std::string& sum,
                          const std::string& money) {
    const std::string s = "      <td width=\"15%\"><strong><div align=\"center\" class=\"style1\">";
    return "<tr>" + Lines({
                        "<tr bgcolor=\"#66CCFF\">",
                        "      <td width=\"10%\"><div align=\"center\"><span class=\"style1\">ИТОГО</span></div></td>"_cp1251,
                        s + in + "</strong></td>",
                        s + out + "</strong></td>",
                        s + sum + "</strong></td>",
                        "      <td width=\"10%\"><div align=\"center\">-</td>",
                        "      <td width=\"10%\"><div align=\"center\">-</td>",
                        "      <td><div align=\"center\" class=\"style1\"><strong>" + money + "руб.</strong></td>"_cp1251,
                        "    </tr>",
                        "  </table>",
                        "  <p>&nbsp;</p>",
                        "  <p><strong><a href=\"https://velkaro.example/\" class=\"style5\">https://velkaro.example"
                        "</a></strong></p>",
                        "  <p class=\"style2\"><a href=\"mailto:author@velkaro.example\"><strong>"
                        "author@velkaro.example</strong></a></p>",
                        "</div>",
                        "</body>",
                        "</html>",
                    });
}

std::size_t Count(const std::string& hay, const std::string& needle) {
    std::size_t n = 0;
    for (std::size_t p = hay.find(needle); p != std::string::npos; p = hay.find(needle, p + 1)) ++n;
    return n;
}

// ---- The charts block ----

const std::string kChartsOpen = "<!-- charts -->\r\n", kChartsClose = "<!-- /charts -->\r\n";

// The charts block with its marker lines, found once (its place and line ends: the replay's
// golden page).
std::string ChartsOf(const std::string& page) {
    const std::size_t begin = page.find(kChartsOpen), close = page.find(kChartsClose);
    if (begin == std::string::npos || close == std::string::npos || close < begin ||
        Count(page, "charts -->") != 2) {
        ADD_FAILURE() << "no single charts block";
        return "";
    }
    const std::string block = page.substr(begin, close + kChartsClose.size() - begin);
    return block;
}

std::string WithoutCharts(std::string page) {
    const std::string block = ChartsOf(page);
    if (!block.empty()) page.erase(page.find(block), block.size());
    return page;
}

// The captures of `pattern` in `text`, match by match.
std::vector<std::string> Matches(const std::string& text, const std::string& pattern) {
    const std::regex re(pattern);
    std::vector<std::string> out;
    for (auto it = std::sregex_iterator(text.begin(), text.end(), re); it != std::sregex_iterator(); ++it) {
        for (std::size_t i = 1; i < it->size(); ++i) out.push_back((*it)[i]);
    }
    return out;
}

// The two pictures of a page: days, months. Found without a regex, whose matching of a long
// text runs out of the stack of a Windows thread.
std::vector<std::string> Svgs(const std::string& page) {
    const std::string charts = ChartsOf(page);
    std::vector<std::string> out;
    for (std::size_t at = charts.find("<svg"); at != std::string::npos; at = charts.find("<svg", at + 1)) {
        const std::size_t end = charts.find("</svg>", at);
        if (end == std::string::npos) break;
        out.push_back(charts.substr(at, end + 6 - at));
    }
    return out;
}
std::vector<std::string> SvgTexts(const std::string& svg) { return Matches(svg, "<text[^>]*>([^<]*)</text>"); }

// y and height of each bar of one colour (the legend, before the first bar, left out).
std::vector<int> SvgBars(const std::string& svg, const std::string& fill) {
    std::vector<int> out;
    const std::string bars = svg.substr(std::min(svg.find("<g>"), svg.size()));
    for (const std::string& n :
         Matches(bars, "<rect x=\"\\d+\" y=\"(\\d+)\" width=\"\\d+\" height=\"(\\d+)\" fill=\"" + fill)) {
        out.push_back(std::stoi(n));
    }
    return out;
}

const std::string kIn = "#3399FF", kOut = "#FF9933", kMoney = "#33AA66";

// A small history over the end of February and the start of March, with another adapter's
// record in between and two sessions on one day.
TEST(HistoryReport, GoldenPageForTwoMonths) {
    Accounting a;
    a.AddTariff(TariffEntry{1.5, 0, "eth", "Home"});
    AddRecord(a, "eth", {2026, 2, 28}, 1048576, 524288);
    AddRecord(a, "wlan", {2026, 3, 1}, 999, 999);
    AddRecord(a, "eth", {2026, 3, 1}, 2097152, 0, 1);
    AddRecord(a, "eth", {2026, 3, 1}, 1048576, 1048576);
    AddRecord(a, "eth", {2026, 3, 2}, 512, 1536);

    const std::string expected =
        HeadFor("Home") +
        DayRow("2.3.2026", "0,5 Kb", "1,5 Kb", "2,0 Kb", "1,5", "0", "0,00 руб."_cp1251) +
        DayRow("1.3.2026", "3 Mb 0 Kb", "1024,0 Kb", "4 Mb 0 Kb", "1,5", "0", "4,50 руб."_cp1251) +
        Subtotal("4,50") +
        DayRow("28.2.2026", "1024,0 Kb", "512,0 Kb", "1 Mb 512 Kb", "1,5", "0", "1,50 руб."_cp1251) +
        Subtotal("1,50") +
        TotalsAndFoot("4 Mb 0 Kb", "1 Mb 513 Kb", "5 Mb 514 Kb", "6,00");
    EXPECT_EQ(WithoutCharts(HistoryReportText(a, "eth", ',')), expected);
    EXPECT_EQ(a.Tariffs().size(), 1u);

    // Running it again gives the same page; a point separator changes only the numbers.
    EXPECT_EQ(WithoutCharts(HistoryReportText(a, "eth", ',')), expected);
    const std::string pointed = HistoryReportText(a, "eth", '.');
    EXPECT_NE(pointed.find(kOpen10 + "1.5" + kPriceEnd), std::string::npos);
    EXPECT_NE(pointed.find("<b>4.50 руб.</b>"_cp1251), std::string::npos);
    EXPECT_NE(pointed.find("<strong>6.00руб.</strong>"_cp1251), std::string::npos);
}

TEST(HistoryReport, AdapterWithoutRecordsGivesOneZeroSubtotalAndZeroTotals) {
    Accounting a;
    AddRecord(a, "eth", {2026, 1, 1}, 100, 100);
    const std::string expected = HeadFor("nothing here") + Subtotal("0,00") +
                                 TotalsAndFoot("0,0 Kb", "0,0 Kb", "0,0 Kb", "0,00");
    const std::string page = HistoryReportText(a, "nothing here", ',');
    EXPECT_EQ(WithoutCharts(page), expected);
    // No pictures without records, only a line that says so.
    EXPECT_EQ(ChartsOf(page), kChartsOpen + "  <p class=\"style2\">Записей нет, графики не построены.</p>\r\n"_cp1251 +
                                  kChartsClose);
    // No day row asks for a price, so nothing is registered.
    EXPECT_TRUE(a.Tariffs().empty());

    Accounting empty;
    EXPECT_EQ(WithoutCharts(HistoryReportText(empty, "", ',')),
              HeadFor("") + Subtotal("0,00") + TotalsAndFoot("0,0 Kb", "0,0 Kb", "0,0 Kb", "0,00"));
}

TEST(HistoryReport, AdapterWithoutPriceEntryIsRegisteredWithZeroPrices) {
    Accounting a;
    a.AddTariff(TariffEntry{2, 2, "other", "Other"});
    AddRecord(a, "eth", {2024, 3, 5}, 1048576, 0);
    const std::string page = HistoryReportText(a, "eth", ',');
    ASSERT_EQ(a.Tariffs().size(), 2u);
    EXPECT_EQ(a.Tariffs()[1].adapter, "eth");
    EXPECT_EQ(a.Tariffs()[1].displayName, "eth");
    EXPECT_EQ(a.Tariffs()[1].priceIn, 0);
    EXPECT_EQ(a.Tariffs()[1].priceOut, 0);
    EXPECT_NE(page.find("<p class=\"style4\">eth</p>"), std::string::npos);
    EXPECT_NE(page.find(DayRow("5.3.2024", "1024,0 Kb", "0,0 Kb", "1024,0 Kb", "0", "0", "0,00 руб."_cp1251)),
              std::string::npos);
}

TEST(HistoryReport, RecordsOfOneDaySplitByOtherAdaptersMakeOneRow) {
    Accounting a;
    a.AddTariff(TariffEntry{1, 2, "eth", "eth"});
    AddRecord(a, "eth", {2026, 3, 7}, 1024, 2048, 1);
    AddRecord(a, "wlan", {2026, 3, 7}, 5, 5);
    AddRecord(a, "eth", {2026, 3, 7}, 1024, 0, 2);
    AddRecord(a, "ppp", {2026, 3, 6}, 5, 5);
    AddRecord(a, "eth", {2026, 3, 7}, 1024, 1024);
    const std::string page = HistoryReportText(a, "eth", ',');
    EXPECT_EQ(Count(page, "<tr bgcolor=\"#FFFFCC\">"), 1u);
    EXPECT_NE(page.find(DayRow("7.3.2026", "3,0 Kb", "3,0 Kb", "6,0 Kb", "1", "2", "0,01 руб."_cp1251)),
              std::string::npos);
    EXPECT_EQ(Count(page, "<b>"), 1u);
}

TEST(HistoryReport, MarchOfTwoYearsWithNothingBetweenSharesOneSubtotal) {
    Accounting a;
    a.AddTariff(TariffEntry{1, 0, "eth", "eth"});
    AddRecord(a, "eth", {2025, 3, 10}, 1048576, 0);
    AddRecord(a, "eth", {2026, 3, 5}, 2097152, 0);
    const std::string expected =
        HeadFor("eth") + DayRow("5.3.2026", "2 Mb 0 Kb", "0,0 Kb", "2 Mb 0 Kb", "1", "0", "2,00 руб."_cp1251) +
        DayRow("10.3.2025", "1024,0 Kb", "0,0 Kb", "1024,0 Kb", "1", "0", "1,00 руб."_cp1251) + Subtotal("3,00") +
        TotalsAndFoot("3 Mb 0 Kb", "0,0 Kb", "3 Mb 0 Kb", "3,00");
    const std::string page = HistoryReportText(a, "eth", ',');
    EXPECT_EQ(WithoutCharts(page), expected);
    // The chart has a bar per month, and the eleven months between them under a break of the
    // baseline, which the legend explains.
    const std::vector<std::string> svgs = Svgs(page);
    ASSERT_EQ(svgs.size(), 2u);
    EXPECT_EQ(SvgTexts(svgs[1]),
              (std::vector<std::string>{"Стоимость по месяцам: eth"_cp1251, texts::kChartGapLegend,
                                        "1,00 руб."_cp1251, "03.2025", "11 мес."_cp1251, "2,00 руб."_cp1251,
                                        "03.2026"}));
    EXPECT_EQ(SvgBars(svgs[1], kMoney).size(), 2 * 2u);

    // Gaps take no bar's place: of fourteen Marches a year apart the newest twelve show, oldest
    // first, with the eleven gaps between them and none before the first.
    for (int year = 2013; year <= 2024; ++year) AddRecord(a, "eth", Day(year, 3, 1), 1048576, 0);
    const std::string svg = Svgs(HistoryReportText(a, "eth", ',')).at(1);
    const std::vector<std::string> texts = SvgTexts(svg);
    ASSERT_EQ(texts.size(), 2 + 12 * 2 + 11u);
    EXPECT_EQ(texts[3], "03.2015");
    EXPECT_EQ(texts.back(), "03.2026");
    EXPECT_EQ(SvgBars(svg, kMoney).size(), 2 * 12u);
}

TEST(HistoryReport, MonthBoundariesGiveOneSubtotalPerMonthInOrder) {
    Accounting a;
    a.AddTariff(TariffEntry{1, 0, "eth", "eth"});
    AddRecord(a, "eth", {2026, 1, 31}, 1048576, 0);    // January, 1.00
    AddRecord(a, "eth", {2026, 2, 1}, 2 * 1048576, 0); // February, 2.00 + 3.00
    AddRecord(a, "eth", {2026, 2, 2}, 3 * 1048576, 0);
    AddRecord(a, "eth", {2026, 3, 1}, 4 * 1048576, 0); // March, 4.00
    const std::string page = WithoutCharts(HistoryReportText(a, "eth", ','));
    const std::size_t march = page.find("1.3.2026");
    const std::size_t marchSum = page.find("<b>4,00 руб.</b>"_cp1251);
    const std::size_t feb2 = page.find("2.2.2026");
    const std::size_t feb1 = page.find("1.2.2026");
    const std::size_t febSum = page.find("<b>5,00 руб.</b>"_cp1251);
    const std::size_t jan = page.find("31.1.2026");
    const std::size_t janSum = page.find("<b>1,00 руб.</b>"_cp1251);
    const std::size_t totals = page.find("<tr><tr bgcolor");
    ASSERT_NE(janSum, std::string::npos);
    EXPECT_LT(march, marchSum);
    EXPECT_LT(marchSum, feb2);
    EXPECT_LT(feb2, feb1);
    EXPECT_LT(feb1, febSum);
    EXPECT_LT(febSum, jan);
    EXPECT_LT(jan, janSum);
    EXPECT_LT(janSum, totals);
    EXPECT_EQ(Count(page, "<b>"), 3u);
    EXPECT_NE(page.find("<strong>10,00руб.</strong>"_cp1251), std::string::npos);
}

TEST(HistoryReport, DaySumAboveFourGigabytesDoesNotWrap) {
    Accounting a;
    a.AddTariff(TariffEntry{1, 0, "eth", "eth"});
    AddRecord(a, "eth", {2026, 9, 9}, 4000000000u, 0, 1);
    AddRecord(a, "eth", {2026, 9, 9}, 1000000000u, 0);
    const std::string page = HistoryReportText(a, "eth", ',');
    // 5,000,000,000 bytes = 4882812.5 Kb = 4768 Mb 380 Kb; money 5e9 / 1048576 = 4768.3715...
    EXPECT_NE(page.find(DayRow("9.9.2026", "4768 Mb 380 Kb", "0,0 Kb", "4768 Mb 380 Kb", "1", "0",
                               "4768,37 руб."_cp1251)),
              std::string::npos);
    EXPECT_NE(page.find("<b>4768,37 руб.</b>"_cp1251), std::string::npos);
    EXPECT_NE(page.find("class=\"style1\">4768 Mb 380 Kb</strong></td>"), std::string::npos);
    EXPECT_NE(page.find("<strong>4768,37руб.</strong>"_cp1251), std::string::npos);
}

TEST(HistoryReport, MonthMoneySumsUnroundedDayAmounts) {
    Accounting a;
    a.AddTariff(TariffEntry{1, 0, "eth", "eth"});
    // 4194 bytes at 1 rouble per Mb is 0.0039997 roubles: each row reads 0,00, three make 0,01.
    AddRecord(a, "eth", {2026, 4, 1}, 4194, 0);
    AddRecord(a, "eth", {2026, 4, 2}, 4194, 0);
    AddRecord(a, "eth", {2026, 4, 3}, 4194, 0);
    const std::string page = HistoryReportText(a, "eth", ',');
    EXPECT_EQ(Count(page, kOpenLast + "0,00 руб."_cp1251 + kEnd), 3u);
    EXPECT_NE(page.find("<b>0,01 руб.</b>"_cp1251), std::string::npos);
    EXPECT_NE(page.find("<strong>0,01руб.</strong>"_cp1251), std::string::npos);
}

TEST(HistoryReport, DisplayNameIsEscaped) {
    Accounting a;
    a.AddTariff(TariffEntry{0, 0, "eth", "a<b&c>\"d\" Сеть"_cp1251});
    AddRecord(a, "eth", {2026, 1, 1}, 0, 0);
    const std::string page = HistoryReportText(a, "eth", ',');
    EXPECT_EQ(WithoutCharts(page).find(HeadFor("a&lt;b&amp;c&gt;&quot;d&quot; Сеть"_cp1251)), 0u);
    EXPECT_EQ(page.find("a<b"), std::string::npos);

    // An adapter name without entry is shown (and escaped) as it is.
    Accounting b;
    AddRecord(b, "x&y", {2026, 1, 1}, 0, 0);
    EXPECT_EQ(WithoutCharts(HistoryReportText(b, "x&y", ',')).find(HeadFor("x&amp;y")), 0u);
}

// ---- Charts ----

// Fourteen months of uneven days: the newest twelve subtotals of the table, oldest on the
// left, each with the table's own text.
TEST(HistoryReportCharts, MonthBarsCarryTheTableSubtotalsOfTheNewestTwelveMonths) {
    Accounting a;
    a.AddTariff(TariffEntry{1.37, 0.91, "eth", "eth"});
    std::uint32_t bytes = 123457;
    for (int m = 10; m < 24; ++m) {
        for (int day = 9; day <= 27; day += 9, bytes = bytes * 7 % 900000007u) {
            AddRecord(a, "eth", Day(2024 + m / 12, 1 + m % 12, day), bytes, bytes / 3 + 7);
        }
    }
    const std::string page = HistoryReportText(a, "eth", '.');
    const std::vector<std::string> table = Matches(WithoutCharts(page), "<b>([^<]*)</b>");  // newest first
    ASSERT_EQ(table.size(), 14u);
    const std::vector<std::string> texts = SvgTexts(Svgs(page).at(1));
    ASSERT_EQ(texts.size(), 1 + 2 * 12u);
    for (std::size_t k = 0; k < 12; ++k) {
        EXPECT_EQ(texts[1 + 2 * k], table[11 - k]) << k;
        const int m = 12 + static_cast<int>(k);
        EXPECT_EQ(texts[2 + 2 * k], (m % 12 < 9 ? "0" : "") + std::to_string(1 + m % 12) + "." +
                                        std::to_string(2024 + m / 12));
    }
    EXPECT_EQ(SvgBars(Svgs(page)[1], kMoney).size(), 2 * 12u);
}

// Forty days over the turn of a year, their records written newest first and with a week
// missing: the newest 31 in date order, labelled DD.MM, the year under the first day and
// under the first of the new year.
TEST(HistoryReportCharts, DayChartShowsTheNewestThirtyOneDaysInDateOrder) {
    Accounting a;
    std::vector<std::string> labels;
    for (std::uint32_t i = 40; i-- > 0;) {
        const int day = i < 20 ? i + 5 : i - 19;
        AddRecord(a, "eth", Day(i < 20 ? 2025 : 2026, i < 20 ? 12 : 1, day), 768 * (i + 1), 256 * (i + 1));
    }
    for (std::uint32_t i = 9; i < 40; ++i) {
        const int day = i < 20 ? i + 5 : i - 19;
        labels.push_back((day < 10 ? "0" : "") + std::to_string(day) + (i < 20 ? ".12" : ".01"));
        if (i == 9 || i == 20) labels.push_back(i == 9 ? "2025" : "2026");
    }
    const std::string svg = Svgs(HistoryReportText(a, "eth", ',')).at(0);
    const std::vector<std::string> texts = SvgTexts(svg);
    ASSERT_EQ(texts.size(), 4 + 31 + 2u);
    EXPECT_EQ(texts[3], "40,0 Kb");  // the scale's top: the largest day, no outlier
    EXPECT_EQ(std::vector<std::string>(texts.begin() + 4, texts.end()), labels);
    // The bars' heights: the replay's golden pages tests/replay/report*.history.htm.
    EXPECT_EQ(SvgBars(svg, kIn).size(), 2 * 31u);
    EXPECT_EQ(SvgBars(svg, kOut).size(), 2 * 31u);
}

// An outlier among 31: the scale stops at the next largest amount, and the outlier is cut.
// Two outliers are more than 5 % of the amounts: then nothing is cut. Not an outlier unless
// more than three times the reference; the limit line is always within the scale.
TEST(ChartScale, StopsNearThe95thPercentileOnlyForAnOutlier) {
    std::vector<long double> days(30, 100);
    days[7] = 150;
    days.push_back(7000);
    EXPECT_EQ(ChooseScale(days, 0), (ChartScale{150, true}));
    days.push_back(7000);
    EXPECT_EQ(ChooseScale(days, 0), (ChartScale{7000, false}));
    EXPECT_EQ(ChooseScale({10, 6900}, 0), (ChartScale{10, true}));  // of two, the smaller
    EXPECT_EQ(ChooseScale({100, 300}, 0), (ChartScale{300, false}));
    EXPECT_EQ(ChooseScale({100, 301}, 0), (ChartScale{100, true}));
    EXPECT_EQ(ChooseScale({5}, 0), (ChartScale{5, false}));
    const long double nan = std::numeric_limits<long double>::quiet_NaN();
    const long double inf = std::numeric_limits<long double>::infinity();
    EXPECT_EQ(ChooseScale({0, -1, nan, inf}, 0), (ChartScale{0, false}));
    EXPECT_EQ(ChooseScale({}, 3), (ChartScale{3, false}));
    EXPECT_EQ(ChooseScale({100, 150, 7000}, 2500), (ChartScale{7000, false}));
    EXPECT_EQ(ChooseScale({100, 150, 7000}, 1000), (ChartScale{1000, true}));
    EXPECT_EQ(ChooseScale({100}, 300), (ChartScale{300, false}));
}

// Nothing to scale by: no bars, but the labels, and no division by zero.
TEST(HistoryReportCharts, ZeroMaximaDrawNoBars) {
    Accounting a;
    AddRecord(a, "eth", {2026, 6, 30}, 0, 0);
    AddRecord(a, "eth", {2026, 7, 1}, 0, 0);
    const std::vector<std::string> svgs = Svgs(HistoryReportText(a, "eth", ','));
    ASSERT_EQ(svgs.size(), 2u);
    EXPECT_EQ(SvgBars(svgs[0], kIn).size() + SvgBars(svgs[0], kOut).size() + SvgBars(svgs[1], kMoney).size(), 0u);
    EXPECT_EQ(SvgTexts(svgs[0]).at(3), "0,0 Kb");
    EXPECT_EQ(SvgTexts(svgs[1]).at(3), "0,00 руб."_cp1251);
}

}  // namespace
}  // namespace velkaro
