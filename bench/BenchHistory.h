// Histories for the benchmarks: 50 adapters, one record per adapter and day (some of the
// older ones closed), the last day being the AccountingDate with every adapter's record open
// at small counters. And the plain scan over every record, as
// the sampler would cost without the index.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/Accounting.h"
#include "core/Ports.h"

namespace velkaro::bench {

inline constexpr int kAdapters = 50;
inline constexpr Date kToday{2026, 3, 7};

inline std::string BenchAdapterName(int i) {
    return "Realtek PCIe GbE Family Controller #" + std::to_string(i);
}

// Calls add(name, record) for `records` records in table order.
template <class Add> void ForEachBenchRecord(std::size_t records, Add&& add) {
    const std::size_t days = records / kAdapters + 1;
    std::size_t made = 0;
    std::vector<std::string> names;
    for (int i = 0; i < kAdapters; ++i) names.push_back(BenchAdapterName(i));
    for (std::size_t d = days; d-- > 0 && made < records;) {
        const bool today = d == 0 || made + kAdapters >= records;
        for (int i = 0; i < kAdapters && made < records; ++i) {
            HistoryRecord r;
            r.year = today ? kToday.year : static_cast<std::uint16_t>(2025 - d / 372);  // never kToday
            r.month = today ? kToday.month : static_cast<std::uint16_t>(1 + d / 31 % 12);
            r.day = today ? kToday.day : static_cast<std::uint16_t>(1 + d % 31);
            r.inOctets = today ? 1000u * i : static_cast<std::uint32_t>(1000003u * (made + 1));
            r.outOctets = today ? 100u * i : static_cast<std::uint32_t>(7919u * (made + 1));
            r.session = (!today && made % 7 == 3) ? static_cast<std::int32_t>(made) : 0;
            add(names[i], r);
            ++made;
        }
    }
}

inline void FillBenchHistory(Accounting& a, std::size_t records) {
    a.SetAccountingDate(kToday);
    ForEachBenchRecord(records, [&](const std::string& name, const HistoryRecord& r) {
        a.AppendHistoryRecord(a.Intern(name), r);
    });
}

// The scan without an index: every record of the table for every interface row.
struct PlainRecord {
    std::uint32_t inOctets, outOctets;
    std::uint16_t year, month, day;
    std::int32_t session;
    std::string adapter;
};

struct PlainTable {
    std::vector<PlainRecord> records;
    std::int32_t sessionCounter = 0;
    Date date = kToday;

    void Fill(std::size_t n) {
        records.reserve(n);
        ForEachBenchRecord(n, [&](const std::string& name, const HistoryRecord& r) {
            records.push_back({r.inOctets, r.outOctets, r.year, r.month, r.day, r.session, name});
        });
    }

    void SampleRow(const std::string& name, std::uint32_t in, std::uint32_t out) {
        const std::size_t n = records.size();
        bool matched = false;
        for (std::size_t i = 0; i < n; ++i) {
            PlainRecord& r = records[i];
            if (r.adapter != name || r.year != date.year || r.month != date.month || r.day != date.day ||
                r.session != 0)
                continue;
            if (in >= r.inOctets && out >= r.outOctets) {
                r.inOctets = in;
                r.outOctets = out;
            } else {
                r.session = ++sessionCounter;
                PlainRecord copy = r;
                copy.session = 0;
                copy.inOctets = in;
                copy.outOctets = out;
                records.push_back(std::move(copy));
            }
            matched = true;
        }
        if (!matched) records.push_back({in, out, date.year, date.month, date.day, 0, name});
    }
};

}  // namespace velkaro::bench
