// velkaro-replay: runs the program's traffic meter (accounting, files, panel layout, report)
// from a script, with the operating system's parts replaced by scripted ones.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <deque>
#include <iostream>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

#include "core/Accounting.h"
#include "app/TrafficMeter.h"
#include "tools/replay/Script.h"
#include "tools/scripted/ScriptedScreen.h"
#include "tools/scripted/ScriptedPorts.h"

#ifdef _WIN32
#include "win/Win32FileStore.h"
#endif

namespace velkaro::replay {
namespace {

constexpr char kUsage[] =
    "usage: velkaro-replay SCRIPT   (or - for standard input)\n"
    "\n"
    "Runs the program's traffic meter in the current directory (history.txt, price.txt,\n"
    "tariffs.txt, limits.txt, history.htm, history.csv) with scripted system parts, and prints\n"
    "what the program shows.\n"
    "Exit status: 0 when the script ran to its end, 2 for a malformed line (the whole script\n"
    "is checked before anything runs; the line number goes to standard error), 1 when the\n"
    "script cannot be read.\n"
    "\n"
    "Commands, one per line (an empty line or one starting with # is skipped):\n"
    "  today YYYY-MM-DD  the clock's date from now on (default 2026-01-01)\n"
    "  separator C       the regional decimal separator from now on (default ,)\n"
    "  load              start-up of the statistics window: LoadFiles, the timer on\n"
    "  row IN OUT NAME   a row of the interface table of the next tick (64-bit counters); its\n"
    "                    key is its place in the table (0 for the first row of the tick)\n"
    "  keyrow KEY IN OUT NAME  the same with its key given (the interface's LUID or index)\n"
    "  filterrow IN OUT NAME   a filter's row (not accounted, but with counting boot)\n"
    "  counters 32|64    the table's counters from now on: 32 is the older table's (GetIfTable,\n"
    "                    rows wrap at 2^32, their counters cut to 32 bits); 64 the default\n"
    "  counting boot|increments  the counting=boot setting: records take the counters as they\n"
    "                    stand and the day stays the start's (saved in history.txt while on)\n"
    "  boot YYYY-MM-DD HH:MM:SS  when the system started, UTC (default 2026-01-01 00:00:00):\n"
    "                    the clock less the time run, so that moving time and boot together\n"
    "                    moves the clock alone, and boot alone starts the system again\n"
    "  uptime SECONDS    the time the system has run, from now on (default: the clock's date\n"
    "                    and time, as UTC, less boot; it goes on with them)\n"
    "  time HH:MM:SS     the clock's time of day: from now on every tick and failtick moves it a\n"
    "                    second on, and the date turns at midnight (default: no time of day: the\n"
    "                    date changes only by today, and the limits reckon with midnight)\n"
    "  tick              one tick (sampling, speed, layout, quick-info refresh, tray tip);\n"
    "                    the clock goes one second on\n"
    "  failtick          one tick whose interface-table call fails (rows kept); the clock\n"
    "                    goes one second on all the same\n"
    "  answer TEXT       OK with TEXT for the next input dialog, Yes to the next question\n"
    "  cancel            Cancel for the next input dialog (also when none is queued), No to\n"
    "                    the next question (Yes when none is queued)\n"
    "  pick Y            right click on the panel at x 10, y Y\n"
    "  select NAME       SelectedAdapter := NAME\n"
    "  setprices         the menu command that sets the prices (two input dialogs)\n"
    "  setpricefrom      the menu command that sets new prices from a day on: the two\n"
    "                    prices, then the day (DD.MM.YYYY, today's prefilled)\n"
    "  rename            the menu command that renames (one input dialog)\n"
    "  setlimit          the menu command that sets the money limit: its amount, then (unless\n"
    "                    it is 0, which removes the limit) the day the billing period begins on\n"
    "  settrafficlimit   the same for the traffic limit, in megabytes\n"
    "  report            the menu command History: writes history.htm and opens it\n"
    "  export            the menu command that exports to CSV: writes history.csv (every\n"
    "                    adapter's days, or the SHOW setting's adapter's) and opens it\n"
    "  help              the button Help: opens help.mht (when the program's folder, the current\n"
    "                    directory, holds it) or else the online help page\n"
    "  mail              the button that writes to the author (a mailto: text opened)\n"
    "  shell N           the shell's result for every open from now on: above 32 it opened\n"
    "                    (default 42), 32 or less it could not (2: no file, 31: no program)\n"
    "  save              the save of the exit paths (history.txt, price.txt, tariffs.txt,\n"
    "                    limits.txt)\n"
    "  restart           the program exits (with the save of the exit paths) and a new run of\n"
    "                    it waits for load; the clock, the table and the files stay\n"
    "  kill              the same without the save (a crash, a kill)\n"
    "  autosave          the periodic save (the same, silent about files it cannot read)\n"
    "  clear             the button that clears the history (asks a question first)\n"
    "  hideidle on|off   the setting that hides adapters without traffic (from the next tick)\n"
    "  panel             prints X Y COLOUR STYLE TEXT per item of the last layout (the limit\n"
    "                    line of a block with a limit among them, with its forecast)\n"
    "  quickinfo         prints NAME|TRAFFIC|COST per row of the last tick\n"
    "  window            prints window W H (outer size); with a work area, the size the window\n"
    "                    takes within it, then, while the image area scrolls through the panel,\n"
    "                    scroll sideways|down SHOWN of PANEL (the image area's width or height\n"
    "                    shown, and the panel's: for sideways, its texts' width, without the\n"
    "                    margin after them)\n"
    "  workarea W H      the work area of the window's monitor, in units, from now on (default:\n"
    "                    none, the screen has no end); scroll bars are 17 units\n"
    "  state             prints first NAME and selected NAME\n"
    "  readerror FILE N  reading FILE (history.txt, price.txt, tariffs.txt, limits.txt) fails\n"
    "                    with the I/O code N from now on; 0 makes it readable again\n"
    "  tip               prints the tray icon's tip of the last tick, one line per line (with\n"
    "                    a limit, the fourth: what is left of it, and per day)\n"
    "  trayicon          prints trayicon: off|idle|in|out|both, the tray icon's picture of the\n"
    "                    last tick (whether the adapters shown received and sent)\n"
    "  trayactivity on|off  the tray menu's activity item: the tray icon shows the traffic of the\n"
    "                    last second, or the application's icon (from the next tick)\n"
    "  graph NAME|all    prints the speed graph of an adapter, or of all adapters shown: its\n"
    "                    points, the scale's top, the grid lines' labels and the speed lines;\n"
    "                    points as whole bytes per second, a run of equal ones as VALUE*COUNT\n"
    "  ticks N           N ticks, each with the rows given before it (the same table N times)\n"
    "\n"
    "Before load the timer is off: tick and failtick then run no handler (no timer message\n"
    "comes), and the rows given are used up all the same. The same holds after a load that\n"
    "stopped with an error. Every other command runs whether or not load came first.\n"
    "Output: message: TEXT for every message box, question: TEXT for every Yes/No question,\n"
    "error: TEXT for every error that ends a handler, balloon: TEXT for every warning balloon\n"
    "of a limit (80 and 100 percent, a forecast past the limit), at the moment they are shown.\n"
    "The clock's date and time are read at every tick (the limits' periods and forecasts) and\n"
    "at load (the AccountingDate).\n";

void Print(const std::string& line) {
    std::fwrite(line.data(), 1, line.size(), stdout);
    std::fputc('\n', stdout);
}

// Message boxes, questions and error boxes print at once; input dialogs and questions take
// the queued answers in order.
class ReplayDialogs : public Dialogs {
public:
    std::deque<std::optional<std::string>> answers;

