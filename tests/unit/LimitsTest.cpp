#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "core/Accounting.h"
#include "core/Files.h"
#include "core/Limits.h"
#include "core/Texts.h"
#include "tools/scripted/ScriptedPorts.h"

namespace velkaro {
namespace {

constexpr std::uint32_t kMb = 1048576;

struct Limits : ::testing::Test {
    Accounting a;
    MemoryFileStore files;
    FixedClock clock;
    FixedRegional regional;
    ScriptedDialogs dialogs;
    ScriptedWindowHost window;
    ScriptedNotifier notifier;
    FilePorts ports{files, clock, regional, dialogs, window};

    void SetUp() override {
        clock.today = {2026, 3, 7};
        LoadFiles(a, ports);
        a.Tariffs().push_back(TariffEntry{1, 2, "eth", "LAN"});
    }
    std::size_t Add(const std::string& adapter, Date d, std::uint32_t in, std::uint32_t out = 0) {
        HistoryRecord r;
        r.year = d.year;
        r.month = d.month;
        r.day = d.day;
        r.inOctets = in;
        r.outOctets = out;
        return a.AppendHistoryRecord(adapter, r);
    }
    void Check() { CheckLimits(a, clock.today, ',', notifier); }
    void Restart() {
        ost(a, ports);
        a = Accounting();
        LoadFiles(a, ports);
    }
};

TEST_F(Limits, TheMonthsCostCountsTheClocksCalendarMonthOnly) {
    Add("eth", {2026, 2, 28}, 5 * kMb);          // the last day of the month before
    Add("eth", {2025, 3, 7}, 7 * kMb);           // March of the year before
    Add("eth", {2026, 3, 1}, kMb, kMb);
    const std::size_t open = Add("eth", {2026, 3, 7}, kMb);
    Add("wifi", {2026, 3, 7}, 9 * kMb);          // no price entry: costs nothing
    a.SetCostMonth({2026, 3});
    EXPECT_EQ(MonthCost(a, "eth"), 1 + 2 + 1);
    a.SetCounters(open, 3 * kMb, kMb / 2);
    EXPECT_EQ(MonthCost(a, "eth"), 1 + 2 + 3 + 1);
    EXPECT_EQ(MonthCost(a, "wifi"), 0);
    EXPECT_EQ(a.Tariffs().size(), 1u);           // nothing registered
    // The clock moves into April: the March records no longer count, April's do.
    a.SetCostMonth({2026, 4});
    EXPECT_EQ(MonthCost(a, "eth"), 0);
    Add("eth", {2026, 4, 1}, 2 * kMb);
    EXPECT_EQ(MonthCost(a, "eth"), 2);
    a.SetCostMonth({2026, 2});
    EXPECT_EQ(MonthCost(a, "eth"), 5);
}

TEST_F(Limits, APercentIsTheWholePartAndReadsOneHundredOnlyOnceTheLimitIsReached) {
    EXPECT_EQ(LimitPercent(8, 10), 80u);
    EXPECT_EQ(LimitPercent(7.9999L, 10), 79u);
    EXPECT_EQ(LimitPercent(0, 10), 0u);
    EXPECT_EQ(LimitPercent(-3, 10), 0u);
    EXPECT_EQ(LimitPercent(5, 1e-300), 1000000000000000000u);
    for (double limit : {0.07, 0.1, 0.3, 1.1, 3.3, 29.99, 1e-5, 123456.789}) {
        EXPECT_EQ(LimitPercent(limit, limit), 100u) << limit;
        EXPECT_EQ(LimitPercent(std::nextafter(static_cast<long double>(limit), 0.0L), limit), 99u) << limit;
    }
    EXPECT_EQ(LimitLevel(79), 0);
    EXPECT_EQ(LimitLevel(80), 80);
    EXPECT_EQ(LimitLevel(99), 80);
    EXPECT_EQ(LimitLevel(250), 100);
}

TEST_F(Limits, EachLevelWarnsOncePerMonthAndBothAtOnceGiveOneBalloon) {
    SetLimit(a, "eth", 10, clock.today);
    const std::size_t r = Add("eth", {2026, 3, 7}, 8 * kMb - 1);
    Check();
    EXPECT_TRUE(notifier.balloons.empty());
    a.SetCounters(r, 8 * kMb, 0);
    Check();
    Check();
    a.SetCounters(r, 10 * kMb, 0);  // exactly the limit
    Check();
    Check();
    EXPECT_EQ(notifier.titles, std::vector<std::string>(2, texts::kAppTitle));
    EXPECT_EQ(notifier.balloons,
              (std::vector<std::string>{"LAN: израсходовано 80% месячного лимита (8,00 руб. из 10,00 руб.)"_cp1251,
                                        "LAN: израсходовано 100% месячного лимита (10,00 руб. из 10,00 руб.)"_cp1251}));
    // In May both levels are crossed in one tick.
    clock.today = {2026, 5, 2};
    Add("eth", clock.today, 0, 6 * kMb);
    Check();
    ASSERT_EQ(notifier.balloons.size(), 3u);
    EXPECT_EQ(notifier.balloons[2], "LAN: израсходовано 120% месячного лимита (12,00 руб. из 10,00 руб.)"_cp1251);
}

TEST_F(Limits, ABalloonTheShellRefusedIsTriedAgain) {
    SetLimit(a, "eth", 1, clock.today);
    Add("eth", clock.today, kMb);
    notifier.shows = false;
    Check();
    notifier.shows = true;
    Check();
    Check();
    EXPECT_EQ(notifier.refused, 1);
    EXPECT_EQ(notifier.balloons.size(), 1u);
}

TEST_F(Limits, TheWarningsGivenSurviveARestartAndARaisedLimitRearmsThem) {
    SetLimit(a, "eth", 10, clock.today);
    Add("eth", clock.today, 10 * kMb);
    Check();
    Restart();
    EXPECT_EQ(files.files.at("limits.txt"), "eth|10|2026-03|100\r\n");
    Check();
    EXPECT_EQ(notifier.balloons.size(), 1u);
    // 10 of 12,5 is 80%: that level counts as warned of, the next one is armed again.
    SetLimit(a, "eth", 12.5, clock.today);
    EXPECT_EQ(a.Limits()[0].warnedLevel, 80);
    Check();
    EXPECT_EQ(notifier.balloons.size(), 1u);
    Add("eth", clock.today, 3 * kMb);
    Check();
    EXPECT_EQ(notifier.balloons.size(), 2u);
    // A lowered limit already exceeded warns at the next tick; 0 removes the limit.
    SetLimit(a, "eth", 20, clock.today);
    SetLimit(a, "eth", 5, clock.today);
    Check();
    EXPECT_EQ(notifier.balloons.size(), 3u);
    SetLimit(a, "eth", 0, clock.today);
    EXPECT_TRUE(a.Limits().empty());
}

TEST_F(Limits, TheFileKeepsNamesWithPipesAndReadsEitherSeparator) {
    a.Limits() = {{"a|b", 12.5, {2026, 3}, 80}, {"|x||", 0.01, {}, 0}, {"", 1e20, {999, 12}, 100}};
    ost(a, ports);
    const std::string text = "a|b|12,5|2026-03|80\r\n|x|||0,01||0\r\n|1E20|0999-12|100\r\n";
    EXPECT_EQ(files.files.at("limits.txt"), text);
    regional.separator = '.';
    const std::vector<LimitEntry> saved = a.Limits();
    a = Accounting();
    LoadFiles(a, ports);
    ASSERT_EQ(a.Limits().size(), 3u);
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(a.Limits()[i].adapter, saved[i].adapter);
        EXPECT_EQ(a.Limits()[i].limit, saved[i].limit);
        EXPECT_EQ(a.Limits()[i].warnedMonth, saved[i].warnedMonth);
        EXPECT_EQ(a.Limits()[i].warnedLevel, saved[i].warnedLevel);
    }
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(Limits, BadLinesAreSkippedWithOneMessageAndTheFileIsKeptAsLimitsBak) {
    const std::string original = "eth| 1.5 | |0\r\n"    // read: blanks around, a point
                                 "eth|7||0\r\n"          // the same adapter again
                                 "wifi|abc||0\r\n"       // no number
                                 "wifi|0||0\r\n"         // no limit
                                 "wifi|5|2026-13|0\r\n"  // no month
                                 "wifi|5||80\r\n"        // a level without its month
                                 "wifi|5|2026-02|50\r\n" // no level
                                 "wifi|5|0\r\n"          // a field short
                                 "\r\n";
    files.files["limits.txt"] = original;
    LoadFiles(a, ports);
    EXPECT_EQ(dialogs.messages,
              std::vector<std::string>{"В файле limits.txt пропущено строк, которые не удалось прочитать: 7, "_cp1251
                                       "среди них: 'eth|7||0', 'wifi|abc||0', 'wifi|0||0'. Перед первой записью "_cp1251
                                       "файл в прежнем виде сохраняется рядом под именем limits.bak."_cp1251});
    ost(a, ports);
    EXPECT_EQ(files.files.at("limits.bak"), original);
    EXPECT_EQ(files.files.at("limits.txt"), "eth|1,5||0\r\n");
}

TEST_F(Limits, NoFileWithoutALimitAnEmptyOneAfterTheLastIsRemoved) {
    ost(a, ports);
    EXPECT_EQ(files.files.count("limits.txt"), 0u);
    SetLimit(a, "eth", 3, clock.today);
    ost(a, ports);
    SetLimit(a, "eth", 0, clock.today);
    Restart();
    EXPECT_EQ(files.files.at("limits.txt"), "");
    ost(a, ports);
    EXPECT_EQ(files.files.at("limits.txt"), "");
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(Limits, AnUnreadableFileIsNeitherOverwrittenNorForgotten) {
    files.files["limits.txt"] = "eth|3||0\r\n";
    files.readError = {{"limits.txt", kIoAccessDenied}, {"price.txt", 32}, {"history.txt", kIoAccessDenied}};
    a = Accounting();
    LoadFiles(a, ports);
    EXPECT_EQ(dialogs.messages[0], "Не удалось прочитать файлы history.txt (доступ запрещён), price.txt (файл "_cp1251
                                   "занят другой программой) и limits.txt (доступ запрещён). Учёт идёт, но файлы не "_cp1251
                                   "будут перезаписаны, пока их не удастся прочитать."_cp1251);
    files.readError.erase("history.txt");
    files.readError.erase("price.txt");
    SetLimit(a, "wifi", 9, clock.today);
    EXPECT_EQ(ost(a, ports).size(), 1u);
    EXPECT_EQ(files.files.at("limits.txt"), "eth|3||0\r\n");
    files.readError.clear();
    EXPECT_TRUE(ost(a, ports).empty());  // read at last: the file's limits stand
    EXPECT_EQ(files.files.at("limits.txt"), "eth|3||0\r\n");
    ASSERT_EQ(a.Limits().size(), 1u);
}

}  // namespace
}  // namespace velkaro
