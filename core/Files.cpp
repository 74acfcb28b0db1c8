#include "core/Files.h"

#include <algorithm>

#include "core/AppError.h"

namespace velkaro {

namespace {

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
    FileNotes notes;
    notes.windowWidth = loaded.windowWidth;
    if (!unread.empty())
        notes.messages.push_back(
            FillText(unread.size() == 1 ? texts::kUnreadAtStartOne : texts::kUnreadAtStartTwo, {FileList(unread)}));
    for (std::string& message : loaded.messages) notes.messages.push_back(std::move(message));
    return notes;
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

}  // namespace velkaro
