#include "core/Accounting.h"

#include <algorithm>
#include <optional>

#include "core/Formatting.h"
#include "core/Texts.h"

namespace velkaro {

namespace {

// A percent that would not fit a 64-bit count (a limit of a few millionths of a kopeck).
constexpr long double kPercentCap = 1e18L;

// Money in the panel's price text, traffic (megabytes) in its Kb/Mb text.
std::string AmountText(LimitKind kind, long double amount, char sep) {
    return kind == LimitKind::Money ? FormatPrice(amount, sep) : FormatTrafficKb(amount * 1024, 0, sep);
}

// The period's cost, each day at its prices, or its traffic in megabytes.
long double UsedInPeriod(const Accounting& a, const LimitEntry& e) {
    AdapterId id = 0;
    if (!a.FindAdapter(e.adapter, id)) return 0;
    const AdapterInfo& info = a.Adapters()[id];
    const long double in = static_cast<long double>(info.periodIn) / kBytesPerMb;
    const long double out = static_cast<long double>(info.periodOut) / kBytesPerMb;
    if (e.kind == LimitKind::Traffic) return in + out;
    // Without an entry the current prices are 0: no entry is registered here.
    return BillingPeriodMoney(info, PricesOf(FindTariffEntry(a, e.adapter)));
}

std::string LevelBalloonText(const Accounting& a, const LimitEntry& e, const LimitStatus& s, char sep) {
    return GetDisplayName(a, e.adapter) + texts::kBalloonSpent + std::to_string(s.percent) +
           texts::kBalloonOfLimit + AmountText(s.kind, s.used, sep) + texts::kBalloonFrom +
           AmountText(s.kind, s.limit, sep) + ")";
}

std::string ForecastBalloonText(const Accounting& a, const LimitEntry& e, const LimitStatus& s, char sep) {
    const std::string day = DottedDateText(s.overDay).substr(0, 5);  // DD.MM
    return GetDisplayName(a, e.adapter) + texts::kBalloonForecast + day + texts::kBalloonForecastAmount +
           AmountText(s.kind, s.forecast, sep) + texts::kBalloonForecastLimit + AmountText(s.kind, s.limit, sep) + ")";
}

// The warnings of an entry given in its current period stay only as far as its status now
// reaches: what it no longer reaches warns again.
void Rearm(const Accounting& a, LimitEntry& e) {
    const LimitStatus s = GetLimitStatus(a, e);
    if (e.warnedMonth != MonthOf(s.period.start)) return;
    e.warnedLevel = std::min(e.warnedLevel, s.level);
    e.forecastWarned = e.forecastWarned && s.forecastOver;
}

// Below 100 while used is below the limit and at least 100 once it has reached it (the
// division alone may miss by a last bit); 0 for 0 or less.
std::uint64_t LimitPercent(long double used, double limit) {
    if (!(limit > 0) || !(used > 0)) return 0;
    const long double ratio = used * 100 / limit;
    const auto percent = static_cast<std::uint64_t>(std::min(ratio, kPercentCap));
    return used >= limit ? std::max<std::uint64_t>(percent, kLimitReachedLevel)
                         : std::min<std::uint64_t>(percent, kLimitReachedLevel - 1);
}

int LimitLevel(std::uint64_t percent) {
    if (percent >= kLimitReachedLevel) return kLimitReachedLevel;
    if (percent >= kLimitNearLevel) return kLimitNearLevel;
    return 0;
}

}  // namespace

const LimitEntry* FindLimit(const Accounting& a, const std::string& adapter, LimitKind kind) {
    for (const LimitEntry& e : a.Limits())
        if (e.kind == kind && e.adapter == adapter) return &e;
    return nullptr;
}

const LimitEntry* FindLimit(const Accounting& a, AdapterId id, LimitKind kind) {
    const AdapterInfo& info = a.Adapters()[id];
    const std::int32_t at = info.limits[static_cast<int>(kind)];
    if (at < 0) return nullptr;
    // Entries changed since the last RefreshPeriods: the search finds it where it is now.
    const auto& limits = a.Limits();
    if (static_cast<std::size_t>(at) < limits.size() && limits[at].kind == kind && limits[at].adapter == info.name)
        return &limits[at];
    return FindLimit(a, info.name, kind);
}

int PeriodDayOf(const Accounting& a, const std::string& adapter) {
    for (const LimitEntry& e : a.Limits())
        if (e.adapter == adapter) return e.periodDay;
    return kFirstPeriodDay;
}

LimitStatus GetLimitStatus(const Accounting& a, const LimitEntry& e) {
    LimitStatus s;
    s.kind = e.kind;
    s.limit = e.limit;
    const Date& today = a.LimitDate();
    s.period = PeriodOf(e.periodDay, today);
    s.used = UsedInPeriod(a, e);
    s.percent = LimitPercent(s.used, e.limit);
    s.level = LimitLevel(s.percent);

    const std::int64_t start = DayNumber(s.period.start);
    const std::int64_t second = std::clamp<std::int64_t>(a.LimitSecond(), 0, kSecondsPerDay - 1);
    const std::int64_t elapsed = (DayNumber(today) - start) * kSecondsPerDay + second;
    if (elapsed >= kSecondsPerDay) {
        s.hasForecast = true;
        const long double length = static_cast<long double>(s.period.Days()) * kSecondsPerDay;
        s.forecast = s.used * length / static_cast<long double>(elapsed);
        s.forecastOver = s.forecast > e.limit;
        if (s.forecastOver) {
            // At the same pace the limit is reached after elapsed * limit / used seconds.
            const long double at = static_cast<long double>(elapsed) * e.limit / s.used;
            s.overDay = DateOfDayNumber(start + static_cast<std::int64_t>(at / kSecondsPerDay));
        }
    }
    s.left = std::max<long double>(0, e.limit - s.used);
    const std::int64_t daysLeft = std::max<std::int64_t>(1, DayNumber(s.period.end) - DayNumber(today));
    s.perDay = s.left / static_cast<long double>(daysLeft);
    return s;
}

std::string LimitLine(const Accounting& a, AdapterId id, LimitKind kind, char sep, bool& alarming) {
    alarming = false;
    const LimitEntry* e = FindLimit(a, id, kind);
    if (!e) return {};
    const LimitStatus s = GetLimitStatus(a, *e);
    alarming = s.Alarming();
    std::string line = texts::kLimitLineLimit + AmountText(s.kind, s.limit, sep) + texts::kLimitLineMonth +
                       AmountText(s.kind, s.used, sep) + " (" + std::to_string(s.percent) + "%)";
    if (s.hasForecast) line += texts::kLimitLineForecast + AmountText(s.kind, s.forecast, sep);
    return line;
}

std::string AllowanceLine(const Accounting& a, char sep) {
    std::optional<LimitStatus> best;
    for (const LimitEntry& e : a.Limits()) {
        const LimitStatus s = GetLimitStatus(a, e);
        if (!best || s.used / s.limit > best->used / best->limit) best = s;
    }
    if (!best) return {};
    return texts::kTipLeft + AmountText(best->kind, best->left, sep) + texts::kTipPerDay +
           AmountText(best->kind, best->perDay, sep);
}

std::vector<LimitWarning> DueLimitWarnings(const Accounting& a, char sep) {
    std::vector<LimitWarning> due;
    for (std::size_t i = 0; i < a.Limits().size(); ++i) {
        const LimitEntry& e = a.Limits()[i];
        const LimitStatus s = GetLimitStatus(a, e);
        const YearMonth period = MonthOf(s.period.start);
        const bool samePeriod = e.warnedMonth == period;
        const int warned = samePeriod ? e.warnedLevel : 0;
        if (s.level > warned)
            due.push_back({i, period, s.level, false, LevelBalloonText(a, e, s, sep)});
        else if (s.forecastOver && s.level < kLimitReachedLevel && !(samePeriod && e.forecastWarned))
            due.push_back({i, period, warned, true, ForecastBalloonText(a, e, s, sep)});
    }
    return due;
}

void NoteLimitWarning(Accounting& a, const LimitWarning& w) {
    LimitEntry& e = a.limits_[w.entry];
    e.forecastWarned = w.forecast || (e.warnedMonth == w.period && e.forecastWarned);
    e.warnedLevel = w.level;
    e.warnedMonth = w.period;
}

void SetLimit(Accounting& a, const std::string& adapter, LimitKind kind, double limit, int periodDay) {
    auto& limits = a.limits_;
    const auto at = std::find_if(limits.begin(), limits.end(),
                                 [&](const LimitEntry& e) { return e.kind == kind && e.adapter == adapter; });
    if (limit == 0) {
        if (at != limits.end()) limits.erase(at);
        a.RefreshPeriods();
        return;
    }
    const bool existed = at != limits.end();
    if (existed)
        at->limit = limit;
    else
        limits.push_back(LimitEntry{adapter, limit, {}, 0, kind, periodDay});
    const bool newDay = PeriodDayOf(a, adapter) != periodDay;
    for (LimitEntry& e : limits)
        if (e.adapter == adapter) e.periodDay = periodDay;
    a.RefreshPeriods();
    for (LimitEntry& e : limits)
        if (e.adapter == adapter && ((e.kind == kind && existed) || newDay)) Rearm(a, e);
}

}  // namespace velkaro
