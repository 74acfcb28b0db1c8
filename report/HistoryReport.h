// The HTML day-by-day history of one adapter, with monthly money subtotals, and above the
// table two charts of the same figures (report/HistoryCharts.h); and history.csv: the traffic
// of every adapter and day for a spreadsheet (semicolons, the regional decimal separator, CR LF,
// UTF-8 with a byte-order mark).
#pragma once

#include <string>
#include <string_view>

#include "core/Accounting.h"

namespace velkaro {

// The whole page for an adapter, Windows-1251 bytes with CR LF line ends.
// Registers the adapter in the price table when it has no entry (as the panel does).
std::string HistoryReportText(Accounting& a, const std::string& adapter, char sep);

// Quoted, quotes doubled, when it holds the separator, a quote, CR or LF.
std::string CsvField(std::string_view field);

// Registers nothing in the price table: an adapter without prices costs 0.
std::string HistoryCsvText(const Accounting& a, char sep);

}  // namespace velkaro
