#include "report/HistoryCharts.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "core/Formatting.h"
#include "core/Texts.h"

namespace velkaro {

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

namespace {

constexpr char kCrLf[] = "\r\n";

// Both pictures share the width (a narrower browser window scales them down); the day bars stand on the right of a column that holds
// the scale's text, the month bars carry their amounts above them.
constexpr int kWidth = 980;
constexpr int kPlotTop = 56;
constexpr int kPlotHeight = 170;
constexpr int kBaseline = kPlotTop + kPlotHeight;
constexpr int kLabelY = kBaseline + 16;
constexpr int kLabelLine = 13;

constexpr int kDayLeft = 110;
constexpr int kDaySlot = 28;
constexpr int kDayBar = 20;
constexpr int kDayHeight = kLabelY + 10;

constexpr int kMonthLeft = 10;
constexpr int kMonthSlot = 80;
constexpr int kMonthBar = 48;
constexpr std::size_t kMonthLabelLines = 3;  // at most, under one bar

constexpr char kColourIn[] = "#3399FF";
constexpr char kColourOut[] = "#FF9933";
constexpr char kColourMoney[] = "#33AA66";
constexpr char kColourFrame[] = "#66CCFF";
constexpr char kColourScale[] = "#999999";

// Height in px of a bar of value v when a bar of `max` is `full` px high; a positive value
// gets at least 1 px so that it shows. Values that are not positive finite numbers, and any
// value under a maximum of zero, get no bar.
int ScaledHeight(long double v, long double max, int full) {
    if (!std::isfinite(v) || !std::isfinite(max) || !(v > 0) || !(max > 0)) return 0;
    const long double ratio = std::min<long double>(v / max, 1);
    return std::max(1, static_cast<int>(std::lround(static_cast<double>(ratio * full))));
}

std::string TwoDigits(std::int32_t n) {
    std::string s = std::to_string(n);
    return s.size() < 2 ? "0" + s : s;
}

std::string MonthText(const YearMonth& m) { return TwoDigits(m.month) + "." + std::to_string(m.year); }

std::string MoneyText(long double money, char sep) { return FormatFixed(money, 2, sep) + texts::kMoneyUnit; }

class SvgWriter {
public:
    explicit SvgWriter(std::string& out) : out_(out) {}

    void Open(int height, const std::string& title) {
        const std::string w = std::to_string(kWidth), h = std::to_string(height);
        Line("  <p><svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + w + "\" height=\"" + h +
             "\" viewBox=\"0 0 " + w + " " + h + "\" style=\"max-width:100%;height:auto\" font-family=\"Tahoma, Verdana, sans-serif\" font-size=\"11\">");
        Line("    <rect x=\"0.5\" y=\"0.5\" width=\"" + std::to_string(kWidth - 1) + "\" height=\"" +
             std::to_string(height - 1) + "\" fill=\"#FFFFFF\" stroke=\"" + kColourFrame + "\"/>");
        Text(10, 18, "", title, " font-size=\"14\" font-weight=\"bold\"");
    }

    void Close() { Line("  </svg></p>"); }

    void Rect(int x, int y, int w, int h, const char* fill) {
        if (h <= 0) return;
        Line("    <rect x=\"" + std::to_string(x) + "\" y=\"" + std::to_string(y) + "\" width=\"" +
             std::to_string(w) + "\" height=\"" + std::to_string(h) + "\" fill=\"" + fill + "\"/>");
    }

    void HLine(int x1, int x2, int y, const char* colour, bool dashed) {
        Line("    <line x1=\"" + std::to_string(x1) + "\" y1=\"" + std::to_string(y) + "\" x2=\"" +
             std::to_string(x2) + "\" y2=\"" + std::to_string(y) + "\" stroke=\"" + colour + "\"" +
             (dashed ? " stroke-dasharray=\"4 3\"" : "") + "/>");
    }

    // anchor: "" (start), "middle" or "end"; text is escaped here.
    void Text(int x, int y, const char* anchor, const std::string& text, const std::string& extra = "") {
        std::string s = "    <text x=\"" + std::to_string(x) + "\" y=\"" + std::to_string(y) + "\"";
        if (*anchor) s += std::string(" text-anchor=\"") + anchor + "\"";
        Line(s + extra + ">" + HtmlEscaped(text) + "</text>");
    }

    void GroupOpen(const std::string& tip) { Line("    <g><title>" + HtmlEscaped(tip) + "</title>"); }
    void GroupClose() { Line("    </g>"); }

private:
    void Line(const std::string& s) {
        out_ += s;
        out_ += kCrLf;
    }

