#include "report/HistoryReport.h"

#include "core/Formatting.h"
#include "core/Texts.h"

namespace velkaro {

namespace {

constexpr char kCellOpen[] = "<div align=\"center\"><span class=\"style2\"><span class=\"style2\">";
constexpr char kCellEnd[] = "</span></span></div></td>";
constexpr const char* kPriceCellEnd = " руб </span></div></td>"_cp1251;

constexpr char kTotalCell[] = "      <td width=\"15%\"><strong><div align=\"center\" class=\"style1\">";

class ReportWriter {
public:
    ReportWriter(Accounting& a, const std::string& adapter, char sep) : a_(a), adapter_(adapter), sep_(sep) {}

    std::string Build() {
        earlier_ = EarlierPricesOf(a_, adapter_);
        Head();
        AdapterId id = 0;
        const bool hasRecords = a_.FindAdapter(adapter_, id);
        // Newest first.
        for (auto r = a_.History().rbegin(); hasRecords && r != a_.History().rend(); ++r) {
            if (r->adapter != id) continue;
            const Date day{r->year, r->month, r->day};
            if (day != prev_) {
                FinishMonthIfChanged();
                if (prev_.day > 0) WriteDayRow();
                lastRowMonth_ = prev_.month;
                dayIn_ = 0;
                dayOut_ = 0;
            }
            dayIn_ += r->inOctets;
            dayOut_ += r->outOctets;
            totalInKb_ += static_cast<long double>(r->inOctets) / 1024;
            totalOutKb_ += static_cast<long double>(r->outOctets) / 1024;
            prev_ = day;
        }
        if (prev_.day > 0) {  // a record was summed
            FinishMonthIfChanged();
            WriteDayRow();
        }
        WriteMonthSubtotal();
        TotalsRow();
        Foot();
        // The charts at the prices of the rows, with the monthly money limit; the prices looked up
        // without registering: the rows have registered an adapter with records.
        const LimitEntry* limit = FindLimit(a_, adapter_, LimitKind::Money);
        const ChartData charts{hasRecords ? DayTotals(a_, &id) : std::vector<AdapterDay>{},
                               PricesOf(FindTariffEntry(a_, adapter_)), earlier_, limit ? limit->limit : 0, name_};
        out_.insert(chartsAt_, HistoryChartsBlock(charts, sep_));
        return std::move(out_);
    }

private:
    void Line(const std::string& s) {
        out_ += s;
        out_ += kCrLf;
    }

    void Head() {
        Line("<html>");
        Line("<head>");
        Line("<title>VELKARO INFO V1.4 FINAL</title>");
        Line("<meta http-equiv=\"Content-Type\" content=\"text/html; charset=windows-1251\">");
        Line("<style type=\"text/css\"> ");
        Line("<!-- body");
        Line("{background-image: url(indexBG.gif);}");
        Line(".style1 {font-size: 14px; font-weight: bold;}");
        Line(".style2 {font-size: 14px}");
        Line(".style3 {color: #0033FF; font-weight: bold;\tfont-size: 18px;}");
        Line(".style4 {color: #0066FF;\tfont-weight: bold; font-size: 16px;}");
        Line("-->");
        Line("</style></head>");
        Line("<body>");
        Line("<div align=\"center\">");
        Line("  <p class=\"style3\">Velkaro V1.4 Final</p>");
        name_ = GetDisplayName(a_, adapter_);
        Line("  <p class=\"style4\">" + HtmlEscaped(name_) + "</p>");
        chartsAt_ = out_.size();
        Line("  <table width=\"90%\"  border=\"1\" cellpadding=\"0\" cellspacing=\"0\">");
        Line("    <tr bgcolor=\"#66CCFF\">");
        Line("      <td width=\"10%\" bgcolor=\"#66CCFF\"><div align=\"center\" class=\"style1\">ДАТА</div></td>"_cp1251);
        Line("      <td width=\"15%\"><div align=\"center\" class=\"style1\">ПРИНЯТО</div></td>"_cp1251);
        Line("      <td width=\"15%\"><div align=\"center\" class=\"style1\">ОТПРАВЛЕНО</div></td>"_cp1251);
        Line("      <td width=\"15%\"><div align=\"center\" class=\"style1\">ВСЕГО</div></td>"_cp1251);
        Line("      <td width=\"10%\"><div align=\"center\" class=\"style1\">1 МБ Вход. </div></td>"_cp1251);
        Line("      <td width=\"10%\"><div align=\"center\" class=\"style1\">1 МБ Исход.</div></td>"_cp1251);
        Line("      <td><div align=\"center\" class=\"style1\">ИТОГО</div></td>"_cp1251);
        Line("    </tr>");
        Line("");
    }

    // A subtotal follows the last row of every month, judged by the month number alone.
    void FinishMonthIfChanged() {
        if (lastRowMonth_ != 0 && lastRowMonth_ != prev_.month) {
            WriteMonthSubtotal();
            monthMoney_ = 0;
        }
    }

