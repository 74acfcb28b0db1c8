// tariffs.txt of any bytes: loading never fails (bad lines are skipped, with one message, and the
// first save keeps the file as it was as tariffs.bak); the periods loaded are calendar days in
// order, none of one adapter twice; what was loaded is saved and loads back without a message,
// exactly from the second save on (the first may round a price to 15 digits); every day of an
// adapter has the prices of the first period ending on or after it.
#include <cstddef>
#include <cstdint>
#include <set>
#include <string>
#include <utility>

#include "core/Calendar.h"
#include "core/Files.h"
#include "fuzz/FuzzPorts.h"

using namespace velkaro;

namespace {

std::uint64_t KeyOf(const Date& d) { return DateKey(d.year, d.month, d.day); }

bool SamePeriods(const Accounting& x, const Accounting& y, bool exact) {
    if (x.EarlierPrices().size() != y.EarlierPrices().size()) return false;
    for (std::size_t i = 0; i < x.EarlierPrices().size(); ++i) {
        const PricePeriod& p = x.EarlierPrices()[i];
        const PricePeriod& q = y.EarlierPrices()[i];
        if (p.adapter != q.adapter || !(p.lastDay == q.lastDay) || (exact && !(p == q))) return false;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::Ports p;
    p.regional.separator = size % 2 ? '.' : ',';
    const std::string input(reinterpret_cast<const char*>(data), size);
    p.files.files[texts::kTariffFile] = input;

    Accounting a;
    DataFiles aFiles;
    LoadFiles(a, aFiles, p.ports);
    fuzz::Check(aFiles.loaded && aFiles.tariffFile.read && aFiles.tariffFileOnDisk);
    fuzz::Check(p.dialogs.messages.size() <= 1);
    const bool skipped = !p.dialogs.messages.empty();
    fuzz::Check(skipped == aFiles.tariffFile.backupDue);
    std::set<std::pair<std::string, std::uint64_t>> seen;
    std::uint64_t last = 0;
    for (const PricePeriod& e : a.EarlierPrices()) {
        const Date& d = e.lastDay;
        fuzz::Check(d.year >= 1 && d.month >= 1 && d.month <= 12 && d.day >= 1 && d.day <= DaysInMonth(d.year, d.month));
        fuzz::Check(KeyOf(d) >= last);
        last = KeyOf(d);
        fuzz::Check(seen.insert({e.adapter, KeyOf(d)}).second);
        const std::vector<PricePeriod> mine = EarlierPricesOf(a, e.adapter);
        const Prices at = PricesOnDay(mine, Prices{-1, -1}, d);
        fuzz::Check((at == Prices{e.priceIn, e.priceOut}) || (at.in != at.in) || (at.out != at.out));
    }

    fuzz::Check(SaveFiles(a, aFiles, p.ports).empty());
    fuzz::Check(p.files.files.count(texts::kTariffBackup) == (skipped ? 1u : 0u));
    if (skipped) fuzz::Check(p.files.files[texts::kTariffBackup] == input);
    p.dialogs.messages.clear();
    Accounting b;
    DataFiles bFiles;
    LoadFiles(b, bFiles, p.ports);
    fuzz::Check(p.dialogs.messages.empty());
    fuzz::Check(SamePeriods(a, b, false));

    SaveFiles(b, bFiles, p.ports);
    const std::string second = p.files.files[texts::kTariffFile];
    Accounting c;
    DataFiles cFiles;
    LoadFiles(c, cFiles, p.ports);
    fuzz::Check(p.dialogs.messages.empty());
    fuzz::Check(SamePeriods(b, c, true));
    SaveFiles(c, cFiles, p.ports);
    fuzz::Check(p.files.files[texts::kTariffFile] == second);
    return 0;
}
