#include "core/Accounting.h"

#include <algorithm>

#include "core/Texts.h"

namespace velkaro {

const std::string BlankTail(92, ' ');

namespace {
bool IsOn(const HistoryRecord& r, const Date& d) {
    return r.year == d.year && r.month == d.month && r.day == d.day;
}
bool IsIn(const HistoryRecord& r, const YearMonth& m) { return r.year == m.year && r.month == m.month; }
}  // namespace

AdapterId Accounting::Intern(const std::string& name) {
    auto [it, inserted] = adapterIds_.try_emplace(name, static_cast<AdapterId>(adapters_.size()));
    if (inserted) {
        AdapterInfo info;
        info.name = name;
        info.firstRecord = history_.size();
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

std::size_t Accounting::AppendHistoryRecord(const std::string& adapter, const HistoryRecord& fields) {
    return AppendHistoryRecord(Intern(adapter), fields);
}

std::size_t Accounting::AppendHistoryRecord(AdapterId id, const HistoryRecord& fields) {
    const std::size_t index = history_.size();
    HistoryRecord& r = history_.emplace_back(fields);
    r.adapter = id;
    AdapterInfo& info = adapters_[id];
    info.totalIn += r.inOctets;
    info.totalOut += r.outOctets;
    if (IsOn(r, accountingDate_)) {
        info.todayIn += r.inOctets;
        info.todayOut += r.outOctets;
        if (r.session == 0) info.openToday.push_back(static_cast<std::uint32_t>(index));
    }
    if (IsIn(r, costMonth_)) {
        info.monthIn += r.inOctets;
        info.monthOut += r.outOctets;
    }
    return index;
}

void Accounting::SetCounters(std::size_t index, std::uint32_t in, std::uint32_t out) {
    HistoryRecord& r = history_[index];
    AdapterInfo& info = adapters_[r.adapter];
    info.totalIn = info.totalIn - r.inOctets + in;
    info.totalOut = info.totalOut - r.outOctets + out;
    if (IsOn(r, accountingDate_)) {
        info.todayIn = info.todayIn - r.inOctets + in;
        info.todayOut = info.todayOut - r.outOctets + out;
    }
    if (IsIn(r, costMonth_)) {
        info.monthIn = info.monthIn - r.inOctets + in;
        info.monthOut = info.monthOut - r.outOctets + out;
    }
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
    readings.ForgetAdapters();
}

void Accounting::ResetRates() {
    for (AdapterInfo& info : adapters_) info.rate = 0;
}

void Accounting::SetAccountingDate(const Date& d) {
    if (d == accountingDate_) return;
    accountingDate_ = d;
    RebuildDayIndex();
}

void Accounting::SetCostMonth(const YearMonth& m) {
    if (m == costMonth_) return;
    costMonth_ = m;
    RebuildMonthIndex();
}

void Accounting::RebuildMonthIndex() {
    for (AdapterInfo& info : adapters_) info.monthIn = info.monthOut = 0;
    for (const HistoryRecord& r : history_) {
        if (!IsIn(r, costMonth_)) continue;
        AdapterInfo& info = adapters_[r.adapter];
        info.monthIn += r.inOctets;
        info.monthOut += r.outOctets;
    }
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
        info.todayIn += r.inOctets;
        info.todayOut += r.outOctets;
        if (r.session == 0) info.openToday.push_back(static_cast<std::uint32_t>(i));
    }
}

void Accounting::SetPrices(TariffEntry& e, double in, double out) {
    e.priceIn = in;
    e.priceOut = out;
    if (!priceFile.read) editsWhileUnread.prices.insert(e.adapter);
}

void Accounting::SetDisplayName(TariffEntry& e, const std::string& name) {
    e.displayName = name;
    if (!priceFile.read) editsWhileUnread.displayNames.insert(e.adapter);
}

void Accounting::NoteLimitChange(const std::string& adapter) {
    if (!limitFile.read) editsWhileUnread.limits.insert(adapter);
}

// ---- TariffTable lookups ----

namespace {
const TariffEntry* FindTariff(const Accounting& a, const std::string& adapter, std::size_t* slot = nullptr) {
    const auto& t = a.Tariffs();
    for (std::size_t i = 0; i < t.size(); ++i) {
        if (t[i].adapter == adapter) {
            if (slot) *slot = i;
            return &t[i];
        }
    }
    return nullptr;
}
}  // namespace

const TariffEntry* FindTariffEntry(const Accounting& a, const std::string& adapter) {
    return FindTariff(a, adapter);
}

std::string GetDisplayName(const Accounting& a, const std::string& adapter, bool padded) {
    const TariffEntry* e = FindTariff(a, adapter);
    if (!e) return adapter;
    return padded ? e->displayName + BlankTail : e->displayName;
}

double GetPrice(Accounting& a, const std::string& adapter, Direction dir) {
    if (const TariffEntry* e = FindTariff(a, adapter))
        return dir == Direction::Incoming ? e->priceIn : e->priceOut;
    a.Tariffs().push_back(TariffEntry{0, 0, adapter, adapter});
    return 0;
}

bool GetTariffSlotForPrices(const Accounting& a, const std::string& adapter, Dialogs& dialogs,
                            std::size_t& slot) {
    if (FindTariff(a, adapter, &slot)) return true;
    dialogs.ShowMessage(texts::kTariffMissPrices);
    return false;
}

bool GetTariffSlotForRename(const Accounting& a, const std::string& adapter, Dialogs& dialogs,
                            std::size_t& slot) {
    if (FindTariff(a, adapter, &slot)) return true;
    dialogs.ShowMessage(texts::kTariffMissRename + adapter);
    return false;
}

}  // namespace velkaro
