#include "report/DayTotals.h"

#include <map>
#include <tuple>

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
    std::vector<AdapterDay> totals;
    totals.reserve(days.size());
    for (const auto& [key, day] : days) totals.push_back(day);
    return totals;
}

long double DayCost(long double priceIn, long double priceOut, std::uint64_t in, std::uint64_t out) {
    constexpr long double kBytesPerMb = 1048576;
    return priceIn * (static_cast<long double>(in) / kBytesPerMb) +
           priceOut * (static_cast<long double>(out) / kBytesPerMb);
}

}  // namespace velkaro
