#include "core/BillingPeriod.h"

#include <algorithm>

namespace velkaro {

namespace {

// Day periodDay of a month (counted on from January of the year: 0 is the December before,
// 13 the January after), or the month's last day when it has fewer days.
Date StartIn(int year, int month, int periodDay) {
    const int months = year * 12 + month - 1;
    year = months >= 0 ? months / 12 : -((11 - months) / 12);
    month = months - year * 12 + 1;
    const int day = std::min(periodDay, DaysInMonth(year, month));
    return Date{static_cast<std::uint16_t>(year), static_cast<std::uint16_t>(month), static_cast<std::uint16_t>(day)};
}

}  // namespace

BillingPeriod PeriodOf(int periodDay, const Date& today) {
    periodDay = std::clamp(periodDay, kFirstPeriodDay, kLastPeriodDay);
    const Date thisMonth = StartIn(today.year, today.month, periodDay);
    if (today.day >= thisMonth.day) return BillingPeriod{thisMonth, StartIn(today.year, today.month + 1, periodDay)};
    return BillingPeriod{StartIn(today.year, today.month - 1, periodDay), thisMonth};
}

PeriodKeys KeysOf(const BillingPeriod& p) {
    auto key = [](const Date& d) { return DateKey(d.year, d.month, d.day == 1 ? 0 : d.day); };
    return PeriodKeys{key(p.start), key(p.end)};
}

}  // namespace velkaro
