// The HTML day-by-day history of one adapter, with monthly money subtotals, and above the
// table two charts of the same figures (report/HistoryCharts.h).
#pragma once

#include <string>

#include "core/Accounting.h"

namespace velkaro {

// The whole page for an adapter, Windows-1251 bytes with CR LF line ends.
// Registers the adapter in the price table when it has no entry (as the panel does).
std::string HistoryReportText(Accounting& a, const std::string& adapter, char sep);

}  // namespace velkaro
