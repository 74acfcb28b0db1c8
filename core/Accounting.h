// The accounting data: the history of counter records, the price table, the limits, the
// settings and the counting state. One Accounting object holds it all for the whole run; the
// program owns it and passes it by reference. What the windows show of it (the panel's
// blocks, the quick-info rows, the picked adapter) is the windows' own.
//
// Names are interned: a record carries a small AdapterId, and the per-adapter index keeps
// what the once-a-second work needs (open records of the accounting day, sums), so a tick
// costs O(adapters + interfaces), not O(records).
#pragma once

#include <compare>
#include <optional>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "core/Calendar.h"
#include "core/Counting.h"
#include "core/Ports.h"

namespace velkaro {

// The last counter readings of one adapter within one counter session on one day.
struct HistoryRecord {
    std::uint32_t inOctets = 0;
    std::uint32_t outOctets = 0;
    std::uint16_t year = 0;
    std::uint16_t month = 0;
    std::uint16_t day = 0;
    std::int32_t session = 0;   // 0: open; else the SessionCounter number it was closed with
    AdapterId adapter = 0;
};

// One row of the price table (record type mtp).
struct TariffEntry {
    double priceIn = 0;
    double priceOut = 0;
    std::string adapter;
    std::string displayName;
};

// The prices an adapter's days up to lastDay had, after its previous period (a line of
// tariffs.txt); its entry holds the prices from the day after its last period on.
struct PricePeriod {
    std::string adapter;
    Date lastDay;
    double priceIn = 0;
    double priceOut = 0;
    friend bool operator==(const PricePeriod&, const PricePeriod&) = default;
};

// An adapter's sums over the records of one price period: the days after the previous
// period's up to lastDay (a DateKey; UINT64_MAX: the entry's prices, to no end).
struct PricedSums {
    std::uint64_t lastDay = UINT64_MAX;
    double priceIn = 0, priceOut = 0;  // the earlier periods' (the last takes the entry's)
    std::uint64_t totalIn = 0, totalOut = 0;
    std::uint64_t periodIn = 0, periodOut = 0;  // within the billing period
};

enum class Direction { Incoming, Outgoing };

// A calendar month; year 0 stands for none. Ordered by year, then month.
struct YearMonth {
    std::uint16_t year = 0;
    std::uint16_t month = 0;
    friend auto operator<=>(const YearMonth&, const YearMonth&) = default;
};
inline YearMonth MonthOf(const Date& d) { return YearMonth{d.year, d.month}; }

// What a limit counts: the money spent at the current prices, or the traffic.
enum class LimitKind : std::uint8_t { Money, Traffic };

// A limit of one adapter per billing period (a line of limits.txt), with the last warnings it
// gave. An adapter has at most one limit of each kind; both have its one period day.
struct LimitEntry {
    std::string adapter;
    double limit = 0;        // roubles (money) or megabytes (traffic) per period, above 0
    YearMonth warnedMonth;   // the month the period of the last warning began in (year 0: none)
    int warnedLevel = 0;     // the percent level warned of in that period: 0, 80 or 100
    LimitKind kind = LimitKind::Money;
    int periodDay = kFirstPeriodDay;  // the day its billing periods begin on, 1 to 31
    bool forecastWarned = false;      // that period's forecast warning was given
};

// A window's place: its top-left corner in screen pixels, its size in 96-DPI units.
struct WindowPlace {
    int left = 0, top = 0, width = 0, height = 0;
    friend bool operator==(const WindowPlace&, const WindowPlace&) = default;
};

// What the index knows of one adapter name.
struct AdapterInfo {
    std::string name;
    std::uint64_t totalIn = 0, totalOut = 0;  // sums over all its records
    std::uint64_t todayIn = 0, todayOut = 0;  // sums over its records of the AccountingDate
    PeriodKeys period;                        // its billing period's (none without a limit)
    std::uint64_t periodIn = 0, periodOut = 0;  // sums over its records of that period
    std::int32_t limits[2] = {-1, -1};        // its entries in Limits() by LimitKind, or -1
    std::uint32_t periodSerial = 0;           // the RefreshPeriods that last found a limit of it
    bool periodStale = false;                 // its period sums are to be made again
    std::vector<std::uint32_t> openToday;     // its open records of the AccountingDate, in table order
    long double rate = 0;                     // bytes per second at the last reading of the table
    long double rateIn = 0, rateOut = 0;      // the same of each direction
    std::vector<PricedSums> byPrice;          // empty while its prices never changed on a date
};

class Accounting {
public:
    // ---- HistoryTable (0-based here; table order is creation order) ----
    const std::vector<HistoryRecord>& History() const { return history_; }
    std::size_t HistoryCount() const { return history_.size(); }
    const std::string& AdapterNameOf(const HistoryRecord& r) const { return adapters_[r.adapter].name; }