    void ShowMessage(const std::string& text) override { Print("message: " + text); }
    void ShowError(const std::string& text) override { Print("error: " + text); }
    // `cancel` is No; any other answer, or none queued, is Yes.
    bool AskYesNo(const std::string& text) override {
        Print("question: " + text);
        if (answers.empty()) return true;
        const bool yes = answers.front().has_value();
        answers.pop_front();
        return yes;
    }
    // `cancel`, or no answer queued, is Cancel.
    std::optional<std::string> InputBox(const std::string&, const std::string&, const std::string&) override {
        if (answers.empty()) return std::nullopt;
        std::optional<std::string> answer = std::move(answers.front());
        answers.pop_front();
        return answer;
    }
};

// The quick-info window counts as showing; the tray icon's balloons print at once, the shell
// always taking them.
class ReplayScreen : public ScriptedScreen {
public:
    bool ShowBalloon(const std::string&, const std::string& text) override {
        Print("balloon: " + text);
        return true;
    }
};

std::string Hex(std::uint32_t rgb) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "#%06X", static_cast<unsigned>(rgb & 0xFFFFFF));
    return buf;
}

// The files of the current directory, with read errors to inject.
class ReplayFiles : public FileStore {
public:
    std::map<std::string, int> readError;
    int ReadAll(const std::string& name, std::string& bytes) override {
        if (auto e = readError.find(name); e != readError.end()) return e->second;
        return disk_.ReadAll(name, bytes);
    }
    int ReplaceAll(const std::string& name, const std::string& bytes) override { return disk_.ReplaceAll(name, bytes); }
    int WriteAll(const std::string& name, const std::string& bytes) override { return disk_.WriteAll(name, bytes); }
    bool Delete(const std::string& name) override { return disk_.Delete(name); }

private:
#ifdef _WIN32
    win::Win32FileStore disk_;
#else
    DiskFileStore disk_;
#endif
};

