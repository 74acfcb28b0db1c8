// What the file fuzz targets load and save through: files in memory, a fixed clock and
// separator, recorded dialogs, and a window that only keeps its width.
#pragma once

#include <cstdlib>

#include "core/Accounting.h"
#include "core/Files.h"
#include "core/Texts.h"
#include "tools/scripted/ScriptedPorts.h"

namespace velkaro::fuzz {

class WidthOnlyWindow : public WindowHost {
public:
    int width = 790;
    int OuterWidth() override { return width; }
    int OuterHeight() override { return 118; }
    void SetOuterWidth(int w) override { width = w; }
    int ImageWidth() override { return 784; }
    int ImageHeight() override { return 72; }
    int TextWidth(const std::string& text) override { return 7 * static_cast<int>(text.size()); }
};

struct Ports {
    MemoryFileStore files;
    FixedClock clock;
    FixedRegional regional;
    ScriptedDialogs dialogs;
    WidthOnlyWindow window;
    ScriptedFilePorts ports{{files, clock, regional}, dialogs, window};
};

inline void Check(bool ok) {
    if (!ok) std::abort();
}

inline bool SameHistory(const Accounting& x, const Accounting& y) {
    if (x.HistoryCount() != y.HistoryCount() || x.AdapterFilter() != y.AdapterFilter()) return false;
    for (std::size_t i = 0; i < x.HistoryCount(); ++i) {
        const HistoryRecord& p = x.History()[i];
        const HistoryRecord& q = y.History()[i];
        if (x.AdapterNameOf(p) != y.AdapterNameOf(q) || p.day != q.day || p.month != q.month ||
            p.year != q.year || p.session != q.session || p.inOctets != q.inOctets ||
            p.outOctets != q.outOctets)
            return false;
    }
    return true;
}

inline bool SameTariffs(const Accounting& x, const Accounting& y) {
    if (x.Tariffs().size() != y.Tariffs().size()) return false;
    for (std::size_t i = 0; i < x.Tariffs().size(); ++i) {
        const TariffEntry& p = x.Tariffs()[i];
        const TariffEntry& q = y.Tariffs()[i];
        if (p.adapter != q.adapter || p.displayName != q.displayName || p.priceIn != q.priceIn ||
            p.priceOut != q.priceOut)
            return false;
    }
    return true;
}

}  // namespace velkaro::fuzz
