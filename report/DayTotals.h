// The traffic of each adapter and day, summed over the day's records wherever they stand in
// the history, and a day's cost: what the charts and the CSV export are made of.
#pragma once

#include <cstdint>
#include <vector>

#include "core/Accounting.h"

namespace velkaro {

struct AdapterDay {
    Date date;
    AdapterId adapter = 0;
    std::uint64_t in = 0, out = 0;  // 64-bit: a day's sum never wraps
};

// Every adapter's days with records, in date order, then in the adapters' order (that of
// their first records); with `only`, that adapter's days alone.
std::vector<AdapterDay> DayTotals(const Accounting& a, const AdapterId* only = nullptr);

// The cost of a day's traffic at two prices per megabyte, as the report sums it:
// priceIn * (in / 1048576) + priceOut * (out / 1048576), unrounded.
long double DayCost(long double priceIn, long double priceOut, std::uint64_t in, std::uint64_t out);

}  // namespace velkaro
