// history.txt, price.txt, tariffs.txt and limits.txt: loading at start-up and after clearing,
// and the save. history.txt's lines are read and written by core/HistoryFile.cpp, those of the
// tables' files by core/TableFiles.cpp; what they share is in core/Files.cpp: reading a
// file, its lines, the lines its own parsing cannot use (skipped, named in one message, and the
// file kept as a numbered .bak copy before the save replaces it), the replacement and the
// removal of a save's leftovers.
//
// Lines end with CR LF when written; when read, at CR, LF or CR LF alike, and a UTF-8
// byte-order mark at the start of a file is passed over. A line holding a NUL byte (what a
// power loss leaves of a file on some file systems) is never used: it counts as a line that
// could not be read. The names in price.txt, tariffs.txt and limits.txt carry any bytes (see
// AppendEscapedName); history.txt's name is the rest of its line, so it carries any bytes but
// CR, LF and NUL.
#pragma once

#include <charconv>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <unordered_set>
#include <utility>
#include <vector>

#include "core/Accounting.h"
#include "core/Ports.h"
#include "core/Texts.h"

namespace velkaro {

// An adapter's name with the kind's digit after it: a key of one limit.
inline std::string LimitEditKey(const std::string& adapter, LimitKind kind) {
    return adapter + static_cast<char>('0' + static_cast<int>(kind));
}

// How the run stands with one of its files (history.txt, price.txt, limits.txt).
struct FileState {
    // Read by this run, or found missing: the save may replace it. A file that exists but
    // could not be read is never overwritten; the save tries to read it first.
    bool read = false;
    int failure = 0;           // the code of the last reading that failed, while not read
    // The file as it was loaded, when the load skipped lines: the next save keeps it beside
    // the file (history.bak, price.bak, limits.bak) before replacing the file.
    bool backupDue = false;
    std::string original;
};

// New prices from a day on, with the adapter's prices before it: made again on tariffs.txt once
// it reads, where the run could not see the periods it holds.
struct PriceChange {
    std::string adapter;
    Date from;
    Prices before;
    Prices prices;
};

// The adapters whose entries the user's commands changed while their file (price.txt,
// limits.txt) was unread: a save that then reads the file keeps these over the file's.
struct EditsWhileUnread {
    std::unordered_set<std::string> prices;
    std::unordered_set<std::string> displayNames;
    std::vector<PriceChange> priceChanges;  // the dated ones, in order
    // Limits set, changed, removed or warned of, each as LimitEditKey(adapter, kind).
    std::unordered_set<std::string> limits;
};

// How the run stands with its three files, and the edits made while one was unread. The
// owner of the Accounting holds it beside it and hands it to the loads and the save.
struct DataFiles {
    // True once LoadFiles has run; the save writes nothing before, so files never loaded are
    // never overwritten with empty tables.
    bool loaded = false;
    FileState historyFile;
    FileState priceFile;
    FileState limitFile;
    FileState tariffFile;  // tariffs.txt, the earlier prices
    // limits.txt exists as far as this run knows (it was read, or written): the save rewrites
    // it even when no limit is left. While there is no file and no limit, none is written.
    bool limitFileOnDisk = false;
    bool tariffFileOnDisk = false;  // the same for tariffs.txt and the earlier prices
    EditsWhileUnread editsWhileUnread;  // a file's part is emptied when that file is read

