#include "report/HistoryReport.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <span>
#include <tuple>
#include <utility>

#include "core/Calendar.h"
#include "core/Formatting.h"
#include "core/Texts.h"

namespace velkaro {

std::vector<AdapterDay> DayTotals(const Accounting& a, const AdapterId* only) {
    using Key = std::tuple<std::uint16_t, std::uint16_t, std::uint16_t, AdapterId>;  // y, m, d, adapter
    std::map<Key, AdapterDay> days;
    for (const HistoryRecord& r : a.History()) {
        if (only && r.adapter != *only) continue;
        const Key key{r.year, r.month, r.day, r.adapter};
        AdapterDay& d = days.try_emplace(key, AdapterDay{Date{r.year, r.month, r.day}, r.adapter}).first->second;
        d.in += r.inOctets;
        d.out += r.outOctets;
    }
    std::vector<AdapterDay> totals(days.size());
    std::transform(days.begin(), days.end(), totals.begin(), [](const auto& entry) { return entry.second; });
    return totals;
}

std::string HtmlEscaped(const std::string& s) {
    std::string out;
    out.reserve(s.size());
    for (char c : s) {
        switch (c) {
            case '&': out += "&amp;"; break;
            case '<': out += "&lt;"; break;
            case '>': out += "&gt;"; break;
            case '"': out += "&quot;"; break;
            default: out += c;
        }
    }
    return out;
}

ChartScale ChooseScale(std::vector<long double> amounts, long double atLeast) {
    constexpr long double kCutRatio = 3;
    std::erase_if(amounts, [](long double v) { return !std::isfinite(v) || !(v > 0); });
    if (!std::isfinite(atLeast) || atLeast < 0) atLeast = 0;
    if (amounts.empty()) return ChartScale{atLeast, false};
    std::sort(amounts.begin(), amounts.end());
    const long double largest = amounts.back();
    if (amounts.size() >= 2) {
        // Nearest rank ceil(0.95 n), 1-based, below the largest's place.
        const std::size_t n = amounts.size();
        const std::size_t rank = std::min((95 * n + 99) / 100, n - 1);
        const long double reference = std::max(amounts[rank - 1], atLeast);
        if (largest > kCutRatio * reference) return ChartScale{reference, true};
    }
    return ChartScale{std::max(largest, atLeast), false};
}

namespace {

// A narrower browser window scales both pictures down.
constexpr int kWidth = 980;
constexpr int kLegendY = 29;
constexpr int kPlotTop = 60;
constexpr int kPlotHeight = 170;
constexpr int kCutRise = 14;
constexpr int kBaseline = kPlotTop + kPlotHeight;
constexpr int kLabelY = kBaseline + 16;
constexpr int kLabelLine = 13;
constexpr int kHeight = kLabelY + kLabelLine + 10;  // two label lines under the bars

constexpr int kDayLeft = 110;
constexpr int kDaySlot = 28;
constexpr int kDayBar = 20;

constexpr int kMonthLeft = 10;
constexpr int kMonthSlot = 80;
constexpr int kMonthBar = 48;

constexpr char kColourIn[] = "#3399FF";
constexpr char kColourOut[] = "#FF9933";
constexpr char kColourMoney[] = "#33AA66";
constexpr char kColourFrame[] = "#66CCFF";
constexpr char kColourScale[] = "#999999";
constexpr char kColourLimit[] = "#DD0000";
constexpr char kColourGap[] = "#888888";
constexpr char kLimitStroke[] = " stroke-width=\"2\" stroke-dasharray=\"6 3\"";

// A positive amount gets at least 1 px so that it shows; one that is not a positive finite
// number, or a scale of nothing, gets no bar.
int BarHeight(long double v, const ChartScale& s) {
    if (!std::isfinite(v) || !(v > 0) || !(s.top > 0)) return 0;
    if (v > s.top) return kPlotHeight + (s.cut ? kCutRise : 0);
    return std::max(1, static_cast<int>(std::lround(static_cast<double>(v / s.top * kPlotHeight))));
}

bool IsCut(int height) { return height > kPlotHeight; }

std::string TwoDigits(unsigned n) { return (n < 10 ? "0" : "") + std::to_string(n); }

std::string DayText(const Date& d) { return TwoDigits(d.day) + "." + TwoDigits(d.month); }
std::string MonthText(const YearMonth& m) { return TwoDigits(m.month) + "." + std::to_string(m.year); }
std::string MoneyText(long double money, char sep) { return FormatFixed(money, 2, sep) + texts::kMoneyUnit; }

std::int64_t MonthNumber(const YearMonth& m) { return static_cast<std::int64_t>(m.year) * 12 + m.month; }

class SvgWriter {
public:
    explicit SvgWriter(std::string& out) : out_(out) {}

