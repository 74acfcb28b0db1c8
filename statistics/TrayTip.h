// The tray icon's tip: the title, today's traffic and cost, and the speed, summed over the
// adapters of the statistics panel's last layout, and what the limits leave.
#pragma once

#include <cstddef>
#include <string>

#include "statistics/StatisticsPanel.h"

namespace velkaro {

// The longest tip the shell shows, in characters.
inline constexpr std::size_t kTrayTipLimit = 127;

// "Velkaro V1.4 Final", "Сегодня: " traffic ", " cost, "Скорость: " speed; lines joined by LF,
// the texts those of the panel. Cut to the limit at a line end. With an allowance line (of
// the limits, core/Limits.h) it comes fourth, and a tip too long loses the title's end first,
// then the title line, before lines from the end.
std::string TrayTipText(const PanelTotals& totals, char sep, const std::string& allowance = {});

// The text when it is no longer than limit; else its lines that fit whole, without the line
// end before the first line left out (a first line longer than the limit is cut at it).
std::string CutAtLineEnd(const std::string& text, std::size_t limit);

}  // namespace velkaro
