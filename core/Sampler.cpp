#include "core/Sampler.h"

#include <algorithm>
#include <cstring>

namespace velkaro {

std::string_view AdapterNameView(const InterfaceRow& row) {
    const auto* begin = row.bDescr.data();
    const void* zero = std::memchr(begin, 0, row.bDescr.size());
    std::size_t len = zero ? static_cast<std::size_t>(static_cast<const std::uint8_t*>(zero) - begin)
                           : row.bDescr.size();
    len = std::min<std::size_t>(len, row.dwDescrLen);
    return std::string_view(reinterpret_cast<const char*>(begin), len);
}

std::string AdapterNameOf(const InterfaceRow& row) { return std::string(AdapterNameView(row)); }

namespace {

// The next session number. Wraps like the 32-bit counter it is (never in a real run).
std::int32_t NextSession(Accounting& a) {
    a.sessionCounter = static_cast<std::int32_t>(static_cast<std::uint32_t>(a.sessionCounter) + 1u);
    return a.sessionCounter;
}

// One row against the history. The adapter's open records of the AccountingDate are exactly
// the records the plain scan over the whole table would consider, and the index keeps them in
// table order; records appended while this row is handled lie at or beyond `n`, at the end of
// that list, and are not visited.
void SampleRow(Accounting& a, const std::string& name, std::uint32_t in, std::uint32_t out) {
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
                a.CloseRecord(index, NextSession(a));
                HistoryRecord copy = a.History()[index];
                copy.session = 0;
                copy.inOctets = in;
                copy.outOctets = out;
                a.AppendHistoryRecord(id, copy);
            }
            matched = true;
        }
    }
    if (!matched) {
        HistoryRecord r;
        const Date& d = a.AccountingDate();
        r.year = d.year;
        r.month = d.month;
        r.day = d.day;
        r.inOctets = in;
        r.outOctets = out;
        r.session = 0;
        a.AppendHistoryRecord(name, r);
    }
}

}  // namespace

void SampleInterfaces(Accounting& a, InterfaceTable& table) {
    std::vector<InterfaceRow> rows;
    SampleInterfaces(a, table, rows);
}

bool SampleInterfaces(Accounting& a, InterfaceTable& table, std::vector<InterfaceRow>& rows) {
    if (!table.GetIfTable(rows)) return false;
    for (const InterfaceRow& row : rows)
        SampleRow(a, AdapterNameOf(row), row.dwInOctets, row.dwOutOctets);
    return true;
}

}  // namespace velkaro
