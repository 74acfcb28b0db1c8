// history.txt and price.txt: loading at start-up and after clearing, and the save.
#pragma once

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

// Sets the AccountingDate from the clock, reloads the price table from price.txt, then reads
// history.txt (records appended, settings applied). Raises AppError on a read error.
// Sets a.filesLoaded when the history was read (or is missing).
void LoadFiles(Accounting& a, FilePorts& ports);

// The save: history.txt then price.txt, each replaced in one step. Writes nothing unless
// a.filesLoaded. Raises AppError with the runtime's text when a file cannot be written.
void ost(const Accounting& a, FilePorts& ports);

// Reads the next number field of a record line up to the delimiter and removes it from the
// line. Digits only; a value too large for `bits`-bit reading (32 unsigned, 31 signed) gives 0.
std::uint32_t ReadFieldNumber(std::string_view& line, char delimiter, bool isUnsigned);

// The bytes of the two files, as the save writes them.
std::string HistoryFileText(const Accounting& a, int form1Width);
std::string PriceFileText(const Accounting& a, char sep);

}  // namespace velkaro
