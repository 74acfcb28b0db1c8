#include "statistics/TrayTip.h"

#include "core/Formatting.h"
#include "core/Texts.h"

namespace velkaro {

std::string CutAtLineEnd(const std::string& text, std::size_t limit) {
    if (text.size() <= limit) return text;
    const std::size_t end = text.rfind('\n', limit);
    return text.substr(0, end == std::string::npos ? limit : end);
}

std::string TrayTipText(const PanelTotals& totals, char sep, const std::string& allowance) {
    std::string title = texts::kAppTitle;
    std::string tip = texts::kTipToday;
    tip += FormatTraffic(totals.out, totals.in, sep);
    tip += ", ";
    tip += FormatCost(totals.costOut, totals.costIn, sep);
    tip += '\n';
    tip += texts::kTipSpeed;
    tip += FormatSpeed(totals.speed, sep);
    if (!allowance.empty()) {
        tip += '\n';
        tip += allowance;
        // The title gives way first: its end, then the whole line with its line end.
        const std::size_t room = kTrayTipLimit > tip.size() ? kTrayTipLimit - tip.size() : 0;
        if (title.size() + 1 > room) title.resize(room > 1 ? room - 1 : 0);
    }
    if (!title.empty()) tip = title + '\n' + tip;
    return CutAtLineEnd(tip, kTrayTipLimit);
}

}  // namespace velkaro