    std::string& out_;
};

// Received below, sent stacked on it; the dashed line marks the largest day, whose amount
// stands at its left.
void DaysChart(SvgWriter& svg, const std::vector<ChartDay>& newestFirst, const std::string& name,
               char sep) {
    const std::size_t n = std::min(newestFirst.size(), kChartDays);
    std::uint64_t largest = 0;
    const ChartDay* largestDay = nullptr;
    for (std::size_t i = 0; i < n; ++i) {
        const std::uint64_t sum = newestFirst[i].in + newestFirst[i].out;
        if (largestDay == nullptr || sum > largest) {
            largest = sum;
            largestDay = &newestFirst[i];
        }
    }
    const long double max = static_cast<long double>(largest);
    const int right = kDayLeft + static_cast<int>(kChartDays) * kDaySlot;

    svg.Open(kDayHeight, texts::kChartDaysTitle + name);
    svg.Rect(10, 29, 12, 12, kColourIn);
    svg.Text(26, 39, "", texts::kChartReceived);
    svg.Rect(110, 29, 12, 12, kColourOut);
    svg.Text(126, 39, "", texts::kChartSent);
    svg.HLine(kDayLeft - 4, right, kPlotTop, kColourScale, true);
    svg.Text(kDayLeft - 6, kPlotTop + 4, "end", FormatTraffic(largestDay->in, largestDay->out, sep));
    svg.HLine(kDayLeft - 4, right, kBaseline, "#000000", false);
    for (std::size_t k = 0; k < n; ++k) {
        const ChartDay& d = newestFirst[n - 1 - k];  // oldest on the left
        const int x = kDayLeft + static_cast<int>(k) * kDaySlot;
        const int total = ScaledHeight(static_cast<long double>(d.in + d.out), max, kPlotHeight);
        int in = ScaledHeight(static_cast<long double>(d.in), max, kPlotHeight);
        if (d.out > 0 && in >= total && total > 1) in = total - 1;  // the sent part keeps its pixel
        svg.GroupOpen(std::to_string(d.day) + "." + std::to_string(d.month) + "." + std::to_string(d.year) +
                      ": " + texts::kChartReceivedShort + FormatTraffic(d.in, 0, sep) + ", " +
                      texts::kChartSentShort + FormatTraffic(d.out, 0, sep));
        svg.Rect(x + (kDaySlot - kDayBar) / 2, kBaseline - in, kDayBar, in, kColourIn);
        svg.Rect(x + (kDaySlot - kDayBar) / 2, kBaseline - total, kDayBar, total - in, kColourOut);
        svg.Text(x + kDaySlot / 2, kLabelY, "middle", std::to_string(d.day));
        svg.GroupClose();
    }
    svg.Close();
}

// One bar per subtotal of the table. A subtotal shared by the same month of several years
// names them all under its bar (the oldest first; past three lines the rest is counted).
void MonthsChart(SvgWriter& svg, const std::vector<ChartMonth>& newestFirst, const std::string& name,
                 char sep) {
    const std::size_t n = std::min(newestFirst.size(), kChartMonths);
    long double max = 0;
    for (std::size_t i = 0; i < n; ++i) {
        const long double m = newestFirst[i].money;
        if (std::isfinite(m) && m > max) max = m;
    }

    std::size_t lines = 1;
    for (std::size_t i = 0; i < n; ++i) {
        lines = std::max(lines, std::min(newestFirst[i].months.size(), kMonthLabelLines));
    }

    svg.Open(kLabelY + static_cast<int>(lines - 1) * kLabelLine + 10, texts::kChartMonthsTitle + name);
    svg.HLine(kMonthLeft, kMonthLeft + static_cast<int>(kChartMonths) * kMonthSlot, kBaseline, "#000000", false);
    for (std::size_t k = 0; k < n; ++k) {
        const ChartMonth& m = newestFirst[n - 1 - k];
        const int x = kMonthLeft + static_cast<int>(k) * kMonthSlot;
        const int h = ScaledHeight(m.money, max, kPlotHeight);
        const std::string amount = MoneyText(m.money, sep);
        std::string tip;
        for (const YearMonth& my : m.months) tip += (tip.empty() ? "" : " + ") + MonthText(my);
        svg.GroupOpen(tip + ": " + amount);
        svg.Rect(x + (kMonthSlot - kMonthBar) / 2, kBaseline - h, kMonthBar, h, kColourMoney);
        svg.Text(x + kMonthSlot / 2, kBaseline - h - 5, "middle", amount);
        const std::size_t count = m.months.size();
        const std::size_t shown = count <= kMonthLabelLines ? count : kMonthLabelLines - 1;
        for (std::size_t i = 0; i < shown; ++i) {
            svg.Text(x + kMonthSlot / 2, kLabelY + static_cast<int>(i) * kLabelLine, "middle",
                     (i == 0 ? "" : "+ ") + MonthText(m.months[i]));
        }
        if (shown < count) {
            svg.Text(x + kMonthSlot / 2, kLabelY + static_cast<int>(shown) * kLabelLine, "middle",
                     texts::kChartMore + std::to_string(count - shown));
        }
        svg.GroupClose();
    }
    svg.Close();
}

}  // namespace

std::string HistoryChartsBlock(const std::vector<ChartDay>& days, const std::vector<ChartMonth>& months,
                               const std::string& name, char sep) {
    std::string out = "<!-- charts -->";
    out += kCrLf;
    if (days.empty()) {
        out += std::string("  <p class=\"style2\">") + texts::kChartNoRecords + "</p>" + kCrLf;
    } else {
        SvgWriter svg(out);
        DaysChart(svg, days, name, sep);
        MonthsChart(svg, months, name, sep);
    }
    out += "<!-- /charts -->";
    out += kCrLf;
    return out;
}

}  // namespace velkaro
