// The running program: the accounting with its files, the one-second tick, the limits'
// warnings, every save and the commands. Each tick leaves one snapshot that the windows draw.
// It works through ports, so the same code runs in the program, in tests and in velkaro-replay.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "app/Ports.h"
#include "core/Accounting.h"
#include "core/Files.h"
#include "statistics/SpeedGraph.h"
#include "statistics/StatisticsPanel.h"

namespace velkaro {

// The commands of the program's menus and buttons, by the WM_COMMAND ids its windows take.
enum class Command : unsigned {
    Exit = 2,              // "Выход": the tray menu's and the button's
    StartWithWindows = 3,  // the tray menu's "Запускать вместе с Windows"
    ShowStatistics = 10,   // the tray menu's "Главная форма"
    TrayActivity = 4,      // the tray menu's "Активность в значке"
    SpeedGraphAll = 11,    // the tray menu's "График скорости": all adapters shown
    SpeedGraph = 112,      // the panel's "График скорости": the picked adapter
    ShowReport = 102,      // the panel's menu: "История"
    ExportCsv = 111,       // "Экспорт в CSV"
    SetPrices = 103,       // "Задать цену"
    SetPricesFrom = 104,   // "Новая цена с даты..."
    Rename = 105,          // "Переименовать"
    SetLimit = 107,        // "Лимит расходов в месяц..."
    SetTrafficLimit = 108, // "Лимит трафика в месяц..."
    HideIdle = 109,        // "Скрывать адаптеры без трафика"
    MailToAuthor = 201,    // the buttons: "Написать автору"
    ClearHistory = 202,    // "Отчистить историю"
    Help = 203,            // "Помощь"
    About = 204,           // "Об авторе"
};

// What one tick leaves for the windows.
struct Snapshot {
    // The blocks' items and the size they want, the quick-info rows, today's totals.
    const StatisticsPanel& panel;
    const std::string& tip;  // the tray icon's tip (Windows-1251)
    TrayActivity activity;
};

// The windows as the meter sees them. The sizes and text widths are the statistics window's,
// in 96-DPI units: the panel is laid out for it. The balloons are the limits' warnings.
class Screen : public WindowHost, public Notifier {
public:
    virtual void Started() = 0;                            // sampling began: the panel turns white
    virtual void ShowPanel(const StatisticsPanel& panel) = 0;  // laid out again (another DPI)
    virtual void Show(const Snapshot& snapshot) = 0;       // every tick
    virtual void EndRequest() = 0;                         // the program is to end
};

// The one-second timer that runs the ticks.
class TickTimer {
public:
    virtual ~TickTimer() = default;
    virtual void SetEnabled(bool enabled) = 0;  // the next tick 1000 ms after enabling
};

struct MeterPorts : SystemPorts {
    Screen& screen;
    TickTimer& timer;
};

// The warnings the limits are due to give, each as a balloon; one the shell would not show is
// due again at the next tick.
void ShowLimitWarnings(Accounting& a, DataFiles& data, char sep, Notifier& notifier);

class TrafficMeter {
public:
    explicit TrafficMeter(MeterPorts ports);

    // Finds the interface function, loads the files and starts the timer; nothing of it when
    // the function is missing.
    void Start();
    // Samples the interface table, looks at the limits, lays the panel out and shows the
    // snapshot.
    void Tick();
    // Lays the panel out again from the state of the last tick: the window's text widths
    // changed (another DPI).
    void Relayout();
    // Runs a command on an adapter (the one the panel's menu was opened on; the commands of
    // the whole program ignore it); false for a command it does not have.
    bool Run(Command command, const std::string& adapter = {});

    void ShowReport(const std::string& adapter);  // its HTML history, opened
    void ExportCsv();   // history.csv of all adapters (or the "SHOW" one), opened
    void SetPrices(const std::string& adapter);
    // Both prices, then the first day they apply (not after today); the days before keep theirs.
    void SetPricesFrom(const std::string& adapter);
    void Rename(const std::string& adapter);
    void SetLimit(const std::string& adapter, LimitKind kind);  // the amount, then the period day
    void Exit();        // save, then the end request (a failing save raises: no end)
    void ClearHistory();  // asks, saves, deletes, reloads, then tells
    void MailToAuthor();
    void Help();

    // The save of the exit paths, the session end, the suspend and the clear: a file that
    // still cannot be read is left as it is, and a message names it. Raises AppError when a
    // write fails.
    void SaveFiles();
    // The periodic save: the same without a word about files still unread. A failure shows
    // its error once; the next ones stay quiet until a save succeeds again.
    void PeriodicSave();

    // Runs a handler; an AppError that ends it goes to the error box. Returns false then.
    template <class F> bool Guarded(F&& handler);

    Accounting& State() { return a_; }
    const DataFiles& Files() const { return data_; }
    const StatisticsPanel& Panel() const { return panel_; }
    const std::string& TrayTip() const { return trayTip_; }  // the title before the first tick
    // The speed graph of an adapter (null: of all adapters shown) as the last tick left it.
    SpeedGraph Graph(const std::string* adapter) const {
        return MakeSpeedGraph(adapter ? speeds_.PointsOf(*adapter) : speeds_.PointsOfAll(), p_.regional.DecimalSeparator());
    }
    TrayActivity Activity() const { return speeds_.Activity(a_.TrayActivity()); }
    bool TimerEnabled() const { return timerEnabled_; }
    bool Sampling() const { return sampling_; }  // the interface function was found

private:
    // One value asked, shown first as `shown`; false after a Cancel, or for a text that `read`
    // refuses, which the message `refused` then says.
    template <class T, class Read>
    bool Ask(const char* prompt, const std::string& shown, Read read, const char* refused, T& value);
    void SetTimer(bool enabled);
    void LayOut(char sep);  // the panel laid out, new entries registered
    void Tell(const FileNotes& notes);  // the width to the window, the messages shown
    // A shell result of 32 or less: the message failed (texts::kOpenFailed or
    // kOpenWrittenFailed) of what could not be opened, with the reason.
    void ReportIfNotOpened(std::intptr_t result, const char* failed, const std::string& what);
    MeterPorts p_;
    FilePorts files_;  // p_'s, as the files take them
    Accounting a_;
    DataFiles data_;  // how the run stands with the files of a_
    StatisticsPanel panel_;
    std::vector<InterfaceRow> rows_;  // the last reading of the interface table
    std::string trayTip_;
    SpeedHistory speeds_;
    bool timerEnabled_ = false;
    bool sampling_ = false;
    bool saveFailing_ = false;  // the last periodic save failed and said so
};

template <class F> bool TrafficMeter::Guarded(F&& handler) {
    try {
        handler();
        return true;
    } catch (const AppError& e) {
        p_.dialogs.ShowError(e.what());
        return false;
    }
}

}  // namespace velkaro
