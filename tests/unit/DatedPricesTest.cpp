#include <gtest/gtest.h>

#include <map>
#include <random>
#include <regex>
#include <string>
#include <vector>

#include "core/Accounting.h"
#include "core/Calendar.h"
#include "core/Cp1251.h"
#include "report/HistoryReport.h"
#include "tests/TestSupport.h"

namespace velkaro {
namespace {

// ---- The day a price applies from ----

TEST(DottedDate, CalendarDatesOnlyWithOneOrTwoDigitDayAndMonth) {
    Date d;
    ASSERT_TRUE(ReadDottedDate(" 1.3.2026 ", d));
    EXPECT_EQ(d, Day(2026, 3, 1));
    ASSERT_TRUE(ReadDottedDate("29.02.2024", d));
    EXPECT_EQ(d, Day(2024, 2, 29));
    ASSERT_TRUE(ReadDottedDate("31.12.0001", d));
    for (const char* bad : {"29.02.2025", "31.04.2026", "0.1.2026", "1.0.2026", "1.13.2026", "1.1.26", "1.1.02026",
                            "001.1.2026", "1.1.0000", "1-1-2026", "1.1.2026.", "+1.1.2026", "1. 1.2026", "", "..",
                            "\t1.1.2026"})
        EXPECT_FALSE(ReadDottedDate(bad, d)) << bad;
    EXPECT_EQ(DottedDateText(Day(2026, 3, 7)), "07.03.2026");
    EXPECT_EQ(DottedDateText(Day(12, 11, 30)), "30.11.0012");
}

// ---- One adapter's periods after a change ----

PricePeriod Period(Date lastDay, double in, double out) { return PricePeriod{"eth", lastDay, in, out}; }

}  // namespace

// Found by GoogleTest through the period's own namespace.
void PrintTo(const PricePeriod& p, std::ostream* os) {
    *os << DottedDateText(p.lastDay) << ">" << p.priceIn << "@" << p.priceOut;
}

namespace {

TEST(PeriodsAfterChange, TheDaysBeforeKeepTheirPricesAndEqualNeighboursMerge) {
    const Prices current{1, 2};
    using V = std::vector<PricePeriod>;
    // The first change: everything before it had the current prices.
    EXPECT_EQ(PeriodsAfterChange({}, "eth", current, Day(2026, 3, 1), {3, 4}), (V{Period(Day(2026, 2, 28), 1, 2)}));
    // At the prices already in force: nothing to keep apart.
    EXPECT_EQ(PeriodsAfterChange({}, "eth", current, Day(2026, 3, 1), {1, 2}), V{});
    const V two{Period(Day(2026, 1, 31), 5, 5), Period(Day(2026, 2, 28), 6, 6)};
    // From a day inside a period: it ends the day before, the later ones go.
    EXPECT_EQ(PeriodsAfterChange(two, "eth", current, Day(2026, 2, 10), {3, 4}),
              (V{Period(Day(2026, 1, 31), 5, 5), Period(Day(2026, 2, 9), 6, 6)}));
    // From the day after a period's last: it stays as it is.
    EXPECT_EQ(PeriodsAfterChange(two, "eth", current, Day(2026, 2, 1), {3, 4}), (V{Period(Day(2026, 1, 31), 5, 5)}));
    // Back to the prices of the period before: one period again.
    EXPECT_EQ(PeriodsAfterChange(two, "eth", current, Day(2026, 2, 1), {5, 5}), V{});
    EXPECT_EQ(PeriodsAfterChange(two, "eth", current, Day(2026, 3, 1), {6, 6}), (V{Period(Day(2026, 1, 31), 5, 5)}));
    // From the first day there is: no day before it.
    EXPECT_EQ(PeriodsAfterChange(two, "eth", current, Day(1, 1, 1), {3, 4}), V{});
    // Across a year's end and a leap day.
    EXPECT_EQ(PeriodsAfterChange({}, "eth", current, Day(2025, 1, 1), {3, 4}), (V{Period(Day(2024, 12, 31), 1, 2)}));
    EXPECT_EQ(PeriodsAfterChange({}, "eth", current, Day(2024, 3, 1), {3, 4}), (V{Period(Day(2024, 2, 29), 1, 2)}));
}

// ---- The index: sums per price period ----

// Each record at its day's prices, summed from the records themselves.
CostSums CostOfRecords(const Accounting& a, AdapterId id, Prices current, bool periodOnly, long double* money) {
    const AdapterInfo& info = a.Adapters()[id];
    const std::vector<PricePeriod> earlier = EarlierPricesOf(a, info.name);
    CostSums cost;
    *money = 0;
    for (const HistoryRecord& r : a.History()) {
        if (r.adapter != id) continue;
        if (periodOnly && !info.period.Holds(DateKey(r.year, r.month, r.day))) continue;
        const Prices p = PricesOnDay(earlier, current, Date{r.year, r.month, r.day});
        cost.out += static_cast<long double>(p.out) * r.outOctets;
        cost.in += static_cast<long double>(p.in) * r.inOctets;
        *money += static_cast<long double>(p.in) * (r.inOctets / 1048576.0L) +
                  static_cast<long double>(p.out) * (r.outOctets / 1048576.0L);
    }
    return cost;
}

// Whatever the order of records, counter changes, price changes and limits, the index holds what
// the records sum to; the costs agree with the records' to the last bits the sums allow.
TEST(PriceIndex, SumsPerPeriodFollowRecordsPricesAndLimitsInAnyOrder) {
    for (unsigned seed = 1; seed <= 30; ++seed) {
        std::mt19937 rng(seed);
        auto pick = [&](unsigned n) { return static_cast<int>(rng() % n); };
        Accounting a;
        a.SetAccountingDate(Day(2026, 3, 20));
        a.SetLimitTime(Day(2026, 3, 20), 0);
        const char* names[] = {"eth", "wifi", "ppp"};
        for (const char* name : names) a.AddTariff(TariffEntry{1, 2, name, name});
        for (int step = 0; step < 200; ++step) {
            const std::string name = names[pick(3)];
            switch (pick(10)) {
            case 0:
                SetPricesFrom(a, *FindTariffSlot(a, name), Day(2026, 1 + pick(3), 1 + pick(28)),
                              Prices{static_cast<double>(pick(5)) / 4, static_cast<double>(pick(5))});
                break;
            case 1: SetLimit(a, name, LimitKind::Money, 10, 1 + pick(31)); break;
            case 2:
                if (a.HistoryCount() > 0)
                    a.SetCounters(static_cast<std::size_t>(pick(static_cast<unsigned>(a.HistoryCount()))), rng(), rng());
                break;
            default:
                AddRecord(a, name, Day(2026, 1 + pick(3), 1 + pick(31)), rng() % 100000000, rng() % 100000000);
            }
        }
        for (AdapterId id = 0; id < a.Adapters().size(); ++id) {
            const AdapterInfo& info = a.Adapters()[id];
            const Prices current = PricesOf(FindTariffEntry(a, info.name));
            long double money = 0, periodMoney = 0;
            const CostSums all = CostOfRecords(a, id, current, false, &money);
            CostOfRecords(a, id, current, true, &periodMoney);
            const CostSums indexed = AllTimeCost(info, current);
            EXPECT_NEAR(static_cast<double>(indexed.out), static_cast<double>(all.out), 1e-6 * static_cast<double>(all.out) + 1e-9);
            EXPECT_NEAR(static_cast<double>(indexed.in), static_cast<double>(all.in), 1e-6 * static_cast<double>(all.in) + 1e-9);
            const long double used = BillingPeriodMoney(info, current);
            EXPECT_NEAR(static_cast<double>(used), static_cast<double>(periodMoney), 1e-9 * static_cast<double>(periodMoney) + 1e-9);
            std::uint64_t in = 0, out = 0;
            for (const PricedSums& p : info.byPrice) {
                in += p.totalIn;
                out += p.totalOut;
            }
            if (!info.byPrice.empty()) {
                EXPECT_EQ(in, info.totalIn);
                EXPECT_EQ(out, info.totalOut);
            }
        }
        if (HasFailure()) {
            ADD_FAILURE() << "seed " << seed;
            return;
        }
    }
}

// With one price for every day the costs are the products they always were, bit for bit.
TEST(PriceIndex, OnePriceCostsAsBefore) {
    Accounting a;
    AddRecord(a, "eth", Day(2026, 3, 1), 4294967295u, 123456789);
    AddRecord(a, "eth", Day(2026, 3, 2), 987654321, 4294967295u);
    const Prices p{0.35, 1e-5};
    const AdapterInfo& info = a.Adapters()[0];
    EXPECT_TRUE(info.byPrice.empty());
    const CostSums cost = AllTimeCost(info, p);
    EXPECT_EQ(cost.out, static_cast<long double>(p.out) * static_cast<long double>(info.totalOut));
    EXPECT_EQ(cost.in, static_cast<long double>(p.in) * static_cast<long double>(info.totalIn));
    EXPECT_EQ(PricesOnDay(info, p, Day(1990, 1, 1)), p);
}

// ---- The CSV and the report tell the same days ----

// Cost by date (DD.MM.YYYY) from the CSV's rows of one adapter.
std::map<std::string, std::string> CsvCosts(const std::string& csv) {
    std::map<std::string, std::string> costs;
    static const std::regex row("(\\d\\d)\\.(\\d\\d)\\.(\\d{4});eth;[^;]*;\\d+;\\d+;([0-9,.-]+)\r");
    for (std::sregex_iterator it(csv.begin(), csv.end(), row), end; it != end; ++it)
        costs[(*it)[1].str() + "." + (*it)[2].str() + "." + (*it)[3].str()] = (*it)[4];
    return costs;
}

// The same from the report's day rows: the date cell, four cells on, the money cell.
std::map<std::string, std::string> ReportCosts(const std::string& page) {
    std::map<std::string, std::string> costs;
    static const std::regex row("<tr bgcolor=\"#FFFFCC\">.*?style2\">(\\d+)\\.(\\d+)\\.(\\d+)<.*?"
                                "<td><div align=\"center\"><span class=\"style2\"><span class=\"style2\">([0-9,.-]+) ");
    for (std::sregex_iterator it(page.begin(), page.end(), row), end; it != end; ++it) {
        char date[16];
        std::snprintf(date, sizeof date, "%02d.%02d.%04d", std::stoi((*it)[1]), std::stoi((*it)[2]), std::stoi((*it)[3]));
        costs[date] = (*it)[4];
    }
    return costs;
}

TEST(DatedPrices, TheCsvAndTheReportAgreeDayByDay) {
    Accounting a;
    a.AddTariff(TariffEntry{1.5, 0.5, "eth", "LAN"});
    // Records in date order, as a history grows, some days with several.
    std::mt19937 rng(7);
    for (int day = 0; day < 365; day += 1 + static_cast<int>(rng() % 3))
        for (int n = 1 + static_cast<int>(rng() % 2); n > 0; --n)
            AddRecord(a, "eth", DateOfDayNumber(DayNumber(Day(2025, 1, 1)) + day), rng() % 50000000, rng() % 50000000);
    for (int m = 2; m <= 12; m += 2)
        SetPricesFrom(a, 0, Day(2025, m, 1 + 2 * m), Prices{0.1 * m, 0.05 * (13 - m)});
    ASSERT_GE(a.EarlierPrices().size(), 5u);
    const std::map<std::string, std::string> csv = CsvCosts(HistoryCsvText(a, ','));
    const std::map<std::string, std::string> report = ReportCosts(HistoryReportText(a, "eth", ','));
    ASSERT_GT(csv.size(), 100u);
    EXPECT_EQ(csv, report);
}

}  // namespace
}  // namespace velkaro