    // Appends a record for the adapter (an id of Intern); returns its index.
    std::size_t AppendHistoryRecord(AdapterId adapter, const HistoryRecord& fields);
    // Sets the counters of a record (the sampler's advance).
    void SetCounters(std::size_t index, std::uint32_t in, std::uint32_t out);
    // Closes an open record with the given session number.
    void CloseRecord(std::size_t index, std::int32_t session);
    // Empties the history (and the name index).
    void ClearHistory();

    // ---- Adapter index ----
    // The id of a name that has records, or nullptr-like: returns false when unknown.
    bool FindAdapter(const std::string& name, AdapterId& id) const;
    // The id of a name, which a new name gets here: the caller appends its first record.
    AdapterId Intern(const std::string& name);
    const std::vector<AdapterInfo>& Adapters() const { return adapters_; }  // in first-record order

    // ---- TariffTable ----
    const std::vector<TariffEntry>& Tariffs() const { return tariffs_; }
    void AddTariff(TariffEntry e) { tariffs_.push_back(std::move(e)); }
    void ReplaceTariffs(std::vector<TariffEntry> table) { tariffs_ = std::move(table); }

    // ---- Earlier prices, by their last day (then as given) ----
    const std::vector<PricePeriod>& EarlierPrices() const { return earlierPrices_; }
    // An adapter's periods must not share a last day. Sums every priced adapter's records into
    // its periods again: one scan of the history.
    void ReplaceEarlierPrices(std::vector<PricePeriod> periods);

    // ---- Limits, in the order of limits.txt; one entry per adapter and kind ----
    // Changed by ReplaceLimits and by the limits' own operations (core/Limits.cpp), each
    // bringing the period sums along.
    const std::vector<LimitEntry>& Limits() const { return limits_; }
    void ReplaceLimits(std::vector<LimitEntry> limits);

    // ---- The commands' changes of an entry ----
    // slot: the entry's place in Tariffs().
    void SetPrices(std::size_t slot, double in, double out) { TariffEntry& e = tariffs_.at(slot); e.priceIn = in; e.priceOut = out; }
    void SetDisplayName(std::size_t slot, const std::string& name) { tariffs_.at(slot).displayName = name; }