// The shell, whose program folder is the current directory: help.mht is there when the file is.
class ReplayShell : public ScriptedShell {
public:
    bool ProgramFileExists(const std::string& name) override {
        std::string bytes;
        return ProgramFolder().ReadAll(name, bytes) == kIoOk;
    }
};

class Replay {
public:
    Replay()
    {
        NewRun();
        shell_.programFolder = &files_;  // history.htm lands in the current directory
    }

    void Run(const Command& c) {
        switch (c.op) {
            case Op::Today: clock_.today = c.date; break;
            case Op::Separator: regional_.separator = c.text[0]; break;
            case Op::Load: meter_->Guarded([&] { meter_->Start(); }); break;
            case Op::Row:
            case Op::KeyRow:
            case Op::FilterRow: AddRow(c); break;
            case Op::Counters: counters32_ = c.y == 32; break;
            case Op::Counting: meter_->State().SetCountingBoot(c.on); break;
            case Op::Boot: clock_.systemStart = c.seconds; break;
            case Op::Uptime: clock_.uptime = c.seconds; break;
            case Op::Time: clock_.secondOfDay = c.y; break;
            case Op::Tick: Tick(false); break;
            case Op::FailTick: Tick(true); break;
            case Op::Answer: dialogs_.answers.emplace_back(c.text); break;
            case Op::Cancel: dialogs_.answers.emplace_back(std::nullopt); break;
            // The panel's right click picks the block at or above the pointer.
            case Op::Pick: picked_ = meter_->Panel().AdapterAt(c.y); break;
            case Op::Select: picked_ = c.text; break;
            case Op::SetPrices: RunCommand(velkaro::Command::SetPrices); break;
            case Op::SetPricesFrom: RunCommand(velkaro::Command::SetPricesFrom); break;
            case Op::Rename: RunCommand(velkaro::Command::Rename); break;
            case Op::SetLimit: RunCommand(velkaro::Command::SetLimit); break;
            case Op::SetTrafficLimit: RunCommand(velkaro::Command::SetTrafficLimit); break;
            case Op::Report: RunCommand(velkaro::Command::ShowReport); break;
            case Op::Export: RunCommand(velkaro::Command::ExportCsv); break;
            case Op::Help: RunCommand(velkaro::Command::Help); break;
            case Op::Mail: RunCommand(velkaro::Command::MailToAuthor); break;
            case Op::Shell: shell_.result = c.y; break;
            case Op::Save: meter_->Guarded([&] { meter_->SaveFiles(); }); break;
            case Op::Restart:
                // The exit button's save; whether or not it fails, the program ends.
                meter_->Guarded([&] { meter_->SaveFiles(); });
                NewRun();
                break;
            case Op::Kill: NewRun(); break;
            case Op::Autosave: meter_->PeriodicSave(); break;
            case Op::ReadError:
                if (c.y == 0)
                    files_.readError.erase(c.text);
                else
                    files_.readError[c.text] = c.y;
                break;
            case Op::Clear: RunCommand(velkaro::Command::ClearHistory); break;
            case Op::Panel: PrintPanel(); break;
            case Op::QuickInfo:
                for (const QuickInfoRow& r : lastRows_) Print(r.name + "|" + r.traffic + "|" + r.cost);
                break;
            case Op::Window: PrintWindow(); break;
            case Op::WorkArea: workArea_ = {c.y, c.height}; break;
            case Op::State:
                Print("first " + meter_->Panel().FirstAdapter());
                Print("selected " + picked_);
                break;
            case Op::HideIdle: meter_->State().SetHideIdle(c.on); break;
            case Op::Tip: Print(meter_->TrayTip()); break;
            case Op::TrayIcon: Print(std::string("trayicon: ") + kActivityNames[static_cast<int>(meter_->Activity())]); break;
            case Op::TrayActivity:
                if (meter_->State().TrayActivity() != c.on) RunCommand(velkaro::Command::TrayActivity);
                break;
            case Op::Graph: PrintGraph(c.text); break;
            case Op::Ticks: {
                const std::vector<InterfaceRow> rows = ifTable_.rows;
                for (int i = 0; i < c.y; ++i) {
                    ifTable_.rows = rows;
                    Tick(false);
                }
                break;
            }
        }
    }

private:
    // A new run of the program, not started yet: what the last one held is gone.
    void NewRun() {
        meter_ = std::make_unique<TrafficMeter>(
            MeterPorts{{ifTable_, clock_, regional_, dialogs_, shell_, files_}, screen_, screen_});
        lastRows_.clear();
        picked_.clear();
    }

