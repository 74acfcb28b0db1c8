// history.txt, price.txt and limits.txt: loading at start-up and after clearing, and the save.
// Each file's lines are read and written by its own module (core/HistoryFile.h,
// core/TariffFiles.h).
//
// Lines end with CR LF when written; how lines are read, skipped and kept as .bak copies is
// shared by the three files (core/DataFile.h). The names in price.txt and limits.txt carry
// any bytes (core/NameEscape.h); history.txt's name is the rest of its line, so it carries any
// bytes but CR, LF and NUL.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
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

// Loads the three files:
//  1. The AccountingDate := the clock's today, and the limits' date and time its own. A
//     temporary file a crashed save left behind (history.txt.tmp, price.txt.tmp,
//     limits.txt.tmp and those of the .bak copies) is deleted.
//  2. price.txt: when read, the TariffTable is REPLACED by its entries, any number of them
//     (a reload of a file this run had not read takes it as the save does, below); when
//     missing, the table is emptied. Lines that give no entry (a TAB, no "|", separators
//     out of order, a price that is not a number) are skipped.
//  3. limits.txt: the same for the limits (a missing file: no limits). Skipped are lines that
//     give no limit and a second line of the same adapter.
//  4. history.txt: when read, the HistoryTable is REPLACED by the file's records (so a
//     reload after a clear whose deletion failed holds every saved record once); the settings
//     lines set a.adapterFilter, the window's outer width, a.hideIdle ("hide.idle": 1 is
//     on, 0 or any other value off) and a.countingBoot ("counting": boot is on); lines that
//     are neither a record nor a setting are skipped. When missing, the HistoryTable and the
//     settings stay. The system start ("boot") and the rows' last readings ("reading") it
//     kept go to a.readings at start-up (a reload after a clear keeps the run's readings).
// Missing means "file not found" or "path not found" (codes 2 and 3). Any other failure leaves
// the file unread (a.historyFile / a.priceFile / a.limitFile), its table as it was, and loading goes on;
// one message names every unread file with its reason (a reload does not name a file again
// that was already unread). A file with skipped lines (empty lines do not count; a line
// holding a NUL byte does) gets one message with the count, the first few lines and the name
// of the copy the next save keeps of it: history.bak / price.bak / limits.bak, or the next
// free of history.1.bak ... history.9.bak (and so on) when that exists. Nothing is raised.
// The caller of a clear: save, delete history.txt, ClearHistory() when the deletion succeeded,
// then LoadFiles.
void LoadFiles(Accounting& a, FilePorts& ports);

// The save. First every file this run has not read is read again. price.txt and limits.txt,
// when they read, keep the file's entries with the run's changes over them: the prices and
// display names the run changed (a.editsWhileUnread) replace the file's of the same adapter,
// a limit the run set, changed, removed or warned of replaces (or removes) the file's, and the
// run's adapters the file lacks follow the file's lines. When history.txt reads, its records
// replace the run's, and the traffic this run counted is added to them (to each adapter's
// last open record of the day, made when there is none). Each reads with its message about
// skipped lines; a price.txt that has gone missing meanwhile leaves the run's table to be
// written (limits.txt likewise).
// Then history.txt, then price.txt, then limits.txt, each when read by this run: its backup
// first when one is due (never over an existing copy but the last, core/DataFile.h), then the
// file, each replaced in one step (FileStore::ReplaceAll). limits.txt is written only while
// there is a limit or the file exists: a run that never had a limit leaves no file, and
// removing the last limit leaves an empty file. The files share nothing that must agree, so
// one is written while another stays unread.
// Raises AppError with the runtime's text for the code when a write fails; nothing after it is
// written. Returns the files left as they were because they still cannot be read. Before
// LoadFiles has run it reads and writes nothing.
std::vector<UnreadFile> SaveFiles(Accounting& a, FilePorts& ports);

// The message of an exit path whose save left files unwritten (one file or more).
std::string UnwrittenText(const std::vector<UnreadFile>& files);
// The reason shown for a read error code, in Russian.
std::string ReadFailureReason(int code);

}  // namespace velkaro
