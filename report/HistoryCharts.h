// The two pictures above the report's day table, as inline SVG: traffic of the last days and
// money of the last months. They are drawn from the rows and subtotals the table itself
// writes, so every number in them is one the table shows.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "core/Accounting.h"

namespace velkaro {

// Text written into the page as element content or attribute value.
std::string HtmlEscaped(const std::string& s);

inline constexpr std::size_t kChartDays = 31;
inline constexpr std::size_t kChartMonths = 12;

// One day row of the table.
struct ChartDay {
    std::int32_t day = 0, month = 0, year = 0;
    std::uint64_t in = 0, out = 0;
};

// One money subtotal of the table. It covers the day rows since the subtotal before it,
// which are usually one calendar month, but all the months of one number met in a row
// (March of two years with nothing between them) share it.
struct ChartMonth {
    std::vector<YearMonth> months;  // oldest first, each once
    long double money = 0;            // the subtotal's own sum
};

// The block from the line "<!-- charts -->" to the line "<!-- /charts -->", CR LF line ends.
// days and months come newest first, as the table writes them (at most kChartDays and
// kChartMonths are drawn); name is the display name as it is (escaped here).
std::string HistoryChartsBlock(const std::vector<ChartDay>& days, const std::vector<ChartMonth>& months,
                               const std::string& name, char sep);

}  // namespace velkaro
