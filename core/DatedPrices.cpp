#include "core/Accounting.h"

#include <algorithm>
#include <cstdio>

#include "core/Calendar.h"
#include "core/Formatting.h"

namespace velkaro {

bool ReadDottedDate(std::string_view text, Date& day) {
    text = TrimBlanks(text);
    const std::size_t p1 = text.find('.');
    const std::size_t p2 = p1 == std::string_view::npos ? p1 : text.find('.', p1 + 1);
    if (p2 == std::string_view::npos) return false;
    // Day and month of one or two digits, the year of four.
    auto field = [](std::string_view digits, std::size_t most, unsigned& value) {
        return digits.size() <= most && ReadDigits(digits, value);
    };
    unsigned d = 0, m = 0, y = 0;
    if (!field(text.substr(0, p1), 2, d) || !field(text.substr(p1 + 1, p2 - p1 - 1), 2, m) ||
        text.size() - p2 - 1 != 4 || !field(text.substr(p2 + 1), 4, y))
        return false;
    if (y == 0 || m == 0 || m > 12 || d == 0 || d > static_cast<unsigned>(DaysInMonth(static_cast<int>(y), static_cast<int>(m))))
        return false;
    day = Date{static_cast<std::uint16_t>(y), static_cast<std::uint16_t>(m), static_cast<std::uint16_t>(d)};
    return true;
}

std::string DottedDateText(const Date& day) {
    char text[24];
    std::snprintf(text, sizeof text, "%02u.%02u.%04u", unsigned{day.day}, unsigned{day.month}, unsigned{day.year});
    return text;
}

Prices PricesOnDay(const AdapterInfo& info, Prices current, const Date& day) {
    const std::uint64_t key = DateKey(day);
    // The last sums, to no end, are those of the current prices.
    for (const PricedSums& p : info.byPrice)
        if (key <= p.lastDay && p.lastDay != UINT64_MAX) return Prices{p.priceIn, p.priceOut};
    return current;
}

Prices PricesOnDay(const std::vector<PricePeriod>& earlier, Prices current, const Date& day) {
    const std::uint64_t key = DateKey(day);
    const auto at = std::lower_bound(earlier.begin(), earlier.end(), key,
                                     [](const PricePeriod& p, std::uint64_t k) { return DateKey(p.lastDay) < k; });
    return at == earlier.end() ? current : Prices{at->priceIn, at->priceOut};
}

std::vector<PricePeriod> EarlierPricesOf(const Accounting& a, const std::string& adapter) {
    std::vector<PricePeriod> mine;
    for (const PricePeriod& p : a.EarlierPrices())
        if (p.adapter == adapter) mine.push_back(p);
    return mine;
}

CostSums AllTimeCost(const AdapterInfo& info, Prices current) {
    CostSums cost;
    auto add = [&cost](Prices prices, std::uint64_t in, std::uint64_t out) {
        cost.out += static_cast<long double>(prices.out) * static_cast<long double>(out);
        cost.in += static_cast<long double>(prices.in) * static_cast<long double>(in);
    };
    if (info.byPrice.empty()) add(current, info.totalIn, info.totalOut);
    for (const PricedSums& p : info.byPrice)
        add(p.lastDay == UINT64_MAX ? current : Prices{p.priceIn, p.priceOut}, p.totalIn, p.totalOut);
    return cost;
}

long double Money(Prices prices, std::uint64_t in, std::uint64_t out) {
    return static_cast<long double>(prices.in) * (static_cast<long double>(in) / kBytesPerMb) +
           static_cast<long double>(prices.out) * (static_cast<long double>(out) / kBytesPerMb);
}

long double BillingPeriodMoney(const AdapterInfo& info, Prices current) {
    if (info.byPrice.empty()) return Money(current, info.periodIn, info.periodOut);
    long double sum = 0;
    for (const PricedSums& p : info.byPrice)
        sum += Money(p.lastDay == UINT64_MAX ? current : Prices{p.priceIn, p.priceOut}, p.periodIn, p.periodOut);
    return sum;
}

std::vector<PricePeriod> PeriodsAfterChange(std::vector<PricePeriod> periods, const std::string& adapter,
                                            Prices current, const Date& from, Prices prices) {
    std::vector<PricePeriod> mine;
    std::erase_if(periods, [&](const PricePeriod& p) {
        if (p.adapter != adapter) return false;
        mine.push_back(p);
        return true;
    });
    std::stable_sort(mine.begin(), mine.end(),
                     [](const PricePeriod& x, const PricePeriod& y) { return DateKey(x.lastDay) < DateKey(y.lastDay); });
    // The periods that ended before `from` stay; the one running on into it ends the day before.
    const std::uint64_t fromKey = DateKey(from);
    const auto cut = std::find_if(mine.begin(), mine.end(), [&](const PricePeriod& p) { return DateKey(p.lastDay) >= fromKey; });
    const Prices before = cut == mine.end() ? current : Prices{cut->priceIn, cut->priceOut};
    mine.erase(cut, mine.end());
    if (DayNumber(from) > DayNumber(Date{1, 1, 1})) {
        const Date dayBefore = DateOfDayNumber(DayNumber(from) - 1);
        if (mine.empty() || !(mine.back().lastDay == dayBefore))
            mine.push_back(PricePeriod{adapter, dayBefore, before.in, before.out});
    }
    // A period at the prices of the one after it is part of that one.
    for (std::size_t i = 0; i < mine.size(); ++i) {
        const Prices next = i + 1 < mine.size() ? Prices{mine[i + 1].priceIn, mine[i + 1].priceOut} : prices;
        if (!(Prices{mine[i].priceIn, mine[i].priceOut} == next)) periods.push_back(mine[i]);
    }
    return periods;
}

void SetPricesFrom(Accounting& a, std::size_t slot, const Date& from, Prices prices) {
    const TariffEntry& entry = a.Tariffs().at(slot);
    std::vector<PricePeriod> periods = PeriodsAfterChange(a.EarlierPrices(), entry.adapter, PricesOf(&entry), from, prices);
    a.SetPrices(slot, prices.in, prices.out);
    a.ReplaceEarlierPrices(std::move(periods));
}

}  // namespace velkaro
