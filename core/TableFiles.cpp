// The files of the tables: price.txt, the prices in force and the display names; tariffs.txt,
// the prices an adapter had before its entry's, one line per earlier period; limits.txt, a line
// per limit, with the last warnings it gave.
#include <algorithm>
#include <cstdio>
#include <unordered_set>

#include "core/Files.h"
#include "core/Formatting.h"

namespace velkaro {

namespace {

// tariffs.txt's names as price.txt's, so that they carry any bytes the same way.
constexpr unsigned kAdapterField = kFieldTrimmed | kFieldStartsLine | kFieldEndsAtBar | kFieldTabLine;
constexpr unsigned kDisplayNameField = kFieldTrimmed | kFieldTabLine;

// A line "ADAPTER|MIDDLE>IN@OUT" of price.txt or tariffs.txt: the adapter's escapes undone,
// the middle field (the display name, or the last day) trimmed, the prices read. False when the
// line gives no entry.
// The separators are searched from the right, so a display name may hold ">" and "@": the out
// price follows the last "@", the in price the last ">" before it.
bool ReadPriceLineFields(std::string_view line, std::string& adapter, std::string_view& middle, double& priceIn,
                         double& priceOut) {
    if (line.find('\t') != std::string_view::npos) return false;
    const std::size_t p1 = line.find('|');
    if (p1 == std::string_view::npos) return false;
    const std::size_t p3 = line.rfind('@');
    if (p3 == std::string_view::npos || p3 < p1) return false;
    const std::size_t p2 = line.rfind('>', p3);
    if (p2 == std::string_view::npos || p2 < p1) return false;
    // The file has always allowed control characters around its prices: both fields are
    // trimmed here, as the out price always was, so the number reading's blanks-only rule for
    // typed prices changes nothing in the file.
    const std::string inText(Trim(line.substr(p2 + 1, p3 - p2 - 1)));
    const std::string outText(Trim(line.substr(p3 + 1)));
    if (!TryReadPrice(inText, priceIn) || !TryReadPrice(outText, priceOut)) return false;
    adapter = UnescapedName(Trim(line.substr(0, p1)));
    middle = Trim(line.substr(p1 + 1, p2 - p1 - 1));
    return true;
}

// ">IN@OUT" and the line's end.
void AppendPrices(std::string& out, double priceIn, double priceOut, char sep) {
    out += '>';
    out += FormatPriceGeneral(priceIn, sep);
    out += '@';
    out += FormatPriceGeneral(priceOut, sep);
    out += "\r\n";
}

// Reads a table's file into `table`, a line at a time by readLine, which gives false for a line
// that makes no entry; a file missing or unreadable adds nothing.
template <class Entry, class ReadLine>
FileFound ReadTable(FilePorts& ports, const DataFile& file, FileState& state, FileNotes& notes,
                    std::vector<Entry>& table, ReadLine readLine) {
    std::string bytes;
    const FileFound found = ReadDataFile(ports.files, file, state, bytes);
    if (found == FileFound::Read)
        ParseDataFile(ports.files, file, state, std::move(bytes), notes, [&](std::string_view line) {
            Entry e;
            if (!readLine(line, e)) return false;
            table.push_back(std::move(e));
            return true;
        });
    return found;
}

// One line of price.txt; false when it gives no entry.
bool ReadPriceLine(std::string_view line, TariffEntry& e) {
    std::string_view displayName;
    if (!ReadPriceLineFields(line, e.adapter, displayName, e.priceIn, e.priceOut)) return false;
    e.displayName = UnescapedName(displayName);
    return true;
}

// The file's entries with this run's changes over them: the prices and display names the
// run changed while the file was unread replace the file's of the same adapter, and the
// run's adapters the file lacks follow the file's, in the run's order.
std::vector<TariffEntry> MergedPrices(const Accounting& a, const EditsWhileUnread& edits, std::vector<TariffEntry> file) {
    std::unordered_set<std::string_view> inFile;
    for (TariffEntry& e : file) {
        const TariffEntry* run = FindTariffEntry(a, e.adapter);
        // Only the first entry of an adapter takes the run's changes.
        if (!inFile.insert(e.adapter).second || !run) continue;
        if (edits.prices.contains(e.adapter)) {
            e.priceIn = run->priceIn;
            e.priceOut = run->priceOut;
        }
        if (edits.displayNames.contains(e.adapter)) e.displayName = run->displayName;
    }
    std::vector<TariffEntry> added;
    for (const TariffEntry& run : a.Tariffs())
        if (!inFile.contains(run.adapter)) added.push_back(run);
    file.insert(file.end(), added.begin(), added.end());
    return file;
}

// One line: the adapter, "|", the period's last day (DD.MM.YYYY), ">", the price in, "@", the
// price out; price.txt's line with the last day in the display name's place. False when the
// line gives no period.
bool ReadEarlierPriceLine(std::string_view line, PricePeriod& p) {
    std::string_view lastDay;
    return ReadPriceLineFields(line, p.adapter, lastDay, p.priceIn, p.priceOut) && ReadDottedDate(lastDay, p.lastDay);
}

// The file's periods with the run's changes made again on them; an adapter the file lacks and
// the run did not change keeps the run's periods.
std::vector<PricePeriod> MergedEarlierPrices(const Accounting& a, const EditsWhileUnread& edits,
                                             std::vector<PricePeriod> file) {
    std::unordered_set<std::string> known;
    for (const PricePeriod& p : file) known.insert(p.adapter);
    for (const PriceChange& c : edits.priceChanges) known.insert(c.adapter);
    for (const PricePeriod& run : a.EarlierPrices())
        if (!known.contains(run.adapter)) file.push_back(run);
    for (const PriceChange& c : edits.priceChanges)
        file = PeriodsAfterChange(std::move(file), c.adapter, c.before, c.from, c.prices);
    return file;
}

// "YYYY-MM", a month of the years 1 to 9999.
bool ReadYearMonth(std::string_view text, YearMonth& m) {
    unsigned year = 0, month = 0;
    if (text.size() != 7 || text[4] != '-' || !ReadDigits(text.substr(0, 4), year) ||
        !ReadDigits(text.substr(5), month) || year == 0 || month == 0 || month > 12)
        return false;
    m = YearMonth{static_cast<std::uint16_t>(year), static_cast<std::uint16_t>(month)};
    return true;
}

// The fields a line of limits.txt may end with, each "|KEY=VALUE", written only where the
// entry differs from a monthly money limit: "kind=traffic", "day=N" (the period day, 2 to 31),
// "forecast=1" (the forecast's warning of the warned period was given).
constexpr std::string_view kKindKey = "kind";
constexpr std::string_view kKindTraffic = "traffic";
constexpr std::string_view kKindMoney = "money";
constexpr std::string_view kPeriodDayKey = "day";
constexpr std::string_view kForecastKey = "forecast";

// Takes the KEY=VALUE fields off the end of a limits.txt line into e; false for an unknown or
// repeated key, or a value that does not read.
bool ReadLimitExtras(std::string_view& line, LimitEntry& e) {
    bool kind = false, day = false, forecast = false;
    for (;;) {
        const std::size_t bar = line.rfind('|');
        if (bar == std::string_view::npos) return true;
        const std::string_view field = Trim(line.substr(bar + 1));
        const std::size_t eq = field.find('=');
        if (eq == std::string_view::npos) return true;  // the level: the fields of old
        const std::string_view key = field.substr(0, eq);
        const std::string_view value = field.substr(eq + 1);
        if (key == kKindKey && !kind && (value == kKindTraffic || value == kKindMoney)) {
            kind = true;
            e.kind = value == kKindTraffic ? LimitKind::Traffic : LimitKind::Money;
        } else if (key == kPeriodDayKey && !day && ReadPeriodDay(value, e.periodDay)) {
            day = true;
        } else if (key == kForecastKey && !forecast && (value == "0" || value == "1")) {
            forecast = true;
            e.forecastWarned = value == "1";
        } else {
            return false;
        }
        line = line.substr(0, bar);
    }
}

// One line of limits.txt: the adapter, "|", the limit, "|", the month of the last warning
// (YYYY-MM, or nothing), "|", its level (0, 80 or 100), then the KEY=VALUE fields above. The
// three separators before those are the last three "|" left, so the name before them may hold
// "|" itself; it is taken as it is, the other fields trimmed. False when the line gives no
// limit: a field that does not read, a limit that is not above 0, a warning without a month.
bool ReadLimitLine(std::string_view line, LimitEntry& e) {
    if (!ReadLimitExtras(line, e)) return false;
    std::string_view limitText, monthText, levelText;
    for (std::string_view* field : {&levelText, &monthText, &limitText}) {
        const std::size_t bar = line.rfind('|');
        if (bar == std::string_view::npos) return false;
        *field = Trim(line.substr(bar + 1));
        line = line.substr(0, bar);
    }
    if (!TryReadPrice(std::string(limitText), e.limit) || !(e.limit > 0)) return false;
    e.warnedMonth = YearMonth{};
    if (!monthText.empty() && !ReadYearMonth(monthText, e.warnedMonth)) return false;
    if (levelText != "0" && levelText != "80" && levelText != "100") return false;
    e.warnedLevel = levelText == "0" ? 0 : levelText == "80" ? 80 : 100;
    if (e.warnedMonth.year == 0 && (e.warnedLevel != 0 || e.forecastWarned)) return false;
    e.adapter = UnescapedName(line);
    return true;
}

bool SameLimit(const LimitEntry& x, const LimitEntry& y) { return x.kind == y.kind && x.adapter == y.adapter; }

// The same for the limits: a limit the run set, changed, removed or warned of has the run's
// entry in the file's place, or none; an adapter's limits the run changed take its period day.
std::vector<LimitEntry> MergedLimits(const Accounting& a, const EditsWhileUnread& edits, std::vector<LimitEntry> file) {
    auto edited = [&](const LimitEntry& e) { return edits.limits.contains(LimitEditKey(e.adapter, e.kind)); };
    std::vector<LimitEntry> merged;
    for (const LimitEntry& e : file) {
        if (!edited(e))
            merged.push_back(e);
        else if (const LimitEntry* run = FindLimit(a, e.adapter, e.kind))
            merged.push_back(*run);
    }
    for (const LimitEntry& run : a.Limits())
        if (std::none_of(file.begin(), file.end(), [&](const LimitEntry& e) { return SameLimit(e, run); }))
            merged.push_back(run);
    for (LimitEntry& m : merged)
        for (const LimitEntry& run : a.Limits())
            if (run.adapter == m.adapter && edited(run)) m.periodDay = run.periodDay;
    return merged;
}

}  // namespace

void LoadPriceFile(Accounting& a, DataFiles& data, FilePorts& ports, TableRead how, FileNotes& notes) {
    const bool wasUnread = !data.priceFile.read;  // the run's table may hold what the file lacks
    std::vector<TariffEntry> table;
    const FileFound found = ReadTable(ports, kPriceData, data.priceFile, notes, table, ReadPriceLine);
    if (found == FileFound::Missing && how == TableRead::Load) a.ReplaceTariffs({});
    if (found == FileFound::Unreadable) return;  // the table stays as it is
    a.ReplaceTariffs(wasUnread ? MergedPrices(a, data.editsWhileUnread, std::move(table)) : std::move(table));
    data.editsWhileUnread.prices.clear();
    data.editsWhileUnread.displayNames.clear();
}

std::string PriceFileText(const Accounting& a, char sep) {
    std::string out;
    for (const TariffEntry& e : a.Tariffs()) {
        AppendEscapedName(out, e.adapter, kAdapterField);
        out += '|';
        AppendEscapedName(out, e.displayName, kDisplayNameField);
        AppendPrices(out, e.priceIn, e.priceOut, sep);
    }
    return out;
}

// Read as price.txt is; a second period of an adapter ending on the same day is a bad line.
void LoadEarlierPriceFile(Accounting& a, DataFiles& data, FilePorts& ports, TableRead how, FileNotes& notes) {
    const bool wasUnread = !data.tariffFile.read;
    std::vector<PricePeriod> periods;
    auto readLine = [&](std::string_view line, PricePeriod& p) {
        return ReadEarlierPriceLine(line, p) && std::none_of(periods.begin(), periods.end(), [&](const PricePeriod& o) {
                   return o.adapter == p.adapter && o.lastDay == p.lastDay;
               });
    };
    const FileFound found = ReadTable(ports, kTariffData, data.tariffFile, notes, periods, readLine);
    if (found == FileFound::Missing && how == TableRead::Load) a.ReplaceEarlierPrices({});
    if (found == FileFound::Unreadable) return;
    data.tariffFileOnDisk = found == FileFound::Read;
    a.ReplaceEarlierPrices(wasUnread ? MergedEarlierPrices(a, data.editsWhileUnread, std::move(periods))
                                     : std::move(periods));
    data.editsWhileUnread.priceChanges.clear();
}

std::string EarlierPriceFileText(const Accounting& a, char sep) {
    std::string out;
    for (const PricePeriod& p : a.EarlierPrices()) {
        AppendEscapedName(out, p.adapter, kAdapterField);
        out += '|';
        out += DottedDateText(p.lastDay);
        AppendPrices(out, p.priceIn, p.priceOut, sep);
    }
    return out;
}

// limits.txt is read as price.txt is.
void LoadLimitFile(Accounting& a, DataFiles& data, FilePorts& ports, TableRead how, FileNotes& notes) {
    const bool wasUnread = !data.limitFile.read;
    std::vector<LimitEntry> limits;
    // A second limit of an adapter and kind, or one whose day is not that of the adapter's other
    // limit, is a bad line.
    auto readLine = [&](std::string_view line, LimitEntry& e) {
        return ReadLimitLine(line, e) && std::none_of(limits.begin(), limits.end(), [&](const LimitEntry& o) {
                   return o.adapter == e.adapter && (o.kind == e.kind || o.periodDay != e.periodDay);
               });
    };
    const FileFound found = ReadTable(ports, kLimitData, data.limitFile, notes, limits, readLine);
    if (found == FileFound::Missing && how == TableRead::Load) a.ReplaceLimits({});
    if (found == FileFound::Unreadable) return;
    data.limitFileOnDisk = found == FileFound::Read;
    a.ReplaceLimits(wasUnread ? MergedLimits(a, data.editsWhileUnread, std::move(limits)) : std::move(limits));
    data.editsWhileUnread.limits.clear();
}

std::string LimitFileText(const Accounting& a, char sep) {
    std::string out;
    for (const LimitEntry& e : a.Limits()) {
        AppendEscapedName(out, e.adapter, kFieldStartsLine);
        out += '|';
        out += FormatPriceGeneral(e.limit, sep);
        out += '|';
        if (e.warnedMonth.year != 0) {
            char month[8];
            std::snprintf(month, sizeof month, "%04u-%02u", unsigned{e.warnedMonth.year} % 10000u,
                          unsigned{e.warnedMonth.month} % 100u);
            out += month;
        }
        out += '|';
        AppendNumber(out, e.warnedLevel);
        auto extra = [&](std::string_view key, std::string_view value) {
            out += '|';
            out += key;
            out += '=';
            out += value;
        };
        if (e.kind == LimitKind::Traffic) extra(kKindKey, kKindTraffic);
        if (e.periodDay != kFirstPeriodDay) extra(kPeriodDayKey, std::to_string(e.periodDay));
        if (e.forecastWarned) extra(kForecastKey, "1");
        out += "\r\n";
    }
    return out;
}

}  // namespace velkaro
