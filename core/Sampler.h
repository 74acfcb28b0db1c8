// Brings the history up to date from the interface table, once per tick: each row's growth
// goes to its adapter's open record (core/Counting.h), or with "counting=boot" the record is
// advanced to the counters as they stand and closed when one went back.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/Accounting.h"
#include "core/Ports.h"

namespace velkaro {

// bDescr up to the first zero byte, cut to dwDescrLen (<= 256).
std::string AdapterNameOf(const InterfaceRow& row);
std::string_view AdapterNameView(const InterfaceRow& row);

// `rows` is the caller's, so its storage is reused. Filter rows are left out except with
// counting=boot. False, with nothing changed, when the table call failed.
bool SampleInterfaces(Accounting& a, InterfaceTable& table, std::vector<InterfaceRow>& rows,
                      std::uint64_t ms);
void SampleInterfaces(Accounting& a, InterfaceTable& table);

// A field that would pass 4,294,967,295 closes the record and new open records take the rest.
// Returns the open record that holds the end.
std::size_t AddToOpenRecord(Accounting& a, std::size_t index, std::uint64_t in, std::uint64_t out);

}  // namespace velkaro
