// limits.txt of any bytes: loading never fails (bad lines are skipped, with one message, and the
// first save keeps the file as it was as limits.bak); every limit loaded is above 0, once per
// adapter and kind, with a level of 0, 80 or 100 and a forecast's warning that have their
// month, and one period day of 1 to 31 per adapter; what was loaded is saved and loads
// back without a message, exactly from the second save on (the first may round the limit to 15
// digits); a look at the limits with no records shows no balloon.
#include <cstddef>
#include <cstdint>
#include <set>
#include <string>

#include "app/TrafficMeter.h"
#include "fuzz/FuzzPorts.h"

using namespace velkaro;

namespace {

bool SameLimits(const Accounting& x, const Accounting& y, bool exact) {
    if (x.Limits().size() != y.Limits().size()) return false;
    for (std::size_t i = 0; i < x.Limits().size(); ++i) {
        const LimitEntry& p = x.Limits()[i];
        const LimitEntry& q = y.Limits()[i];
        if (p.adapter != q.adapter || p.warnedMonth != q.warnedMonth || p.warnedLevel != q.warnedLevel ||
            p.kind != q.kind || p.periodDay != q.periodDay || p.forecastWarned != q.forecastWarned ||
            (exact && p.limit != q.limit))
            return false;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::Ports p;
    p.regional.separator = size % 2 ? '.' : ',';
    const std::string input(reinterpret_cast<const char*>(data), size);
    p.files.files[texts::kLimitFile] = input;

    Accounting a;
    DataFiles aFiles;
    LoadFiles(a, aFiles, p.ports);
    fuzz::Check(aFiles.loaded && aFiles.limitFile.read && aFiles.limitFileOnDisk);
    fuzz::Check(p.dialogs.messages.size() <= 1);
    const bool skipped = !p.dialogs.messages.empty();
    fuzz::Check(skipped == aFiles.limitFile.backupDue);
    std::set<std::string> limits;
    for (const LimitEntry& e : a.Limits()) {
        fuzz::Check(e.limit > 0);
        fuzz::Check(e.warnedLevel == 0 || e.warnedLevel == 80 || e.warnedLevel == 100);
        fuzz::Check((e.warnedLevel == 0 && !e.forecastWarned) || e.warnedMonth.year != 0);
        fuzz::Check(e.periodDay >= 1 && e.periodDay <= 31 && e.periodDay == PeriodDayOf(a, e.adapter));
        fuzz::Check(limits.insert(LimitEditKey(e.adapter, e.kind)).second);
    }
    ScriptedNotifier notifier;
    ShowLimitWarnings(a, aFiles, p.regional.separator, notifier);
    fuzz::Check(notifier.balloons.empty() && notifier.refused == 0);

    fuzz::Check(SaveFiles(a, aFiles, p.ports).empty());
    fuzz::Check(p.files.files.count(texts::kLimitBackup) == (skipped ? 1u : 0u));
    if (skipped) fuzz::Check(p.files.files[texts::kLimitBackup] == input);
    p.dialogs.messages.clear();
    Accounting b;
    DataFiles bFiles;
    LoadFiles(b, bFiles, p.ports);
    fuzz::Check(p.dialogs.messages.empty());
    fuzz::Check(SameLimits(a, b, false));

    SaveFiles(b, bFiles, p.ports);
    const std::string second = p.files.files[texts::kLimitFile];
    Accounting c;
    DataFiles cFiles;
    LoadFiles(c, cFiles, p.ports);
    fuzz::Check(p.dialogs.messages.empty());
    fuzz::Check(SameLimits(b, c, true));
    SaveFiles(c, cFiles, p.ports);
    fuzz::Check(p.files.files[texts::kLimitFile] == second);
    return 0;
}
