// Brings the history up to date from the interface table, once per tick.
#pragma once

#include <string>

#include "core/Accounting.h"
#include "core/Ports.h"

namespace velkaro {

// The adapter name of a row: bDescr up to the first zero byte, cut to dwDescrLen (<= 256).
std::string AdapterNameOf(const InterfaceRow& row);

// One sampling: a failing table call changes nothing.
void SampleInterfaces(Accounting& a, InterfaceTable& table);

}  // namespace velkaro
