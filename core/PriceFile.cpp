#include "core/TariffFiles.h"

#include <unordered_set>

#include "core/Formatting.h"
#include "core/NameEscape.h"
#include "core/NumberText.h"
#include "core/Texts.h"

namespace velkaro {

namespace {

constexpr unsigned kAdapterField = kFieldTrimmed | kFieldStartsLine | kFieldEndsAtBar | kFieldTabLine;
constexpr unsigned kDisplayNameField = kFieldTrimmed | kFieldTabLine;

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

}  // namespace

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

void AppendPrices(std::string& out, double priceIn, double priceOut, char sep) {
    out += '>';
    out += FormatPriceGeneral(priceIn, sep);
    out += '@';
    out += FormatPriceGeneral(priceOut, sep);
    out += "\r\n";
}

namespace {

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

}  // namespace velkaro
