// What the data files share (core/Files.h): reading one and its lines, the lines skipped, the
// backup copies, the replacement, and the escapes of the names in their lines.
#include <algorithm>

#include "core/AppError.h"
#include "core/Files.h"

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

// Lines a load skipped: how many, and the first few as the message shows them.
class SkippedLines {
public:
    void Add(std::string_view line) {
        ++count_;
        if (shown_.size() == kShownLines) return;
        std::string text;
        for (char c : line.substr(0, kShownLength)) text += IsTrimmed(c) ? ' ' : c;
        if (line.size() > kShownLength) text += texts::kSkippedLineCut;
        shown_.push_back(std::move(text));
    }
    bool Any() const { return count_ > 0; }
    std::string Message(const char* file, const std::string& backup) const {
        std::string list;
        for (const std::string& line : shown_) {
            if (!list.empty()) list += texts::kSkippedLineJoin;
            list += '\'';
            list += line;
            list += '\'';
        }
        return FillText(texts::kSkippedLines, {file, std::to_string(count_), list, backup});
    }

private:
    std::size_t count_ = 0;
    std::vector<std::string> shown_;
};

// Holds a NUL byte.
bool IsDamaged(std::string_view text) { return text.find('\0') != std::string_view::npos; }

// The bytes an escape stands for.
bool IsEscapable(unsigned char c) {
    return IsTrimmed(static_cast<char>(c)) || c == kEscape || c == '|' || c == kByteOrderMarkStart;
}

// The byte of the escape that begins at s[i], or -1 when none does.
int EscapedByteAt(std::string_view s, std::size_t i) {
    if (s[i] != kEscape || i + 2 >= s.size()) return -1;
    const int high = HexValue(s[i + 1]);
    const int low = HexValue(s[i + 2]);
    if (high < 0 || low < 0) return -1;
    const int byte = high * 16 + low;
    return IsEscapable(static_cast<unsigned char>(byte)) ? byte : -1;
}

}  // namespace

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
    SkippedLines skipped;
    std::string_view text = bytes;
    if (text.starts_with(kByteOrderMark)) text.remove_prefix(kByteOrderMark.size());
    const bool anyDamaged = IsDamaged(text);
    std::size_t i = 0;
    while (i < text.size()) {
        const std::size_t lf = std::min(text.find('\n', i), text.size());
        const std::size_t end = std::min(text.substr(0, lf).find('\r', i), lf);
        const std::string_view line = text.substr(i, end - i);
        // A line that holds nothing but blanks and control characters is no loss when skipped.
        if ((anyDamaged && IsDamaged(line)) || (!parseLine(line) && !Trim(line).empty())) skipped.Add(line);
        i = end + 1 == lf ? lf + 1 : end + 1;  // CR LF is one line end
    }
    state.read = true;
    state.failure = kIoOk;
    state.backupDue = skipped.Any();
    state.original = state.backupDue ? std::move(bytes) : std::string();
    if (state.backupDue) notes.messages.push_back(skipped.Message(file.name, FreeBackupName(files, file)));
}

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

void RemoveTemporaryFiles(FileStore& files, const DataFile& file) {
    files.Delete(std::string(file.name) + kTemporarySuffix);
    for (int n = 0; n < kBackupCopies; ++n) files.Delete(BackupName(file, n) + kTemporarySuffix);
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
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
    if (text.find(kEscape) == std::string_view::npos) return std::string(text);
    std::string name;
    name.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const int byte = EscapedByteAt(text, i);
        if (byte < 0) {
            name += text[i];
            continue;
        }
        name += static_cast<char>(byte);
        i += 2;
    }
    return name;
}

}  // namespace velkaro
