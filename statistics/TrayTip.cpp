#include "statistics/TrayTip.h"

#include "core/Formatting.h"
#include "core/Texts.h"

namespace velkaro {

std::string CutAtLineEnd(const std::string& text, std::size_t limit) {
    if (text.size() <= limit) return text;
    const std::size_t end = text.rfind('\n', limit);
    return text.substr(0, end == std::string::npos ? limit : end);
}

std::string TrayTipText(const PanelTotals& totals, char sep) {
    std::string tip = texts::kAppTitle;
    tip += '\n';
    tip += texts::kTipToday;
    tip += FormatTraffic(totals.out, totals.in, sep);
    tip += ", ";
    tip += FormatCost(totals.costOut, totals.costIn, sep);
    tip += '\n';
    tip += texts::kTipSpeed;
    tip += FormatSpeed(totals.speed, sep);
    return CutAtLineEnd(tip, kTrayTipLimit);
}

}  // namespace velkaro
