// The traffic of each adapter and day, summed over the day's records wherever they stand in
// the history: what the charts and the CSV export are made of.
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

// In date order, then in the adapters' order; with `only`, that adapter's days alone.
std::vector<AdapterDay> DayTotals(const Accounting& a, const AdapterId* only = nullptr);

// priceIn * (in / 1048576) + priceOut * (out / 1048576), unrounded, as the report sums it.
long double DayCost(long double priceIn, long double priceOut, std::uint64_t in, std::uint64_t out);

}  // namespace velkaro
