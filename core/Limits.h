// Limits per adapter and billing period, in money (the period's cost at the current prices) or
// in traffic (its megabytes received and sent): the part of the limit used, the warnings at 80
// and 100 percent, the forecast at the pace so far and its warning, what is left for each day,
// and the texts of the panel line, the balloons and the tray tip's line.
//
// The period is that of the clock's date at the last tick (Accounting::LimitDate), not of the
// AccountingDate: a program left running into a new period starts the new period at 0,
// although the sampler may go on stamping records with the day it started on.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/Accounting.h"
#include "core/Ports.h"

namespace velkaro {

inline constexpr int kLimitNearLevel = 80;      // percent: the first warning, the line turns red
inline constexpr int kLimitReachedLevel = 100;  // percent: the second warning

struct LimitStatus {
    LimitKind kind = LimitKind::Money;
    BillingPeriod period;       // that of the LimitDate
    double limit = 0;           // roubles or megabytes
    long double used = 0;       // the period's cost, or its traffic in megabytes
    std::uint64_t percent = 0;  // the whole part of used * 100 / limit
    int level = 0;              // 0, 80 or 100
    // The forecast: used divided by the time elapsed in the period, times the period's
    // length; known once a whole day of the period has passed.
    bool hasForecast = false;
    long double forecast = 0;
    bool forecastOver = false;  // it passes the limit
    Date overDay;               // the day the limit is passed at that pace (forecastOver)
    // What is left of the limit (0 once used up), and that divided by the period's days left,
    // today included.
    long double left = 0;
    long double perDay = 0;
    // The line is red: 80% used, or a forecast that passes the limit.
    bool Alarming() const { return level >= kLimitNearLevel || forecastOver; }
};

// The limit of an adapter of a kind, or nullptr.
const LimitEntry* FindLimit(const Accounting& a, const std::string& adapter, LimitKind kind);
// The same by the adapter's index (its id in Adapters()), without a search.
const LimitEntry* FindLimit(const Accounting& a, AdapterId id, LimitKind kind);
// The period day of an adapter's limits: the day kept, 1 without a limit.
int PeriodDayOf(const Accounting& a, const std::string& adapter);

// The whole part of used * 100 / limit, kept below 100 while used is below the limit and at
// 100 or more once it has reached it (the division alone may miss by a last bit); 0 for 0 or
// less.
std::uint64_t LimitPercent(long double used, double limit);
// 100, 80 or 0: the highest warning level the percent has reached.
int LimitLevel(std::uint64_t percent);

// The status at the LimitDate and LimitSecond, from the period sums of the index. The cost is
// summed as the report sums days: priceIn * (in / 1048576) + priceOut * (out / 1048576); an
// adapter without records or without a price entry costs 0 (no entry is registered).
LimitStatus GetLimitStatus(const Accounting& a, const LimitEntry& e);

// The panel's line of an adapter's limit of a kind: "Лимит: 10,00 руб., за месяц: 8,50 руб.
// (85%)", then ", прогноз: 9,80 руб." once known; a traffic limit's in Kb/Mb texts. Empty
// without that limit. alarming: the line is red.
std::string LimitLine(const Accounting& a, AdapterId id, LimitKind kind, char sep, bool& alarming);

// The tray tip's line for the limit with the largest part used (the first of equals):
// "Осталось: 1,50 руб., в день: 0,10 руб."; empty without a limit.
std::string AllowanceLine(const Accounting& a, char sep);

// A warning a limit is due to give: the level it reached above the one already warned of in
// its period, or else (below 100%) its forecast past the limit, once a period.
struct LimitWarning {
    std::size_t entry = 0;  // in Limits()
    YearMonth period;       // the month its period began in
    int level = 0;          // the level reached; the warned level kept for a forecast
    bool forecast = false;
    std::string text;       // the balloon's
};

// The warnings due at the LimitDate (the caller has set it), in the order of the limits.
std::vector<LimitWarning> DueLimitWarnings(const Accounting& a, char sep);
// A warning shown: remembered with its period (limits.txt keeps it from the next save on). One
// that could not be shown is not noted, and is due again at the next tick.
void NoteLimitWarning(Accounting& a, const LimitWarning& w);

// Sets (a limit above 0) or removes (0) an adapter's limit of a kind, and makes periodDay the
// day of all its limits. A warning of the current period already given drops to what the
// limit stands at now, so a raised limit, or another period, warns again when it is reached;
// a lowered one warns at the next tick when it is already passed.
void SetLimit(Accounting& a, const std::string& adapter, LimitKind kind, double limit, int periodDay);

}  // namespace velkaro