    void Open(const std::string& title) {
        const std::string w = std::to_string(kWidth), h = std::to_string(kHeight);
        Line("  <p><svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + w + "\" height=\"" + h +
             "\" viewBox=\"0 0 " + w + " " + h +
             "\" style=\"max-width:100%;height:auto\" font-family=\"Tahoma, Verdana, sans-serif\" font-size=\"11\">");
        Line("    <rect x=\"0.5\" y=\"0.5\"" + Attr("width", kWidth - 1) + Attr("height", kHeight - 1) +
             " fill=\"#FFFFFF\" stroke=\"" + kColourFrame + "\"/>");
        Text(10, 18, "", title, " font-size=\"14\" font-weight=\"bold\"");
    }

    void Close() { Line("  </svg></p>"); }

    void Rect(int x, int y, int w, int h, const char* fill) {
        if (h <= 0) return;
        Line("    <rect" + Attr("x", x) + Attr("y", y) + Attr("width", w) + Attr("height", h) + " fill=\"" + fill +
             "\"/>");
    }

    void Segment(int x1, int y1, int x2, int y2, const char* colour, const char* extra = "") {
        Line("    <line" + Attr("x1", x1) + Attr("y1", y1) + Attr("x2", x2) + Attr("y2", y2) + " stroke=\"" + colour +
             "\"" + extra + "/>");
    }
    void HLine(int x1, int x2, int y, const char* colour, const char* extra = "") {
        Segment(x1, y, x2, y, colour, extra);
    }

    // anchor: "" (start), "middle" or "end"; text is escaped here.
    void Text(int x, int y, const char* anchor, const std::string& text, const std::string& extra = "") {
        std::string s = "    <text" + Attr("x", x) + Attr("y", y);
        if (*anchor) s += std::string(" text-anchor=\"") + anchor + "\"";
        Line(s + extra + ">" + HtmlEscaped(text) + "</text>");
    }

    // The mark of a cut bar: a white slanted band across it, under its top.
    void CutMark(int x, int w, int top) {
        const int y = top + 6;
        Line("    <polygon points=\"" + Point(x, y + 5) + " " + Point(x + w, y) + " " + Point(x + w, y + 3) + " " +
             Point(x, y + 8) + "\" fill=\"#FFFFFF\"/>");
    }

    // The amount of a cut bar, written upwards inside it, ending under its mark.
    void CutAmount(int centreX, int top, const std::string& amount) {
        const int x = centreX + 4, y = top + 18;
        Text(x, y, "end", amount,
             " transform=\"rotate(-90 " + std::to_string(x) + " " + std::to_string(y) +
                 ")\" fill=\"#FFFFFF\" font-weight=\"bold\"");
    }

    void Break(int x, int y = kBaseline) {
        Rect(x - 5, y - 1, 10, 3, "#FFFFFF");
        for (int dx : {-5, 1}) Segment(x + dx, y + 5, x + dx + 4, y - 5, "#000000");
    }

    void GroupOpen(const std::string& tip) { Line("    <g><title>" + HtmlEscaped(tip) + "</title>"); }
    void GroupClose() { Line("    </g>"); }

private:
    static std::string Point(int x, int y) { return std::to_string(x) + "," + std::to_string(y); }
    static std::string Attr(const char* name, int value) {
        return std::string(" ") + name + "=\"" + std::to_string(value) + "\"";
    }

    void Line(const std::string& s) {
        out_ += s;
        out_ += kCrLf;
    }

