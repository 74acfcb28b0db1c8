// tariffs.txt: the prices an adapter had before its entry's, one line per earlier period.
#include "core/TariffFiles.h"

#include <algorithm>
#include <unordered_set>

#include "core/DatedPrices.h"
#include "core/Formatting.h"
#include "core/NameEscape.h"
#include "core/NumberText.h"

namespace velkaro {

namespace {

// As price.txt's first field, so that names carry any bytes the same way.
constexpr unsigned kAdapterField = kFieldTrimmed | kFieldStartsLine | kFieldEndsAtBar | kFieldTabLine;

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
    for (const PriceChange& c : edits.priceChanges) {
        std::vector<PricePeriod> mine;
        std::erase_if(file, [&](const PricePeriod& p) {
            if (p.adapter != c.adapter) return false;
            mine.push_back(p);
            return true;
        });
        std::stable_sort(mine.begin(), mine.end(), [](const PricePeriod& x, const PricePeriod& y) {
            return DateKey(x.lastDay.year, x.lastDay.month, x.lastDay.day) <
                   DateKey(y.lastDay.year, y.lastDay.month, y.lastDay.day);
        });
        const std::vector<PricePeriod> changed = PeriodsAfterChange(std::move(mine), c.adapter, c.before, c.from, c.prices);
        file.insert(file.end(), changed.begin(), changed.end());
    }
    return file;
}

}  // namespace

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
