// history.txt, price.txt and limits.txt: loading at start-up and after clearing, and the save.
// Each file's lines are read and written by its own module (core/HistoryFile.h,
// core/TariffFiles.h).
//
// Lines end with CR LF when written; how lines are read, skipped and kept as .bak copies is
// shared by the three files (core/DataFile.h). The names in price.txt and limits.txt carry
// any bytes (core/NameEscape.h); history.txt's name is the rest of its line, so it carries any
// bytes but CR, LF and NUL.
#pragma once

#include <string>
#include <vector>

#include "core/Accounting.h"
#include "core/DataFile.h"
#include "core/HistoryFile.h"
#include "core/TariffFiles.h"
#include "core/Ports.h"

namespace velkaro {

// A file the save left as it was because this run could not read it.
struct UnreadFile {
    const char* name;  // texts::kHistoryFile, texts::kPriceFile or texts::kLimitFile
    int code;          // the code its last reading failed with
};

// Loads the three files at start-up and after a clear: the AccountingDate and the limits'
// time from the clock, a crashed save's temporary files removed, then price.txt, limits.txt and
// history.txt, each replacing its table when read. A file that exists but cannot be read keeps
// its table and stays unread. Returns the messages to show: first one naming the files left
// unread (none already named by an earlier load), then those of files with skipped lines; and
// the window width history.txt keeps.
FileNotes LoadFiles(Accounting& a, DataFiles& data, FilePorts& ports);

struct SaveOutcome {
    FileNotes notes;                  // of the files that read at last
    std::vector<UnreadFile> unread;   // left as they were: they still cannot be read
};

// The save: the files still unread are read again first (the run's edits kept over theirs),
// then each file the run has read is replaced in one step, its backup first when due.
// limits.txt is written only while there is a limit or the file exists. windowWidth is
// written as the window's width, unless a late read of history.txt gives another, which the
// notes carry. Raises AppError when a write fails; before LoadFiles it does nothing.
SaveOutcome SaveFiles(Accounting& a, DataFiles& data, FilePorts& ports, int windowWidth);

// The message of an exit path whose save left files unwritten (one file or more).
std::string UnwrittenText(const std::vector<UnreadFile>& files);
// The reason shown for a read error code, in Russian.
std::string ReadFailureReason(int code);

}  // namespace velkaro
