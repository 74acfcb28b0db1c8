#include "display/StatisticsWindow.h"

#include <optional>

#include "core/AppError.h"
#include "core/Formatting.h"
#include "core/Limits.h"
#include "core/NumberText.h"
#include "core/Sampler.h"
#include "core/Texts.h"
#include "display/TrayTip.h"
#include "report/HistoryReport.h"

namespace velkaro {

namespace {

constexpr int kNoBlockDistance = 16777215;
constexpr int kPopupBelowPointer = 20;
constexpr std::intptr_t kShellOpenFailedUpTo = 32;

// Sets a flag for the length of a scope, and gives it back as it was.
class FlagScope {
public:
    explicit FlagScope(bool& flag) : flag_(flag), was_(flag) { flag_ = true; }
    ~FlagScope() { flag_ = was_; }
    FlagScope(const FlagScope&) = delete;
    FlagScope& operator=(const FlagScope&) = delete;

private:
    bool& flag_;
    bool was_;
};

// The entry a slot lookup gave, if it still belongs to the adapter: a dialog runs the
// message loop, and what runs there may have reloaded the table.
TariffEntry* EntryAt(Accounting& a, std::size_t slot, const std::string& adapter) {
    auto& t = a.Tariffs();
    if (slot < t.size() && t[slot].adapter == adapter) return &t[slot];
    for (TariffEntry& e : t)
        if (e.adapter == adapter) return &e;
    return nullptr;
}

// Whether this run has read the history file (or found none): only then is the file ours
// to delete.
bool HistoryFileRead(const Accounting& a) { return a.historyFile.read; }

}  // namespace

TForm1::TForm1(Accounting& a, Form1Ports ports) : a_(a), p_(ports), trayTip_(texts::kAppTitle) {}

FilePorts TForm1::Files() {
    return FilePorts{p_.files, p_.clock, p_.regional, p_.dialogs, p_.host};
}

void TForm1::SetTimer(bool enabled) {
    timerEnabled_ = enabled;
    p_.host.SetTimerEnabled(enabled);
}

bool TForm1::StartAccounting() {
    // The interface function stays loaded once found (the save does not release it), so
    // finding it again is cheap and the ticks never call into a released library.
    sampling_ = p_.ifTable.Load();
    if (!sampling_) return false;
    p_.host.SetWhite();
    FilePorts files = Files();
    LoadFiles(a_, files);
    SetTimer(true);
    return true;
}

void TForm1::FormCreate() {
    QuickInfoShown = false;
    StartAccounting();
}

void TForm1::Timer1Timer() {
    // A command run inside this tick (while the window grew) may start the timer again and
    // open a message box; a tick from there would run in the middle of this one.
    if (ticking_) return;
    const FlagScope ticking(ticking_);
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
    const bool complete = panel_.RedrawStatisticsPanel(a_, p_.host, sep);
    p_.host.Repaint();
    // When a command emptied the history inside the redraw, its rows describe a table
    // that is gone: the tick goes straight to its end.
    if (complete) {
        p_.host.RefreshQuickInfo();
        trayTip_ = TrayTipText(panel_.Totals(), sep, AllowanceLine(a_, sep));
        p_.host.SetTrayTip(trayTip_);
    }
    SetTimer(true);
    a_.quickInfoRows.clear();
}

void TForm1::Image1MouseDown(MouseButton button, int x, int y) {
    if (button != MouseButton::Right) return;
    // The nearest block top at or above the click; of equal ones, the earliest record's.
    int d = kNoBlockDistance;
    std::size_t nearest = 0;
    bool found = false;
    for (const BlockTop& b : a_.BlockTops()) {
        if (b.y <= 0 || b.y > y) continue;
        if (y - b.y < d || (found && y - b.y == d && b.record < nearest)) {
            d = y - b.y;
            nearest = b.record;
            found = true;
        }
    }
    a_.selectedAdapter = found ? a_.AdapterNameOf(a_.History()[nearest]) : a_.firstAdapter;
    // Where the click was in the window: the menu opens there, however far it is scrolled.
    const int windowY = y - p_.host.ScrollTop();
    p_.host.PopupMenu(p_.host.WindowLeft() + x, p_.host.WindowTop() + windowY + kPopupBelowPointer);
}

void TForm1::N2Click() {
    const std::string page = HistoryReportText(a_, p_.regional.DecimalSeparator());
    if (const int code = p_.shell.ProgramFolder().WriteAll(texts::kReportFile, page); code != kIoOk)
        throw AppError(IoErrorText(code));
    p_.shell.OpenProgramFile(texts::kReportFile);
}

void TForm1::N3Click() {
    const std::string adapter = a_.selectedAdapter;
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

void TForm1::N5Click() {
    const std::string adapter = a_.selectedAdapter;
    const std::optional<std::string> text =
        p_.dialogs.InputBox(texts::kAppTitle, texts::kPromptRename, texts::kDefaultRename);
    if (!text || text->empty() || *text == texts::kDefaultRename) return;
    std::size_t slot = 0;
    if (!GetTariffSlotForRename(a_, adapter, p_.dialogs, slot)) return;
    if (TariffEntry* e = EntryAt(a_, slot, adapter)) a_.SetDisplayName(*e, *text);
}

void TForm1::N7Click() {
    const std::string adapter = a_.selectedAdapter;
    AdapterId id = 0;
    if (!a_.FindAdapter(adapter, id) && !FindTariffEntry(a_, adapter)) {
        // Nothing is picked: the panel shows no block of that name.
        p_.dialogs.ShowMessage(texts::kLimitNoAdapter);
        return;
    }
    const LimitEntry* current = FindLimit(a_, adapter, LimitKind::Money);
    const std::string defaultText =
        current ? FormatFixed(current->limit, 2, p_.regional.DecimalSeparator()) : texts::kDefaultLimit;
    const std::optional<std::string> text = p_.dialogs.InputBox(texts::kAppTitle, texts::kPromptLimit, defaultText);
    if (!text) return;
    const double limit = ReadPrice(*text);  // raises for a text that is not a number
    if (limit < 0) {
        p_.dialogs.ShowMessage(texts::kNegativeLimit);
        return;
    }
    SetLimit(a_, adapter, LimitKind::Money, limit, PeriodDayOf(a_, adapter));
}

void TForm1::N9Click() { a_.hideIdle = !a_.hideIdle; }

void TForm1::ost() {
    std::vector<UnreadFile> unwritten;
    {
        // Its messages about files read again run a message loop in the middle of the save.
        const FlagScope saving(saving_);
        FilePorts files = Files();
        unwritten = SaveFiles(a_, files);
    }
    if (!unwritten.empty()) p_.dialogs.ShowMessage(UnwrittenText(unwritten));
}

void TForm1::PeriodicSave() {
    const FlagScope saving(saving_);
    FilePorts files = Files();
    SaveFiles(a_, files);  // a file still unread is simply tried again next time
}

void TForm1::SpeedButton1Click() {
    ost();  // a failing save raises: the program then does not end
    p_.host.EndRequest();
}

void TForm1::SpeedButton2Click() {
    if (!p_.dialogs.AskYesNo(texts::kClearQuestion)) return;
    ost();  // a failing save raises: nothing is deleted then

    // From the deletion to the end of the reload neither a tick nor a save may run. A tick
    // would stamp records with the old AccountingDate into the emptied table, and the reload
    // would then count the same counters again under the new date; a save would write a
    // half-loaded table (the reload's messages, such as a price line that is no number, run a
    // message loop, where the periodic save's timer comes). The timer stops here and the
    // reload starts it again; Busy() holds the periodic save back. The message comes after
    // the reload, so ticks and saves during it see the reloaded state, and a save during it
    // cannot write the deleted history back.
    const bool wasRunning = timerEnabled_;
    SetTimer(false);
    std::optional<FlagScope> reloading(std::in_place, reloading_);
    const char* outcome = texts::kClearNotRead;  // a history this run never read is not ours
    if (HistoryFileRead(a_)) {
        if (p_.files.Delete(texts::kHistoryFile)) {
            a_.ClearHistory();
            outcome = texts::kClearDone;
        } else {
            outcome = texts::kClearFailed;
        }
    }
    QuickInfoShown = false;
    // When the file stayed, it holds what the save just wrote; the load replaces the table
    // with it, so every record is held once.
    bool started = false;
    try {
        started = StartAccounting();
    } catch (const AppError&) {
        // The deletion happened all the same: say so before the error box.
        reloading.reset();
        SetTimer(wasRunning);
        p_.dialogs.ShowMessage(outcome);
        throw;
    }
    reloading.reset();
    if (!started) SetTimer(wasRunning);
    p_.dialogs.ShowMessage(outcome);
}

void TForm1::SpeedButton3Click() { MailToAuthor(); }

void TForm1::MailToAuthor() {
    const std::string mail = std::string(texts::kMailTo) + texts::kEmail + texts::kMailSubjectKey +
                             texts::kMailSubject + texts::kMailBodyKey + texts::kMailBody + texts::kMailEnd;
    if (p_.shell.Open(mail) <= kShellOpenFailedUpTo) p_.dialogs.ShowMessage(texts::kMailFailed);
}

void TForm1::SpeedButton4Click() {
    if (p_.shell.ProgramFileExists(texts::kHelpFile))
        p_.shell.OpenProgramFile(texts::kHelpFile);
    else
        p_.shell.Open(texts::kOnlineHelp);
}

void TForm1::SpeedButton5Click() { p_.host.ShowAbout(); }

}  // namespace velkaro
