// Monthly money limits per adapter: the month's cost, the part of the limit it makes, the
// warnings at 80 and 100 percent, and the texts of the panel line and of the balloon.
//
// The month is the calendar month of the clock's today, read every tick, not that of the
// AccountingDate: a program left running into a new month starts the new month's cost at 0,
// although the sampler goes on stamping records with the day it started on.
#pragma once

#include <cstdint>
#include <string>

#include "core/Accounting.h"
#include "core/Ports.h"

namespace velkaro {

inline constexpr int kLimitNearLevel = 80;      // percent: the first warning, the line turns red
inline constexpr int kLimitReachedLevel = 100;  // percent: the second warning

struct LimitStatus {
    double limit = 0;
    long double cost = 0;       // the month's cost at the current prices
    std::uint64_t percent = 0;  // the whole part of cost * 100 / limit
    int level = 0;              // 0, 80 or 100
};

// The limit of an adapter, or nullptr.
const LimitEntry* FindLimit(const Accounting& a, const std::string& adapter);

// The cost of the adapter's records in the CostMonth at its current prices, summed as the
// report sums days: priceIn * (in / 1048576) + priceOut * (out / 1048576). An adapter without
// records or without a price entry costs 0; no entry is registered.
long double MonthCost(const Accounting& a, const std::string& adapter);

// The whole part of cost * 100 / limit, kept below 100 while the cost is below the limit and
// at 100 or more once it has reached it (the division alone may miss by a last bit); 0 for a
// cost of 0 or less.
std::uint64_t LimitPercent(long double cost, double limit);
// 100, 80 or 0: the highest warning level the percent has reached.
int LimitLevel(std::uint64_t percent);

LimitStatus GetLimitStatus(const Accounting& a, const LimitEntry& e);

// The panel's text: "Лимит: 10,00 руб., за месяц: 8,50 руб. (85%)".
std::string LimitLineText(const LimitStatus& s, char sep);
// The balloon's text: "<display name>: израсходовано 85% месячного лимита (8,50 руб. из
// 10,00 руб.)".
std::string LimitBalloonText(const Accounting& a, const std::string& adapter, const LimitStatus& s,
                             char sep);

// The tick's look at the limits. The CostMonth becomes today's month. An adapter whose cost
// has reached a level above the one already warned of in this month gets one balloon, of the
// highest level reached (one balloon when both are crossed at once), and the level and month
// are remembered (limits.txt keeps them from the next save on). A balloon the notifier could
// not show is not remembered: the next tick tries again.
void CheckLimits(Accounting& a, const Date& today, char sep, Notifier& notifier);

// Sets (a limit above 0) or removes (0) the limit of an adapter. A warning of today's month
// already given drops to the level the new limit stands at, so a raised limit warns again
// when it is reached; a lowered one warns at the next tick when it is already exceeded.
void SetLimit(Accounting& a, const std::string& adapter, double limit, const Date& today);

}  // namespace velkaro
