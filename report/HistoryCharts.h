// The two bar charts above the report's day table, as inline SVG: traffic of the last days
// and money of the last months with records. The scale stops near the 95th percentile so that
// an outlier does not flatten the other bars.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "core/Accounting.h"
#include "report/DayTotals.h"

namespace velkaro {

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
    double priceIn = 0, priceOut = 0;  // the current ones
    std::vector<PricePeriod> earlierPrices;  // the days before, oldest first
    double moneyLimit = 0;         // its monthly money limit; 0: none
    std::string name;              // its display name, as it is (escaped here)
};

// From the line "<!-- charts -->" to "<!-- /charts -->", CR LF line ends.
std::string HistoryChartsBlock(const ChartData& data, char sep);

}  // namespace velkaro