    void RunCommand(velkaro::Command command) {
        meter_->Guarded([&] { meter_->Run(command, picked_); });
    }

    void AddRow(const Command& c) {
        InterfaceRow row = MakeRow(c.text, c.in, c.out, c.op == Op::KeyRow ? c.key : kKeyByPlace);
        row.filter = c.op == Op::FilterRow;
        if (counters32_) {
            // The older table: 32-bit counters, as its fields keep them.
            row.counters32 = true;
            row.inOctets &= 0xFFFFFFFFu;
            row.outOctets &= 0xFFFFFFFFu;
        }
        ifTable_.rows.push_back(row);
    }

    // A tick comes only while the timer is on. The rows given for it are used up either way,
    // except by a failing call, whose rows wait for the next tick.
    void Tick(bool fail) {
        if (meter_->TimerEnabled()) {
            ifTable_.failNext = fail;
            screen_.quickInfoLists.clear();
            meter_->Guarded([&] { meter_->Tick(); });
            ifTable_.failNext = false;
            lastRows_ = screen_.quickInfoLists.empty() ? std::vector<QuickInfoRow>{} : screen_.quickInfoLists.back();
        }
        if (!fail) ifTable_.rows.clear();
    }

    void PrintPanel() {
        for (const PanelItem& item : meter_->Panel().Items()) {
            Print(std::to_string(item.x) + " " + std::to_string(item.y) + " " +
                  (item.desktopColour ? std::string("desktop") : Hex(item.rgb)) + " " +
                  (item.bold ? "bold" : "normal") + " " + item.text);
        }
    }

    static constexpr const char* kActivityNames[] = {"off", "idle", "in", "out", "both"};

    // Whole bytes per second, each run of equal values as VALUE*COUNT.
    static std::string PointsText(const std::vector<SpeedPoint>& points, double SpeedPoint::*direction) {
        std::string text;
        for (std::size_t i = 0; i < points.size();) {
            const long long value = std::llround(points[i].*direction);
            std::size_t n = 1;
            while (i + n < points.size() && std::llround(points[i + n].*direction) == value) ++n;
            text += ' ' + std::to_string(value);
            if (n > 1) text += '*' + std::to_string(n);
            i += n;
        }
        return text;
    }

