// What the tests build their cases from: history records, and the scripted system the engine
// and the statistics window run on.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "core/Accounting.h"
#include "core/Counting.h"
#include "core/Files.h"
#include "tools/scripted/ScriptedPorts.h"

namespace velkaro {

// A day from ints, as loops count.
inline Date Day(int year, int month, int day) {
    return Date{static_cast<std::uint16_t>(year), static_cast<std::uint16_t>(month), static_cast<std::uint16_t>(day)};
}

// A record of a day with its two counters, open unless closed with a session number.
inline HistoryRecord Record(Date day, std::uint32_t in, std::uint32_t out, std::int32_t session = 0) {
    HistoryRecord r;
    r.year = day.year;
    r.month = day.month;
    r.day = day.day;
    r.inOctets = in;
    r.outOctets = out;
    r.session = session;
    return r;
}

// The same appended to the history under an adapter's name; returns its index.
inline std::size_t AddRecord(Accounting& a, const std::string& adapter, Date day, std::uint32_t in,
                             std::uint32_t out, std::int32_t session = 0) {
    return a.AppendHistoryRecord(a.Intern(adapter), Record(day, in, out, session));
}

// One reading of the table, with no time between readings (no rates).
inline void SampleInterfaces(Accounting& a, InterfaceTable& table) {
    std::vector<InterfaceRow> rows;
    SampleInterfaces(a, table, rows, 0);
}

// The scripted system, and the ports the files are loaded and saved through.
struct Fakes {
    ScriptedInterfaceTable table;
    FixedClock clock;
    FixedRegional regional;
    ScriptedDialogs dialogs;
    ScriptedShell shell;
    MemoryFileStore files;
    ScriptedWindowHost window;
    ScriptedFilePorts ports{{files, clock, regional}, dialogs, window};
    SystemPorts System() { return {table, clock, regional, dialogs, shell, files}; }
};

}  // namespace velkaro
