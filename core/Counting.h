// The interface rows' last readings and what each new reading adds (a row's growth since its
// last reading), so that nothing is counted twice across restarts under one system start; and
// the sampler, which brings the history up to date from the interface table once per tick: each
// row's growth goes to its adapter's open record, or with "counting=boot" the record is advanced
// to the counters as they stand and closed when one went back.
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

class Accounting;

using AdapterId = std::uint32_t;
inline constexpr AdapterId kNoAdapter = 0xFFFFFFFFu;

// Two system start times this close (seconds) are the same start: the start is the clock
// less the time run, and the clock drifts.
inline constexpr std::int64_t kSameSystemStartSeconds = 120;

// The system's start (the clock less the time run, so it moves with the clock) and how long
// it had run (which no clock change moves).
struct SystemClock {
    std::int64_t start = 0;   // seconds since 1970-01-01 00:00 UTC
    std::int64_t uptime = 0;  // seconds
    bool hasUptime = true;    // false: a history.txt written before the uptime was kept
};

struct RowReading {
    std::uint64_t key = 0;
    std::string name;
    std::uint64_t in = 0;
    std::uint64_t out = 0;
    std::uint64_t ms = 0;             // when it was taken (monotonic); 0: kept from the file
    AdapterId adapter = kNoAdapter;   // the history's id of its name, once known
};

struct RowGrowth {
    std::uint64_t in = 0;
    std::uint64_t out = 0;
    long double rate = 0;  // bytes per second it grew at since its last reading in this run
    long double rateIn = 0, rateOut = 0;  // the same of each direction
};

// Nothing was kept without a system start.
struct KeptReadings {
    bool hasStart = false;
    SystemClock clock;  // the system start and the uptime they were read under
    std::vector<RowReading> readings;
};

// A row that repeats an earlier row's name and both counters is the same interface listed
// again (a deleted interface's row left with the counters of its namesake): it adds nothing.
struct TableGrowth {
    const InterfaceRow* row = nullptr;
    std::string_view name;
    std::size_t reading = 0;  // its index in All()
    RowGrowth growth;
    bool repeat = false;
};

// The first reading of a run that could not read history.txt; what the file kept is measured
// against it once the file reads.
struct FirstReading {
    std::vector<InterfaceRow> rows;
    SystemClock clock;
    Date day;
};

// "YYYY-MM-DD HH:MM:SS", in UTC, as history.txt keeps it.
std::string SystemStartText(std::int64_t seconds);
// False when the text is not one.
bool ReadSystemStartText(std::string_view text, std::int64_t& seconds);

class InterfaceReadings {
public:
    enum class Start {
        Baseline,         // nothing kept (a first run, an older file): rows only start here
        KeptReadings,     // readings kept under this system start: rows add their growth
        MovedClock,       // the clock moved since, the system ran on: the first reading tells
        NewSystemStart,   // the system started since: rows add their whole counters
        Running,          // the run has read the table: rows seen later add their counters
    };

    Start StartRule() const { return start_; }
    bool HasRead() const { return start_ == Start::Running; }
    // Only before the run's first reading; `now` is the clock at the start. An uptime below the
    // kept one is a new system start; a start within kSameSystemStartSeconds is the same one; one
    // further off while the uptime went on is a moved clock, left for the first reading to settle.
    void TakeKept(KeptReadings kept, const SystemClock& now);
    // For the save: the file's clock while a moved clock is not settled yet, else `now`. False
    // when there is nothing to keep (a baseline).
    bool ClockOfReadings(const SystemClock& now, SystemClock& clock) const;

    // Rows listed again count once: their interface adds the larger growth, since a row may
    // still compare with the counters of the interface deleted at its last reading.
    // The rows' growth, valid until the next reading (it points into `rows`).
    const std::vector<TableGrowth>& ReadTable(const std::vector<InterfaceRow>& rows, std::uint64_t ms,
                                              bool withFilters);

    // A row not seen before adds its counters (not at a baseline start); counters that went down
    // started again and add the new ones, except both at 0 after a reading that was not (ignored)
    // and, with 32-bit counters, one down from above 2^31 while the other was not (a wrap).
    RowGrowth Read(const InterfaceRow& row, std::string_view name, std::uint64_t ms, RowReading*& reading);
    void EndReading() { start_ = Start::Running; }

    // In the order first seen.
    const std::vector<RowReading>& All() const { return readings_; }
    RowReading& Reading(std::size_t index) { return readings_[index]; }
    // The history's ids were given afresh (its table was emptied or replaced).
    void ForgetAdapters();

    // Kept until the history file reads.
    void KeepFirstReading(const std::vector<InterfaceRow>& rows, const SystemClock& clock, const Date& day) {
        first_ = FirstReading{rows, clock, day};
    }
    const FirstReading* First() const { return first_ ? &*first_ : nullptr; }
    void DropFirstReading() { first_.reset(); }

private:
    // The start rule the clock left open, settled by the rows of the first reading.
    void Settle(const std::vector<InterfaceRow>& rows, bool withFilters);

    std::vector<RowReading> readings_;
    std::unordered_map<std::uint64_t, std::uint32_t> byKey_;
    // ReadTable's chains of the rows that grew, by hash: kept from tick to tick, not allocated again.
    static constexpr std::uint32_t kNoRow = 0xFFFFFFFFu;
    std::vector<std::uint32_t> chainHeads_;
    std::vector<std::uint32_t> chainNext_;
    std::vector<TableGrowth> table_;  // the last ReadTable's rows
    Start start_ = Start::Baseline;
    SystemClock kept_;  // what the file's readings were taken under
    std::optional<FirstReading> first_;
};

// The traffic while the program was closed, as a start at `first` would have counted it, by
// adapter name; nothing when nothing was kept.
std::vector<std::pair<std::string, RowGrowth>> GrowthWhileClosed(const KeptReadings& kept, const FirstReading& first);

// bDescr up to the first zero byte, cut to dwDescrLen (<= 256).
std::string_view AdapterNameView(const InterfaceRow& row);

// `rows` is the caller's, so its storage is reused. Filter rows are left out except with
// counting=boot. False, with nothing changed, when the table call failed.
bool SampleInterfaces(Accounting& a, InterfaceTable& table, std::vector<InterfaceRow>& rows,
                      std::uint64_t ms);

// A field that would pass 4,294,967,295 closes the record and new open records take the rest.
// Returns the open record that holds the end.
std::size_t AddToOpenRecord(Accounting& a, std::size_t index, std::uint64_t in, std::uint64_t out);

}  // namespace velkaro
