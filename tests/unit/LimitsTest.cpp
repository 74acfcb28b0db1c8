// The limits' flow, their file and its bad lines run in the replays tests/replay/limit*.script;
// here what a replay cannot show: a balloon the shell refused, an unreadable limits.txt, and the
// arithmetic of the periods and the forecast at their edges.
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "core/Calendar.h"
#include "core/Files.h"
#include "app/TrafficMeter.h"
#include "core/Texts.h"
#include "tests/TestSupport.h"

namespace velkaro {
namespace {

struct Limits : ::testing::Test, Fakes {
    Accounting a;
    DataFiles data;
};

TEST_F(Limits, ABalloonTheShellRefusedIsNotRememberedAndComesAtTheNextTick) {
    a.AddTariff(TariffEntry{1, 0, "eth", "LAN"});
    AddRecord(a, "eth", {2026, 1, 1}, 1048576, 0);
    a.SetLimitTime(clock.today, 0);
    SetLimit(a, "eth", LimitKind::Money, 1, 1);
    ScriptedNotifier notifier;
    notifier.shows = false;
    ShowLimitWarnings(a, data, ',', notifier);
    EXPECT_EQ(a.Limits()[0].warnedLevel, 0);
    notifier.shows = true;
    ShowLimitWarnings(a, data, ',', notifier);
    ShowLimitWarnings(a, data, ',', notifier);
    EXPECT_EQ(notifier.refused, 1);
    EXPECT_EQ(notifier.balloons, std::vector<std::string>{"LAN: израсходовано 100% месячного лимита (1,00 руб. из 1,00 руб.)"_cp1251});
}

TEST_F(Limits, AnUnreadableFileIsNamedNeverOverwrittenAndReadByALaterSaveUnderTheRunsChanges) {
    files.files["limits.txt"] = "eth|3||0\r\nx|4||0\r\nz|5|2026-01|80\r\n";
    files.readError = {{"limits.txt", kIoAccessDenied}, {"price.txt", 32}, {"history.txt", kIoAccessDenied}};
    LoadFiles(a, data, ports);
    EXPECT_EQ(dialogs.messages, std::vector<std::string>{
                                    "Не удалось прочитать файлы history.txt (доступ запрещён), price.txt (файл "_cp1251
                                    "занят другой программой) и limits.txt (доступ запрещён). Учёт идёт, но файлы не "_cp1251
                                    "будут перезаписаны, пока их не удастся прочитать."_cp1251});
    files.readError.erase("history.txt");
    files.readError.erase("price.txt");
    SetLimit(a, "wifi", LimitKind::Money, 9, 1);
    SetLimit(a, "x", LimitKind::Money, 0, 1);
    SetLimit(a, "z", LimitKind::Money, 6, 1);
    for (const char* adapter : {"wifi", "x", "z"}) data.NoteLimit(adapter, LimitKind::Money);  // as the command does
    EXPECT_EQ(SaveFiles(a, data, ports).size(), 1u);
    EXPECT_EQ(files.files.at("limits.txt"), "eth|3||0\r\nx|4||0\r\nz|5|2026-01|80\r\n");
    files.readError.clear();
    EXPECT_TRUE(SaveFiles(a, data, ports).empty());
    EXPECT_EQ(files.files.at("limits.txt"), "eth|3||0\r\nz|6||0\r\nwifi|9||0\r\n");
}

TEST(BillingPeriods, ADayPastAMonthsEndIsItsLastDayAndAPeriodEndsTheDayBeforeTheNextBegins) {
    struct Case {
        int day;
        Date today, start, end;
    };
    const Case cases[] = {
        {31, {2026, 2, 27}, {2026, 1, 31}, {2026, 2, 28}},  // 28 days
        {31, {2026, 2, 28}, {2026, 2, 28}, {2026, 3, 31}},  // its first day
        {31, {2026, 3, 30}, {2026, 2, 28}, {2026, 3, 31}},  // its last day
        {31, {2024, 2, 28}, {2024, 1, 31}, {2024, 2, 29}},
        {31, {2024, 2, 29}, {2024, 2, 29}, {2024, 3, 31}},
        {30, {2100, 3, 1}, {2100, 2, 28}, {2100, 3, 30}},   // 2100 is no leap year
        {29, {2000, 2, 29}, {2000, 2, 29}, {2000, 3, 29}},  // 2000 is one
        {15, {2026, 1, 14}, {2025, 12, 15}, {2026, 1, 15}},
        {1, {2026, 12, 31}, {2026, 12, 1}, {2027, 1, 1}},
    };
    for (const Case& c : cases) {
        const BillingPeriod p = PeriodOf(c.day, c.today);
        EXPECT_EQ(p.start, c.start) << c.day << " " << c.today.month << "." << c.today.day;
        EXPECT_EQ(p.end, c.end) << c.day << " " << c.today.month << "." << c.today.day;
    }
    EXPECT_EQ(PeriodOf(31, {2026, 2, 1}).Days(), 28);
    EXPECT_EQ(PeriodOf(31, {2026, 12, 31}).Days(), 31);
}

TEST(BillingPeriods, DayNumbersCountEveryCalendarDayOnce) {
    Date d{1899, 12, 1};
    for (std::int64_t n = DayNumber(d); d.year < 2102; ++n) {
        ASSERT_EQ(DateOfDayNumber(n), d) << n;
        ASSERT_EQ(DayNumber(d), n);
        if (++d.day > DaysInMonth(d.year, d.month)) {
            d.day = 1;
            if (++d.month > 12) {
                d.month = 1;
                ++d.year;
            }
        }
    }
    EXPECT_EQ(DayNumber({1970, 1, 1}), 0);
}

TEST_F(Limits, PeriodSumsFollowTheClockAndThePeriodDayAndADayOnePeriodHoldsItsWholeMonth) {
    const std::uint32_t mb = 1048576;
    // Day 0 is what a damaged line of history.txt may hold: it comes before the 1st.
    for (const auto& [month, day, in] : {std::tuple{3, 0, 16}, {3, 14, 1}, {3, 15, 2}, {4, 0, 64}, {4, 14, 4}, {4, 15, 8}})
        AddRecord(a, "eth", Day(2026, month, day), in * mb, 0);
    a.SetLimitTime({2026, 3, 20}, 0);
    SetLimit(a, "eth", LimitKind::Traffic, 100, 1);
    auto used = [&] { return GetLimitStatus(a, a.Limits()[0]).used; };
    EXPECT_EQ(used(), 16 + 1 + 2);  // the records of March, its day 0 among them
    SetLimit(a, "eth", LimitKind::Traffic, 100, 15);
    EXPECT_EQ(used(), 2 + 64 + 4);
    a.SetLimitTime({2026, 4, 15}, 0);
    EXPECT_EQ(used(), 8);
    a.SetCounters(5, 3 * mb, mb);
    EXPECT_EQ(used(), 4);
    SetLimit(a, "eth", LimitKind::Traffic, 0, 15);
    EXPECT_EQ(a.Adapters()[0].periodIn, 0u);  // no limit, no period
}

TEST_F(Limits, TheForecastComesAfterAWholeDayAndNamesTheDayTheLimitIsPassed) {
    a.AddTariff(TariffEntry{1, 0, "eth", "LAN"});
    AddRecord(a, "eth", {2026, 2, 28}, 1048576, 0);
    a.SetLimitTime({2026, 2, 28}, 86399);  // the period of day 31: 28 February to 30 March
    SetLimit(a, "eth", LimitKind::Money, 10, 31);
    LimitStatus s = GetLimitStatus(a, a.Limits()[0]);
    EXPECT_FALSE(s.hasForecast);
    EXPECT_EQ(s.perDay, 9.0L / 31);  // today included
    a.SetLimitTime({2026, 3, 1}, 0);
    s = GetLimitStatus(a, a.Limits()[0]);
    EXPECT_EQ(s.forecast, 31);
    EXPECT_TRUE(s.forecastOver && s.Alarming());
    EXPECT_EQ(s.overDay, (Date{2026, 3, 10}));  // ten days at 1 rouble a day
    a.SetLimitTime({2026, 3, 30}, 43200);
    s = GetLimitStatus(a, a.Limits()[0]);
    EXPECT_EQ(s.forecast, 1.0L * 31 / 30.5L);
    EXPECT_FALSE(s.forecastOver || s.Alarming());
    EXPECT_EQ(s.perDay, 9);  // the last day
    SetLimit(a, "eth", LimitKind::Money, 0.5, 31);
    EXPECT_EQ(GetLimitStatus(a, a.Limits()[0]).left, 0);  // nothing left once passed
}

}  // namespace
}  // namespace velkaro
