// The tray icon's tip: today's traffic, cost and speed over the panel's last layout, and what
// the limits leave.
#pragma once

#include <cstddef>
#include <string>

#include "statistics/StatisticsPanel.h"

namespace velkaro {

// The longest tip the shell shows, in characters.
inline constexpr std::size_t kTrayTipLimit = 127;

// Lines joined by LF, with the panel's texts; an allowance line (AllowanceLine) comes fourth.
// A tip too long loses the title's end, then the title line, then lines from the end.
std::string TrayTipText(const PanelTotals& totals, char sep, const std::string& allowance = {});

// The lines that fit whole, without the line end before the first one left out; a first line
// longer than the limit is cut at it.
std::string CutAtLineEnd(const std::string& text, std::size_t limit);

}  // namespace velkaro