    void PrintGraph(const std::string& adapter) {
        const SpeedGraph g = meter_->Graph(adapter == "all" ? nullptr : &adapter);
        Print("graph " + adapter + ": " + std::to_string(g.points.size()) + " points, top " +
              (g.grid.empty() ? std::string("0") : g.grid.back().label));
        std::string grid = "grid:";
        for (const SpeedGraph::GridLine& line : g.grid) grid += (&line == &g.grid.front() ? " " : " | ") + line.label;
        Print(grid);
        Print(g.inLine);
        Print(g.outLine);
        Print("in:" + PointsText(g.points, &SpeedPoint::in));
        Print("out:" + PointsText(g.points, &SpeedPoint::out));
    }

    // The window as the panel sizes it, or as it stands within the work area.
    void PrintWindow() {
        if (workArea_.first == 0) {
            Print("window " + std::to_string(screen_.OuterWidth()) + " " + std::to_string(screen_.OuterHeight()));
            return;
        }
        constexpr int kScrollBar = 17;
        const int besideImage = screen_.OuterWidth() - screen_.ImageWidth();
        const int texts = std::min(screen_.ImageWidth(), meter_->Panel().TextsWidth());
        const WindowFit fit = FitToWorkArea(screen_.OuterWidth(), besideImage + texts, screen_.OuterHeight(),
                                            workArea_.first, workArea_.second, kScrollBar, kScrollBar);
        Print("window " + std::to_string(fit.width) + " " + std::to_string(fit.height));
        const int shownWidth = fit.width - besideImage - (fit.scrollsDown ? kScrollBar : 0);
        const int shownHeight =
            fit.height - (screen_.OuterHeight() - screen_.ImageHeight()) - (fit.scrollsSideways ? kScrollBar : 0);
        if (fit.scrollsSideways)
            Print("scroll sideways " + std::to_string(shownWidth) + " of " + std::to_string(texts));
        if (fit.scrollsDown)
            Print("scroll down " + std::to_string(shownHeight) + " of " + std::to_string(screen_.ImageHeight()));
    }

    std::pair<int, int> workArea_{0, 0};  // width, height; 0: none
    ScriptedInterfaceTable ifTable_;
    FixedClock clock_;
    FixedRegional regional_;
    ReplayDialogs dialogs_;
    ReplayShell shell_;
    ReplayFiles files_;
    ReplayScreen screen_;
    std::unique_ptr<TrafficMeter> meter_;
    std::vector<QuickInfoRow> lastRows_;
    std::string picked_;  // the adapter the panel's menu works on
    bool counters32_ = false;
};

bool ReadInput(const char* path, std::string& bytes) {
    FILE* f = std::strcmp(path, "-") == 0 ? stdin : std::fopen(path, "rb");
    if (!f) return false;
#ifdef _WIN32
    if (f == stdin) _setmode(_fileno(stdin), _O_BINARY);
#endif
    char buf[1 << 14];
    std::size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) bytes.append(buf, n);
    const bool ok = !std::ferror(f);
    if (f != stdin) std::fclose(f);
    return ok;
}

int Main(int argc, char** argv) {
#ifdef _WIN32
    // Bytes out as held: no CR added before LF.
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
#endif
    if (argc != 2) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    std::string bytes;
    if (!ReadInput(argv[1], bytes)) {
        std::fprintf(stderr, "velkaro-replay: cannot read %s\n", argv[1]);
        return 1;
    }
    std::vector<Command> commands;
    ParseError error;
    if (!ParseScript(bytes, commands, error)) {
        std::fprintf(stderr, "velkaro-replay: line %zu: %s\n", error.line, error.reason.c_str());
        return 2;
    }
    Replay replay;
    for (const Command& c : commands) replay.Run(c);
    std::fflush(stdout);
    return 0;
}

}  // namespace
}  // namespace velkaro::replay

int main(int argc, char** argv) { return velkaro::replay::Main(argc, argv); }