    // The commands note the entries they change (a limit: set, changed, removed or warned of);
    // only what changes while its file is unread is kept.
    void NotePrices(const std::string& adapter) { if (!priceFile.read) editsWhileUnread.prices.insert(adapter); }
    void NotePriceChange(PriceChange change) { if (!tariffFile.read) editsWhileUnread.priceChanges.push_back(std::move(change)); }
    void NoteDisplayName(const std::string& adapter) { if (!priceFile.read) editsWhileUnread.displayNames.insert(adapter); }
    void NoteLimit(const std::string& adapter, LimitKind kind) { if (!limitFile.read) editsWhileUnread.limits.insert(LimitEditKey(adapter, kind)); }
};

// An error that ends the handler it is raised in; the handler's caller shows its text in
// the error box and the program goes on.
class AppError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The runtime's text for an I/O error code: 2 "File not found", ..., else "I/O error %d".
std::string IoErrorText(int code);

// A write of one of the program's files that failed, with the name it was written under.
class FileWriteError : public AppError {
public:
    FileWriteError(int code, std::string name) : AppError(IoErrorText(code)), file(std::move(name)) {}
    std::string file;
};

// What the files are read and written with.
struct FilePorts {
    FileStore& files;
    Clock& clock;
    RegionalSettings& regional;
};

// What reading the files has to tell: the messages to show once the files are done with, in
// order, and the statistics window's width when history.txt gave one.
struct FileNotes {
    std::vector<std::string> messages;
    std::optional<int> windowWidth;
};

// A file the save left as it was because this run could not read it.
struct UnreadFile {
    const char* name;  // texts::kHistoryFile, texts::kPriceFile or texts::kLimitFile
    int code;          // the code its last reading failed with
};

// Loads the files at start-up and after a clear: the AccountingDate and the limits' time from
// the clock, a crashed save's temporary files removed, then price.txt, tariffs.txt, limits.txt
// and history.txt, each replacing its table when read. A file that exists but cannot be read
// keeps its table and stays unread. Returns the messages to show: first one naming the files
// left unread (none already named by an earlier load), then those of files with skipped lines;
// and the window width history.txt keeps.
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

// Fills the "%s" and "%d" marks of a text, in order, with the pieces.
std::string FillText(std::string_view text, std::initializer_list<std::string_view> pieces);

// ---- What the files' modules share ----

// A load empties a table whose file is missing; a save that tries a file it could not read
// before keeps the run's table then, to be written.
enum class TableRead { Load, Retry };

template <class T> void AppendNumber(std::string& out, T value) {
    char buf[24];
    auto res = std::to_chars(buf, buf + sizeof buf, value);
    out.append(buf, res.ptr);
}

// One of the files: its name and the name of its first backup copy ("history.bak"; the later
// copies "history.1.bak" ... "history.9.bak").
struct DataFile {
    const char* name;
    const char* backup;
};
inline constexpr DataFile kHistoryData{texts::kHistoryFile, texts::kHistoryBackup};
inline constexpr DataFile kPriceData{texts::kPriceFile, texts::kPriceBackup};
inline constexpr DataFile kLimitData{texts::kLimitFile, texts::kLimitBackup};
inline constexpr DataFile kTariffData{texts::kTariffFile, texts::kTariffBackup};

// Blanks and control characters trimmed off both ends.
std::string_view Trim(std::string_view s);

enum class FileFound { Missing, Unreadable, Read };

// Reads a file's bytes. Missing ("file not found", "path not found"): the save may write it.
// Unreadable (any other code): the state keeps the code, and the save leaves the file alone.
FileFound ReadDataFile(FileStore& files, const DataFile& file, FileState& state, std::string& bytes);

// Hands every line of a file that was read to parseLine, which gives false for a line it
// cannot use; such lines (blank ones aside) and damaged ones are skipped, then the file is
// marked read: when some were skipped, the save keeps the bytes as they were loaded as the next
// free backup copy, and the message that says so joins notes.
void ParseDataFile(FileStore& files, const DataFile& file, FileState& state, std::string&& bytes, FileNotes& notes,
                   const std::function<bool(std::string_view)>& parseLine);

// Adapter and display names in price.txt, tariffs.txt and limits.txt are written as they are,
// except the bytes their line would lose or split at, each as "%XX": NUL, CR and LF; the
// field's separators; blanks and control characters at the ends of a trimmed field; a
// byte-order mark's first byte at the line's start; a "%" that would read as an escape.
// Reading turns back only those escapes, so any other "%", such as one written before, reads
// as itself. What the line does to a field, as bits:
enum NameField : unsigned {
    kFieldTrimmed = 1,     // read trimmed of blanks and control characters
    kFieldStartsLine = 2,  // the first field of its line
    kFieldEndsAtBar = 4,   // ends at the first "|" of its line
    kFieldTabLine = 8,     // a line holding a TAB is not read
};
void AppendEscapedName(std::string& out, std::string_view name, unsigned field);
std::string UnescapedName(std::string_view text);
// "%XX" of a byte, in upper-case hexadecimal.
void AppendHexEscape(std::string& out, char c);
// The byte of the escape "%XX" (hexadecimal digits in upper case only) that begins at s[i], or
// -1 when none does.
int HexByteAt(std::string_view s, std::size_t i);

// ---- history.txt (core/HistoryFile.cpp): the settings lines, the interface rows' last readings
// and the records ----

// Reads history.txt into the table. At start-up (or a reload) the file's records replace the
// table; a save that reads a file it could not read before adds the run's counted traffic to
// them, since the run counted what the file has not seen.
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

// ---- price.txt, tariffs.txt and limits.txt (core/TableFiles.cpp) ----

void LoadPriceFile(Accounting& a, DataFiles& data, FilePorts& ports, TableRead how, FileNotes& notes);
// The earlier prices of tariffs.txt (read after price.txt).
void LoadEarlierPriceFile(Accounting& a, DataFiles& data, FilePorts& ports, TableRead how, FileNotes& notes);
void LoadLimitFile(Accounting& a, DataFiles& data, FilePorts& ports, TableRead how, FileNotes& notes);

// Amounts with the decimal separator sep.
std::string PriceFileText(const Accounting& a, char sep);
std::string EarlierPriceFileText(const Accounting& a, char sep);
std::string LimitFileText(const Accounting& a, char sep);

}  // namespace velkaro
