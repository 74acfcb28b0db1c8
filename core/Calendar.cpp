#include "core/Calendar.h"

#include <algorithm>

namespace velkaro {

// The civil-from-days conversions in eras of 400 years (146,097 days each).
std::int64_t DaysFromCivil(std::int64_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

void CivilFromDays(std::int64_t z, std::int64_t& y, unsigned& m, unsigned& d) {
    z += 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    d = doy - (153 * mp + 2) / 5 + 1;
    m = mp < 10 ? mp + 3 : mp - 9;
    y = static_cast<std::int64_t>(yoe) + era * 400 + (m <= 2);
}

Date DateOfDayNumber(std::int64_t days) {
    std::int64_t y = 0;
    unsigned m = 0, d = 0;
    CivilFromDays(days, y, m, d);
    return Date{static_cast<std::uint16_t>(y), static_cast<std::uint16_t>(m), static_cast<std::uint16_t>(d)};
}

int DaysInMonth(int year, int month) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12) return 0;
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return kDays[month - 1] + (month == 2 && leap ? 1 : 0);
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
