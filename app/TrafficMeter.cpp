#include "app/TrafficMeter.h"

#include <optional>
#include <utility>

#include "core/Files.h"
#include "core/Formatting.h"
#include "core/Texts.h"
#include "report/HistoryReport.h"

namespace velkaro {

namespace {

constexpr std::intptr_t kShellOpenFailedUpTo = 32;

// Why the shell could not open something, by its result (32 or less).
std::string OpenFailureReason(std::intptr_t result) {
    static constexpr std::pair<std::intptr_t, const char*> kReasons[] = {
        {0, texts::kOpenNoMemory},   {8, texts::kOpenNoMemory},        {2, texts::kOpenNotFound},
        {3, texts::kOpenNotFound},   {5, texts::kReasonAccessDenied},  {26, texts::kReasonSharingViolation},
        {27, texts::kOpenNoProgram}, {31, texts::kOpenNoProgram},      {28, texts::kOpenNoAnswer},
        {29, texts::kOpenNoAnswer},  {30, texts::kOpenNoAnswer},
    };
    for (const auto& [code, reason] : kReasons)
        if (code == result) return reason;
    return FillText(texts::kOpenOther, {std::to_string(result)});
}

// A price or a limit: false when negative. Raises for a text that is not a number.
bool ReadAmount(const std::string& text, double& amount) {
    amount = ReadPrice(text);
    return !(amount < 0);
}

}  // namespace

void ShowLimitWarnings(Accounting& a, DataFiles& data, char sep, Notifier& notifier) {
    for (const LimitWarning& w : DueLimitWarnings(a, sep)) {
        if (!notifier.ShowBalloon(texts::kAppTitle, w.text)) continue;
        NoteLimitWarning(a, w);
        data.NoteLimit(a.Limits()[w.entry].adapter, a.Limits()[w.entry].kind);
    }
}

TrafficMeter::TrafficMeter(MeterPorts ports)
    : p_(ports), files_{p_.files, p_.clock, p_.regional}, trayTip_(texts::kAppTitle) {}

void TrafficMeter::SetTimer(bool enabled) {
    timerEnabled_ = enabled;
    p_.timer.SetEnabled(enabled);
}

void TrafficMeter::Start() {
    // The interface function stays loaded once found (the save does not release it), so
    // finding it again is cheap and the ticks never call into a released library.
    sampling_ = p_.ifTable.Load();
    if (!sampling_) return;
    p_.screen.Started();
    Tell(LoadFiles(a_, data_, files_));
    SetTimer(true);
}

void TrafficMeter::Tick() {
    SetTimer(false);
    // The clocks are read once per tick, also when the table call then fails.
    const std::uint64_t now = sampling_ ? p_.clock.MonotonicMs() : 0;
    const Date today = p_.clock.Today();
    // The day follows the clock: at midnight new records start under the new date.
    if (!a_.CountingBoot()) a_.SetAccountingDate(today);
    const bool firstReading = sampling_ && !a_.Readings().HasRead();
    const bool nothingKept = a_.Readings().StartRule() == InterfaceReadings::Start::Baseline;
    bool saveNow = false;
    if (sampling_ && SampleInterfaces(a_, p_.ifTable, rows_, now) && firstReading && !a_.CountingBoot()) {
        // What the unread file kept is measured against this reading once it reads.
        if (!data_.historyFile.read) a_.Readings().KeepFirstReading(rows_, NowOf(p_.clock), a_.AccountingDate());
        // With nothing kept, a kill before the first periodic save would leave the next start
        // nothing to count from: the readings are written at once.
        saveNow = nothingKept;
    }
    speeds_.Record(a_);
    const char sep = p_.regional.DecimalSeparator();
    // The limits look at the clock's date and time.
    a_.SetLimitTime(today, p_.clock.SecondOfDay());
    ShowLimitWarnings(a_, data_, sep, p_.screen);
    LayOut(sep);
    trayTip_ = TrayTipText(panel_.Totals(), sep, AllowanceLine(a_, sep));
    p_.screen.Show(Snapshot{panel_, trayTip_, Activity()});
    SetTimer(true);
    if (saveNow) PeriodicSave();  // last: the tick is whole also when the save fails
}

void TrafficMeter::LayOut(char sep) {
    panel_.Layout(a_, p_.screen, sep);
    for (const std::string& adapter : panel_.Unpriced()) a_.AddTariff(TariffEntry{0, 0, adapter, adapter});
}

void TrafficMeter::Relayout() {
    panel_.RemeasureTexts();
    LayOut(p_.regional.DecimalSeparator());
    p_.screen.ShowPanel(panel_);
}

bool TrafficMeter::Run(Command command, const std::string& adapter) {
    switch (command) {
    case Command::ShowReport: ShowReport(adapter); return true;
    case Command::ExportCsv: ExportCsv(); return true;
    case Command::SetPrices: SetPrices(adapter); return true;
    case Command::SetPricesFrom: SetPricesFrom(adapter); return true;
    case Command::Rename: Rename(adapter); return true;
    case Command::SetLimit: SetLimit(adapter, LimitKind::Money); return true;
    case Command::SetTrafficLimit: SetLimit(adapter, LimitKind::Traffic); return true;
    case Command::HideIdle: a_.SetHideIdle(!a_.HideIdle()); return true;
    case Command::TrayActivity: a_.SetTrayActivity(!a_.TrayActivity()); return true;
    case Command::Exit: Exit(); return true;
    case Command::MailToAuthor: MailToAuthor(); return true;
    case Command::ClearHistory: ClearHistory(); return true;
    case Command::Help: Help(); return true;
    default: return false;
    }
}

void TrafficMeter::ShowReport(const std::string& adapter) {
    const std::string page = HistoryReportText(a_, adapter, p_.regional.DecimalSeparator());
    if (const int code = p_.shell.ProgramFolder().WriteAll(texts::kReportFile, page); code != kIoOk)
        throw AppError(IoErrorText(code));
    ReportIfNotOpened(p_.shell.OpenProgramFile(texts::kReportFile), texts::kOpenWrittenFailed, texts::kReportFile);
}

void TrafficMeter::ExportCsv() {
    const std::string text = HistoryCsvText(a_, p_.regional.DecimalSeparator());
    // In one step, as the program's own files: a failure keeps the file of the last export.
    if (const int code = p_.shell.ProgramFolder().ReplaceAll(texts::kCsvFile, text); code != kIoOk)
        throw AppError(FillText(texts::kCsvWriteFailed, {ReadFailureReason(code)}));
    ReportIfNotOpened(p_.shell.OpenProgramFile(texts::kCsvFile), texts::kOpenWrittenFailed, texts::kCsvFile);
}

template <class T, class Read>
bool TrafficMeter::Ask(const char* prompt, const std::string& shown, Read read, const char* refused, T& value) {
    const std::optional<std::string> text = p_.dialogs.InputBox(texts::kAppTitle, prompt, shown);
    if (!text) return false;
    if (read(*text, value)) return true;
    p_.dialogs.ShowMessage(refused);
    return false;
}

void TrafficMeter::SetPrices(const std::string& adapter) {
    // Both prices are read before either is stored: a Cancel, a text that is not a number or
    // a negative price in either dialog ends the command with nothing stored.
    static constexpr const char* kPrompts[] = {texts::kPromptPriceIn, texts::kPromptPriceOut};
    double prices[2] = {};
    bool found = true;
    for (int i = 0; i < 2; ++i) {
        // On a miss each dialog comes after the message; the input is then discarded.
        if (!FindTariffSlot(a_, adapter)) {
            p_.dialogs.ShowMessage(texts::kTariffMissPrices);
            found = false;
        }
        if (!Ask(kPrompts[i], texts::kDefaultPrice, ReadAmount, texts::kNegativePrice, prices[i])) return;
    }
    if (!found) return;
    // Looked up again: a dialog runs the message loop, and a save from there may have read the
    // price file again.
    if (const auto slot = FindTariffSlot(a_, adapter)) {
        a_.SetPrices(*slot, prices[0], prices[1]);
        data_.NotePrices(adapter);
    }
}

void TrafficMeter::SetPricesFrom(const std::string& adapter) {
    if (!FindTariffSlot(a_, adapter)) {
        p_.dialogs.ShowMessage(texts::kTariffMissPrices);
        return;
    }
    // Everything is asked before anything is stored, as by SetPrices.
    Prices prices;
    if (!Ask(texts::kPromptPriceIn, texts::kDefaultPrice, ReadAmount, texts::kNegativePrice, prices.in)) return;
    if (!Ask(texts::kPromptPriceOut, texts::kDefaultPrice, ReadAmount, texts::kNegativePrice, prices.out)) return;
    const Date today = p_.clock.Today();
    Date from;
    if (!Ask(texts::kPromptPriceFrom, DottedDateText(today), ReadDottedDate, texts::kBadPriceDate, from)) return;
    // price.txt holds the prices in force today: a later start would have no place there.
    if (DateKey(from.year, from.month, from.day) > DateKey(today.year, today.month, today.day)) {
        p_.dialogs.ShowMessage(texts::kFuturePriceDate);
        return;
    }
    if (const auto slot = FindTariffSlot(a_, adapter)) {  // the dialogs ran the message loop
        const Prices before = PricesOf(&a_.Tariffs()[*slot]);
        ::velkaro::SetPricesFrom(a_, *slot, from, prices);
        data_.NotePrices(adapter);
        data_.NotePriceChange(PriceChange{adapter, from, before, prices});
    }
}

void TrafficMeter::Rename(const std::string& adapter) {
    const std::optional<std::string> text =
        p_.dialogs.InputBox(texts::kAppTitle, texts::kPromptRename, texts::kDefaultRename);
    if (!text || text->empty() || *text == texts::kDefaultRename) return;
    const std::optional<std::size_t> slot = FindTariffSlot(a_, adapter);
    if (!slot) {
        p_.dialogs.ShowMessage(texts::kTariffMissRename + adapter);
        return;
    }
    a_.SetDisplayName(*slot, *text);
    data_.NoteDisplayName(adapter);
}

void TrafficMeter::SetLimit(const std::string& adapter, LimitKind kind) {
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
    const char* prompt = money ? texts::kPromptLimit : texts::kPromptTrafficLimit;
    double limit = 0;
    if (!Ask(prompt, defaultText, ReadAmount, texts::kNegativeLimit, limit)) return;
    // The period day after the amount; a limit removed keeps the day of the other one.
    int day = PeriodDayOf(a_, adapter);
    if (limit > 0 && !Ask(texts::kPromptPeriodDay, std::to_string(day), ReadPeriodDay, texts::kBadPeriodDay, day))
        return;
    // The limit changes, and with a new period day each of the adapter's limits.
    const bool newDay = limit > 0 && PeriodDayOf(a_, adapter) != day;
    ::velkaro::SetLimit(a_, adapter, kind, limit, day);
    for (const LimitKind k : {LimitKind::Money, LimitKind::Traffic})
        if (k == kind || (newDay && FindLimit(a_, adapter, k))) data_.NoteLimit(adapter, k);
}

void TrafficMeter::Tell(const FileNotes& notes) {
    // Shown once the files are done with: a message box runs the message loop, and a tick or
    // a save from there would find the tables half-way.
    if (notes.windowWidth) p_.screen.SetOuterWidth(*notes.windowWidth);
    for (const std::string& text : notes.messages) p_.dialogs.ShowMessage(text);
}

void TrafficMeter::SaveFiles() {
    const SaveOutcome saved = ::velkaro::SaveFiles(a_, data_, files_, p_.screen.OuterWidth());
    Tell(saved.notes);
    if (!saved.unread.empty()) p_.dialogs.ShowMessage(UnwrittenText(saved.unread));
}

void TrafficMeter::PeriodicSave() {
    try {
        Tell(::velkaro::SaveFiles(a_, data_, files_, p_.screen.OuterWidth()).notes);  // a file still unread is tried again next time
        saveFailing_ = false;
    } catch (const AppError& e) {
        if (saveFailing_) return;
        // Marked before the box opens: the saves that come while it is open stay quiet.
        saveFailing_ = true;
        const auto* write = dynamic_cast<const FileWriteError*>(&e);
        p_.dialogs.ShowError(!write ? std::string(e.what())
                                    : texts::kAutosaveFailed + write->file + texts::kAutosaveFailedWhy + e.what());
    }
}

void TrafficMeter::Exit() {
    SaveFiles();  // a failing save raises: the program then does not end
    p_.screen.EndRequest();
}

void TrafficMeter::ClearHistory() {
    if (!p_.dialogs.AskYesNo(texts::kClearQuestion)) return;
    SaveFiles();  // a failing save raises: nothing is deleted then
    // A history this run never read is not ours.
    const bool deleted = data_.historyFile.read && p_.files.Delete(texts::kHistoryFile);
    if (deleted) a_.ClearHistory();
    const char* outcome = deleted                  ? texts::kClearDone
                          : data_.historyFile.read ? texts::kClearFailed
                                                   : texts::kClearNotRead;
    // When the file stayed, it holds what the save just wrote; the load replaces the table
    // with it, so every record is held once. The message comes after the reload, so that a
    // tick or a save from its message loop sees the reloaded state.
    try {
        Start();
    } catch (const AppError&) {
        p_.dialogs.ShowMessage(outcome);  // the deletion happened all the same
        throw;
    }
    p_.dialogs.ShowMessage(outcome);
}

void TrafficMeter::MailToAuthor() {
    const std::string mail = std::string(texts::kMailTo) + texts::kEmail + texts::kMailSubjectKey +
                             texts::kMailSubject + texts::kMailBodyKey + texts::kMailBody + texts::kMailEnd;
    const std::intptr_t result = p_.shell.Open(mail);
    if (result > kShellOpenFailedUpTo) return;
    p_.dialogs.ShowMessage(std::string(texts::kMailFailed) + " " +
                           FillText(texts::kMailFailedWhy, {OpenFailureReason(result), texts::kEmail}));
}

void TrafficMeter::Help() {
    if (p_.shell.ProgramFileExists(texts::kHelpFile))
        ReportIfNotOpened(p_.shell.OpenProgramFile(texts::kHelpFile), texts::kOpenFailed,
               std::string(texts::kOpenHelp) + texts::kHelpFile);
    else
        ReportIfNotOpened(p_.shell.Open(texts::kOnlineHelp), texts::kOpenFailed,
               std::string(texts::kOpenOnlineHelp) + texts::kOnlineHelp);
}

void TrafficMeter::ReportIfNotOpened(std::intptr_t result, const char* failed, const std::string& what) {
    if (result > kShellOpenFailedUpTo) return;
    p_.dialogs.ShowMessage(FillText(failed, {what, OpenFailureReason(result)}));
}

}  // namespace velkaro
