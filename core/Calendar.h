// The calendar: day numbers of dates (proleptic Gregorian) and back, month lengths.
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

}  // namespace velkaro
