// Counting by increments: what a reading adds, the records it goes into, the readings kept in
// history.txt, and random runs against a model of the bytes really moved.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "core/Accounting.h"
#include "core/Counting.h"
#include "core/Files.h"
#include "tests/TestSupport.h"

namespace velkaro {
namespace {

constexpr std::int64_t kStart = 1772352000;  // 2026-03-01 08:00:00 UTC

// One row read again and again: each call gives what Read() adds for the counters given.
struct RowReader {
    InterfaceReadings readings;
    std::uint64_t ms = 0;
    RowGrowth Read(std::uint64_t in, std::uint64_t out, bool counters32 = false, std::uint64_t key = 1,
                   const char* name = "eth") {
        InterfaceRow row = MakeRow(name, in, out, key);
        row.counters32 = counters32;
        RowReading* r = nullptr;
        return readings.Read(row, name, ms += 1000, r);
    }
};

// What history.txt kept: readings under a system start, with an uptime or (older files) none.
KeptReadings Kept(std::int64_t start, std::vector<RowReading> readings, std::int64_t uptime = -1) {
    return KeptReadings{true, SystemClock{start, uptime, uptime >= 0}, std::move(readings)};
}

void ExpectAdds(const RowGrowth& g, std::uint64_t in, std::uint64_t out, const char* what) {
    EXPECT_EQ(g.in, in) << what;
    EXPECT_EQ(g.out, out) << what;
}

TEST(Counting, EachReadingAddsTheGrowthSinceTheRowsLastOne) {
    RowReader r;
    ExpectAdds(r.Read(1000, 500), 0, 0, "a baseline start only starts here");
    r.readings.EndReading();
    ExpectAdds(r.Read(3000, 600), 2000, 100, "growth");
    ExpectAdds(r.Read(0, 0), 0, 0, "both at 0 after a reading that was not: ignored");
    ExpectAdds(r.Read(3500, 700), 500, 100, "the reading before the zeros stands");
    ExpectAdds(r.Read(40, 800), 40, 800, "a counter down: they started again");
    ExpectAdds(r.Read(100, 900, false, 2), 100, 900, "a row first seen after the first reading");
    ExpectAdds(r.Read(50, 900, false, 2, "wlan"), 50, 900, "another interface under a key given again");
    ExpectAdds(r.Read(60, 950, false, 2, "wlan"), 10, 50, "which goes on from there");
}

TEST(Counting, ThirtyTwoBitCountersWrapOnlyFromTheUpperHalfWithTheOtherNotDown) {
    RowReader r;
    r.readings.EndReading();  // past the first reading: new rows add all they hold
    ExpectAdds(r.Read(0xFFFFFF00u, 10, true), 0xFFFFFF00u, 10, "first seen");
    ExpectAdds(r.Read(0x100, 20, true), 0x200, 10, "in wrapped");
    ExpectAdds(r.Read(0x200, 5, true), 0x200, 5, "out down from the lower half: started again");
    ExpectAdds(r.Read(0x90000000u, 0x90000000u, true), 0x90000000u - 0x200, 0x90000000u - 5, "growth");
    ExpectAdds(r.Read(1, 2, true), 1, 2, "both down: started again");
    ExpectAdds(r.Read(0xFFFFFFF0u, 2, false), 0xFFFFFFF0u - 1, 0, "64-bit growth");
    ExpectAdds(r.Read(5, 3, false), 5, 3, "64-bit counters never wrap");
}

TEST(Counting, KeptReadingsCountOnlyUnderTheSameSystemStart) {
    const std::vector<RowReading> kept = {{1, "eth", 1000, 500, 0, kNoAdapter}};
    InterfaceReadings same;
    same.TakeKept(Kept(kStart + 119, kept), {kStart, 0, true});
    RowReading* r = nullptr;
    ExpectAdds(same.Read(MakeRow("eth", 1500, 700, 1), "eth", 1000, r), 500, 200, "growth since the kept one");
    EXPECT_EQ(r->ms, 1000u);
    ExpectAdds(same.Read(MakeRow("wlan", 30, 40, 2), "wlan", 1000, r), 30, 40, "a row new since the save");
    InterfaceReadings other;
    other.TakeKept(Kept(kStart + 121, kept), {kStart, 0, true});
    ExpectAdds(other.Read(MakeRow("eth", 1500, 700, 1), "eth", 1000, r), 1500, 700, "since the system started");
    other.EndReading();
    other.TakeKept(Kept(kStart, kept), {kStart, 0, true});  // once the run has read, the file changes nothing
    EXPECT_EQ(other.All().at(0).in, 1500u);
}

TEST(Counting, TheTimeRunTellsASystemStartFromAMovedClock) {
    const std::vector<RowReading> kept = {{1, "eth", 1000, 500, 0, kNoAdapter}, {2, "wlan", 80, 90, 0, kNoAdapter}};
    auto growth = [&](const KeptReadings& file, const SystemClock& now, std::uint64_t wlanIn, std::uint64_t wlanOut = 90) {
        InterfaceReadings readings;
        readings.TakeKept(file, now);
        const std::vector<InterfaceRow> rows = {MakeRow("eth", 1500, 700, 1), MakeRow("wlan", wlanIn, wlanOut, 2)};
        const std::vector<TableGrowth>& read = readings.ReadTable(rows, 1000, false);
        return read.at(0).growth.in + read.at(0).growth.out;
    };
    EXPECT_EQ(growth(Kept(kStart, kept, 5000), {kStart, 4999, true}, 100), 2200u) << "less time run: a system start";
    EXPECT_EQ(growth(Kept(kStart, kept, 5000), {kStart + 600, 5100, true}, 100), 700u) << "clock 10 minutes on";
    EXPECT_EQ(growth(Kept(kStart, kept, 5000), {kStart - 86400, 5100, true}, 100), 700u) << "a day back";
    EXPECT_EQ(growth(Kept(kStart, kept, 5000), {kStart + 600, 5100, true}, 0, 0), 700u) << "zeros tell nothing";
    EXPECT_EQ(growth(Kept(kStart, kept, 5000), {kStart + 600, 5100, true}, 79), 2200u) << "a row below its reading";
    EXPECT_EQ(growth(Kept(kStart, kept, 5000), {kStart + 60, 5100, true}, 79), 700u) << "same start: that row only";
    EXPECT_EQ(growth(Kept(kStart, kept), {kStart + 600, 5100, true}, 100), 2200u) << "no uptime kept: the old rule";
}

TEST(Counting, SystemStartTextReadsBackAndRefusesWhatItDoesNotWrite) {
    for (std::int64_t t : {std::int64_t{0}, kStart, std::int64_t{951782400} /* 2000-02-29 */}) {
        std::int64_t back = -1;
        ASSERT_TRUE(ReadSystemStartText(SystemStartText(t), back)) << SystemStartText(t);
        EXPECT_EQ(back, t);
    }
    EXPECT_EQ(SystemStartText(kStart), "2026-03-01 08:00:00");
    std::int64_t t = 0;
    for (const char* bad : {"2026-03-01", "2026-03-01T08:00:00", "2026-13-01 08:00:00", " 2026-03-01 08:00:00"})
        EXPECT_FALSE(ReadSystemStartText(bad, t)) << bad;
}

// ---- Records ----

struct Records : ::testing::Test {
    Accounting a;
    ScriptedInterfaceTable table;
    std::uint64_t ms = 0;
    void SetUp() override { a.SetAccountingDate(Date{2026, 3, 7}); }
    void Tick(std::vector<InterfaceRow> rows) {
        table.rows = std::move(rows);
        std::vector<InterfaceRow> read;
        SampleInterfaces(a, table, read, ms += 1000);
    }
    const AdapterInfo& Info(const std::string& name) {
        AdapterId id = 0;
        EXPECT_TRUE(a.FindAdapter(name, id)) << name;
        return a.Adapters()[id];
    }
};

TEST_F(Records, RowsOfOneNameAddUpAndFilterRowsAreNotAccounted) {
    InterfaceRow filter = MakeRow("eth-QoS Packet Scheduler-0000", 100, 100);
    filter.filter = true;
    Tick({MakeRow("eth", 100, 100), MakeRow("eth", 7, 7), filter});
    filter.inOctets = 900;
    Tick({MakeRow("eth", 150, 120), MakeRow("eth", 17, 9), filter});
    ASSERT_EQ(a.HistoryCount(), 1u);
    EXPECT_EQ(a.History()[0].inOctets, 60u);
    EXPECT_EQ(a.History()[0].outOctets, 22u);
    EXPECT_EQ(Info("eth").rate, 82.0L);
    EXPECT_EQ(Info("eth").rateIn, 60.0L);
    EXPECT_EQ(Info("eth").rateOut, 22.0L);
    AdapterId id = 0;
    EXPECT_FALSE(a.FindAdapter("eth-QoS Packet Scheduler-0000", id));
}

TEST_F(Records, AFieldThatWouldPassItsTopClosesTheRecordAndTheRestGoesOn) {
    const std::size_t open = a.AppendHistoryRecord(a.Intern("eth"), HistoryRecord{4294967000u, 10, 2026, 3, 7, 0, 0});
    EXPECT_EQ(AddToOpenRecord(a, open, 1000, 1), 1u);
    EXPECT_EQ(a.History()[0].inOctets, 4294967000u);
    EXPECT_EQ(a.History()[0].session, 1);
    EXPECT_EQ(a.History()[1].inOctets, 1000u);
    EXPECT_EQ(a.History()[1].outOctets, 1u);
    // Ten gigabytes at once: full records until the rest fits.
    const std::size_t last = AddToOpenRecord(a, 1, 10737418240u, 0);
    EXPECT_EQ(last, 4u);
    EXPECT_EQ(Info("eth").totalIn, 4294967000ull + 1000 + 10737418240ull);
    for (std::size_t i = 1; i < 4; ++i) EXPECT_EQ(a.History()[i].session, static_cast<std::int32_t>(i + 1));
    EXPECT_EQ(a.History()[4].session, 0);
    EXPECT_EQ(a.History()[4].day, 7);
}

TEST_F(Records, ANewDayStartsNewRecordsAndTheEarlierDaysStayOpen) {
    Tick({MakeRow("eth", 100, 100)});
    Tick({MakeRow("eth", 150, 100)});
    a.SetAccountingDate(Date{2026, 3, 8});
    Tick({MakeRow("eth", 170, 130)});
    a.SetAccountingDate(Date{2026, 3, 7});  // the clock set back: that day's record goes on
    Tick({MakeRow("eth", 171, 130)});
    ASSERT_EQ(a.HistoryCount(), 2u);
    EXPECT_EQ(a.History()[0].inOctets, 51u);
    EXPECT_EQ(a.History()[1].inOctets, 20u);
    EXPECT_EQ(a.History()[1].outOctets, 30u);
    EXPECT_EQ(a.History()[0].session + a.History()[1].session, 0);
}

// ---- history.txt ----

struct KeptFiles : ::testing::Test, Fakes {};

TEST_F(KeptFiles, TheReadingsGoBackAsTheyWereWhateverTheName) {
    Accounting a;
    DataFiles data;
    LoadFiles(a, data, ports);
    ScriptedInterfaceTable table;
    const std::string odd = std::string(" tab\there %41 \x01\xC0 ", 17);
    table.rows = {MakeRow(odd, 5, 6, 12345678901234567ull), MakeRow("eth", 1, 2)};
    SampleInterfaces(a, table);
    SaveFiles(a, data, ports);
    const std::string& text = files.files["history.txt"];
    EXPECT_NE(text.find("boot=2026-01-01 00:00:00\r\nuptime=0\r\nreading=12345678901234567 5 6  tab%09here %2541 %01\xC0 \r\n"
                        "reading=1 1 2 eth\r\n"),
              std::string::npos)
        << text;
    Accounting b;
    DataFiles dataB;
    LoadFiles(b, dataB, ports);
    EXPECT_TRUE(dialogs.messages.empty());
    ASSERT_EQ(b.Readings().All().size(), 2u);
    EXPECT_EQ(b.Readings().All()[0].name, odd);
    EXPECT_EQ(b.Readings().All()[0].out, 6u);
    EXPECT_EQ(b.Readings().StartRule(), InterfaceReadings::Start::KeptReadings);
}

TEST_F(KeptFiles, UntilTheFirstReadingSettlesAMovedClockTheSaveWritesTheFilesClockBack) {
    const std::string kept = "SHOW=\r\nform1.width=790\r\nboot=2026-03-01 08:00:00\r\nuptime=7200\r\nreading=0 5 6 eth\r\n";
    files.files["history.txt"] = kept;
    clock.systemStart = kStart + 3600;
    clock.uptime = 9000;
    Accounting a;
    DataFiles data;
    LoadFiles(a, data, ports);
    EXPECT_EQ(a.Readings().StartRule(), InterfaceReadings::Start::MovedClock);
    SaveFiles(a, data, ports);
    EXPECT_EQ(files.files["history.txt"], kept);
    ScriptedInterfaceTable table;
    table.rows = {MakeRow("eth", 7, 9)};
    SampleInterfaces(a, table);
    SaveFiles(a, data, ports);
    EXPECT_EQ(files.files["history.txt"], "SHOW=\r\nform1.width=790\r\nboot=2026-03-01 09:00:00\r\nuptime=9000\r\n"
                                          "reading=0 7 9 eth\r\n1.1.2026-0\t2         \t3         \teth\r\n");
}

TEST_F(KeptFiles, AHistoryReadLateGetsTheRunsTrafficAddedToItsRecords) {
    files.readError["history.txt"] = kIoAccessDenied;
    files.files["history.txt"] = "SHOW=\r\nform1.width=790\r\n7.3.2026-0\t1000      \t1000      \teth\r\n";
    clock.today = Date{2026, 3, 7};
    Accounting a;
    DataFiles data;
    LoadFiles(a, data, ports);
    ScriptedInterfaceTable table;
    std::vector<InterfaceRow> rows;
    for (std::uint64_t in : {100, 150, 400}) {
        table.rows = {MakeRow("eth", in, 0), MakeRow("wlan", in, 0)};
        SampleInterfaces(a, table, rows, in);
    }
    files.readError.clear();
    SaveFiles(a, data, ports);
    EXPECT_EQ(files.files["history.txt"],
              "SHOW=\r\nform1.width=790\r\nboot=2026-01-01 00:00:00\r\nuptime=5616000\r\nreading=0 400 0 eth\r\nreading=1 400 0 wlan\r\n"
              "7.3.2026-0\t1300      \t1000      \teth\r\n7.3.2026-0\t300       \t0         \twlan\r\n");
}

// ---- Random runs against the bytes really moved ----

// An interface as the model knows it: its counters, and everything that went through it.
struct SimRow {
    std::uint64_t key;
    std::string name;
    bool counters32;
    std::uint64_t in = 1000, out = 1000;  // the counters (since they last started), uncut
    int epoch = 0;  // how often its counters started again
    bool present = true;
    bool zeroNext = false;  // its next reading shows 0 and 0
    int mirror = -1;  // a deleted interface's row left in the table with this row's counters
};

// What a run of the program compares a row with next: the model's word for its last reading,
// as shown (32-bit counters cut) and as it really stood.
struct SimRef {
    bool valid = false;
    std::uint64_t seenIn = 0, seenOut = 0, in = 0, out = 0;
    int epoch = 0;
};

struct Model {
    std::vector<SimRow> rows;
    std::vector<SimRef> ref, savedRef;  // by row
    std::map<std::string, std::uint64_t> counted, countedSaved;  // by adapter, in + out
    bool baseline = true, savedBaseline = true;  // the next first reading only starts there
    // The system start and the time run at the last save; whether the start found the clock
    // moved (the first reading then tells a system start by a row gone down).
    std::int64_t savedStart = 0, savedUptime = 0;
    bool moved = false;

