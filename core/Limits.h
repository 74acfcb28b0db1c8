// Money and traffic limits per adapter and billing period: the part used, the warnings due,
// the forecast, and the texts of the panel line, the balloons and the tray tip. The period is
// the clock's (Accounting::LimitDate), not the AccountingDate the records may still carry.
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
    // Known once a whole day of the period has passed.
    bool hasForecast = false;
    long double forecast = 0;
    bool forecastOver = false;  // it passes the limit
    Date overDay;               // the day the limit is passed at that pace (forecastOver)
    // perDay: what is left spread over the period's days left, today included.
    long double left = 0;
    long double perDay = 0;
    bool Alarming() const { return level >= kLimitNearLevel || forecastOver; }
};

const LimitEntry* FindLimit(const Accounting& a, const std::string& adapter, LimitKind kind);
// Without a search.
const LimitEntry* FindLimit(const Accounting& a, AdapterId id, LimitKind kind);
// 1 without a limit.
int PeriodDayOf(const Accounting& a, const std::string& adapter);

// The cost is summed as the report sums days: price * (bytes / 1048576) per direction, at each
// day's prices; the current prices of an adapter without a price entry are 0 (none is registered).
LimitStatus GetLimitStatus(const Accounting& a, const LimitEntry& e);

// Empty without that limit; alarming: the line is red.
std::string LimitLine(const Accounting& a, AdapterId id, LimitKind kind, char sep, bool& alarming);

// For the limit with the largest part used (the first of equals); empty without a limit.
std::string AllowanceLine(const Accounting& a, char sep);

// A level reached above the one already warned of in its period, or (below 100%) the forecast
// past the limit, once a period.
struct LimitWarning {
    std::size_t entry = 0;  // in Limits()
    YearMonth period;       // the month its period began in
    int level = 0;          // the level reached; the warned level kept for a forecast
    bool forecast = false;
    std::string text;       // the balloon's
};

// At the LimitDate, which the caller has set; in the order of the limits.
std::vector<LimitWarning> DueLimitWarnings(const Accounting& a, char sep);
// Call only for a warning shown: one that could not be shown stays due for the next tick.
void NoteLimitWarning(Accounting& a, const LimitWarning& w);

// 0 removes the limit; periodDay becomes the day of all the adapter's limits. A warning given
// in the current period drops to where the limit stands now, so a raised limit warns again.
void SetLimit(Accounting& a, const std::string& adapter, LimitKind kind, double limit, int periodDay);

}  // namespace velkaro
