#include "core/Files.h"

#include <algorithm>

#include "core/DataFile.h"
#include "core/HistoryFile.h"
#include "core/TariffFiles.h"
#include "core/Texts.h"

namespace velkaro {

namespace {

std::vector<UnreadFile> UnreadFiles(const Accounting& a) {
    std::vector<UnreadFile> unread;
    if (!a.historyFile.read) unread.push_back({texts::kHistoryFile, a.historyFile.failure});
    if (!a.priceFile.read) unread.push_back({texts::kPriceFile, a.priceFile.failure});
    if (!a.limitFile.read) unread.push_back({texts::kLimitFile, a.limitFile.failure});
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

std::string UnwrittenText(const std::vector<UnreadFile>& files) {
    return FillText(files.size() == 1 ? texts::kUnwrittenOne : texts::kUnwrittenTwo, {FileList(files)});
}

FileNotes LoadFiles(Accounting& a, FilePorts& ports) {
    const Date today = ports.clock.Today();
    a.SetAccountingDate(today);
    // The limits' date from the start, so that the records loaded sum into their periods as
    // they come and the first tick has nothing to rebuild.
    a.SetLimitTime(today, ports.clock.SecondOfDay());
    // What a save that was ended half-way left behind.
    for (const DataFile& file : {kPriceData, kHistoryData, kLimitData}) RemoveTemporaryFiles(ports.files, file);

    // A file already known unread (a reload after a clear) has been named before.
    const bool historyWasUnread = a.filesLoaded && !a.historyFile.read;
    const bool priceWasUnread = a.filesLoaded && !a.priceFile.read;
    const bool limitWasUnread = a.filesLoaded && !a.limitFile.read;
    FileNotes loaded;
    LoadPriceFile(a, ports, TableRead::Load, loaded);
    LoadLimitFile(a, ports, TableRead::Load, loaded);
    LoadHistoryFile(a, ports, TableRead::Load, loaded);
    a.filesLoaded = true;

    std::vector<UnreadFile> unread = UnreadFiles(a);
    std::erase_if(unread, [&](const UnreadFile& f) {
        return f.name == texts::kHistoryFile ? historyWasUnread
               : f.name == texts::kPriceFile ? priceWasUnread
                                             : limitWasUnread;
    });
    FileNotes notes;
    notes.windowWidth = loaded.windowWidth;
    if (!unread.empty())
        notes.messages.push_back(
            FillText(unread.size() == 1 ? texts::kUnreadAtStartOne : texts::kUnreadAtStartTwo, {FileList(unread)}));
    for (std::string& message : loaded.messages) notes.messages.push_back(std::move(message));
    return notes;
}

SaveOutcome SaveFiles(Accounting& a, FilePorts& ports, int windowWidth) {
    SaveOutcome outcome;
    if (!a.filesLoaded) return outcome;
    // The files this run could not read yet, each by its own step: what reads now is taken
    // in, with the run's changes kept over the file's where that file's step does so.
    FileNotes& notes = outcome.notes;
    if (!a.priceFile.read) LoadPriceFile(a, ports, TableRead::Retry, notes);
    if (!a.limitFile.read) LoadLimitFile(a, ports, TableRead::Retry, notes);
    if (!a.historyFile.read) LoadHistoryFile(a, ports, TableRead::Retry, notes);

    if (a.historyFile.read)
        ReplaceDataFile(ports.files, kHistoryData, a.historyFile,
                        HistoryFileText(a, notes.windowWidth.value_or(windowWidth), NowOf(ports.clock)));
    if (a.priceFile.read)
        ReplaceDataFile(ports.files, kPriceData, a.priceFile, PriceFileText(a, ports.regional.DecimalSeparator()));
    // No file while there is no limit and never was one; once there is a file, it follows
    // the limits, down to empty.
    if (a.limitFile.read && (a.limitFileOnDisk || !a.Limits().empty())) {
        ReplaceDataFile(ports.files, kLimitData, a.limitFile, LimitFileText(a, ports.regional.DecimalSeparator()));
        a.limitFileOnDisk = true;
    }
    outcome.unread = UnreadFiles(a);
    return outcome;
}

}  // namespace velkaro
