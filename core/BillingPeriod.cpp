#include "core/BillingPeriod.h"

#include <algorithm>

namespace velkaro {

bool IsLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int DaysInMonth(int year, int month) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12) return 0;
    return kDays[month - 1] + (month == 2 && IsLeapYear(year) ? 1 : 0);
}

// The civil-from-days conversion in eras of 400 years (146,097 days each).
std::int64_t DayNumber(const Date& d) {
    const std::int64_t y = std::int64_t{d.year} - (d.month <= 2 ? 1 : 0);
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const std::int64_t yearOfEra = y - era * 400;
    const std::int64_t month = d.month;
    const std::int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + d.day - 1;
    const std::int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

Date DateOfDayNumber(std::int64_t days) {
    days += 719468;
    const std::int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    const std::int64_t dayOfEra = days - era * 146097;
    const std::int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const std::int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const std::int64_t mp = (5 * dayOfYear + 2) / 153;
    const std::int64_t day = dayOfYear - (153 * mp + 2) / 5 + 1;
    const std::int64_t month = mp < 10 ? mp + 3 : mp - 9;
    const std::int64_t year = yearOfEra + era * 400 + (month <= 2 ? 1 : 0);
    return Date{static_cast<std::uint16_t>(year), static_cast<std::uint16_t>(month), static_cast<std::uint16_t>(day)};
}

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
