#include "core/Files.h"

#include <algorithm>


namespace velkaro {

namespace {
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
constexpr std::size_t kShownLines = 3;
constexpr std::size_t kShownLength = 40;
// How many backup copies a file gets at most: an existing copy is never overwritten, except
// the last of them once all exist.
constexpr int kBackupCopies = 10;
constexpr char kEscape = '%';
constexpr unsigned char kByteOrderMarkStart = 0xEF;

// Blanks and control characters, as trimming sees them.
bool IsTrimmed(char c) { return static_cast<unsigned char>(c) <= 0x20; }

// "File not found" and "path not found": the file is not there, which is no failure.
bool IsMissing(int code) { return code == kIoFileNotFound || code == kIoInvalidFilename; }

// The n-th backup copy's name: 0 is file.backup, then ".n" goes before its ".bak".
std::string BackupName(const DataFile& file, int n) {
    std::string name = file.backup;
    if (n > 0) name.insert(name.rfind('.'), "." + std::to_string(n));
    return name;
}

// The first backup name that is free; the last one when all are taken.
std::string FreeBackupName(FileStore& files, const DataFile& file) {
    std::string name;
    std::string ignored;
    for (int n = 0; n < kBackupCopies; ++n) {
        name = BackupName(file, n);
        if (IsMissing(files.ReadAll(name, ignored))) break;
    }
    return name;
}

// Holds a NUL byte.
bool IsDamaged(std::string_view text) { return text.find('\0') != std::string_view::npos; }

// The value of "0" to "9" and "A" to "F" (upper case only), or -1.
int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// The bytes an escape stands for.
bool IsEscapable(unsigned char c) {
    return IsTrimmed(static_cast<char>(c)) || c == kEscape || c == '|' || c == kByteOrderMarkStart;
}

// The byte of the escape that begins at s[i], or -1 when none does.
int EscapedByteAt(std::string_view s, std::size_t i) {
    const int byte = HexByteAt(s, i);
    return byte >= 0 && IsEscapable(static_cast<unsigned char>(byte)) ? byte : -1;
}

std::vector<UnreadFile> UnreadFiles(const DataFiles& data) {
    std::vector<UnreadFile> unread;
    if (!data.historyFile.read) unread.push_back({texts::kHistoryFile, data.historyFile.failure});
    if (!data.priceFile.read) unread.push_back({texts::kPriceFile, data.priceFile.failure});
    if (!data.tariffFile.read) unread.push_back({texts::kTariffFile, data.tariffFile.failure});
    if (!data.limitFile.read) unread.push_back({texts::kLimitFile, data.limitFile.failure});
    return unread;
}

// "history.txt (доступ запрещён)", or two such joined by "и", or three as "a, b и c".
std::string FileList(const std::vector<UnreadFile>& files) {
    std::string list;
    for (std::size_t i = 0; i < files.size(); ++i) {
        const UnreadFile& f = files[i];
        if (i > 0) list += i + 1 == files.size() ? texts::kAndFile : texts::kListJoin;
        list += f.name;
        list += " (";
        list += ReadFailureReason(f.code);
        list += ')';
    }
    return list;
}

// Replaces a file the run has read with bytes, keeping it first as it was loaded when that is
// due. Raises FileWriteError when a write fails (the file then stays as it was).
void ReplaceDataFile(FileStore& files, const DataFile& file, FileState& state, const std::string& bytes) {
    if (state.backupDue) {
        const std::string backup = FreeBackupName(files, file);
        if (const int code = files.ReplaceAll(backup, state.original); code != kIoOk)
            throw FileWriteError(code, backup);
        state.backupDue = false;
        std::string().swap(state.original);
    }
    if (const int code = files.ReplaceAll(file.name, bytes); code != kIoOk)
        throw FileWriteError(code, file.name);
}

// Deletes the temporary files a save ended half-way left of the file and its backup copies;
// never anything else.
void RemoveTemporaryFiles(FileStore& files, const DataFile& file) {
    files.Delete(std::string(file.name) + kTemporarySuffix);
    for (int n = 0; n < kBackupCopies; ++n) files.Delete(BackupName(file, n) + kTemporarySuffix);
}

}  // namespace

std::string ReadFailureReason(int code) {
    switch (code) {
        case kIoAccessDenied: return texts::kReasonAccessDenied;
        case 32: return texts::kReasonSharingViolation;
        case 33: return texts::kReasonLockViolation;
        case kIoTooManyOpenFiles: return texts::kReasonTooManyOpenFiles;
        case 21: return texts::kReasonNotReady;
        case 53: return texts::kReasonBadNetPath;
        default: return FillText(texts::kReasonOther, {std::to_string(code)});
    }
}

std::string IoErrorText(int code) {
    switch (code) {
        case 2: return "File not found";
        case 3: return "Invalid filename";
        case 4: return "Too many open files";
        case 5: return "File access denied";
        case 100: return "Read beyond end of file";
        case 101: return "Disk full";
        case 106: return "Invalid numeric input";
        default: return "I/O error " + std::to_string(code);
    }
}

std::string UnwrittenText(const std::vector<UnreadFile>& files) {
    return FillText(files.size() == 1 ? texts::kUnwrittenOne : texts::kUnwrittenTwo, {FileList(files)});
}

FileNotes LoadFiles(Accounting& a, DataFiles& data, FilePorts& ports) {
    const Date today = ports.clock.Today();
    a.SetAccountingDate(today);
    // The limits' date from the start, so that the records loaded sum into their periods as
    // they come and the first tick has nothing to rebuild.
    a.SetLimitTime(today, ports.clock.SecondOfDay());
    // What a save that was ended half-way left behind.
    for (const DataFile& file : {kPriceData, kHistoryData, kLimitData, kTariffData}) RemoveTemporaryFiles(ports.files, file);

    // A file already known unread (a reload after a clear) has been named before.
    const std::vector<UnreadFile> named = data.loaded ? UnreadFiles(data) : std::vector<UnreadFile>{};
    FileNotes loaded;
    LoadPriceFile(a, data, ports, TableRead::Load, loaded);
    LoadEarlierPriceFile(a, data, ports, TableRead::Load, loaded);
    LoadLimitFile(a, data, ports, TableRead::Load, loaded);
    LoadHistoryFile(a, data, ports, TableRead::Load, loaded);
    data.loaded = true;

    std::vector<UnreadFile> unread = UnreadFiles(data);
    std::erase_if(unread, [&](const UnreadFile& f) {
        return std::any_of(named.begin(), named.end(), [&](const UnreadFile& n) { return n.name == f.name; });
    });
    // The files left unread are named first.
    if (!unread.empty()) {
        const char* text = unread.size() == 1 ? texts::kUnreadAtStartOne : texts::kUnreadAtStartTwo;
        loaded.messages.insert(loaded.messages.begin(), FillText(text, {FileList(unread)}));
    }
    return loaded;
}

SaveOutcome SaveFiles(Accounting& a, DataFiles& data, FilePorts& ports, int windowWidth) {
    SaveOutcome outcome;
    if (!data.loaded) return outcome;
    // The files this run could not read yet, each by its own step: what reads now is taken
    // in, with the run's changes kept over the file's where that file's step does so.
    FileNotes& notes = outcome.notes;
    if (!data.priceFile.read) LoadPriceFile(a, data, ports, TableRead::Retry, notes);
    if (!data.tariffFile.read) LoadEarlierPriceFile(a, data, ports, TableRead::Retry, notes);
    if (!data.limitFile.read) LoadLimitFile(a, data, ports, TableRead::Retry, notes);
    if (!data.historyFile.read) LoadHistoryFile(a, data, ports, TableRead::Retry, notes);

    if (data.historyFile.read)
        ReplaceDataFile(ports.files, kHistoryData, data.historyFile,
                        HistoryFileText(a, notes.windowWidth.value_or(windowWidth), NowOf(ports.clock)));
    // tariffs.txt as limits.txt: none until there is a dated price, then it follows them.
    // Before price.txt: a save cut between the two leaves the past at the prices it had.
    if (data.tariffFile.read && (data.tariffFileOnDisk || !a.EarlierPrices().empty())) {
        ReplaceDataFile(ports.files, kTariffData, data.tariffFile,
                        EarlierPriceFileText(a, ports.regional.DecimalSeparator()));
        data.tariffFileOnDisk = true;
    }
    if (data.priceFile.read)
        ReplaceDataFile(ports.files, kPriceData, data.priceFile, PriceFileText(a, ports.regional.DecimalSeparator()));
    // No file while there is no limit and never was one; once there is a file, it follows
    // the limits, down to empty.
    if (data.limitFile.read && (data.limitFileOnDisk || !a.Limits().empty())) {
        ReplaceDataFile(ports.files, kLimitData, data.limitFile, LimitFileText(a, ports.regional.DecimalSeparator()));
        data.limitFileOnDisk = true;
    }
    outcome.unread = UnreadFiles(data);
    return outcome;
}

std::string_view Trim(std::string_view s) {
    while (!s.empty() && IsTrimmed(s.front())) s.remove_prefix(1);
    while (!s.empty() && IsTrimmed(s.back())) s.remove_suffix(1);
    return s;
}

std::string FillText(std::string_view text, std::initializer_list<std::string_view> pieces) {
    std::string out;
    auto piece = pieces.begin();
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 1 < text.size() && (text[i + 1] == 's' || text[i + 1] == 'd') &&
            piece != pieces.end()) {
            out += *piece++;
            ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}

FileFound ReadDataFile(FileStore& files, const DataFile& file, FileState& state, std::string& bytes) {
    const int code = files.ReadAll(file.name, bytes);
    if (IsMissing(code)) {
        state = FileState{};
        state.read = true;
        return FileFound::Missing;
    }
    if (code != kIoOk) {
        state.read = false;
        state.failure = code;
        return FileFound::Unreadable;
    }
    return FileFound::Read;
}

void ParseDataFile(FileStore& files, const DataFile& file, FileState& state, std::string&& bytes, FileNotes& notes,
                   const std::function<bool(std::string_view)>& parseLine) {
    std::size_t skipped = 0;
    std::string shown;  // the first few lines skipped, as the message shows them
    std::string_view text = bytes;
    if (text.starts_with(kByteOrderMark)) text.remove_prefix(kByteOrderMark.size());
    const bool anyDamaged = IsDamaged(text);
    std::size_t i = 0;
    while (i < text.size()) {
        const std::size_t lf = std::min(text.find('\n', i), text.size());
        const std::size_t end = std::min(text.substr(0, lf).find('\r', i), lf);
        const std::string_view line = text.substr(i, end - i);
        i = end + 1 == lf ? lf + 1 : end + 1;  // CR LF is one line end
        // A line that holds nothing but blanks and control characters is no loss when skipped.
        if ((!anyDamaged || !IsDamaged(line)) && (parseLine(line) || Trim(line).empty())) continue;
        if (skipped++ >= kShownLines) continue;
        if (!shown.empty()) shown += texts::kListJoin;
        shown += '\'';
        for (char c : line.substr(0, kShownLength)) shown += IsTrimmed(c) ? ' ' : c;
        if (line.size() > kShownLength) shown += texts::kSkippedLineCut;
        shown += '\'';
    }
    state.read = true;
    state.failure = kIoOk;
    state.backupDue = skipped > 0;
    state.original = state.backupDue ? std::move(bytes) : std::string();
    if (state.backupDue)
        notes.messages.push_back(
            FillText(texts::kSkippedLines, {file.name, std::to_string(skipped), shown, FreeBackupName(files, file)}));
}

int HexByteAt(std::string_view s, std::size_t i) {
    if (s[i] != kEscape || i + 2 >= s.size() || HexValue(s[i + 1]) < 0 || HexValue(s[i + 2]) < 0) return -1;
    return HexValue(s[i + 1]) * 16 + HexValue(s[i + 2]);
}

void AppendHexEscape(std::string& out, char c) {
    static constexpr char kHexDigits[] = "0123456789ABCDEF";
    const auto byte = static_cast<unsigned char>(c);
    out += kEscape;
    out += kHexDigits[byte >> 4];
    out += kHexDigits[byte & 15];
}

void AppendEscapedName(std::string& out, std::string_view name, unsigned field) {
    // The bytes the trimming of the field would take away: [0, keepFrom) and [keepTo, size).
    const std::string_view kept = field & kFieldTrimmed ? Trim(name) : name;
    const std::size_t keepFrom = static_cast<std::size_t>(kept.data() - name.data());
    const std::size_t keepTo = keepFrom + kept.size();
    const bool byteOrderMark = (field & kFieldStartsLine) && name.starts_with(kByteOrderMark);
    for (std::size_t i = 0; i < name.size(); ++i) {
        const char c = name[i];
        const bool escaped = c == '\0' || c == '\r' || c == '\n' || i < keepFrom || i >= keepTo ||
                             (c == '|' && (field & kFieldEndsAtBar)) || (c == '\t' && (field & kFieldTabLine)) ||
                             (i == 0 && byteOrderMark) || EscapedByteAt(name, i) >= 0;
        if (escaped)
            AppendHexEscape(out, c);
        else
            out += c;
    }
}

std::string UnescapedName(std::string_view text) {
    std::string name;
    name.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const int byte = EscapedByteAt(text, i);
        name += byte < 0 ? text[i] : static_cast<char>(byte);
        if (byte >= 0) i += 2;
    }
    return name;
}

}  // namespace velkaro
