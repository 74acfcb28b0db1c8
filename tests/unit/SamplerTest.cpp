#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "core/Accounting.h"
#include "core/Cp1251.h"
#include "tests/TestSupport.h"

namespace velkaro {
namespace {

constexpr Date kDay{2026, 3, 7};

// The counters-as-traffic rule (counting=boot).
struct Sampling : ::testing::Test {
    Accounting a;
    ScriptedInterfaceTable table;

    void SetUp() override {
        a.SetCountingBoot(true);
        a.SetAccountingDate(kDay);
    }

    void Tick(std::vector<InterfaceRow> rows) {
        table.rows = std::move(rows);
        SampleInterfaces(a, table);
    }
    const HistoryRecord& At(std::size_t i) const { return a.History().at(i); }
    std::string Name(std::size_t i) const { return a.AdapterNameOf(At(i)); }
};

// ---- The adapter name of a row ----

TEST(AdapterName, StopsAtTheFirstZeroByteThenCutsToTheDescriptionLength) {
    InterfaceRow row = MakeRow("Ethernet", 1, 2);
    EXPECT_EQ(AdapterNameView(row), "Ethernet");
    row.dwDescrLen = 3;
    EXPECT_EQ(AdapterNameView(row), "Eth");
    row.dwDescrLen = 200;  // longer than the text: the zero byte ends it
    EXPECT_EQ(AdapterNameView(row), "Ethernet");
    row.bDescr[3] = 0;
    EXPECT_EQ(AdapterNameView(row), "Eth");
}

TEST(AdapterName, ZeroLengthGivesTheEmptyNameWhateverTheBytes) {
    InterfaceRow row = MakeRow("Ethernet", 1, 2);
    row.dwDescrLen = 0;
    EXPECT_EQ(AdapterNameView(row), "");
}

TEST(AdapterName, NoZeroByteGivesAtMost256BytesEvenWithALargerLength) {
    InterfaceRow row;
    for (std::size_t i = 0; i < row.bDescr.size(); ++i) row.bDescr[i] = static_cast<std::uint8_t>('A' + i % 26);
    row.dwDescrLen = 256;
    EXPECT_EQ(AdapterNameView(row).size(), 256u);
    row.dwDescrLen = 257;
    EXPECT_EQ(AdapterNameView(row).size(), 256u);
    row.dwDescrLen = 0xFFFFFFFFu;
    EXPECT_EQ(AdapterNameView(row).size(), 256u);
    row.dwDescrLen = 255;
    EXPECT_EQ(AdapterNameView(row), std::string(reinterpret_cast<const char*>(row.bDescr.data()), 255));
}

TEST(AdapterName, KeepsHighBytesAsTheyAre) {
    const std::string cyr = "Сетевой адаптер"_cp1251;  // Windows-1251 bytes above 0x7F
    EXPECT_EQ(AdapterNameView(MakeRow(cyr, 0, 0)), cyr);
}

// ---- One sample ----

TEST_F(Sampling, FirstSightOpensOneRecordOnTheAccountingDate) {
    Tick({MakeRow("eth", 100, 200)});
    ASSERT_EQ(a.HistoryCount(), 1u);
    EXPECT_EQ(Name(0), "eth");
    EXPECT_EQ(At(0).inOctets, 100u);
    EXPECT_EQ(At(0).outOctets, 200u);
    EXPECT_EQ(At(0).session, 0);
    EXPECT_EQ(At(0).year, 2026);
    EXPECT_EQ(At(0).month, 3);
    EXPECT_EQ(At(0).day, 7);
}

TEST_F(Sampling, UnchangedAndGrowingCountersAdvanceTheOpenRecord) {
    Tick({MakeRow("eth", 100, 200)});
    Tick({MakeRow("eth", 100, 200)});
    EXPECT_EQ(a.HistoryCount(), 1u);
    Tick({MakeRow("eth", 150, 200)});  // in grows, out equal
    ASSERT_EQ(a.HistoryCount(), 1u);
    EXPECT_EQ(At(0).inOctets, 150u);
    EXPECT_EQ(At(0).outOctets, 200u);
    EXPECT_EQ(a.SessionCounter(), 0);
}

TEST_F(Sampling, ACounterGoingBackClosesTheRecordAndOpensACopy) {
    AddRecord(a, "eth", kDay, 100, 200);
    Tick({MakeRow("eth", 150, 199)});  // in grows, out falls by 1
    ASSERT_EQ(a.HistoryCount(), 2u);
    EXPECT_EQ(At(0).inOctets, 100u);  // keeps its last values
    EXPECT_EQ(At(0).outOctets, 200u);
    EXPECT_EQ(At(0).session, 1);
    EXPECT_EQ(a.SessionCounter(), 1);
    EXPECT_EQ(Name(1), "eth");
    EXPECT_EQ(At(1).session, 0);
    EXPECT_EQ(At(1).inOctets, 150u);
    EXPECT_EQ(At(1).outOctets, 199u);
    EXPECT_EQ(At(1).day, 7);
    // The new record is the open one from now on; the closed one is never touched again.
    Tick({MakeRow("eth", 10, 10)});
    ASSERT_EQ(a.HistoryCount(), 3u);
    EXPECT_EQ(At(0).session, 1);
    EXPECT_EQ(At(1).session, 2);
    EXPECT_EQ(At(2).inOctets, 10u);
}

TEST_F(Sampling, CountersAtBothEndsOfTheUnsignedRangeCompareUnsigned) {
    Tick({MakeRow("eth", 0, 0)});
    Tick({MakeRow("eth", 4294967295u, 4294967295u)});
    ASSERT_EQ(a.HistoryCount(), 1u);
    EXPECT_EQ(At(0).inOctets, 4294967295u);
    Tick({MakeRow("eth", 4294967295u, 4294967295u)});
    EXPECT_EQ(a.HistoryCount(), 1u);
    // Wrapping past the top to a small value closes the record at its last value.
    Tick({MakeRow("eth", 5, 4294967295u)});
    ASSERT_EQ(a.HistoryCount(), 2u);
    EXPECT_EQ(At(0).inOctets, 4294967295u);
    EXPECT_EQ(At(0).session, 1);
    EXPECT_EQ(At(1).inOctets, 5u);
    EXPECT_EQ(At(1).outOctets, 4294967295u);
}

TEST_F(Sampling, TwoRowsOfOneNameCompareAgainstTheRecordAsTheFirstLeftIt) {
    Tick({MakeRow("dup", 100, 100), MakeRow("dup", 50, 50)});
    // First row opens, second row is lower: closed and reopened within the same tick.
    ASSERT_EQ(a.HistoryCount(), 2u);
    EXPECT_EQ(At(0).session, 1);
    EXPECT_EQ(At(1).inOctets, 50u);
    Tick({MakeRow("dup", 100, 100), MakeRow("dup", 50, 50)});
    ASSERT_EQ(a.HistoryCount(), 3u);
    EXPECT_EQ(At(1).inOctets, 100u);  // advanced by the first row, closed by the second
    EXPECT_EQ(At(1).session, 2);
    EXPECT_EQ(At(2).inOctets, 50u);
    // A higher second row only advances.
    Tick({MakeRow("dup", 60, 60), MakeRow("dup", 70, 70)});
    EXPECT_EQ(a.HistoryCount(), 3u);
    EXPECT_EQ(At(2).inOctets, 70u);
}

TEST_F(Sampling, EveryDuplicateOpenRecordOfTheDayIsProcessed) {
    // As a hand-edited history can hold them: three open records of one adapter and day.
    AddRecord(a, "eth", kDay, 10, 10);
    AddRecord(a, "eth", kDay, 500, 10);
    AddRecord(a, "eth", kDay, 20, 20);
    Tick({MakeRow("eth", 100, 100)});
    ASSERT_EQ(a.HistoryCount(), 4u);
    EXPECT_EQ(At(0).inOctets, 100u);
    EXPECT_EQ(At(0).session, 0);
    EXPECT_EQ(At(1).session, 1);  // 100 is below 500
    EXPECT_EQ(At(1).inOctets, 500u);
    EXPECT_EQ(At(2).inOctets, 100u);
    EXPECT_EQ(At(2).session, 0);
    EXPECT_EQ(At(3).inOctets, 100u);  // the copy of record 1
    EXPECT_EQ(At(3).session, 0);
    // Next tick: three open records again, all advanced, none appended.
    Tick({MakeRow("eth", 101, 101)});
    EXPECT_EQ(a.HistoryCount(), 4u);
    EXPECT_EQ(At(3).inOctets, 101u);
}

TEST_F(Sampling, OnlyOpenRecordsOfTheAccountingDateMatch) {
    AddRecord(a, "eth", Date{2026, 3, 6}, 10, 10);     // yesterday, open
    AddRecord(a, "eth", kDay, 10, 10, 5);              // today, closed
    AddRecord(a, "eth", Date{2025, 3, 7}, 10, 10);     // same day, other year
    Tick({MakeRow("eth", 1, 1)});
    ASSERT_EQ(a.HistoryCount(), 4u);
    EXPECT_EQ(At(3).session, 0);
    EXPECT_EQ(At(3).inOctets, 1u);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(At(i).inOctets, 10u) << i;
    EXPECT_EQ(a.SessionCounter(), 0);
}

TEST_F(Sampling, TheDateStaysWhileTheProgramRunsPastMidnight) {
    Tick({MakeRow("eth", 1, 1)});
    // Nothing but the owner changes the AccountingDate: the next day's samples continue it.
    Tick({MakeRow("eth", 2, 2)});
    ASSERT_EQ(a.HistoryCount(), 1u);
    EXPECT_EQ(At(0).day, 7);
    a.SetAccountingDate(Date{2026, 3, 8});  // a restart or a clear on the next day
    Tick({MakeRow("eth", 3, 3)});
    ASSERT_EQ(a.HistoryCount(), 2u);
    EXPECT_EQ(At(0).session, 0);  // yesterday's open record stays open for good
    EXPECT_EQ(At(1).day, 8);
}

TEST_F(Sampling, NamesAreExactCaseAndTrailingBlankAndEmptyAreAdaptersToo) {
    Tick({MakeRow("Eth", 1, 1), MakeRow("eth", 2, 2), MakeRow("eth ", 3, 3), MakeRow("", 4, 4)});
    ASSERT_EQ(a.HistoryCount(), 4u);
    EXPECT_EQ(Name(0), "Eth");
    EXPECT_EQ(Name(1), "eth");
    EXPECT_EQ(Name(2), "eth ");
    EXPECT_EQ(Name(3), "");
    InterfaceRow zeroLen = MakeRow("ignored", 5, 5);
    zeroLen.dwDescrLen = 0;
    Tick({zeroLen});
    ASSERT_EQ(a.HistoryCount(), 4u);
    EXPECT_EQ(At(3).inOctets, 5u);
}

TEST_F(Sampling, AFailingCallChangesNothingAndTheNextOneCatchesUp) {
    Tick({MakeRow("eth", 1, 1)});
    table.failNext = true;
    table.rows = {MakeRow("eth", 0, 0), MakeRow("other", 1, 1)};
    SampleInterfaces(a, table);
    ASSERT_EQ(a.HistoryCount(), 1u);
    EXPECT_EQ(At(0).inOctets, 1u);
    Tick({MakeRow("eth", 9, 9)});
    ASSERT_EQ(a.HistoryCount(), 1u);
    EXPECT_EQ(At(0).inOctets, 9u);
}

TEST_F(Sampling, SumsOfTheIndexFollowTheSamples) {
    Tick({MakeRow("eth", 100, 10)});
    Tick({MakeRow("eth", 50, 20)});
    AdapterId id = 0;
    ASSERT_TRUE(a.FindAdapter("eth", id));
    const AdapterInfo& info = a.Adapters()[id];
    EXPECT_EQ(info.totalIn, 150u);
    EXPECT_EQ(info.totalOut, 30u);
    EXPECT_EQ(info.todayIn, 150u);
    ASSERT_EQ(info.openToday.size(), 1u);
    EXPECT_EQ(info.openToday[0], 1u);
}

// ---- Against the plain scan over the whole table ----

struct PlainRecord {
    std::string adapter;
    std::uint32_t in, out;
    Date date;
    std::int32_t session;
};

struct PlainHistory {
    std::vector<PlainRecord> records;
    std::int32_t sessionCounter = 0;
    Date date;

