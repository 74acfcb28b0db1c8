// history.txt and price.txt: loading at start-up and after clearing, and the save.
//
// Lines end with CR LF when written; on reading a line ends at LF, and one CR right before
// that LF (or at the very end of the file) is dropped with it. A CR anywhere else is an
// ordinary byte of the line.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "core/Accounting.h"
#include "core/Ports.h"

namespace velkaro {

struct FilePorts {
    FileStore& files;
    Clock& clock;
    RegionalSettings& regional;
    Dialogs& dialogs;
    WindowHost& window;
};

// Loads both files:
//  1. The AccountingDate := the clock's today.
//  2. The TariffTable is emptied and refilled from price.txt (at most 254 entries). A price
//     line whose separators are missing or whose price is not a number adds no entry: the
//     message "'<text>' is not a valid floating point value" is shown and loading goes on.
//  3. history.txt: when it is read, the HistoryTable is REPLACED by the file's records (so a
//     reload after a clear whose deletion failed holds every saved record once); the settings
//     lines set a.adapterFilter, the window's outer width and a.hideIdle ("hide.idle": 1 is
//     on, 0 or any other value off). When history.txt is missing or
//     cannot be opened, the HistoryTable and the settings keep their values.
// A file that is missing or cannot be opened (codes 2, 3, 5 and 32) is not an error. Any other
// read failure raises AppError with the runtime's text for the code, and loading stops there.
// a.filesLoaded ends up true only when each file was read or does not exist; otherwise the
// save writes nothing, so a file this run has not seen is never overwritten.
// The caller of a clear: save, delete history.txt, ClearHistory() when the deletion succeeded,
// then LoadFiles.
void LoadFiles(Accounting& a, FilePorts& ports);

// The save: history.txt then price.txt, each replaced in one step (FileStore::ReplaceAll).
// Writes nothing unless a.filesLoaded. Raises AppError with the runtime's text for the code
// when a file cannot be written; price.txt is not written after history.txt failed.
void ost(const Accounting& a, FilePorts& ports);

// Reads the next number field of a record line: the digits met up to the delimiter (or to the
// end when there is none) make the value, everything else is passed over; the scanned text and
// the delimiter are removed from the line. Unsigned reading takes up to 4294967295, signed
// reading up to 2147483647; a larger value, or no digit, gives 0.
std::uint32_t ReadFieldNumber(std::string_view& line, char delimiter, bool isUnsigned);

// The bytes of the two files, as the save writes them.
std::string HistoryFileText(const Accounting& a, int form1Width);
std::string PriceFileText(const Accounting& a, char sep);

// The value of the "form1.width" setting: a signed 32-bit integer in decimal (optional sign)
// or hexadecimal after "$" or "0x"; 500 when the text is not one.
int ReadWidthSetting(std::string_view value);

}  // namespace velkaro
