// history.csv: the traffic of every adapter and day for a spreadsheet. Semicolons between
// fields, the regional decimal separator, CR LF line ends, UTF-8 with a byte-order mark, a
// header row; then one row per adapter and day (date, adapter, display name, bytes received,
// bytes sent, the day's cost at the current prices), in date order, then adapter order.
#pragma once

#include <string>
#include <string_view>

#include "core/Accounting.h"

namespace velkaro {

// A field as it goes into the file: quoted, with its quotes doubled, when it holds the
// field separator, a quote, CR or LF; else as it is.
std::string CsvField(std::string_view field);

// The whole file. Every adapter of the history, or with the "SHOW" setting only the adapter
// it names. Registers nothing in the price table: an adapter without prices costs 0.
std::string HistoryCsvText(const Accounting& a, char sep);

}  // namespace velkaro
