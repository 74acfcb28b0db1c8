#include "core/Sampler.h"

#include <algorithm>
#include <cstring>
#include <limits>

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

constexpr std::uint64_t kFieldMax = std::numeric_limits<std::uint32_t>::max();

HistoryRecord OpenRecordOn(const Date& d, std::uint32_t in = 0, std::uint32_t out = 0) {
    return HistoryRecord{in, out, d.year, d.month, d.day};
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
                a.CloseRecord(index, a.NextSession());
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
        const std::size_t index = a.AppendHistoryRecord(name, OpenRecordOn(a.AccountingDate(), in, out));
        return a.History()[index].adapter;
    }
    return id;
}

// The adapter's last open record of the AccountingDate, made when there is none.
AdapterId AddGrowth(Accounting& a, AdapterId id, std::string_view name, std::uint64_t in, std::uint64_t out) {
    if (id == kNoAdapter) {
        const std::string key(name);
        // A new adapter's first record is its open record of the day, found below.
        if (!a.FindAdapter(key, id))
            id = a.History()[a.AppendHistoryRecord(key, OpenRecordOn(a.AccountingDate()))].adapter;
    }
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
        a.CloseRecord(index, a.NextSession());
        HistoryRecord next = a.History()[index];
        next.session = 0;
        next.inOctets = 0;
        next.outOctets = 0;
        index = a.AppendHistoryRecord(next.adapter, next);
    }
}

bool SampleInterfaces(Accounting& a, InterfaceTable& table, std::vector<InterfaceRow>& rows, std::uint64_t ms) {
    if (!table.GetIfTable(rows)) return false;
    a.ResetRates();
    for (const TableGrowth& t : a.Readings().ReadTable(rows, ms, a.CountingBoot())) {
        RowReading& reading = a.Readings().Reading(t.reading);
        AdapterId id = reading.adapter;
        if (a.CountingBoot())
            id = SampleRowAsCounters(a, std::string(t.name), static_cast<std::uint32_t>(t.row->inOctets),
                                     static_cast<std::uint32_t>(t.row->outOctets));
        else
            id = AddGrowth(a, id, t.name, t.growth.in, t.growth.out);
        reading.adapter = id;
        a.AddRate(id, t.growth);
    }
    return true;
}

void SampleInterfaces(Accounting& a, InterfaceTable& table) {
    std::vector<InterfaceRow> rows;
    SampleInterfaces(a, table, rows, 0);
}

}  // namespace velkaro