    std::string& out_;
};

void CutNote(SvgWriter& svg, int x, const ChartScale& scale) {
    if (scale.cut) svg.Text(x, kLegendY + 10, "", texts::kChartCut, " fill=\"#666666\"");
}

// The year is written under the first day and under each day of a new year.
void DaysChart(SvgWriter& svg, const ChartData& data, char sep) {
    const auto days = std::span<const AdapterDay>(data.days).last(std::min(data.days.size(), kChartDays));
    std::vector<long double> totals;
    for (const AdapterDay& d : days) totals.push_back(static_cast<long double>(d.in + d.out));
    const ChartScale scale = ChooseScale(totals, 0);
    const int right = kDayLeft + static_cast<int>(kChartDays) * kDaySlot;

    svg.Open(texts::kChartDaysTitle + data.name);
    svg.Rect(10, kLegendY, 12, 12, kColourIn);
    svg.Text(26, kLegendY + 10, "", texts::kReceived);
    svg.Rect(110, kLegendY, 12, 12, kColourOut);
    svg.Text(126, kLegendY + 10, "", texts::kSent);
    CutNote(svg, 230, scale);
    svg.HLine(kDayLeft - 4, right, kPlotTop, kColourScale, " stroke-dasharray=\"4 3\"");
    svg.Text(kDayLeft - 6, kPlotTop + 4, "end", FormatTrafficKb(scale.top / 1024, 0, sep));
    svg.HLine(kDayLeft - 4, right, kBaseline, "#000000");
    for (std::size_t k = 0; k < days.size(); ++k) {
        const AdapterDay& d = days[k];
        const int x = kDayLeft + static_cast<int>(k) * kDaySlot;
        const int barX = x + (kDaySlot - kDayBar) / 2;
        const int total = BarHeight(static_cast<long double>(d.in + d.out), scale);
        // The received part in proportion to the bar drawn (a cut bar's too).
        int in = total == 0 ? 0
                            : static_cast<int>(std::lround(static_cast<double>(
                                  static_cast<long double>(d.in) / static_cast<long double>(d.in + d.out) * total)));
        if (d.in > 0 && in == 0) in = 1;
        if (d.out > 0 && in >= total && total > 1) in = total - 1;  // the sent part keeps its pixel
        const bool newYear = k == 0 || days[k - 1].date.year != d.date.year;
        if (k > 0 && DayNumber(d.date) - DayNumber(days[k - 1].date) != 1) svg.Break(x);
        svg.GroupOpen(DayText(d.date) + "." + std::to_string(d.date.year) + ": " + texts::kChartReceivedShort +
                      FormatTraffic(d.in, 0, sep) + ", " + texts::kChartSentShort + FormatTraffic(d.out, 0, sep));
        svg.Rect(barX, kBaseline - in, kDayBar, in, kColourIn);
        svg.Rect(barX, kBaseline - total, kDayBar, total - in, kColourOut);
        if (IsCut(total)) {
            svg.CutMark(barX, kDayBar, kBaseline - total);
            svg.CutAmount(x + kDaySlot / 2, kBaseline - total, FormatTraffic(d.in, d.out, sep));
        }
        svg.Text(x + kDaySlot / 2, kLabelY, "middle", DayText(d.date), " font-size=\"10\"");
        if (newYear) svg.Text(x + kDaySlot / 2, kLabelY + kLabelLine, "middle", std::to_string(d.date.year), " font-size=\"10\"");
        svg.GroupClose();
    }
    svg.Close();
}

struct MonthBar {
    YearMonth month;
    long double money = 0;
    std::int64_t missingBefore = 0;
};

// Oldest first.
std::vector<MonthBar> MonthBars(const ChartData& data) {
    std::vector<MonthBar> months;  // every month with records, oldest first
    for (const AdapterDay& d : data.days) {
        const YearMonth m = MonthOf(d.date);
        if (months.empty() || months.back().month != m) {
            const std::int64_t missing = months.empty() ? 0 : MonthNumber(m) - MonthNumber(months.back().month) - 1;
            months.push_back(MonthBar{m, 0, missing});
        }
        months.back().money += Money(PricesOnDay(data.earlierPrices, data.prices, d.date), d.in, d.out);
    }
    if (months.size() > kChartMonths) months.erase(months.begin(), months.end() - static_cast<std::ptrdiff_t>(kChartMonths));
    if (!months.empty()) months.front().missingBefore = 0;  // what lies before the first bar: not shown
    return months;
}

void MonthsChart(SvgWriter& svg, const ChartData& data, char sep) {
    const std::vector<MonthBar> bars = MonthBars(data);
    std::vector<long double> amounts;
    for (const MonthBar& b : bars) amounts.push_back(b.money);
    const bool gaps = std::ranges::any_of(bars, [](const MonthBar& b) { return b.missingBefore > 0; });
    const long double limit = std::isfinite(data.moneyLimit) && data.moneyLimit > 0 ? data.moneyLimit : 0;
    const ChartScale scale = ChooseScale(amounts, limit);
    const int right = kMonthLeft + static_cast<int>(kChartMonths) * kMonthSlot;

    svg.Open(texts::kChartMonthsTitle + data.name);
    int legendX = 10;
    if (limit > 0) {
        svg.HLine(legendX, legendX + 20, kLegendY + 6, kColourLimit, kLimitStroke);
        const std::string text = texts::kChartLimit + MoneyText(limit, sep);
        svg.Text(legendX + 26, kLegendY + 10, "", text);
        legendX += 26 + 7 * static_cast<int>(text.size()) + 20;
    }
    if (gaps) {
        svg.HLine(legendX, legendX + 20, kLegendY + 6, "#000000");
        svg.Break(legendX + 10, kLegendY + 6);
        svg.Text(legendX + 26, kLegendY + 10, "", texts::kChartGapLegend, std::string(" fill=\"") + kColourGap + "\"");
        legendX += 26 + 6 * static_cast<int>(std::string(texts::kChartGapLegend).size()) + 20;
    }
    CutNote(svg, legendX, scale);
    svg.HLine(kMonthLeft, right, kBaseline, "#000000");
    std::vector<std::pair<int, const MonthBar*>> cut;  // written last, over the limit line
    for (std::size_t k = 0; k < bars.size(); ++k) {
        const MonthBar& m = bars[k];
        const int x = kMonthLeft + static_cast<int>(k) * kMonthSlot;
        const int centre = x + kMonthSlot / 2;
        if (m.missingBefore > 0) {
            // Between this bar and the one before: takes no bar's place.
            svg.GroupOpen(texts::kChartGap + (": " + std::to_string(m.missingBefore)) + texts::kChartGapMonths);
            svg.Break(x);
            svg.Text(x, kLabelY + kLabelLine, "middle", std::to_string(m.missingBefore) + texts::kChartGapMonths,
                     std::string(" fill=\"") + kColourGap + "\" font-size=\"10\"");
            svg.GroupClose();
        }
        const int h = BarHeight(m.money, scale);
        const std::string amount = MoneyText(m.money, sep);
        svg.GroupOpen(MonthText(m.month) + ": " + amount);
        svg.Rect(x + (kMonthSlot - kMonthBar) / 2, kBaseline - h, kMonthBar, h, kColourMoney);
        if (IsCut(h)) {
            svg.CutMark(x + (kMonthSlot - kMonthBar) / 2, kMonthBar, kBaseline - h);
            cut.emplace_back(centre, &m);
        } else {
            svg.Text(centre, kBaseline - h - 5, "middle", amount);
        }
        svg.Text(centre, kLabelY, "middle", MonthText(m.month));
        svg.GroupClose();
    }
    if (limit > 0)  // over the bars, so that it shows across them
        svg.HLine(kMonthLeft, right, kBaseline - BarHeight(limit, scale), kColourLimit, kLimitStroke);
    for (const auto& [centre, m] : cut) svg.CutAmount(centre, kBaseline - BarHeight(m->money, scale), MoneyText(m->money, sep));
    svg.Close();
}

}  // namespace

std::string HistoryChartsBlock(const ChartData& data, char sep) {
    std::string out = "<!-- charts -->";
    out += kCrLf;
    if (data.days.empty()) {
        out += std::string("  <p class=\"style2\">") + texts::kChartNoRecords + "</p>" + kCrLf;
    } else {
        SvgWriter svg(out);
        DaysChart(svg, data, sep);
        MonthsChart(svg, data, sep);
    }
    out += "<!-- /charts -->";
    out += kCrLf;
    return out;
}

}  // namespace velkaro
