#include "core/DataFile.h"

#include "core/AppError.h"
#include "core/Texts.h"

namespace velkaro {

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
constexpr std::size_t kShownLines = 3;
constexpr std::size_t kShownLength = 40;

// "File not found" and "path not found": the file is not there, which is no failure.
bool IsMissing(int code) { return code == kIoFileNotFound || code == kIoInvalidFilename; }

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

}  // namespace

std::string BackupName(const DataFile& file, int n) {
    std::string name = file.backup;
    if (n > 0) name.insert(name.rfind('.'), "." + std::to_string(n));
    return name;
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

void SkippedLines::Add(std::string_view line) {
    ++count_;
    if (shown_.size() == kShownLines) return;
    std::string text;
    for (char c : line.substr(0, kShownLength)) text += IsTrimmed(c) ? ' ' : c;
    if (line.size() > kShownLength) text += texts::kSkippedLineCut;
    shown_.push_back(std::move(text));
}

std::string SkippedLines::Message(const char* file, const std::string& backup) const {
    std::string list;
    for (const std::string& line : shown_) {
        if (!list.empty()) list += texts::kSkippedLineJoin;
        list += '\'';
        list += line;
        list += '\'';
    }
    return FillText(texts::kSkippedLines, {file, std::to_string(count_), list, backup});
}

std::string_view WithoutByteOrderMark(std::string_view bytes) {
    if (bytes.starts_with(kByteOrderMark)) bytes.remove_prefix(kByteOrderMark.size());
    return bytes;
}

bool IsBlank(std::string_view line) { return Trim(line).empty(); }

bool IsDamaged(std::string_view text) { return text.find('\0') != std::string_view::npos; }

void MarkRead(FileStore& files, const DataFile& file, FileState& state, std::string&& bytes,
              const SkippedLines& skipped, FileNotes& notes) {
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

}  // namespace velkaro
