#include "display/StatisticsWindow.h"

#include "core/AppError.h"
#include "core/NumberText.h"
#include "core/Sampler.h"
#include "core/Texts.h"
#include "report/HistoryReport.h"

namespace velkaro {

namespace {

constexpr int kNoBlockDistance = 16777215;
constexpr int kPopupBelowPointer = 20;
constexpr std::intptr_t kShellOpenFailedUpTo = 32;

// The entry a slot lookup gave, if it still belongs to the adapter: a dialog runs the
// message loop, and what runs there may have reloaded the table.
TariffEntry* EntryAt(Accounting& a, std::size_t slot, const std::string& adapter) {
    auto& t = a.Tariffs();
    if (slot < t.size() && t[slot].adapter == adapter) return &t[slot];
    for (TariffEntry& e : t)
        if (e.adapter == adapter) return &e;
    return nullptr;
}

}  // namespace

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
    SetTimer(false);
    if (sampling_) SampleInterfaces(a_, p_.ifTable);
    const bool complete = panel_.RedrawStatisticsPanel(a_, p_.host, p_.regional.DecimalSeparator());
    p_.host.Repaint();
    // When a command emptied the history inside the redraw, its rows describe a table
    // that is gone: the tick goes straight to its end.
    if (complete) p_.host.RefreshQuickInfo();
    SetTimer(true);
    a_.quickInfoRows.clear();
}

void TForm1::Image1MouseDown(MouseButton button, int x, int y) {
    if (button != MouseButton::Right) return;
    std::string selected = a_.firstAdapter;
    int d = kNoBlockDistance;
    for (const HistoryRecord& r : a_.History()) {
        const int t = r.blockTop;
        if (t > 0 && t <= y && y - t < d) {
            selected = a_.AdapterNameOf(r);
            d = y - t;
        }
    }
    a_.selectedAdapter = std::move(selected);
    p_.host.PopupMenu(p_.host.WindowLeft() + x, p_.host.WindowTop() + y + kPopupBelowPointer);
}

void TForm1::N2Click() {
    const std::string page = HistoryReportText(a_, p_.regional.DecimalSeparator());
    if (const int code = p_.shell.ProgramFolder().WriteAll(texts::kReportFile, page); code != kIoOk)
        throw AppError(IoErrorText(code));
    p_.shell.OpenProgramFile(texts::kReportFile);
}

void TForm1::N3Click() {
    const std::string adapter = a_.selectedAdapter;
    struct Step {
        const char* prompt;
        double TariffEntry::*price;
    };
    static constexpr Step kSteps[] = {{texts::kPromptPriceIn, &TariffEntry::priceIn},
                                      {texts::kPromptPriceOut, &TariffEntry::priceOut}};
    for (const Step& step : kSteps) {
        // On a miss the lookup has shown its message; the input is then discarded.
        std::size_t slot = 0;
        const bool found = GetTariffSlotForPrices(a_, adapter, p_.dialogs, slot);
        const std::string text = p_.dialogs.InputBox(texts::kAppTitle, step.prompt, texts::kDefaultPrice);
        const double price = ReadPrice(text);  // raises for a text that is not a number
        if (!found) continue;
        if (TariffEntry* e = EntryAt(a_, slot, adapter)) e->*step.price = price;
    }
}

void TForm1::N5Click() {
    const std::string adapter = a_.selectedAdapter;
    const std::string text = p_.dialogs.InputBox(texts::kAppTitle, texts::kPromptRename, texts::kDefaultRename);
    if (text.empty() || text == texts::kDefaultRename) return;
    std::size_t slot = 0;
    if (!GetTariffSlotForRename(a_, adapter, p_.dialogs, slot)) return;
    if (TariffEntry* e = EntryAt(a_, slot, adapter)) e->displayName = text;
}

void TForm1::ost() {
    FilePorts files = Files();
    const std::vector<UnreadFile> unwritten = ::velkaro::ost(a_, files);
    if (!unwritten.empty()) p_.dialogs.ShowMessage(UnwrittenText(unwritten));
}

void TForm1::PeriodicSave() {
    FilePorts files = Files();
    ::velkaro::ost(a_, files);  // a file still unread is simply tried again next time
}

void TForm1::SpeedButton1Click() {
    ost();  // a failing save raises: the program then does not end
    p_.host.EndRequest();
}

void TForm1::SpeedButton2Click() {
    ost();
    // A history this run never read (the save wrote nothing) is not ours to delete.
    const bool deleted = a_.historyFile.read && p_.files.Delete(texts::kHistoryFile);
    if (deleted) {
        // Emptied before the message box, whose message loop may run a save (session end):
        // that save must not write the deleted history back.
        a_.ClearHistory();
        p_.dialogs.ShowMessage(texts::kClearDone);
    } else {
        p_.dialogs.ShowMessage(texts::kClearFailed);
    }
    QuickInfoShown = false;
    // When the file stayed, it holds what the save just wrote; the load replaces the table
    // with it, so every record is held once.
    StartAccounting();
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
