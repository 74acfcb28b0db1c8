#include "statistics/StatisticsController.h"

#include <optional>

#include "core/DataFile.h"
#include "core/Files.h"
#include "core/Formatting.h"
#include "core/Limits.h"
#include "core/NumberText.h"
#include "core/Sampler.h"
#include "core/Texts.h"
#include "report/HistoryCsv.h"
#include "report/HistoryReport.h"
#include "statistics/TrayTip.h"

namespace velkaro {

namespace {

constexpr int kPopupBelowPointer = 20;
constexpr std::intptr_t kShellOpenFailedUpTo = 32;

// The messages of a file operation, shown when it is over: a message box runs the message
// loop, and a tick or a save from there would find the tables half-way.
class HeldMessages : public Dialogs {
public:
    explicit HeldMessages(Dialogs& dialogs) : dialogs_(dialogs) {}
    ~HeldMessages() override {
        for (const std::string& text : held_) dialogs_.ShowMessage(text);
    }
    void ShowMessage(const std::string& text) override { held_.push_back(text); }
    bool AskYesNo(const std::string& text) override { return dialogs_.AskYesNo(text); }
    std::optional<std::string> InputBox(const std::string& caption, const std::string& prompt,
                                        const std::string& defaultText) override {
        return dialogs_.InputBox(caption, prompt, defaultText);
    }
    void ShowError(const std::string& text) override { dialogs_.ShowError(text); }

private:
    Dialogs& dialogs_;
    std::vector<std::string> held_;
};

// The files, noting the name of a write that failed.
class WriteWatch : public FileStore {
public:
    explicit WriteWatch(FileStore& files) : files_(files) {}
    std::string failed;
    int ReadAll(const std::string& name, std::string& bytes) override { return files_.ReadAll(name, bytes); }
    int ReplaceAll(const std::string& name, const std::string& bytes) override {
        return Note(name, files_.ReplaceAll(name, bytes));
    }
    int WriteAll(const std::string& name, const std::string& bytes) override {
        return Note(name, files_.WriteAll(name, bytes));
    }
    bool Delete(const std::string& name) override { return files_.Delete(name); }

private:
    int Note(const std::string& name, int code) {
        if (code != kIoOk) failed = name;
        return code;
    }
    FileStore& files_;
};

// The entry a slot lookup gave, if it still belongs to the adapter: a dialog runs the
// message loop, and a save from there may have read the price file again.
TariffEntry* EntryAt(Accounting& a, std::size_t slot, const std::string& adapter) {
    auto& t = a.Tariffs();
    if (slot < t.size() && t[slot].adapter == adapter) return &t[slot];
    for (TariffEntry& e : t)
        if (e.adapter == adapter) return &e;
    return nullptr;
}

}  // namespace

StatisticsController::StatisticsController(Accounting& a, StatisticsPorts ports)
    : a_(a), p_(ports), trayTip_(texts::kAppTitle) {}

void StatisticsController::SetTimer(bool enabled) {
    timerEnabled_ = enabled;
    p_.host.SetTimerEnabled(enabled);
}

bool StatisticsController::StartAccounting() {
    // The interface function stays loaded once found (the save does not release it), so
    // finding it again is cheap and the ticks never call into a released library.
    sampling_ = p_.ifTable.Load();
    if (!sampling_) return false;
    p_.host.SetWhite();
    {
        HeldMessages held(p_.dialogs);
        FilePorts files{p_.files, p_.clock, p_.regional, held, p_.host};
        LoadFiles(a_, files);
    }
    SetTimer(true);
    return true;
}

void StatisticsController::Start() {
    quickInfoShown_ = false;
    StartAccounting();
}

void StatisticsController::Tick() {
    SetTimer(false);
    // The clocks are read once per tick, also when the table call then fails.
    const std::uint64_t now = sampling_ ? p_.clock.MonotonicMs() : 0;
    const Date today = p_.clock.Today();
    // The day follows the clock: at midnight new records start under the new date.
    if (!a_.countingBoot) a_.SetAccountingDate(today);
    if (sampling_) SampleInterfaces(a_, p_.ifTable, rows_, now);
    const char sep = p_.regional.DecimalSeparator();
    // The limits look at the clock's date and time.
    a_.SetLimitTime(today, p_.clock.SecondOfDay());
    if (p_.notifier) CheckLimits(a_, sep, *p_.notifier);
    LayOut(sep);
    quickInfoShown_ = p_.host.RefreshQuickInfo(panel_.QuickInfoRows());
    trayTip_ = TrayTipText(panel_.Totals(), sep, AllowanceLine(a_, sep));
    p_.host.SetTrayTip(trayTip_);
    SetTimer(true);
}

void StatisticsController::LayOut(char sep) {
    panel_.Layout(a_, p_.host, sep);
    for (const std::string& adapter : panel_.Unpriced()) a_.Tariffs().push_back(TariffEntry{0, 0, adapter, adapter});
    p_.host.Resize(panel_.OuterWidth(), panel_.OuterHeight());
    p_.host.ShowPanel();
}

void StatisticsController::Relayout() {
    panel_.RemeasureTexts();
    LayOut(p_.regional.DecimalSeparator());
}

void StatisticsController::RightClick(int x, int y) {
    picked_ = panel_.AdapterAt(y);
    // Where the click was in the window: the menu opens there, however far it is scrolled.
    const int windowY = y - p_.host.ScrollTop();
    p_.host.PopupMenu(x - p_.host.ScrollLeft(), windowY + kPopupBelowPointer);
}

bool StatisticsController::Run(Command command) {
    switch (command) {
    case Command::ShowReport: ShowReport(); return true;
    case Command::ExportCsv: ExportCsv(); return true;
    case Command::SetPrices: SetPrices(); return true;
    case Command::Rename: Rename(); return true;
    case Command::SetLimit: SetLimit(); return true;
    case Command::SetTrafficLimit: SetTrafficLimit(); return true;
    case Command::HideIdle: HideIdle(); return true;
    case Command::Exit: Exit(); return true;
    case Command::MailToAuthor: MailToAuthor(); return true;
    case Command::ClearHistory: ClearHistory(); return true;
    case Command::Help: Help(); return true;
    case Command::About: About(); return true;
    default: return false;
    }
}

void StatisticsController::ShowReport() {
    const std::string page = HistoryReportText(a_, picked_, p_.regional.DecimalSeparator());
    if (const int code = p_.shell.ProgramFolder().WriteAll(texts::kReportFile, page); code != kIoOk)
        throw AppError(IoErrorText(code));
    OpenWrittenFile(texts::kReportFile);
}

void StatisticsController::ExportCsv() {
    const std::string text = HistoryCsvText(a_, p_.regional.DecimalSeparator());
    // In one step, as the program's own files: a failure keeps the file of the last export.
    if (const int code = p_.shell.ProgramFolder().ReplaceAll(texts::kCsvFile, text); code != kIoOk)
        throw AppError(FillText(texts::kCsvWriteFailed, {ReadFailureReason(code)}));
    OpenWrittenFile(texts::kCsvFile);
}

void StatisticsController::OpenWrittenFile(const char* name) {
    ReportIfNotOpened(p_.shell.OpenProgramFile(name), texts::kOpenWrittenFailed, name);
}

void StatisticsController::SetPrices() {
    const std::string adapter = picked_;
    // Both prices are read before either is stored: a Cancel, a text that is not a number or
    // a negative price in either dialog ends the command with nothing stored.
    static constexpr const char* kPrompts[] = {texts::kPromptPriceIn, texts::kPromptPriceOut};
    double prices[2] = {};
    bool found = true;
    std::size_t slot = 0;
    for (int i = 0; i < 2; ++i) {
        // On a miss the lookup has shown its message; the input is then discarded.
        found = GetTariffSlotForPrices(a_, adapter, p_.dialogs, slot) && found;
        const std::optional<std::string> text =
            p_.dialogs.InputBox(texts::kAppTitle, kPrompts[i], texts::kDefaultPrice);
        if (!text) return;
        prices[i] = ReadPrice(*text);  // raises for a text that is not a number
        if (prices[i] < 0) {
            p_.dialogs.ShowMessage(texts::kNegativePrice);
            return;
        }
    }
    if (!found) return;
    if (TariffEntry* e = EntryAt(a_, slot, adapter)) a_.SetPrices(*e, prices[0], prices[1]);
}

void StatisticsController::Rename() {
    const std::string adapter = picked_;
    const std::optional<std::string> text =
        p_.dialogs.InputBox(texts::kAppTitle, texts::kPromptRename, texts::kDefaultRename);
    if (!text || text->empty() || *text == texts::kDefaultRename) return;
    std::size_t slot = 0;
    if (!GetTariffSlotForRename(a_, adapter, p_.dialogs, slot)) return;
    if (TariffEntry* e = EntryAt(a_, slot, adapter)) a_.SetDisplayName(*e, *text);
}

void StatisticsController::SetLimit() { AskLimit(LimitKind::Money); }

void StatisticsController::SetTrafficLimit() { AskLimit(LimitKind::Traffic); }

void StatisticsController::AskLimit(LimitKind kind) {
    const std::string adapter = picked_;
    AdapterId id = 0;
    if (!a_.FindAdapter(adapter, id) && !FindTariffEntry(a_, adapter)) {
        // Nothing is picked: the panel shows no block of that name.
        p_.dialogs.ShowMessage(texts::kLimitNoAdapter);
        return;
    }
    const bool money = kind == LimitKind::Money;
    const char sep = p_.regional.DecimalSeparator();
    const LimitEntry* current = FindLimit(a_, adapter, kind);
    const std::string defaultText = !current ? texts::kDefaultLimit
                                    : money  ? FormatFixed(current->limit, 2, sep)
                                             : FormatPriceGeneral(current->limit, sep);
    const std::optional<std::string> text =
        p_.dialogs.InputBox(texts::kAppTitle, money ? texts::kPromptLimit : texts::kPromptTrafficLimit, defaultText);
    if (!text) return;
    const double limit = ReadPrice(*text);  // raises for a text that is not a number
    if (limit < 0) {
        p_.dialogs.ShowMessage(texts::kNegativeLimit);
        return;
    }
    // The period day after the amount; a limit removed keeps the day of the other one.
    int day = PeriodDayOf(a_, adapter);
    if (limit > 0) {
        const std::optional<std::string> dayText =
            p_.dialogs.InputBox(texts::kAppTitle, texts::kPromptPeriodDay, std::to_string(day));
        if (!dayText) return;
        if (!ReadPeriodDay(*dayText, day)) {
            p_.dialogs.ShowMessage(texts::kBadPeriodDay);
            return;
        }
    }
    ::velkaro::SetLimit(a_, adapter, kind, limit, day);
}

void StatisticsController::HideIdle() { a_.hideIdle = !a_.hideIdle; }

void StatisticsController::SaveFiles() {
    std::vector<UnreadFile> unwritten;
    {
        HeldMessages held(p_.dialogs);
        FilePorts files{p_.files, p_.clock, p_.regional, held, p_.host};
        unwritten = ::velkaro::SaveFiles(a_, files);
    }
    if (!unwritten.empty()) p_.dialogs.ShowMessage(UnwrittenText(unwritten));
}

void StatisticsController::PeriodicSave() {
    WriteWatch watch(p_.files);
    try {
        HeldMessages held(p_.dialogs);
        FilePorts files{watch, p_.clock, p_.regional, held, p_.host};
        ::velkaro::SaveFiles(a_, files);  // a file still unread is simply tried again next time
    } catch (const AppError& e) {
        if (watch.failed.empty()) throw;
        throw AppError(texts::kAutosaveFailed + watch.failed + texts::kAutosaveFailedWhy + e.what());
    }
}

void StatisticsController::Exit() {
    SaveFiles();  // a failing save raises: the program then does not end
    p_.host.EndRequest();
}

void StatisticsController::ClearHistory() {
    if (!p_.dialogs.AskYesNo(texts::kClearQuestion)) return;
    SaveFiles();  // a failing save raises: nothing is deleted then
    const char* outcome = texts::kClearNotRead;  // a history this run never read is not ours
    if (a_.historyFile.read) {
        if (p_.files.Delete(texts::kHistoryFile)) {
            a_.ClearHistory();
            outcome = texts::kClearDone;
        } else {
            outcome = texts::kClearFailed;
        }
    }
    quickInfoShown_ = false;
    // When the file stayed, it holds what the save just wrote; the load replaces the table
    // with it, so every record is held once. The message comes after the reload, so that a
    // tick or a save from its message loop sees the reloaded state.
    try {
        StartAccounting();
    } catch (const AppError&) {
        p_.dialogs.ShowMessage(outcome);  // the deletion happened all the same
        throw;
    }
    p_.dialogs.ShowMessage(outcome);
}

void StatisticsController::MailToAuthor() {
    const std::string mail = std::string(texts::kMailTo) + texts::kEmail + texts::kMailSubjectKey +
                             texts::kMailSubject + texts::kMailBodyKey + texts::kMailBody + texts::kMailEnd;
    const std::intptr_t result = p_.shell.Open(mail);
    if (result > kShellOpenFailedUpTo) return;
    p_.dialogs.ShowMessage(std::string(texts::kMailFailed) + " " +
                           FillText(texts::kMailFailedWhy, {OpenFailureReason(result), texts::kEmail}));
}

void StatisticsController::Help() {
    if (p_.shell.ProgramFileExists(texts::kHelpFile))
        ReportIfNotOpened(p_.shell.OpenProgramFile(texts::kHelpFile), texts::kOpenFailed,
               std::string(texts::kOpenHelp) + texts::kHelpFile);
    else
        ReportIfNotOpened(p_.shell.Open(texts::kOnlineHelp), texts::kOpenFailed,
               std::string(texts::kOpenOnlineHelp) + texts::kOnlineHelp);
}

void StatisticsController::ReportIfNotOpened(std::intptr_t result, const char* failed, const std::string& what) {
    if (result > kShellOpenFailedUpTo) return;
    p_.dialogs.ShowMessage(FillText(failed, {what, OpenFailureReason(result)}));
}

std::string StatisticsController::OpenFailureReason(std::intptr_t result) {
    std::string reason;
    switch (result) {
    case 0:
    case 8: reason = texts::kOpenNoMemory; break;
    case 2:
    case 3: reason = texts::kOpenNotFound; break;
    case 5: reason = texts::kReasonAccessDenied; break;
    case 26: reason = texts::kReasonSharingViolation; break;
    case 27:
    case 31: reason = texts::kOpenNoProgram; break;
    case 28:
    case 29:
    case 30: reason = texts::kOpenNoAnswer; break;
    default: reason = FillText(texts::kOpenOther, {std::to_string(result)}); break;
    }
    return reason;
}

void StatisticsController::About() { p_.host.ShowAbout(); }

}  // namespace velkaro
