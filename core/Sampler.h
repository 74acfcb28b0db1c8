// Brings the history up to date from the interface table, once per tick.
//
// By default a record holds the traffic attributed to it: each reading adds every row's
// growth since its last reading (core/Counting.h) to its adapter's open record of the
// AccountingDate. With the "counting=boot" setting a record holds the counters as they stand,
// as the program always did: an open record is advanced to the row's counters, or closed and
// followed by a new one when a counter went back.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/Accounting.h"
#include "core/Ports.h"

namespace velkaro {

// The adapter name of a row: bDescr up to the first zero byte, cut to dwDescrLen (<= 256).
std::string AdapterNameOf(const InterfaceRow& row);
// The same name as a view into the row.
std::string_view AdapterNameView(const InterfaceRow& row);

// One sampling at `ms` on the monotonic clock, reading the table into `rows` (kept by the
// caller, so its storage is reused). Also sets every adapter's rate. Filter rows are not
// accounted (but with counting=boot, which accounts every row). False, with nothing changed,
// when the table call failed.
bool SampleInterfaces(Accounting& a, InterfaceTable& table, std::vector<InterfaceRow>& rows,
                      std::uint64_t ms);
void SampleInterfaces(Accounting& a, InterfaceTable& table);

// Adds traffic to the open record `index`. A field that would pass 4,294,967,295 closes the
// record with the next session number, and new open records of its day and adapter take the
// rest. Returns the open record that holds the end.
std::size_t AddToOpenRecord(Accounting& a, std::size_t index, std::uint64_t in, std::uint64_t out);

}  // namespace velkaro
