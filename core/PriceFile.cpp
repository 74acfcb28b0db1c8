// price.txt, the prices in force and the display names, and tariffs.txt, the prices an adapter
// had before its entry's, one line per earlier period.
#include <algorithm>
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
struct PriceLineFields {
    std::string adapter;
    std::string_view middle;
    double priceIn = 0;
    double priceOut = 0;
};

// The separators are searched from the right, so a display name may hold ">" and "@": the out
// price follows the last "@", the in price the last ">" before it.
bool ReadPriceLineFields(std::string_view line, PriceLineFields& f) {
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
    if (!TryReadPrice(inText, f.priceIn) || !TryReadPrice(outText, f.priceOut)) return false;
    f.adapter = UnescapedName(Trim(line.substr(0, p1)));
    f.middle = Trim(line.substr(p1 + 1, p2 - p1 - 1));
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

// One line of price.txt; false when it gives no entry.
bool ReadPriceLine(std::string_view line, TariffEntry& e) {
    PriceLineFields f;
    if (!ReadPriceLineFields(line, f)) return false;
    e.adapter = std::move(f.adapter);
    e.displayName = UnescapedName(f.middle);
    e.priceIn = f.priceIn;
    e.priceOut = f.priceOut;
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
    PriceLineFields f;
    if (!ReadPriceLineFields(line, f) || !ReadDottedDate(f.middle, p.lastDay)) return false;
    p.adapter = std::move(f.adapter);
    p.priceIn = f.priceIn;
    p.priceOut = f.priceOut;
    return true;
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

}  // namespace

void LoadPriceFile(Accounting& a, DataFiles& data, FilePorts& ports, TableRead how, FileNotes& notes) {
    const bool wasUnread = !data.priceFile.read;  // the run's table may hold what the file lacks
    std::string bytes;
    const FileFound found = ReadDataFile(ports.files, kPriceData, data.priceFile, bytes);
    if (found == FileFound::Missing && how == TableRead::Load) a.ReplaceTariffs({});
    if (found == FileFound::Unreadable) return;  // the table stays as it is
    std::vector<TariffEntry> table;
    if (found == FileFound::Read)
        ParseDataFile(ports.files, kPriceData, data.priceFile, std::move(bytes), notes, [&](std::string_view line) {
            TariffEntry e;
            if (!ReadPriceLine(line, e)) return false;
            table.push_back(std::move(e));
            return true;
        });
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
    std::string bytes;
    const FileFound found = ReadDataFile(ports.files, kTariffData, data.tariffFile, bytes);
    if (found == FileFound::Missing && how == TableRead::Load) a.ReplaceEarlierPrices({});
    if (found == FileFound::Unreadable) return;
    data.tariffFileOnDisk = found == FileFound::Read;
    std::vector<PricePeriod> periods;
    if (found == FileFound::Read)
        ParseDataFile(ports.files, kTariffData, data.tariffFile, std::move(bytes), notes, [&](std::string_view line) {
            PricePeriod p;
            if (!ReadEarlierPriceLine(line, p) || std::any_of(periods.begin(), periods.end(), [&](const PricePeriod& o) {
                    return o.adapter == p.adapter && o.lastDay == p.lastDay;
                }))
                return false;
            periods.push_back(std::move(p));
            return true;
        });
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

}  // namespace velkaro