    // A cell of a day row: width "10%" or "15%", or "" for the last one.
    void Cell(const char* width, const std::string& text, const char* close = kCellEnd) {
        out_ += *width ? std::string("      <td width=\"") + width + "\">" : std::string("      <td>");
        out_ += kCellOpen;
        out_ += text;
        out_ += close;
    }

    void WriteDayRow() {
        const Prices current{GetPrice(a_, adapter_, Direction::Incoming), GetPrice(a_, adapter_, Direction::Outgoing)};
        const Prices prices = PricesOnDay(earlier_, current, prev_);  // the row's day at the prices it had

        out_ += "<tr bgcolor=\"#FFFFCC\">";
        Cell("10%", std::to_string(prev_.day) + "." + std::to_string(prev_.month) + "." + std::to_string(prev_.year));
        Cell("15%", FormatTraffic(dayIn_, 0, sep_));
        Cell("15%", FormatTraffic(dayOut_, 0, sep_));
        Cell("15%", FormatTraffic(dayIn_, dayOut_, sep_));
        Cell("10%", FormatPriceGeneral(prices.in, sep_), kPriceCellEnd);
        Cell("10%", FormatPriceGeneral(prices.out, sep_), kPriceCellEnd);
        Cell("", FormatCost(prices.in * static_cast<long double>(dayIn_), prices.out * static_cast<long double>(dayOut_),
                            sep_));
        Line("    </tr>");
        Line("");

        const long double money = Money(prices, dayIn_, dayOut_);
        monthMoney_ += money;
        grandMoney_ += money;
    }

    void WriteMonthSubtotal() {
        Line("<tr><td>&nbsp;</td><td>&nbsp;</td><td> &nbsp;</td><td>&nbsp; </td><td> &nbsp;</td>"
             "<td>&nbsp; </td><td bgcolor=\"#FFFFCC\"><div align=\"center\"><span class=\"style2\"><b>" +
             FormatFixed(monthMoney_, 2, sep_) + " руб.</b></span></div></td></tr>"_cp1251);
        Line("<tr><td>&nbsp;  </td><td>&nbsp;  </td><td> &nbsp; </td><td>&nbsp;  </td><td>&nbsp;  </td>"
             "<td> &nbsp; </td><td>&nbsp;</td></tr>");
    }

    void TotalsRow() {
        out_ += "<tr>";
        Line("<tr bgcolor=\"#66CCFF\">");
        Line("      <td width=\"10%\"><div align=\"center\"><span class=\"style1\">ИТОГО</span></div></td>"_cp1251);
        Line(kTotalCell + FormatTrafficKb(totalInKb_, 0, sep_) + "</strong></td>");
        Line(kTotalCell + FormatTrafficKb(totalOutKb_, 0, sep_) + "</strong></td>");
        Line(kTotalCell + FormatTrafficKb(totalInKb_, totalOutKb_, sep_) + "</strong></td>");
        Line("      <td width=\"10%\"><div align=\"center\">-</td>");
        Line("      <td width=\"10%\"><div align=\"center\">-</td>");
        Line("      <td><div align=\"center\" class=\"style1\"><strong>" + FormatFixed(grandMoney_, 2, sep_) +
             "руб.</strong></td>"_cp1251);
        Line("    </tr>");
    }

    void Foot() {
        const std::string site = texts::kWebSite;
        const std::string siteShown = site.ends_with('/') ? site.substr(0, site.size() - 1) : site;
        const std::string email = texts::kEmail;
        Line("  </table>");
        Line("  <p>&nbsp;</p>");
        Line("  <p><strong><a href=\"" + site + "\" class=\"style5\">" + siteShown + "</a></strong></p>");
        Line("  <p class=\"style2\"><a href=\"mailto:" + email + "\"><strong>" + email + "</strong></a></p>");
        Line("</div>");
        Line("</body>");
        Line("</html>");
    }

    Accounting& a_;
    const std::string& adapter_;
    const char sep_;
    std::string out_;

    Date prev_;  // of the records summed last; none yet: day 0
    std::uint16_t lastRowMonth_ = 0;
    std::uint64_t dayIn_ = 0;   // 64-bit: a day's sum never wraps
    std::uint64_t dayOut_ = 0;
    long double totalInKb_ = 0;
    long double totalOutKb_ = 0;
    long double monthMoney_ = 0;
    long double grandMoney_ = 0;

    std::vector<PricePeriod> earlier_;  // the adapter's earlier prices, oldest first
    std::string name_;          // the display name, as it is
    std::size_t chartsAt_ = 0;  // where the charts go: after the name's line
};

}  // namespace

std::string HistoryReportText(Accounting& a, const std::string& adapter, char sep) {
    return ReportWriter(a, adapter, sep).Build();
}

}  // namespace velkaro