    // Every record, for every row: the scan as the table's first design described it.
    void Sample(const std::vector<InterfaceRow>& rows) {
        for (const InterfaceRow& row : rows) {
            std::size_t len = 0;
            while (len < 256 && row.bDescr[len] != 0) ++len;
            if (len > row.dwDescrLen) len = row.dwDescrLen;
            const std::string name(reinterpret_cast<const char*>(row.bDescr.data()), len);
            const std::size_t n = records.size();
            bool matched = false;
            for (std::size_t i = 0; i < n; ++i) {
                if (records[i].adapter != name || !(records[i].date == date) || records[i].session != 0) continue;
                if (static_cast<std::uint32_t>(row.inOctets) >= records[i].in && static_cast<std::uint32_t>(row.outOctets) >= records[i].out) {
                    records[i].in = static_cast<std::uint32_t>(row.inOctets);
                    records[i].out = static_cast<std::uint32_t>(row.outOctets);
                } else {
                    records[i].session = ++sessionCounter;
                    PlainRecord copy = records[i];
                    copy.session = 0;
                    copy.in = static_cast<std::uint32_t>(row.inOctets);
                    copy.out = static_cast<std::uint32_t>(row.outOctets);
                    records.push_back(copy);
                }
                matched = true;
            }
            if (!matched) records.push_back({name, static_cast<std::uint32_t>(row.inOctets), static_cast<std::uint32_t>(row.outOctets), date, 0});
        }
    }
};

void ExpectSame(const Accounting& a, const PlainHistory& p, int step) {
    ASSERT_EQ(a.HistoryCount(), p.records.size()) << "step " << step;
    ASSERT_EQ(a.SessionCounter(), p.sessionCounter) << "step " << step;
    for (std::size_t i = 0; i < p.records.size(); ++i) {
        const HistoryRecord& r = a.History()[i];
        const PlainRecord& q = p.records[i];
        ASSERT_EQ(a.AdapterNameOf(r), q.adapter) << "step " << step << " record " << i;
        ASSERT_EQ(r.inOctets, q.in) << "step " << step << " record " << i;
        ASSERT_EQ(r.outOctets, q.out) << "step " << step << " record " << i;
        ASSERT_EQ(r.session, q.session) << "step " << step << " record " << i;
        ASSERT_EQ(r.year, q.date.year);
        ASSERT_EQ(r.month, q.date.month);
        ASSERT_EQ(r.day, q.date.day);
    }
}

TEST(SamplerProperty, RandomTicksGiveTheSameTableAsThePlainScan) {
    const std::vector<std::string> names = {"a", "b", "A", "a ", "", "long adapter name over sixteen"};
    const std::vector<Date> dates = {{2026, 3, 7}, {2026, 3, 8}, {2025, 12, 31}};
    for (unsigned seed = 1; seed <= 40; ++seed) {
        std::mt19937 rng(seed);
        auto pick = [&](std::size_t n) { return static_cast<std::size_t>(rng() % n); };
        auto counter = [&]() -> std::uint32_t {
            switch (pick(6)) {
                case 0: return 0;
                case 1: return 4294967295u;
                default: return static_cast<std::uint32_t>(pick(40));
            }
        };
        Accounting a;
        a.SetCountingBoot(true);
        PlainHistory p;
        a.SetAccountingDate(dates[0]);
        p.date = dates[0];
        // A history as a file may hold it: several open records per day, closed ones, other days.
        for (int i = 0, n = static_cast<int>(pick(30)); i < n; ++i) {
            PlainRecord q{names[pick(names.size())], counter(), counter(), dates[pick(dates.size())],
                          pick(3) == 0 ? static_cast<std::int32_t>(pick(5) + 1) : 0};
            p.records.push_back(q);
            HistoryRecord r = Record(q.date, q.in, q.out, q.session);
            a.AppendHistoryRecord(a.Intern(q.adapter), r);
        }
        ScriptedInterfaceTable table;
        for (int step = 0; step < 200; ++step) {
            if (pick(25) == 0) {
                const Date d = dates[pick(dates.size())];
                a.SetAccountingDate(d);
                p.date = d;
            }
            std::vector<InterfaceRow> rows;
            for (std::size_t i = 0, n = pick(6); i < n; ++i) rows.push_back(MakeRow(names[pick(names.size())], counter(), counter()));
            if (pick(10) == 0) rows.push_back(rows.empty() ? MakeRow("a", 1, 1) : rows.front());  // a duplicate row
            table.failNext = pick(15) == 0;
            table.rows = rows;
            const bool fails = table.failNext;
            SampleInterfaces(a, table);
            if (!fails) p.Sample(rows);
            ExpectSame(a, p, step);
            if (::testing::Test::HasFatalFailure()) {
                ADD_FAILURE() << "seed " << seed;
                return;
            }
        }
    }
}

}  // namespace
}  // namespace velkaro
