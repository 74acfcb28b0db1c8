#include "core/Limits.h"

#include <algorithm>
#include <utility>

#include "core/Formatting.h"
#include "core/Texts.h"

namespace velkaro {

namespace {

constexpr long double kBytesPerMb = 1048576;
// A percent that would not fit a 64-bit count (a limit of a few millionths of a kopeck).
constexpr long double kPercentCap = 1e18L;

LimitEntry* FindLimitEntry(Accounting& a, const std::string& adapter) {
    return const_cast<LimitEntry*>(FindLimit(std::as_const(a), adapter));
}

}  // namespace

const LimitEntry* FindLimit(const Accounting& a, const std::string& adapter) {
    for (const LimitEntry& e : a.Limits())
        if (e.adapter == adapter) return &e;
    return nullptr;
}

long double MonthCost(const Accounting& a, const std::string& adapter) {
    AdapterId id = 0;
    if (!a.FindAdapter(adapter, id)) return 0;
    const TariffEntry* prices = FindTariffEntry(a, adapter);
    if (!prices) return 0;
    const AdapterInfo& info = a.Adapters()[id];
    const long double priceIn = prices->priceIn;
    const long double priceOut = prices->priceOut;
    return priceIn * (static_cast<long double>(info.monthIn) / kBytesPerMb) +
           priceOut * (static_cast<long double>(info.monthOut) / kBytesPerMb);
}

std::uint64_t LimitPercent(long double cost, double limit) {
    if (!(limit > 0) || !(cost > 0)) return 0;
    const long double ratio = cost * 100 / limit;
    std::uint64_t percent = ratio >= kPercentCap ? static_cast<std::uint64_t>(kPercentCap)
                                                 : static_cast<std::uint64_t>(ratio);
    if (cost >= limit)
        percent = std::max<std::uint64_t>(percent, kLimitReachedLevel);
    else
        percent = std::min<std::uint64_t>(percent, kLimitReachedLevel - 1);
    return percent;
}

int LimitLevel(std::uint64_t percent) {
    if (percent >= kLimitReachedLevel) return kLimitReachedLevel;
    if (percent >= kLimitNearLevel) return kLimitNearLevel;
    return 0;
}

LimitStatus GetLimitStatus(const Accounting& a, const LimitEntry& e) {
    LimitStatus s;
    s.limit = e.limit;
    s.cost = MonthCost(a, e.adapter);
    s.percent = LimitPercent(s.cost, e.limit);
    s.level = LimitLevel(s.percent);
    return s;
}

std::string LimitLineText(const LimitStatus& s, char sep) {
    return texts::kLimitLineLimit + FormatPrice(s.limit, sep) + texts::kLimitLineMonth +
           FormatPrice(s.cost, sep) + " (" + std::to_string(s.percent) + "%)";
}

std::string LimitBalloonText(const Accounting& a, const std::string& adapter, const LimitStatus& s,
                             char sep) {
    return GetDisplayName(a, adapter, false) + texts::kBalloonSpent + std::to_string(s.percent) +
           texts::kBalloonOfLimit + FormatPrice(s.cost, sep) + texts::kBalloonFrom +
           FormatPrice(s.limit, sep) + ")";
}

void CheckLimits(Accounting& a, const Date& today, char sep, Notifier& notifier) {
    const YearMonth month = MonthOf(today);
    a.SetCostMonth(month);
    for (LimitEntry& e : a.Limits()) {
        const LimitStatus s = GetLimitStatus(a, e);
        const int warned = e.warnedMonth == month ? e.warnedLevel : 0;
        if (s.level <= warned) continue;
        if (!notifier.ShowBalloon(texts::kAppTitle, LimitBalloonText(a, e.adapter, s, sep))) continue;
        e.warnedMonth = month;
        e.warnedLevel = s.level;
        a.NoteLimitChange(e.adapter);
    }
}

void SetLimit(Accounting& a, const std::string& adapter, double limit, const Date& today) {
    auto& limits = a.Limits();
    a.NoteLimitChange(adapter);
    LimitEntry* e = FindLimitEntry(a, adapter);
    if (limit == 0) {
        if (e) limits.erase(limits.begin() + (e - limits.data()));
        return;
    }
    if (!e) {
        limits.push_back(LimitEntry{adapter, limit, {}, 0});
        return;
    }
    e->limit = limit;
    const YearMonth month = MonthOf(today);
    a.SetCostMonth(month);
    if (e->warnedMonth == month) e->warnedLevel = std::min(e->warnedLevel, GetLimitStatus(a, *e).level);
}

}  // namespace velkaro