    static std::uint64_t Shown(const SimRow& row, std::uint64_t v) { return row.counters32 ? v & 0xFFFFFFFFu : v; }

    // What row i shows: a stale row its interface's counters, as they stand.
    const SimRow& Source(std::size_t i) const { return rows[i].mirror < 0 ? rows[i] : rows[rows[i].mirror]; }
    bool Present(std::size_t i) const { return Source(i).present; }
    std::pair<std::uint64_t, std::uint64_t> Table(std::size_t i) const {
        const SimRow& row = Source(i);
        if (row.zeroNext) return {0, 0};
        return {Shown(row, row.in), Shown(row, row.out)};
    }
    // One reading of the whole table: rows of one name showing the same counters are one
    // interface and add the largest of what they add alone.
    void ReadAll() {
        std::vector<std::pair<std::size_t, std::uint64_t>> groups;  // first row, what it adds
        for (std::size_t i = 0; i < rows.size(); ++i) {
            if (!Present(i)) continue;
            const std::uint64_t add = Read(i);
            auto same = std::find_if(groups.begin(), groups.end(), [&](const auto& g) {
                return rows[g.first].name == rows[i].name && Table(g.first) == Table(i);
            });
            if (same == groups.end())
                groups.emplace_back(i, add);
            else
                same->second = std::max(same->second, add);
        }
        for (const auto& [i, add] : groups) counted[rows[i].name] += add;
        for (SimRow& row : rows) row.zeroNext = false;
        baseline = false;
    }
    // What row i adds at a reading by the running program.
    std::uint64_t Read(std::size_t i) {
        const SimRow& row = Source(i);
        SimRef& r = ref[i];
        SimRef now{true, Shown(row, row.in), Shown(row, row.out), row.in, row.out, row.epoch};
        if (row.zeroNext) {
            if (r.valid && (r.seenIn != 0 || r.seenOut != 0)) return 0;  // ignored
            now = SimRef{true, 0, 0, 0, 0, row.epoch};  // taken as counters that stand at 0
        }
        std::uint64_t add = 0;
        if (!r.valid)
            add = baseline ? 0 : now.seenIn + now.seenOut;
        else if (r.epoch != row.epoch)
            add = now.seenIn + now.seenOut;  // what went through before they started again is lost
        else
            add = now.in - r.in + now.out - r.out;
        r = now;
        return add;
    }
    // The first reading after a start that found the clock moved: a row below its kept reading
    // is a system start, and every row adds all it holds.
    void Settle() {
        if (!moved) return;
        moved = false;
        for (std::size_t i = 0; i < rows.size(); ++i) {
            const SimRow& row = Source(i);
            const SimRef& r = ref[i];
            if (!row.present || row.zeroNext || !r.valid) continue;
            const auto [in, out] = Table(i);
            const bool inDown = in < r.seenIn, outDown = out < r.seenOut;
            const bool wrap = row.counters32 && inDown != outDown && (inDown ? r.seenIn : r.seenOut) > 0x80000000u;
            if ((inDown || outDown) && !wrap) {
                ref.assign(rows.size(), SimRef{});
                return;
            }
        }
    }
    // Whether a row's counters may start again so that the program can tell: both below every
    // reading it may be compared with.
    bool MayRestart(std::size_t i) const {
        for (const SimRef* r : {&ref[i], &savedRef[i]})
            if (r->valid && (r->seenIn < 1000 || r->seenOut < 1000)) return false;
        return true;
    }
    // Traffic on a row whose counters started again stays below the readings from before, so
    // that the program still sees them down.
    void CapAfterRestart(std::size_t i, std::uint64_t& in, std::uint64_t& out) const {
        const SimRow& row = rows[i];
        for (const SimRef* r : {&ref[i], &savedRef[i]}) {
            if (!r->valid || r->epoch == row.epoch) continue;
            in = std::min(in, r->seenIn - 1 - row.in);
            out = std::min(out, r->seenOut - 1 - row.out);
        }
    }
    // Whether n more octets in keep a 32-bit row within one wrap of every reading it may be
    // compared with.
    bool MayGrow32(std::size_t i, std::uint64_t n) const {
        for (const SimRef* r : {&ref[i], &savedRef[i]})
            if (r->valid && r->epoch == rows[i].epoch && rows[i].in + n - r->in >= (1ull << 31)) return false;
        return true;
    }
};

TEST(CountingProperty, RandomRunsCountWhatMovedOnceAndLoseOnlyWhatTheRulesSay) {
    for (unsigned seed = 1; seed <= 60; ++seed) {
        std::mt19937_64 rng(seed);
        auto pick = [&](std::uint64_t n) { return rng() % n; };
        Model m;
        m.rows = {{10, "eth", false}, {11, "wlan", true}, {12, "dup", false}, {13, "dup", false}};
        m.rows[1].in = 0xF0000000u;  // near its wrap
        m.ref.resize(m.rows.size());
        m.savedRef.resize(m.rows.size());
        Fakes fakes;
        ScriptedInterfaceTable& table = fakes.table;
        FixedClock& clock = fakes.clock;
        MemoryFileStore& files = fakes.files;
        ScriptedFilePorts& ports = fakes.ports;
        clock.today = Date{2026, 3, 7};
        clock.systemStart = kStart;
        clock.uptime = 30 * 86400;  // only a system start sets it back
        std::vector<InterfaceRow> read;
        std::unique_ptr<Accounting> a;
        DataFiles data;
        std::set<std::uint16_t> daysRun;

        auto check = [&](const Accounting& acc, const std::map<std::string, std::uint64_t>& want, int step) {
            for (const AdapterInfo& info : acc.Adapters()) {
                const auto it = want.find(info.name);
                ASSERT_EQ(info.totalIn + info.totalOut, it == want.end() ? 0 : it->second)
                    << "seed " << seed << " step " << step << " " << info.name;
            }
            for (const HistoryRecord& r : acc.History())
                ASSERT_TRUE(daysRun.count(r.day)) << "seed " << seed << " a record of a day never run";
        };
        auto save = [&] {
            SaveFiles(*a, data, ports);
            m.savedRef = m.ref;
            m.countedSaved = m.counted;
            m.savedBaseline = m.baseline;
            if (!m.moved) {  // else the file keeps what its readings were taken under
                m.savedStart = clock.systemStart;
                m.savedUptime = *clock.uptime;
            }
        };
        auto start = [&] {
            *clock.uptime += 1 + static_cast<std::int64_t>(pick(60));  // closed for a while
            a = std::make_unique<Accounting>();
            data = DataFiles{};
            LoadFiles(*a, data, ports);
            m.ref = m.savedRef;
            m.counted = m.countedSaved;
            m.baseline = m.savedBaseline;
            m.moved = !m.baseline && *clock.uptime >= m.savedUptime &&
                      std::abs(clock.systemStart - m.savedStart) > kSameSystemStartSeconds;
        };
        start();
        std::uint64_t nextKey = 20;
        for (int step = 0; step < 400; ++step) {
            const std::uint64_t event = pick(100);
            const std::size_t picked = pick(m.rows.size());
            // A stale row follows its interface: what happens to it happens there.
            const std::size_t i = m.rows[picked].mirror < 0 ? picked : static_cast<std::size_t>(m.rows[picked].mirror);
            SimRow& row = m.rows[i];
            if (event < 2 && !row.counters32) {
                // The interface deleted and made again under its name: its row stays, with the
                // new one's counters, as do the rows an earlier deletion left.
                const std::size_t made = m.rows.size();
                // Its epochs are its own: the stale row's last reading was of another interface.
                m.rows.push_back(SimRow{nextKey, m.rows[i].name, false, 0, 1, static_cast<int>(nextKey) * 1000});
                ++nextKey;
                for (SimRow& r : m.rows)
                    if (r.mirror == static_cast<int>(i) || &r == &m.rows[i]) r.mirror = static_cast<int>(made);
                m.ref.emplace_back();
                m.savedRef.emplace_back();
            } else if (event < 40) {  // traffic
                std::uint64_t in = pick(5) == 0 ? pick(6000000000ull) : pick(100000);
                std::uint64_t out = pick(100000);
                if (row.counters32) in = m.MayGrow32(i, in % (1ull << 30)) ? in % (1ull << 30) : 0;
                m.CapAfterRestart(i, in, out);
                row.in += in, row.out += out;
            } else if (event < 70 && a) {  // a tick
                daysRun.insert(clock.today.day);
                a->SetAccountingDate(clock.Today());
                table.rows.clear();
                for (std::size_t k = 0; k < m.rows.size(); ++k) {
                    const SimRow& r = m.rows[k];
                    if (!m.Present(k)) continue;
                    const auto [in, out] = m.Table(k);
                    InterfaceRow ir = MakeRow(r.name, in, out, r.key);
                    ir.counters32 = r.counters32;
                    table.rows.push_back(ir);
                    if (r.name == "eth") {  // a filter repeats it under another name
                        ir.key += 100;
                        ir.filter = true;
                        ir.bDescr[0] = 'E';
                        table.rows.push_back(ir);
                    }
                }
                SampleInterfaces(*a, table, read, clock.MonotonicMs());
                ++*clock.uptime;
                m.Settle();
                m.ReadAll();
                check(*a, m.counted, step);
            } else if (event < 74) {  // the row's counters start again
                if (m.MayRestart(i)) row.in = 0, row.out = 1, ++row.epoch;
            } else if (event < 77) {
                row.zeroNext = !row.counters32;
            } else if (event < 81) {
                row.present = !row.present;
            } else if (event < 85 && a) {
                save();
            } else if (event < 89 && a) {  // exit, or a kill that saves nothing
                if (pick(2)) save();
                a.reset();
            } else if (event < 92 && !a) {
                start();
                check(*a, m.counted, step);
            } else if (event < 93 && !a) {  // the clock stepped while closed, up to a day either way
                clock.systemStart += static_cast<std::int64_t>(pick(2 * 86400 + 1)) - 86400;
            } else if (event < 94 && !a) {  // the system starts again, as long ago as the last save at most
                clock.systemStart += 3600 + static_cast<std::int64_t>(pick(86400));
                *clock.uptime = m.savedUptime / 2;
                for (std::size_t k = 0; k < m.rows.size(); ++k) {
                    SimRow& r = m.rows[k];
                    // Since the start, maybe more than before it: the readings kept say nothing now.
                    r.in = pick(r.counters32 ? 1ull << 30 : 1ull << 40), r.out = 1 + pick(1ull << 30), ++r.epoch;
                    m.savedRef[k].valid = false;
                }
            } else if (event < 97) {  // midnight, or the clock set back a day
                clock.today.day = static_cast<std::uint16_t>(pick(3) ? clock.today.day + 1 : clock.today.day - 1);
            } else if (a) {  // the history cleared: counting goes on from the readings
                save();
                files.Delete("history.txt");
                a->ClearHistory();
                LoadFiles(*a, data, ports);
                m.counted.clear();
                m.countedSaved.clear();
                m.savedRef.assign(m.rows.size(), SimRef{});
                m.savedBaseline = true;
            }
            if (::testing::Test::HasFatalFailure()) return;
        }
    }
}

}  // namespace
}  // namespace velkaro
