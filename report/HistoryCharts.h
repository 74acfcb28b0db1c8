// The two pictures above the report's day table, as inline SVG: the traffic of the last days
// with records and the money of the last months with records, oldest on the left. Each day
// and each calendar month is one bar, whatever the order of the records; days and months
// without records between two bars break the baseline there. An outlier does not flatten the other bars: the scale
// stops near the 95th percentile, and taller bars are drawn cut, their amount written on them.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "report/DayTotals.h"

namespace velkaro {

// Text written into the page as element content or attribute value.
std::string HtmlEscaped(const std::string& s);

inline constexpr std::size_t kChartDays = 31;
inline constexpr std::size_t kChartMonths = 12;  // months with records

// A chart's scale: the amount of its top line, and whether bars above it are cut.
struct ChartScale {
    long double top = 0;
    bool cut = false;
    friend bool operator==(const ChartScale&, const ChartScale&) = default;
};

// The scale for bars of these amounts (those not positive or not finite are left out) that
// must also reach `atLeast` (a limit line; 0 for none). The reference is the 95th percentile
// of the amounts by nearest rank, the largest one never taken for it: when the largest amount
// is more than three times the reference (or atLeast, if greater), the top is that and the taller
// bars are cut; otherwise the top is the largest amount, or atLeast if greater.
ChartScale ChooseScale(std::vector<long double> amounts, long double atLeast);

struct ChartData {
    std::vector<AdapterDay> days;  // one adapter's, in date order
    double priceIn = 0, priceOut = 0;
    double moneyLimit = 0;         // its monthly money limit; 0: none
    std::string name;              // its display name, as it is (escaped here)
};

// The block from the line "<!-- charts -->" to the line "<!-- /charts -->", CR LF line ends.
std::string HistoryChartsBlock(const ChartData& data, char sep);

}  // namespace velkaro
