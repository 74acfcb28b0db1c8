// Brings the history up to date from the interface table, once per tick.
#pragma once

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

// One sampling: a failing table call changes nothing.
void SampleInterfaces(Accounting& a, InterfaceTable& table);
// The same, reading the table into `rows` (kept by the caller, so its storage is reused and
// the rows can be looked at afterwards). False when the table call failed.
bool SampleInterfaces(Accounting& a, InterfaceTable& table, std::vector<InterfaceRow>& rows);

}  // namespace velkaro
