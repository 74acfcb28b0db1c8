// The interface rows' last readings, and what each new reading adds: the traffic counted is
// the growth of a row's counters since its last reading, so nothing is counted twice however
// often the program starts, and the readings kept in history.txt carry the count across a
// restart under the same system start.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "core/Ports.h"

namespace velkaro {

using AdapterId = std::uint32_t;
inline constexpr AdapterId kNoAdapter = 0xFFFFFFFFu;

// Two system start times this close (seconds) are the same start: the clock drifts, and the
// time of the start is the clock less the time run.
inline constexpr std::int64_t kSameSystemStartSeconds = 120;

// The clock's word on the system at one moment: when it started (the clock less the time run,
// so it moves with the clock) and how long it had run (which no clock change moves).
struct SystemClock {
    std::int64_t start = 0;   // seconds since 1970-01-01 00:00 UTC
    std::int64_t uptime = 0;  // seconds
    bool hasUptime = true;    // false: a history.txt written before the uptime was kept
};

// A row's last reading, as the run keeps it and history.txt stores it.
struct RowReading {
    std::uint64_t key = 0;
    std::string name;
    std::uint64_t in = 0;
    std::uint64_t out = 0;
    std::uint64_t ms = 0;             // when it was taken (monotonic); 0: kept from the file
    AdapterId adapter = kNoAdapter;   // the history's id of its name, once known
};

// What one row adds at a reading.
struct RowGrowth {
    std::uint64_t in = 0;
    std::uint64_t out = 0;
    long double rate = 0;  // bytes per second it grew at since its last reading in this run
};

// What history.txt kept of the readings: none without a system start.
struct KeptReadings {
    bool hasStart = false;
    SystemClock clock;  // the system start and the uptime they were read under
    std::vector<RowReading> readings;
};

// A row of one reading of the whole table, with what it adds. A row that repeats an earlier
// row's name and both counters is the same interface listed again (a deleted interface's row
// left with the counters of the one made again under its name): it adds nothing.
struct TableGrowth {
    const InterfaceRow* row = nullptr;
    std::string_view name;
    std::size_t reading = 0;  // its index in All()
    RowGrowth growth;
    bool repeat = false;
};

// The first reading of a run that could not read history.txt: what the file kept is measured
// against it once the file reads.
struct FirstReading {
    std::vector<InterfaceRow> rows;
    SystemClock clock;
    Date day;
};

// A system start time as history.txt keeps it: "YYYY-MM-DD HH:MM:SS", in UTC.
std::string SystemStartText(std::int64_t seconds);
// Reads that text back; false when it is not one.
bool ReadSystemStartText(std::string_view text, std::int64_t& seconds);

class InterfaceReadings {
public:
    // How the first reading of the run is taken, as the history file left it.
    enum class Start {
        Baseline,         // nothing kept (a first run, an older file): rows only start here
        KeptReadings,     // readings kept under this system start: rows add their growth
        MovedClock,       // the clock moved since, the system ran on: the first reading tells
        NewSystemStart,   // the system started since: rows add their whole counters
        Running,          // the run has read the table: rows seen later add their counters
    };

    Start StartRule() const { return start_; }
    bool HasRead() const { return start_ == Start::Running; }
    // The history file's word on the start, taken while the run has not read the table yet;
    // `now` is the clock's word at the start. An uptime below the kept one is a system start;
    // a system start within kSameSystemStartSeconds of the kept one is the same start; one
    // further off while the uptime went on is the clock moved, unless the first reading finds
    // a kept reading above its row's counters (a file without an uptime: a system start).
    void TakeKept(KeptReadings kept, const SystemClock& now);
    // What the readings in All() were taken under, for the save: the file's while the clock
    // moved and the first reading has not settled the rule, else `now`. False when there is
    // nothing to keep (a baseline).
    bool ClockOfReadings(const SystemClock& now, SystemClock& clock) const;

    // One reading of the table at `ms`: every row's growth by Read (filter rows only with
    // `withFilters`), rows listed again counted once, then EndReading. The interface they
    // share adds the larger growth of them: a row may still have had the counters of the
    // interface deleted at its last reading, and compares the new ones with those.
    void ReadTable(const std::vector<InterfaceRow>& rows, std::uint64_t ms, bool withFilters,
                   std::vector<TableGrowth>& out);

    // One row of a successful reading at `ms`. A row this run (or the file) has not seen adds
    // its counters, except at a baseline start; a row whose counters went down adds its new
    // counters (they started again), except that both at 0 after a reading that was not is
    // ignored (the last reading is kept), and that with 32-bit counters one counter down from
    // above 2^31 while the other did not go down is a wrap. The row's reading is kept under its
    // key; `name` is the row's adapter name.
    RowGrowth Read(const InterfaceRow& row, std::string_view name, std::uint64_t ms, RowReading*& reading);
    // After the last row of a successful reading.
    void EndReading() { start_ = Start::Running; }

    // Every reading kept, in the order first seen.
    const std::vector<RowReading>& All() const { return readings_; }
    RowReading& Reading(std::size_t index) { return readings_[index]; }
    // The history's ids are given afresh (its table was emptied or replaced).
    void ForgetAdapters();

    // The first reading of a run whose history.txt was unread, kept until the file reads.
    void KeepFirstReading(const std::vector<InterfaceRow>& rows, const SystemClock& clock, const Date& day) {
        first_ = FirstReading{rows, clock, day};
    }
    const FirstReading* First() const { return first_ ? &*first_ : nullptr; }
    void DropFirstReading() { first_.reset(); }

private:
    // At the first reading: the start rule the clock left open settled by the rows.
    void Settle(const std::vector<InterfaceRow>& rows, bool withFilters);

    std::vector<RowReading> readings_;
    std::unordered_map<std::uint64_t, std::uint32_t> byKey_;
    // ReadTable's chains of the rows that grew, by hash: kept from tick to tick, not allocated again.
    static constexpr std::uint32_t kNoRow = 0xFFFFFFFFu;
    std::vector<std::uint32_t> chainHeads_;
    std::vector<std::uint32_t> chainNext_;
    Start start_ = Start::Baseline;
    SystemClock kept_;  // what the file's readings were taken under
    std::optional<FirstReading> first_;
};

// The traffic that went through while the program was closed, as a start would have counted
// it at `first` (TakeKept's rule, then ReadTable): each interface's growth from the kept
// readings, by adapter name; nothing when nothing was kept.
std::vector<std::pair<std::string, RowGrowth>> GrowthWhileClosed(const KeptReadings& kept, const FirstReading& first);

}  // namespace velkaro
