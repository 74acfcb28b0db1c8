// history.txt: the settings lines, the interface rows' last readings and the records.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "core/Accounting.h"
#include "core/DataFile.h"
#include "core/Texts.h"

namespace velkaro {

inline constexpr DataFile kHistoryData{texts::kHistoryFile, texts::kHistoryBackup};

// Reads history.txt into the table (what LoadFiles and SaveFiles say of it, core/Files.h). At
// start-up (or a reload) the file's records replace the table; a save that reads a file it
// could not read before adds the run's counted traffic to them, since the run counted what the
// file has not seen.
void LoadHistoryFile(Accounting& a, DataFiles& data, FilePorts& ports, TableRead how, FileNotes& notes);

// Reads the next number field of a record line: the digits met up to the delimiter (or to the
// end when there is none) make the value, everything else is passed over; the scanned text and
// the delimiter are removed from the line. Unsigned reading takes up to 4294967295, signed
// reading up to 2147483647; a larger value, or no digit, gives 0.
std::uint32_t ReadFieldNumber(std::string_view& line, char delimiter, bool isUnsigned);

// The bytes of history.txt as the save writes them: "SHOW=", "form1.width=",
// "hide.idle=1" while on, "tray.activity=0" while off, "graph.window=LEFT TOP WIDTH HEIGHT"
// once the speed graph has a place, then "counting=boot" while set, or else (once the run has read the
// interface table, or the file it read kept readings) "boot=" with the system's start,
// "uptime=" with the seconds it had run (both `now` once the run has read the table, the
// file's before) and a "reading=KEY IN OUT NAME" line per interface row (the name's bytes
// below 0x20 and "%" as %XX), then the records.
std::string HistoryFileText(const Accounting& a, int form1Width, const SystemClock& now);

// The clock's system start and uptime now.
SystemClock NowOf(Clock& clock);

// The value of the "form1.width" setting: a signed 32-bit integer in decimal (optional sign)
// or hexadecimal after "$" or "0x"; 500 when the text is not one.
int ReadWidthSetting(std::string_view value);

}  // namespace velkaro
