#include "core/Counting.h"

#include <algorithm>
#include <bit>
#include <cstdio>
#include <cstring>
#include <functional>
#include <limits>
#include <utility>

#include "core/Accounting.h"
#include "core/Calendar.h"
#include "core/Formatting.h"

namespace velkaro {

namespace {

constexpr std::uint64_t kUpperHalf = 0x80000000u;
constexpr std::uint64_t kWrap32 = 0x100000000u;

// Both counters at 0 after a reading that was not: taken for a driver's pause, not a start.
bool IdleZeros(const InterfaceRow& row, const RowReading& r) {
    return row.inOctets == 0 && row.outOctets == 0 && (r.in != 0 || r.out != 0);
}

// Whether the row's counters went below its reading: they started again. With 32-bit
// counters one counter down from above 2^31 while the other did not go down is a wrap.
bool WentDown(const InterfaceRow& row, const RowReading& r) {
    const bool inDown = row.inOctets < r.in;
    const bool outDown = row.outOctets < r.out;
    const bool wrapIn = row.counters32 && inDown && !outDown && r.in > kUpperHalf;
    const bool wrapOut = row.counters32 && outDown && !inDown && r.out > kUpperHalf;
    return (inDown && !wrapIn) || (outDown && !wrapOut);
}

}  // namespace

std::string SystemStartText(std::int64_t seconds) {
    std::int64_t days = seconds / kSecondsPerDay, rest = seconds % kSecondsPerDay;
    if (rest < 0) {
        rest += kSecondsPerDay;
        --days;
    }
    std::int64_t y = 0;
    unsigned m = 0, d = 0;
    CivilFromDays(days, y, m, d);
    char text[32];
    std::snprintf(text, sizeof text, "%04lld-%02u-%02u %02u:%02u:%02u", static_cast<long long>(y), m, d,
                  static_cast<unsigned>(rest / 3600), static_cast<unsigned>(rest / 60 % 60),
                  static_cast<unsigned>(rest % 60));
    return text;
}

bool ReadSystemStartText(std::string_view t, std::int64_t& seconds) {
    if (t.size() != 19 || t[4] != '-' || t[7] != '-' || t[10] != ' ' || t[13] != ':' || t[16] != ':')
        return false;
    unsigned y, mo, d, h, mi, s;
    if (!ReadDigits(t.substr(0, 4), y) || !ReadDigits(t.substr(5, 2), mo) || !ReadDigits(t.substr(8, 2), d) ||
        !ReadDigits(t.substr(11, 2), h) || !ReadDigits(t.substr(14, 2), mi) || !ReadDigits(t.substr(17, 2), s))
        return false;
    if (mo < 1 || mo > 12 || d < 1 || d > 31 || h > 23 || mi > 59 || s > 59) return false;
    seconds = DaysFromCivil(y, mo, d) * kSecondsPerDay + h * 3600 + mi * 60 + s;
    return true;
}

void InterfaceReadings::TakeKept(KeptReadings kept, const SystemClock& now) {
    if (HasRead()) return;
    readings_.clear();
    byKey_.clear();
    kept_ = kept.clock;
    if (!kept.hasStart) {
        start_ = Start::Baseline;
        return;
    }
    const std::int64_t apart = kept.clock.start > now.start ? kept.clock.start - now.start : now.start - kept.clock.start;
    if (kept.clock.hasUptime && now.uptime < kept.clock.uptime)
        start_ = Start::NewSystemStart;  // the time run only goes back at a system start
    else if (apart <= kSameSystemStartSeconds)
        start_ = Start::KeptReadings;
    else
        start_ = kept.clock.hasUptime ? Start::MovedClock : Start::NewSystemStart;
    if (start_ == Start::NewSystemStart) return;
    // With the clock moved they are kept as read until the first reading settles the rule: a
    // save before it writes them back as they were, and the next start judges them the same.
    for (RowReading& r : kept.readings) {
        r.ms = 0;
        r.adapter = kNoAdapter;
        auto [it, inserted] = byKey_.try_emplace(r.key, static_cast<std::uint32_t>(readings_.size()));
        if (inserted) readings_.emplace_back();
        readings_[it->second] = std::move(r);  // the file's last line of a key wins
    }
}

bool InterfaceReadings::ClockOfReadings(const SystemClock& now, SystemClock& clock) const {
    if (start_ == Start::Baseline) return false;
    clock = start_ == Start::MovedClock ? kept_ : now;
    return true;
}

void InterfaceReadings::Settle(const std::vector<InterfaceRow>& rows, bool withFilters) {
    if (start_ == Start::MovedClock) {
        // With the clock moved, a kept reading above its row's counters is a system start:
        // within one system start counters only go down when their interface starts again.
        start_ = Start::KeptReadings;
        for (const InterfaceRow& row : rows) {
            if (row.filter && !withFilters) continue;
            const auto it = byKey_.find(row.key);
            if (it == byKey_.end()) continue;
            const RowReading& r = readings_[it->second];
            if (r.name == AdapterNameView(row) && !IdleZeros(row, r) && WentDown(row, r)) {
                start_ = Start::NewSystemStart;
                break;
            }
        }
    }
    if (start_ == Start::NewSystemStart) {
        readings_.clear();
        byKey_.clear();
    }
}

const std::vector<TableGrowth>& InterfaceReadings::ReadTable(const std::vector<InterfaceRow>& rows, std::uint64_t ms,
                                                            bool withFilters) {
    std::vector<TableGrowth>& out = table_;
    if (!HasRead()) Settle(rows, withFilters);
    out.clear();
    // Rows listed again are looked up by name and counters in chains per hash. Only rows that
    // grew take part: one that did not adds nothing, whether it repeats another or not.
    const std::size_t buckets = std::bit_ceil(std::max<std::size_t>(2 * rows.size(), 16));
    chainHeads_.assign(buckets, kNoRow);
    chainNext_.clear();
    for (const InterfaceRow& row : rows) {
        if (row.filter && !withFilters) continue;
        TableGrowth t;
        t.row = &row;
        t.name = AdapterNameView(row);
        RowReading* reading = nullptr;
        t.growth = Read(row, t.name, ms, reading);
        t.reading = static_cast<std::size_t>(reading - readings_.data());
        std::uint32_t link = kNoRow;
        if (t.growth.in != 0 || t.growth.out != 0) {
            const std::size_t bucket =
                (std::hash<std::string_view>{}(t.name) ^ (row.inOctets * 0x9E3779B97F4A7C15u) ^ row.outOctets) &
                (buckets - 1);
            for (std::uint32_t i = chainHeads_[bucket]; i != kNoRow; i = chainNext_[i]) {
                TableGrowth& first = out[i];
                if (first.row->inOctets != row.inOctets || first.row->outOctets != row.outOctets || first.name != t.name)
                    continue;
                if (t.growth.in + t.growth.out > first.growth.in + first.growth.out) first.growth = t.growth;
                t.growth = RowGrowth{};
                t.repeat = true;
                break;
            }
            if (!t.repeat) {
                link = chainHeads_[bucket];
                chainHeads_[bucket] = static_cast<std::uint32_t>(out.size());
            }
        }
        chainNext_.push_back(link);
        out.push_back(t);
    }
    EndReading();
    return out;
}

RowGrowth InterfaceReadings::Read(const InterfaceRow& row, std::string_view name, std::uint64_t ms,
                                  RowReading*& reading) {
    RowGrowth g;
    auto [it, inserted] = byKey_.try_emplace(row.key, static_cast<std::uint32_t>(readings_.size()));
    if (inserted) readings_.emplace_back();
    RowReading& r = readings_[it->second];
    reading = &r;
    if (inserted || r.name != name) {
        // A row not seen before (or another interface under a key that was given again):
        // all it counted is new, unless this is where a baseline start begins counting.
        if (start_ != Start::Baseline) {
            g.in = row.inOctets;
            g.out = row.outOctets;
        }
        r.key = row.key;
        r.name.assign(name);
        r.adapter = kNoAdapter;
    } else if (IdleZeros(row, r)) {
        return g;  // around sleep some drivers read 0 for a while: the last reading stands
    } else if (WentDown(row, r)) {
        // The counters started again: what they hold now is new.
        g.in = row.inOctets;
        g.out = row.outOctets;
    } else {
        // Up, or (32-bit) once round.
        g.in = row.inOctets >= r.in ? row.inOctets - r.in : row.inOctets + kWrap32 - r.in;
        g.out = row.outOctets >= r.out ? row.outOctets - r.out : row.outOctets + kWrap32 - r.out;
        if (r.ms != 0 && ms > r.ms) {
            const auto elapsed = static_cast<long double>(ms - r.ms);
            g.rate = static_cast<long double>(g.in + g.out) * 1000.0L / elapsed;
            g.rateIn = static_cast<long double>(g.in) * 1000.0L / elapsed;
            g.rateOut = static_cast<long double>(g.out) * 1000.0L / elapsed;
        }
    }
    r.in = row.inOctets;
    r.out = row.outOctets;
    r.ms = ms;
    return g;
}

void InterfaceReadings::ForgetAdapters() {
    for (RowReading& r : readings_) r.adapter = kNoAdapter;
}

std::vector<std::pair<std::string, RowGrowth>> GrowthWhileClosed(const KeptReadings& kept, const FirstReading& first) {
    InterfaceReadings then;
    then.TakeKept(kept, first.clock);
    std::vector<std::pair<std::string, RowGrowth>> growth;
    for (const TableGrowth& t : then.ReadTable(first.rows, 0, false))
        if (t.growth.in != 0 || t.growth.out != 0) growth.emplace_back(std::string(t.name), t.growth);
    return growth;
}


std::string_view AdapterNameView(const InterfaceRow& row) {
    const auto* begin = row.bDescr.data();
    const void* zero = std::memchr(begin, 0, row.bDescr.size());
    std::size_t len = zero ? static_cast<std::size_t>(static_cast<const std::uint8_t*>(zero) - begin)
                           : row.bDescr.size();
    len = std::min<std::size_t>(len, row.dwDescrLen);
    return std::string_view(reinterpret_cast<const char*>(begin), len);
}

namespace {

constexpr std::uint64_t kFieldMax = std::numeric_limits<std::uint32_t>::max();

HistoryRecord OpenRecordOn(const Date& d, std::uint32_t in = 0, std::uint32_t out = 0) {
    return HistoryRecord{in, out, d.year, d.month, d.day};
}

// Closes the record with the next session number and opens another of its adapter and day with
// the counters given; returns that one's index.
std::size_t CloseAndReopen(Accounting& a, std::size_t index, std::uint32_t in, std::uint32_t out) {
    a.CloseRecord(index, a.NextSession());
    const HistoryRecord& r = a.History()[index];
    return a.AppendHistoryRecord(r.adapter, OpenRecordOn(Date{r.year, r.month, r.day}, in, out));
}

// The adapter's open records of the AccountingDate, in table order, are those a scan of the
// whole table would consider; records appended meanwhile lie at or beyond `n` and are not
// visited.
AdapterId SampleRowAsCounters(Accounting& a, const std::string& name, std::uint32_t in, std::uint32_t out) {
    AdapterId id = 0;
    bool matched = false;
    if (a.FindAdapter(name, id)) {
        const std::size_t n = a.HistoryCount();
        const std::vector<std::uint32_t>& open = a.Adapters()[id].openToday;
        std::size_t pos = 0;
        while (pos < open.size() && open[pos] < n) {
            const std::size_t index = open[pos];
            const HistoryRecord& r = a.History()[index];
            if (in >= r.inOctets && out >= r.outOctets) {
                a.SetCounters(index, in, out);
                ++pos;
            } else {
                // Closing drops the record from the list, so `pos` now names the next one.
                CloseAndReopen(a, index, in, out);
            }
            matched = true;
        }
    }
    if (!matched) {
        id = a.Intern(name);
        a.AppendHistoryRecord(id, OpenRecordOn(a.AccountingDate(), in, out));
    }
    return id;
}

// The adapter's last open record of the AccountingDate, made when there is none.
AdapterId AddGrowth(Accounting& a, AdapterId id, std::string_view name, std::uint64_t in, std::uint64_t out) {
    // A new adapter's first record is its open record of the day, made below.
    if (id == kNoAdapter) id = a.Intern(std::string(name));
    const std::vector<std::uint32_t>& open = a.Adapters()[id].openToday;
    const std::size_t index = open.empty() ? a.AppendHistoryRecord(id, OpenRecordOn(a.AccountingDate()))
                                           : open.back();
    AddToOpenRecord(a, index, in, out);
    return id;
}

}  // namespace

std::size_t AddToOpenRecord(Accounting& a, std::size_t index, std::uint64_t in, std::uint64_t out) {
    for (;;) {
        const HistoryRecord& r = a.History()[index];
        if (in <= kFieldMax - r.inOctets && out <= kFieldMax - r.outOctets) {
            if (in != 0 || out != 0)
                a.SetCounters(index, static_cast<std::uint32_t>(r.inOctets + in),
                              static_cast<std::uint32_t>(r.outOctets + out));
            return index;
        }
        if (r.inOctets == 0 && r.outOctets == 0) {
            // An empty record takes what fits before it is closed.
            const std::uint64_t takeIn = std::min(in, kFieldMax), takeOut = std::min(out, kFieldMax);
            a.SetCounters(index, static_cast<std::uint32_t>(takeIn), static_cast<std::uint32_t>(takeOut));
            in -= takeIn;
            out -= takeOut;
        }
        index = CloseAndReopen(a, index, 0, 0);
    }
}

bool SampleInterfaces(Accounting& a, InterfaceTable& table, std::vector<InterfaceRow>& rows, std::uint64_t ms) {
    if (!table.GetIfTable(rows)) return false;
    a.ResetRates();
    for (const TableGrowth& t : a.Readings().ReadTable(rows, ms, a.CountingBoot())) {
        RowReading& reading = a.Readings().Reading(t.reading);
        if (a.CountingBoot())
            reading.adapter = SampleRowAsCounters(a, std::string(t.name), static_cast<std::uint32_t>(t.row->inOctets),
                                                  static_cast<std::uint32_t>(t.row->outOctets));
        else
            reading.adapter = AddGrowth(a, reading.adapter, t.name, t.growth.in, t.growth.out);
        a.AddRate(reading.adapter, t.growth);
    }
    return true;
}

}  // namespace velkaro