    // ---- Program-wide variables ----
    const Date& AccountingDate() const { return accountingDate_; }
    // Changing the date rebuilds the per-day part of the index.
    void SetAccountingDate(const Date& d);
    // The clock's date and time of day the limits are reckoned at (their periods, forecasts
    // and allowances): the tick's, not the AccountingDate. Setting it refreshes the periods.
    const Date& LimitDate() const { return limitDate_; }
    std::int32_t LimitSecond() const { return limitSecond_; }  // of the day, 0 to 86399
    void SetLimitTime(const Date& today, std::int32_t secondOfDay);
    // Gives each adapter with a limit the period its period day makes of the LimitDate, and
    // its sums over it; an adapter without a limit has none. The adapters whose period
    // changed are summed in one scan of the history, the only one it costs: otherwise
    // O(adapters + limits).
    void RefreshPeriods();
    std::int32_t SessionCounter() const { return static_cast<std::int32_t>(sessionCounter_); }
    // The next session number. Wraps like the 32-bit counter it is (never in a real run).
    std::int32_t NextSession() { return static_cast<std::int32_t>(++sessionCounter_); }
    const std::string& AdapterFilter() const { return adapterFilter_; }  // the "SHOW" setting
    void SetAdapterFilter(const std::string& adapter) { adapterFilter_ = adapter; }
    // The "hide.idle" setting: adapters without traffic are not shown.
    bool HideIdle() const { return hideIdle_; }
    void SetHideIdle(bool on) { hideIdle_ = on; }
    // Whether the windows show the adapter: the "SHOW" setting names it or is empty, and it
    // carried traffic or idle adapters are not hidden.
    bool Shows(const AdapterInfo& info) const {
        return (adapterFilter_.empty() || adapterFilter_ == info.name) &&
               !(hideIdle_ && info.totalIn == 0 && info.totalOut == 0);
    }
    // The "tray.activity" setting: the tray icon shows whether traffic went in and out (on by
    // default; off, it is the application's icon).
    bool TrayActivity() const { return trayActivity_; }
    void SetTrayActivity(bool on) { trayActivity_ = on; }
    // The "graph.window" setting: where the speed graph stood; none until it has been opened.
    const std::optional<WindowPlace>& GraphPlace() const { return graphPlace_; }
    void SetGraphPlace(const WindowPlace& place) { graphPlace_ = place; }
    // The "counting=boot" setting: records take the counters as they stand and the day stays
    // the start's, instead of adding the growth since the last reading.
    bool CountingBoot() const { return countingBoot_; }
    void SetCountingBoot(bool on) { countingBoot_ = on; }
    // The interface rows' last readings.
    InterfaceReadings& Readings() { return readings_; }
    const InterfaceReadings& Readings() const { return readings_; }
    // Sets every adapter's rate to 0 (before a reading adds to those it sees).
    void ResetRates();
    void AddRate(AdapterId id, const RowGrowth& g) {
        adapters_[id].rate += g.rate;
        adapters_[id].rateIn += g.rateIn;
        adapters_[id].rateOut += g.rateOut;
    }

private:
    friend void SetLimit(Accounting&, const std::string&, LimitKind, double, int);
    friend void NoteLimitWarning(Accounting&, const struct LimitWarning&);
    // Adds to the sums of r's adapter that hold r (modulo 2^64: a difference may go down).
    void AddToSums(const HistoryRecord& r, std::uint64_t in, std::uint64_t out);
    void RebuildDayIndex();
    void SetPeriod(AdapterInfo& info, int periodDay);
    void SetUpPriceSums(AdapterInfo& info) const;  // its periods, all sums 0


