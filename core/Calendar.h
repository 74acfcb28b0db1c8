// The calendar: day numbers of dates (proleptic Gregorian) and back, month lengths, and the
// billing periods of day D: from day D of a month to the day before it in the next, a day past
// a month's end standing for its last day (day 1: the calendar months).
#pragma once

#include <cstdint>

#include "core/Ports.h"

namespace velkaro {

inline constexpr std::int64_t kSecondsPerDay = 86400;

// Days since 1970-01-01 of a date (month 1-12), and the date of such a day number.
std::int64_t DaysFromCivil(std::int64_t y, unsigned m, unsigned d);
void CivilFromDays(std::int64_t days, std::int64_t& y, unsigned& m, unsigned& d);
// The same for a Date (years 1 to 65535).
inline std::int64_t DayNumber(const Date& d) { return DaysFromCivil(d.year, d.month, d.day); }
Date DateOfDayNumber(std::int64_t days);

// 28 to 31; 0 for a month that is not 1 to 12.
int DaysInMonth(int year, int month);

inline constexpr int kFirstPeriodDay = 1;
inline constexpr int kLastPeriodDay = 31;

struct BillingPeriod {
    Date start;  // its first day
    Date end;    // the next period's first day: the period ends before it
    int Days() const { return static_cast<int>(DayNumber(end) - DayNumber(start)); }
};

BillingPeriod PeriodOf(int periodDay, const Date& today);

// A record's day as an ordered key, for any field values a file may hold (day 0, day 40).
inline std::uint64_t DateKey(std::uint16_t year, std::uint16_t month, std::uint16_t day) {
    return (std::uint64_t{year} << 32) | (std::uint64_t{month} << 16) | day;
}
inline std::uint64_t DateKey(const Date& d) { return DateKey(d.year, d.month, d.day); }

// The keys of a period's records: from <= key < to. A bound on the 1st of a month reaches back
// over that month's day 0, so a period of day 1 holds every record dated in its month.
struct PeriodKeys {
    std::uint64_t from = 0;
    std::uint64_t to = 0;  // from == to: no period, no record
    friend bool operator==(const PeriodKeys&, const PeriodKeys&) = default;
    bool Holds(std::uint64_t key) const { return from <= key && key < to; }
};
PeriodKeys KeysOf(const BillingPeriod& p);

}  // namespace velkaro
