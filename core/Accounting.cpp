#include "core/Accounting.h"

#include <algorithm>
#include <cstdint>

namespace velkaro {

namespace {
std::uint64_t KeyOf(const HistoryRecord& r) { return DateKey(r.year, r.month, r.day); }
bool IsOn(const HistoryRecord& r, const Date& d) { return KeyOf(r) == DateKey(d); }

// Adds in and out to a pair of sums.
void Add(std::uint64_t& sumIn, std::uint64_t& sumOut, std::uint64_t in, std::uint64_t out) {
    sumIn += in;
    sumOut += out;
}

// The price period of a record's day, or nullptr while the adapter has one price.
PricedSums* PriceSlot(AdapterInfo& info, std::uint64_t key) {
    if (info.byPrice.empty()) return nullptr;
    const std::size_t n = info.byPrice.size();
    if (n == 1 || key > info.byPrice[n - 2].lastDay) return &info.byPrice.back();  // today's, mostly
    return &*std::lower_bound(info.byPrice.begin(), info.byPrice.end(), key,
                              [](const PricedSums& p, std::uint64_t k) { return p.lastDay < k; });
}
}  // namespace

AdapterId Accounting::Intern(const std::string& name) {
    auto [it, inserted] = adapterIds_.try_emplace(name, static_cast<AdapterId>(adapters_.size()));
    if (inserted) {
        AdapterInfo info;
        info.name = name;
        // Its limits' period from the start, so that the records it gets sum into it as they
        // come: a history loaded after the limits costs no scan.
        for (std::size_t i = 0; i < limits_.size(); ++i) {
            if (limits_[i].adapter != name) continue;
            std::int32_t& slot = info.limits[static_cast<int>(limits_[i].kind)];
            if (slot < 0) slot = static_cast<std::int32_t>(i);
            SetPeriod(info, limits_[i].periodDay);  // its limits agree on the day
        }
        info.periodStale = false;  // nothing to sum yet
        SetUpPriceSums(info);
        adapters_.push_back(std::move(info));
    }
    return it->second;
}

bool Accounting::FindAdapter(const std::string& name, AdapterId& id) const {
    auto it = adapterIds_.find(name);
    if (it == adapterIds_.end()) return false;
    id = it->second;
    return true;
}

void Accounting::AddToSums(const HistoryRecord& r, std::uint64_t in, std::uint64_t out) {
    AdapterInfo& info = adapters_[r.adapter];
    Add(info.totalIn, info.totalOut, in, out);
    if (IsOn(r, accountingDate_)) Add(info.todayIn, info.todayOut, in, out);
    const bool inPeriod = info.period.Holds(KeyOf(r));
    if (inPeriod) Add(info.periodIn, info.periodOut, in, out);
    if (PricedSums* p = PriceSlot(info, KeyOf(r))) {
        Add(p->totalIn, p->totalOut, in, out);
        if (inPeriod) Add(p->periodIn, p->periodOut, in, out);
    }
}

std::size_t Accounting::AppendHistoryRecord(AdapterId id, const HistoryRecord& fields) {
    const std::size_t index = history_.size();
    HistoryRecord& r = history_.emplace_back(fields);
    r.adapter = id;
    AddToSums(r, r.inOctets, r.outOctets);
    if (r.session == 0 && IsOn(r, accountingDate_))
        adapters_[id].openToday.push_back(static_cast<std::uint32_t>(index));
    return index;
}

void Accounting::SetCounters(std::size_t index, std::uint32_t in, std::uint32_t out) {
    HistoryRecord& r = history_[index];
    // Unsigned: a counter that went down wraps the difference, and the sum wraps it back.
    AddToSums(r, std::uint64_t{in} - r.inOctets, std::uint64_t{out} - r.outOctets);
    r.inOctets = in;
    r.outOctets = out;
}

void Accounting::CloseRecord(std::size_t index, std::int32_t session) {
    HistoryRecord& r = history_[index];
    if (r.session == 0 && IsOn(r, accountingDate_)) {
        auto& open = adapters_[r.adapter].openToday;
        open.erase(std::remove(open.begin(), open.end(), static_cast<std::uint32_t>(index)), open.end());
    }
    r.session = session;
}

void Accounting::ClearHistory() {
    history_.clear();
    history_.shrink_to_fit();
    adapters_.clear();
    adapterIds_.clear();
    readings_.ForgetAdapters();
}

void Accounting::ResetRates() {
    for (AdapterInfo& info : adapters_) info.rate = info.rateIn = info.rateOut = 0;
}

void Accounting::SetAccountingDate(const Date& d) {
    if (d == accountingDate_) return;
    accountingDate_ = d;
    RebuildDayIndex();
}

void Accounting::SetLimitTime(const Date& today, std::int32_t secondOfDay) {
    limitDate_ = today;
    limitSecond_ = secondOfDay;
    RefreshPeriods();
}

void Accounting::SetPeriod(AdapterInfo& info, int periodDay) {
    const PeriodKeys keys = limitDate_.year != 0 ? KeysOf(PeriodOf(periodDay, limitDate_)) : PeriodKeys{};
    if (keys == info.period) return;
    info.period = keys;
    info.periodIn = info.periodOut = 0;
    for (PricedSums& p : info.byPrice) p.periodIn = p.periodOut = 0;
    info.periodStale = true;
}

void Accounting::SetUpPriceSums(AdapterInfo& info) const {
    info.byPrice.clear();
    for (const PricePeriod& p : earlierPrices_)
        if (p.adapter == info.name) info.byPrice.push_back(PricedSums{DateKey(p.lastDay), p.priceIn, p.priceOut});
    if (!info.byPrice.empty()) info.byPrice.emplace_back();
}

void Accounting::ReplaceEarlierPrices(std::vector<PricePeriod> periods) {
    std::stable_sort(periods.begin(), periods.end(),
                     [](const PricePeriod& x, const PricePeriod& y) { return DateKey(x.lastDay) < DateKey(y.lastDay); });
    earlierPrices_ = std::move(periods);
    bool any = false;
    for (AdapterInfo& info : adapters_) {
        SetUpPriceSums(info);
        any = any || !info.byPrice.empty();
    }
    if (!any) return;
    for (const HistoryRecord& r : history_) {
        AdapterInfo& info = adapters_[r.adapter];
        PricedSums* p = PriceSlot(info, KeyOf(r));
        if (!p) continue;
        Add(p->totalIn, p->totalOut, r.inOctets, r.outOctets);
        if (info.period.Holds(KeyOf(r))) Add(p->periodIn, p->periodOut, r.inOctets, r.outOctets);
    }
}

void Accounting::RefreshPeriods() {
    ++periodSerial_;
    // Each adapter's first entry gives its period day (its entries agree on it).
    for (std::size_t i = 0; i < limits_.size(); ++i) {
        const LimitEntry& e = limits_[i];
        AdapterId id = 0;
        if (!FindAdapter(e.adapter, id)) continue;  // no records: nothing to sum
        AdapterInfo& info = adapters_[id];
        if (info.periodSerial != periodSerial_) {
            info.periodSerial = periodSerial_;
            info.limits[0] = info.limits[1] = -1;
            SetPeriod(info, e.periodDay);
        }
        std::int32_t& slot = info.limits[static_cast<int>(e.kind)];
        if (slot < 0) slot = static_cast<std::int32_t>(i);
    }
    // The days any stale period covers: a record outside them needs no look at its adapter.
    PeriodKeys stale{UINT64_MAX, 0};
    for (AdapterInfo& info : adapters_) {
        if (info.periodSerial != periodSerial_) {  // no limit (any more)
            info.limits[0] = info.limits[1] = -1;
            info.period = PeriodKeys{};
            info.periodIn = info.periodOut = 0;
            for (PricedSums& p : info.byPrice) p.periodIn = p.periodOut = 0;
        }
        if (!info.periodStale) continue;
        stale.from = std::min(stale.from, info.period.from);
        stale.to = std::max(stale.to, info.period.to);
    }
    for (std::size_t i = 0; stale.from < stale.to && i < history_.size(); ++i) {
        const HistoryRecord& r = history_[i];
        const std::uint64_t key = KeyOf(r);
        if (!stale.Holds(key)) continue;
        AdapterInfo& info = adapters_[r.adapter];
        if (!info.periodStale || !info.period.Holds(key)) continue;
        Add(info.periodIn, info.periodOut, r.inOctets, r.outOctets);
        if (PricedSums* p = PriceSlot(info, key)) Add(p->periodIn, p->periodOut, r.inOctets, r.outOctets);
    }
    for (AdapterInfo& info : adapters_) info.periodStale = false;
}

void Accounting::RebuildDayIndex() {
    for (AdapterInfo& info : adapters_) {
        info.todayIn = info.todayOut = 0;
        info.openToday.clear();
    }
    for (std::size_t i = 0; i < history_.size(); ++i) {
        const HistoryRecord& r = history_[i];
        if (!IsOn(r, accountingDate_)) continue;
        AdapterInfo& info = adapters_[r.adapter];
        Add(info.todayIn, info.todayOut, r.inOctets, r.outOctets);
        if (r.session == 0) info.openToday.push_back(static_cast<std::uint32_t>(i));
    }
}

void Accounting::ReplaceLimits(std::vector<LimitEntry> limits) {
    limits_ = std::move(limits);
    RefreshPeriods();
}

// ---- TariffTable lookups ----

std::optional<std::size_t> FindTariffSlot(const Accounting& a, const std::string& adapter) {
    const auto& t = a.Tariffs();
    const auto at = std::find_if(t.begin(), t.end(), [&](const TariffEntry& e) { return e.adapter == adapter; });
    if (at == t.end()) return std::nullopt;
    return static_cast<std::size_t>(at - t.begin());
}

const TariffEntry* FindTariffEntry(const Accounting& a, const std::string& adapter) {
    const std::optional<std::size_t> slot = FindTariffSlot(a, adapter);
    return slot ? &a.Tariffs()[*slot] : nullptr;
}

std::string GetDisplayName(const Accounting& a, const std::string& adapter) {
    const TariffEntry* e = FindTariffEntry(a, adapter);
    return e ? e->displayName : adapter;
}

double GetPrice(Accounting& a, const std::string& adapter, Direction dir) {
    if (const TariffEntry* e = FindTariffEntry(a, adapter))
        return dir == Direction::Incoming ? e->priceIn : e->priceOut;
    a.AddTariff(TariffEntry{0, 0, adapter, adapter});
    return 0;
}

}  // namespace velkaro
