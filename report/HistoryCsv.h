// history.csv: the traffic of every adapter and day for a spreadsheet (semicolons, the
// regional decimal separator, CR LF, UTF-8 with a byte-order mark).
#pragma once

#include <string>
#include <string_view>

#include "core/Accounting.h"

namespace velkaro {

// Quoted, quotes doubled, when it holds the separator, a quote, CR or LF.
std::string CsvField(std::string_view field);

// Registers nothing in the price table: an adapter without prices costs 0.
std::string HistoryCsvText(const Accounting& a, char sep);

}  // namespace velkaro