    std::vector<HistoryRecord> history_;
    std::vector<AdapterInfo> adapters_;
    std::unordered_map<std::string, AdapterId> adapterIds_;
    std::vector<TariffEntry> tariffs_;
    std::vector<LimitEntry> limits_;
    std::vector<PricePeriod> earlierPrices_;
    Date accountingDate_;
    Date limitDate_;
    std::int32_t limitSecond_ = 0;
    std::uint32_t periodSerial_ = 0;
    std::uint32_t sessionCounter_ = 0;
    std::string adapterFilter_;
    bool hideIdle_ = false;
    bool trayActivity_ = true;
    std::optional<WindowPlace> graphPlace_;
    bool countingBoot_ = false;
    InterfaceReadings readings_;
};

// Lookups by adapter name on the TariffTable; exact comparison, first match wins.
// The entry of an adapter, or nullptr; registers nothing.
const TariffEntry* FindTariffEntry(const Accounting& a, const std::string& adapter);
std::string GetDisplayName(const Accounting& a, const std::string& adapter);
// On a miss registers the adapter with zero prices and gives 0.
double GetPrice(Accounting& a, const std::string& adapter, Direction dir);
// The place of an adapter's entry in the table, or none.
std::optional<std::size_t> FindTariffSlot(const Accounting& a, const std::string& adapter);

// ---- Prices that change on a date (core/DatedPrices.cpp): which prices a day had, the costs
// summed per price period from the index, and the change of an adapter's prices from a day on.
// Earlier days keep theirs. ----

struct Prices {
    double in = 0, out = 0;
    friend bool operator==(const Prices&, const Prices&) = default;
};
inline Prices PricesOf(const TariffEntry* e) { return e ? Prices{e->priceIn, e->priceOut} : Prices{}; }

// Price x bytes per direction, summed over the price periods: what FormatCost takes.
struct CostSums {
    long double out = 0, in = 0;
};
inline constexpr long double kBytesPerMb = 1048576;

// prices.in * (in / 1048576) + prices.out * (out / 1048576), unrounded: a day's cost in the
// report and the CSV, and a limit period's money.
long double Money(Prices prices, std::uint64_t in, std::uint64_t out);

// "DD.MM.YYYY" (day and month of one or two digits, blanks around); false unless a date of
// the years 1 to 9999.
bool ReadDottedDate(std::string_view text, Date& day);
std::string DottedDateText(const Date& day);  // "07.03.2026"

// The prices of a day: those of the earlier period holding it, else `current`.
Prices PricesOnDay(const AdapterInfo& info, Prices current, const Date& day);
// The same over one adapter's earlier periods, oldest first (EarlierPricesOf).
Prices PricesOnDay(const std::vector<PricePeriod>& earlier, Prices current, const Date& day);
std::vector<PricePeriod> EarlierPricesOf(const Accounting& a, const std::string& adapter);

// All the adapter's records, each at its day's prices.
CostSums AllTimeCost(const AdapterInfo& info, Prices current);
// Its billing period's cost as the report sums money: price * (bytes / 1048576) per direction
// and period.
long double BillingPeriodMoney(const AdapterInfo& info, Prices current);

// The earlier periods once the adapter's `prices` apply from `from` on: the other adapters'
// first, as they were, then the adapter's, oldest first, where the days before keep their
// prices and those after its last period `current`. Periods next to each other at equal prices
// become one.
std::vector<PricePeriod> PeriodsAfterChange(std::vector<PricePeriod> periods, const std::string& adapter,
                                            Prices current, const Date& from, Prices prices);
// The entry at slot takes the prices from `from` on; the days before keep what they had.
void SetPricesFrom(Accounting& a, std::size_t slot, const Date& from, Prices prices);

// ---- Money and traffic limits per adapter and billing period (core/Limits.cpp): the part
// used, the warnings due, the forecast, and the texts of the panel line, the balloons and the
// tray tip. The period is the clock's (Accounting::LimitDate), not the AccountingDate the
// records may still carry. ----

inline constexpr int kLimitNearLevel = 80;      // percent: the first warning, the line turns red
inline constexpr int kLimitReachedLevel = 100;  // percent: the second warning

struct LimitStatus {
    LimitKind kind = LimitKind::Money;
    BillingPeriod period;       // that of the LimitDate
    double limit = 0;           // roubles or megabytes
    long double used = 0;       // the period's cost, or its traffic in megabytes
    std::uint64_t percent = 0;  // the whole part of used * 100 / limit
    int level = 0;              // 0, 80 or 100
    // Known once a whole day of the period has passed.
    bool hasForecast = false;
    long double forecast = 0;
    bool forecastOver = false;  // it passes the limit
    Date overDay;               // the day the limit is passed at that pace (forecastOver)
    // perDay: what is left spread over the period's days left, today included.
    long double left = 0;
    long double perDay = 0;
    bool Alarming() const { return level >= kLimitNearLevel || forecastOver; }
};

const LimitEntry* FindLimit(const Accounting& a, const std::string& adapter, LimitKind kind);
// Without a search.
const LimitEntry* FindLimit(const Accounting& a, AdapterId id, LimitKind kind);
// 1 without a limit.
int PeriodDayOf(const Accounting& a, const std::string& adapter);

// The cost is summed as the report sums days: price * (bytes / 1048576) per direction, at each
// day's prices; the current prices of an adapter without a price entry are 0 (none is registered).
LimitStatus GetLimitStatus(const Accounting& a, const LimitEntry& e);

// Empty without that limit; alarming: the line is red.
std::string LimitLine(const Accounting& a, AdapterId id, LimitKind kind, char sep, bool& alarming);

// For the limit with the largest part used (the first of equals); empty without a limit.
std::string AllowanceLine(const Accounting& a, char sep);

// A level reached above the one already warned of in its period, or (below 100%) the forecast
// past the limit, once a period.
struct LimitWarning {
    std::size_t entry = 0;  // in Limits()
    YearMonth period;       // the month its period began in
    int level = 0;          // the level reached; the warned level kept for a forecast
    bool forecast = false;
    std::string text;       // the balloon's
};

// At the LimitDate, which the caller has set; in the order of the limits.
std::vector<LimitWarning> DueLimitWarnings(const Accounting& a, char sep);
// Call only for a warning shown: one that could not be shown stays due for the next tick.
void NoteLimitWarning(Accounting& a, const LimitWarning& w);

// 0 removes the limit; periodDay becomes the day of all the adapter's limits. A warning given
// in the current period drops to where the limit stands now, so a raised limit warns again.
void SetLimit(Accounting& a, const std::string& adapter, LimitKind kind, double limit, int periodDay);

}  // namespace velkaro
