// What the three data files (history.txt, price.txt, limits.txt) share: reading one, its lines,
// the lines its own parsing cannot use (skipped, named in one message, and the file kept as a
// numbered .bak copy before the save replaces it), and the removal of a save's leftovers.
// Each file's own code is its line parsing (core/HistoryFile, core/PriceFile, core/LimitFile).
//
// Lines end at CR, LF or CR LF alike; a UTF-8 byte-order mark at the start of a file is
// passed over. A line holding a NUL byte (what a power loss leaves of a file on some file
// systems) is never used: it counts as a line that could not be read.
#pragma once

#include <algorithm>
#include <charconv>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_set>
#include <utility>
#include <vector>

#include "core/Accounting.h"
#include "core/DatedPrices.h"
#include "core/Ports.h"

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

// A load empties a table whose file is missing; a save that tries a file it could not read
// before keeps the run's table then, to be written.
enum class TableRead { Load, Retry };

template <class T> void AppendNumber(std::string& out, T value) {
    char buf[24];
    auto res = std::to_chars(buf, buf + sizeof buf, value);
    out.append(buf, res.ptr);
}

// One of the files: its name and the name of its first backup copy.
struct DataFile {
    const char* name;    // "history.txt"
    const char* backup;  // "history.bak"; the later copies "history.1.bak" ... "history.9.bak"
};

// How many backup copies a file gets at most: an existing copy is never overwritten, except
// the last of them once all exist.
inline constexpr int kBackupCopies = 10;
// The n-th backup copy's name: 0 is file.backup, then ".n" goes before its ".bak".
std::string BackupName(const DataFile& file, int n);

// Blanks and control characters, as trimming sees them.
inline bool IsTrimmed(char c) { return static_cast<unsigned char>(c) <= 0x20; }
std::string_view Trim(std::string_view s);

// Fills the "%s" and "%d" marks of a text, in order, with the pieces.
std::string FillText(std::string_view text, std::initializer_list<std::string_view> pieces);

enum class FileFound { Missing, Unreadable, Read };

// Reads a file's bytes. Missing ("file not found", "path not found"): the save may write it.
// Unreadable (any other code): the state keeps the code, and the save leaves the file alone.
FileFound ReadDataFile(FileStore& files, const DataFile& file, FileState& state, std::string& bytes);

// Lines a load skipped: how many, and the first few as the message shows them.
class SkippedLines {
public:
    void Add(std::string_view line);
    bool Any() const { return count_ > 0; }
    std::string Message(const char* file, const std::string& backup) const;

private:
    std::size_t count_ = 0;
    std::vector<std::string> shown_;
};

// Calls f(line) for every line of a file's bytes, without its line end.
template <class F> void ForEachLine(std::string_view bytes, F&& f) {
    std::size_t i = 0;
    while (i < bytes.size()) {
        const std::size_t lf = std::min(bytes.find('\n', i), bytes.size());
        const std::size_t end = std::min(bytes.substr(0, lf).find('\r', i), lf);
        f(bytes.substr(i, end - i));
        i = end + 1 == lf ? lf + 1 : end + 1;  // CR LF is one line end
    }
}

// The file's bytes without a UTF-8 byte-order mark at their start.
std::string_view WithoutByteOrderMark(std::string_view bytes);
// A line that holds nothing but blanks and control characters is no loss when skipped.
bool IsBlank(std::string_view line);
// Holds a NUL byte.
bool IsDamaged(std::string_view text);

// Marks a file read whose lines were parsed: when some were skipped, the save keeps the bytes
// as they were loaded as the next free backup copy, and the message that says so joins notes.
void MarkRead(FileStore& files, const DataFile& file, FileState& state, std::string&& bytes,
              const SkippedLines& skipped, FileNotes& notes);

// Hands every line of a file that was read to parseLine, which gives false for a line it
// cannot use; such lines (blank ones aside) and damaged ones are skipped, then the file is
// marked read.
template <class ParseLine>
void ParseDataFile(FileStore& files, const DataFile& file, FileState& state, std::string&& bytes,
                   FileNotes& notes, ParseLine&& parseLine) {
    SkippedLines skipped;
    const std::string_view text = WithoutByteOrderMark(bytes);
    const bool anyDamaged = IsDamaged(text);
    ForEachLine(text, [&](std::string_view line) {
        if ((anyDamaged && IsDamaged(line)) || (!parseLine(line) && !IsBlank(line))) skipped.Add(line);
    });
    MarkRead(files, file, state, std::move(bytes), skipped, notes);
}

// Replaces a file the run has read with bytes, keeping it first as it was loaded when that is
// due. Raises FileWriteError when a write fails (the file then stays as it was).
void ReplaceDataFile(FileStore& files, const DataFile& file, FileState& state, const std::string& bytes);

// Deletes the temporary files a save ended half-way left of the file and its backup copies;
// never anything else.
void RemoveTemporaryFiles(FileStore& files, const DataFile& file);

}  // namespace velkaro
