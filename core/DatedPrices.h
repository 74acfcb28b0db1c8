// Prices that change on a date: which prices a day had, the costs summed per price period from
// the index, and the change of an adapter's prices from a day on. Earlier days keep theirs.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "core/Accounting.h"

namespace velkaro {

struct Prices {
    double in = 0, out = 0;
    friend bool operator==(const Prices&, const Prices&) = default;
};
inline Prices PricesOf(const TariffEntry* e) { return e ? Prices{e->priceIn, e->priceOut} : Prices{}; }

// Price x bytes per direction, summed over the price periods: what FormatCost takes.
struct CostSums {
    long double out = 0, in = 0;
};

// "DD.MM.YYYY" (day and month of one or two digits, blanks around); false unless a date of
// the years 1 to 9999.
bool ReadDottedDate(std::string_view text, Date& day);
std::string DottedDateText(const Date& day);  // "07.03.2026"

// The prices of a day: those of the earlier period holding it, else `current`.
Prices PricesOnDay(const AdapterInfo& info, Prices current, const Date& day);
// The same over one adapter's earlier periods, oldest first (EarlierPricesOf).
Prices PricesOnDay(const std::vector<PricePeriod>& earlier, Prices current, const Date& day);
std::vector<PricePeriod> EarlierPricesOf(const Accounting& a, const std::string& adapter);

// All the adapter's records, each at its day's prices.
CostSums AllTimeCost(const AdapterInfo& info, Prices current);
// Its billing period's cost as the report sums money: price * (bytes / 1048576) per direction
// and period.
long double BillingPeriodMoney(const AdapterInfo& info, Prices current);

// The earlier periods once the adapter's `prices` apply from `from` on: the other adapters'
// first, as they were, then the adapter's, oldest first, where the days before keep their
// prices and those after its last period `current`. Periods next to each other at equal prices
// become one.
std::vector<PricePeriod> PeriodsAfterChange(std::vector<PricePeriod> periods, const std::string& adapter,
                                            Prices current, const Date& from, Prices prices);
// The entry at slot takes the prices from `from` on; the days before keep what they had.
void SetPricesFrom(Accounting& a, std::size_t slot, const Date& from, Prices prices);

}  // namespace velkaro
