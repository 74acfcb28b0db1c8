// The HTML day-by-day history of one adapter, with monthly money subtotals, and above its table
// two bar charts of the same figures, as inline SVG: traffic of the last days and money of the
// last months with records (the scale stops near the 95th percentile so that an outlier does not
// flatten the other bars); and history.csv: the traffic of every adapter and day for a spreadsheet
// (semicolons, the regional decimal separator, CR LF, UTF-8 with a byte-order mark). Both are
// made of the traffic of each adapter and day, summed over the day's records wherever they stand
// in the history.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/Accounting.h"

namespace velkaro {

// The whole page for an adapter, Windows-1251 bytes with CR LF line ends.
// Registers the adapter in the price table when it has no entry (as the panel does).
std::string HistoryReportText(Accounting& a, const std::string& adapter, char sep);

// Quoted, quotes doubled, when it holds the separator, a quote, CR or LF.
std::string CsvField(std::string_view field);

// Registers nothing in the price table: an adapter without prices costs 0.
std::string HistoryCsvText(const Accounting& a, char sep);

// What the page and the file are made of (report/HistoryCharts.cpp).

// The line end of the report, its charts and the CSV.
inline constexpr char kCrLf[] = "\r\n";

struct AdapterDay {
    Date date;
    AdapterId adapter = 0;
    std::uint64_t in = 0, out = 0;  // 64-bit: a day's sum never wraps
};

// In date order, then in the adapters' order; with `only`, that adapter's days alone.
std::vector<AdapterDay> DayTotals(const Accounting& a, const AdapterId* only = nullptr);


// Escaped for element content and attribute values.
std::string HtmlEscaped(const std::string& s);

inline constexpr std::size_t kChartDays = 31;
inline constexpr std::size_t kChartMonths = 12;  // months with records

// A chart's scale: the amount of its top line, and whether bars above it are cut.
struct ChartScale {
    long double top = 0;
    bool cut = false;
    friend bool operator==(const ChartScale&, const ChartScale&) = default;
};

// Amounts not positive or not finite are left out; atLeast is a limit line (0: none). The top
// is the larger of the largest amount and atLeast, unless the largest is more than three times
// the reference (95th percentile by nearest rank, never the largest itself, or atLeast if
// greater): then the top is that and taller bars are cut.
ChartScale ChooseScale(std::vector<long double> amounts, long double atLeast);

struct ChartData {
    std::vector<AdapterDay> days;  // one adapter's, in date order
    Prices prices;                 // the current ones
    std::vector<PricePeriod> earlierPrices;  // the days before, oldest first
    double moneyLimit = 0;         // its monthly money limit; 0: none
    std::string name;              // its display name, as it is (escaped here)
};

// From the line "<!-- charts -->" to "<!-- /charts -->", CR LF line ends.
std::string HistoryChartsBlock(const ChartData& data, char sep);

}  // namespace velkaro
