// The tray icon's tip: the title, today's traffic and cost, and the speed, summed over the
// adapters of the statistics panel's last layout.
#pragma once

#include <cstddef>
#include <string>

#include "statistics/StatisticsPanel.h"

namespace velkaro {

// The longest tip the shell shows, in characters.
inline constexpr std::size_t kTrayTipLimit = 127;

// "Velkaro V1.4 Final", "Сегодня: " traffic ", " cost, "Скорость: " speed; lines joined by LF,
// the texts those of the panel. Cut to the limit at a line end.
std::string TrayTipText(const PanelTotals& totals, char sep);

// The text when it is no longer than limit; else its lines that fit whole, without the line
// end before the first line left out (a first line longer than the limit is cut at it).
std::string CutAtLineEnd(const std::string& text, std::size_t limit);

}  // namespace velkaro
