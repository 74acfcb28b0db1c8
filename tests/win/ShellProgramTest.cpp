// The program as a whole, in-process: start-up order, every exit path saving exactly once,
// failed saves stopping their path, the session end, a refused second instance that never
// writes, and the periodic save.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "core/Cp1251.h"
#include "core/Files.h"
#include "win/Form1Window.h"
#include "shell/OneInstance.h"
#include "tests/win/ShellTestSupport.h"
#include "win/Utf16.h"

namespace velkaro::shell {
namespace {

using testing::ScriptedProgram;
using testing::TakeQuit;

const std::string kHistory = "history.txt";
const std::string kPrice = "price.txt";

// The bytes the save writes for the program's state at this moment.
std::string ExpectedHistory(Program& p) {
    return HistoryFileText(p.State(), p.Form1().OuterWidth(), FixedClock().SystemStartTime());
}
std::string ExpectedPrice(Program& p) { return PriceFileText(p.State(), ','); }

}  // namespace

class ShellProgramTest : public ::testing::Test {
protected:
    void SetUp() override {
        TakeQuit();
        sp.files.files[kPrice] = "eth0|Сеть>1,5@2\r\n"_cp1251;
        sp.Row("eth0", 5000, 7000);
    }
    // Starts the program and runs one tick, so there is a record to save.
    Program& StartAndTick() {
        Program& p = sp.Start();
        p.Form1().Form().Timer1Timer();
        return p;
    }
    // The periodic save's state and counts, and the saves of TForm2's exit paths.
    static bool AutosaveRunning(Program& p) { return p.Autosaver().running_; }
    static unsigned AutosaveInterval(Program& p) { return p.Autosaver().interval_; }
    static unsigned AutosavePeriod(Program& p) { return p.Autosaver().period_; }
    static int AutosaveHeldBack(Program& p) { return p.Autosaver().heldBack_; }
    static HWND AutosaveWindow(Program& p) { return p.Autosaver().Handle(); }
    static int AutosaveSaves(Program& p) { return p.Autosaver().saves_; }
    static int AutosaveFailures(Program& p) { return p.Autosaver().failures_; }
    static int Form2Saves(Program& p) { return p.Form2().saves_; }
    ScriptedProgram sp;
};

namespace {

TEST_F(ShellProgramTest, StartUpRunsInItsOrderAndShowsNothing) {
    Program& p = sp.Start();
    EXPECT_EQ(sp.trace, (std::vector<std::string>{"title", "guard", "tray", "main form", "statistics",
                                                    "about", "autosave"}));
    // The title is the application window's text; TForm2 is the main form.
    wchar_t text[64] = {};
    ::GetWindowTextW(p.App().Handle(), text, 64);
    EXPECT_EQ(win::Narrow(text), texts::kAppTitle);
    EXPECT_EQ(p.App().MainForm(), &p.Form2());
    EXPECT_FALSE(p.Refused());
    // The tray icon turned the show-main-form switch off and put its icon in.
    EXPECT_FALSE(p.App().ShowMainForm);
    ASSERT_FALSE(sp.trayCalls.empty());
    EXPECT_EQ(sp.trayCalls.front(), static_cast<DWORD>(NIM_ADD));
    // The statistics window's creation loaded the files and started its timer.
    EXPECT_TRUE(p.State().filesLoaded);
    ASSERT_EQ(p.State().Tariffs().size(), 1u);
    EXPECT_EQ(p.State().Tariffs()[0].displayName, "Сеть"_cp1251);
    EXPECT_TRUE(p.Form1().Form().TimerEnabled());
    // Nothing is visible: no window, no taskbar button.
    EXPECT_FALSE(::IsWindowVisible(p.App().Handle()));
    EXPECT_FALSE(p.Form2().IsVisible());
    EXPECT_FALSE(p.Form1().Visible());
    EXPECT_FALSE(p.Form3().IsVisible());
    // Every form is owned by the application window, so none has a taskbar button of its own.
    EXPECT_EQ(::GetWindow(p.Form2().Handle(), GW_OWNER), p.App().Handle());
    EXPECT_EQ(::GetWindow(p.Form1().Handle(), GW_OWNER), p.App().Handle());
    EXPECT_EQ(::GetWindow(p.Form3().Handle(), GW_OWNER), p.App().Handle());
    EXPECT_EQ(sp.files.writes, 0);
}

TEST_F(ShellProgramTest, TheMessageLoopEndsAtTheEndRequestAndTheEndRemovesTheIconWithoutASave) {
    Program& p = StartAndTick();
    p.App().EndRequest();
    EXPECT_EQ(p.Run(), 0);
    sp.trayCalls.clear();
    sp.program.reset();
    EXPECT_EQ(sp.trayCalls, (std::vector<DWORD>{NIM_DELETE}));
    EXPECT_EQ(sp.files.writes, 0);
}

TEST_F(ShellProgramTest, EachExitPathSavesOnceThenEnds) {
    struct Path {
        const char* name;
        void (*run)(Program&);
    };
    const Path paths[] = {
        {"tray menu Выход"_cp1251, [](Program& p) { ::SendMessageW(p.Form2().Handle(), WM_COMMAND, TForm2::kN2, 0); }},
        {"exit button", [](Program& p) { p.Form1().Form().Guarded([&] { p.Form1().Form().SpeedButton1Click(); }); }},
        {"close of the main form", [](Program& p) { ::SendMessageW(p.Form2().Handle(), WM_CLOSE, 0, 0); }},
        {"close of the application", [](Program& p) { ::SendMessageW(p.App().Handle(), WM_CLOSE, 0, 0); }},
    };
    for (const Path& path : paths) {
        SCOPED_TRACE(path.name);
        ScriptedProgram run;
        run.files.files[kPrice] = "eth0|Сеть>1,5@2\r\n"_cp1251;
        run.Row("eth0", 5000, 7000);
        Program& p = run.Start();
        p.Form1().Form().Timer1Timer();
        ASSERT_EQ(p.State().HistoryCount(), 1u);
        path.run(p);
        EXPECT_EQ(run.files.writes, 2);  // history.txt and price.txt, once each
        EXPECT_EQ(run.files.files[kHistory], ExpectedHistory(p));
        EXPECT_EQ(run.files.files[kPrice], ExpectedPrice(p));
        EXPECT_NE(run.files.files[kHistory].find("eth0"), std::string::npos);
        EXPECT_TRUE(p.App().EndRequested());
        EXPECT_TRUE(TakeQuit());
        EXPECT_TRUE(run.dialogs.errors.empty());
    }
}

TEST_F(ShellProgramTest, EachTickGivesTheTrayItsTipWhichGoesToTheShellOnlyWhenItChanged) {
    Program& p = sp.Start();
    TTrayIcon& tray = *p.Form2().TrayIcon1;
    EXPECT_EQ(tray.Hint(), "Velkaro V1.4 Final");
    const std::size_t calls = sp.trayCalls.size();
    // The tip's text: the replay tip; its UTF-16: the tray icon test.
    p.Form1().Form().Timer1Timer();
    EXPECT_EQ(tray.Hint().substr(0, 28), "Velkaro V1.4 Final\nСегодня: "_cp1251);
    ASSERT_EQ(sp.trayCalls.size(), calls + 1);
    EXPECT_EQ(sp.trayCalls.back(), static_cast<DWORD>(NIM_MODIFY));
    // Nothing new: nothing goes to the shell.
    p.Form1().Form().Timer1Timer();
    EXPECT_EQ(sp.trayCalls.size(), calls + 1);
    sp.Row("eth0", 6024, 7000);
    p.Form1().Form().Timer1Timer();
    EXPECT_EQ(sp.trayCalls.size(), calls + 2);
}

TEST_F(ShellProgramTest, ClosingTheStatisticsWindowNeitherSavesNorEnds) {
    Program& p = StartAndTick();
    p.Form1().Show();
    ::SendMessageW(p.Form1().Handle(), WM_CLOSE, 0, 0);
    EXPECT_FALSE(p.Form1().Visible());
    EXPECT_EQ(sp.files.writes, 0);
    EXPECT_FALSE(p.App().EndRequested());
    EXPECT_FALSE(TakeQuit());
}

TEST_F(ShellProgramTest, SessionEndSavesOnceAnswersYesAndEndsWithoutAnotherSave) {
    Program& p = StartAndTick();
    EXPECT_EQ(::SendMessageW(p.Form2().Handle(), WM_QUERYENDSESSION, 0, 0), TRUE);
    EXPECT_EQ(sp.files.writes, 2);
    EXPECT_EQ(sp.files.files[kHistory], ExpectedHistory(p));
    EXPECT_FALSE(p.App().EndRequested());  // the answer only; the session decides
    // A repeated query of the same session end, and the periodic save, write nothing more.
    EXPECT_EQ(::SendMessageW(p.Form2().Handle(), WM_QUERYENDSESSION, 0, 0), TRUE);
    p.Autosaver().Tick();
    EXPECT_EQ(sp.files.writes, 2);
    // The application window and the tray icon's window agree without saving.
    EXPECT_EQ(::SendMessageW(p.App().Handle(), WM_QUERYENDSESSION, 0, 0), TRUE);
    EXPECT_EQ(sp.files.writes, 2);
    ::SendMessageW(p.Form2().Handle(), WM_ENDSESSION, TRUE, 0);
    EXPECT_EQ(sp.files.writes, 2);
    EXPECT_TRUE(TakeQuit());
}

TEST_F(ShellProgramTest, ACancelledSessionEndMakesTheNextQuerySaveAgain) {
    Program& p = StartAndTick();
    ASSERT_EQ(::SendMessageW(p.Form2().Handle(), WM_QUERYENDSESSION, 0, 0), TRUE);
    ::SendMessageW(p.Form2().Handle(), WM_ENDSESSION, FALSE, 0);  // another program said no
    EXPECT_FALSE(p.Form2().SessionEndPending());
    EXPECT_FALSE(TakeQuit());
    sp.Row("eth0", 6000, 9000);
    p.Form1().Form().Timer1Timer();
    EXPECT_EQ(::SendMessageW(p.Form2().Handle(), WM_QUERYENDSESSION, 0, 0), TRUE);
    EXPECT_EQ(sp.files.writes, 4);
    EXPECT_EQ(sp.files.files[kHistory], ExpectedHistory(p));
}

TEST_F(ShellProgramTest, AFailedSaveShowsTheErrorAndStopsEveryPath) {
    Program& p = StartAndTick();
    sp.files.writeError[kHistory] = kIoDiskFull;

    ::SendMessageW(p.Form2().Handle(), WM_COMMAND, TForm2::kN2, 0);
    EXPECT_EQ(sp.dialogs.errors.size(), 1u);
    EXPECT_FALSE(p.App().EndRequested());

    p.Form1().Form().Guarded([&] { p.Form1().Form().SpeedButton1Click(); });
    EXPECT_EQ(sp.dialogs.errors.size(), 2u);
    EXPECT_FALSE(p.App().EndRequested());

    EXPECT_FALSE(p.Form2().Close());  // the close is refused
    ::SendMessageW(p.App().Handle(), WM_CLOSE, 0, 0);
    EXPECT_EQ(sp.dialogs.errors.size(), 4u);
    EXPECT_FALSE(p.App().EndRequested());

    EXPECT_EQ(::SendMessageW(p.Form2().Handle(), WM_QUERYENDSESSION, 0, 0), FALSE);
    EXPECT_EQ(sp.dialogs.errors.size(), 5u);
    EXPECT_FALSE(p.Form2().SessionEndPending());
    EXPECT_FALSE(TakeQuit());
    EXPECT_EQ(sp.files.writes, 0);
    for (const std::string& e : sp.dialogs.errors) EXPECT_EQ(e, IoErrorText(kIoDiskFull));

    // Once the disk has room again, the next exit goes through.
    sp.files.writeError.clear();
    ::SendMessageW(p.Form2().Handle(), WM_COMMAND, TForm2::kN2, 0);
    EXPECT_EQ(sp.files.writes, 2);
    EXPECT_TRUE(TakeQuit());
}

TEST_F(ShellProgramTest, WithoutTheInterfaceFunctionTheFilesStayAndEveryExitStillEnds) {
    sp.ifTable.loadable = false;
    sp.files.files[kHistory] = "SHOW=\r\nform1.width=790\r\n";
    Program& p = sp.Start();
    EXPECT_FALSE(p.State().filesLoaded);
    EXPECT_FALSE(AutosaveRunning(p));
    ::SendMessageW(p.Form2().Handle(), WM_COMMAND, TForm2::kN2, 0);
    EXPECT_EQ(sp.files.writes, 0);
    EXPECT_EQ(sp.files.files[kHistory], "SHOW=\r\nform1.width=790\r\n");
    EXPECT_TRUE(TakeQuit());
}

// ---- A refused second instance ----

// Holds the instance mutex of a title on a thread of its own, as a running first instance.
class FirstInstance {
public:
    explicit FirstInstance(const std::string& title) {
        ready_ = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
        done_ = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
        thread_ = std::thread([this, title] {
            const std::wstring name = win::Widen(title + ".OneInstance.Default");
            HANDLE m = ::CreateMutexW(nullptr, FALSE, name.c_str());
            ::WaitForSingleObject(m, 0);
            ::SetEvent(ready_);
            ::WaitForSingleObject(done_, INFINITE);
            ::ReleaseMutex(m);
            ::CloseHandle(m);
        });
        ::WaitForSingleObject(ready_, INFINITE);
    }
    ~FirstInstance() {
        ::SetEvent(done_);
        thread_.join();
        ::CloseHandle(ready_);
        ::CloseHandle(done_);
    }

private:
    HANDLE ready_;
    HANDLE done_;
    std::thread thread_;
};

TEST_F(ShellProgramTest, ARefusedInstanceReadsTheFilesButNoPathWritesThem) {
    const std::string title = "Velkaro shell test refused";
    FirstInstance first(title);
    sp.options.title = title;
    sp.options.autosaveIntervalMs = 20;
    std::vector<std::string> shown;
    sp.options.configureGuard = [&](TOneInstance& guard) {
        guard.OnShowMessage = [&](TOneInstance& g, bool&) { shown.push_back(g.Message); };
    };
    Program& p = sp.Start();
    EXPECT_TRUE(p.Refused());
    EXPECT_EQ(shown, (std::vector<std::string>{texts::kAlreadyRunning}));
    EXPECT_FALSE(p.App().ShowMainForm);
    EXPECT_TRUE(p.App().EndRequested());
    // The rest of the start-up still ran: the guard before the tray icon, then the other windows.
    EXPECT_EQ(sp.trace, (std::vector<std::string>{"title", "guard", "tray", "main form", "statistics", "about"}));
    EXPECT_TRUE(p.State().filesLoaded);
    EXPECT_EQ(p.State().Tariffs().size(), 1u);
    EXPECT_FALSE(AutosaveRunning(p));

    // Whatever path is taken, nothing is written.
    p.Form1().Form().Timer1Timer();
    ::SendMessageW(p.Form2().Handle(), WM_COMMAND, TForm2::kN2, 0);
    ::SendMessageW(p.Form2().Handle(), WM_CLOSE, 0, 0);
    EXPECT_EQ(::SendMessageW(p.Form2().Handle(), WM_QUERYENDSESSION, 0, 0), TRUE);
    p.Form1().Form().Guarded([&] { p.Form1().Form().SpeedButton1Click(); });
    p.Form1().Form().Guarded([&] { p.Form1().Form().SpeedButton2Click(); });  // clear history
    p.Autosaver().Tick();
    EXPECT_EQ(Form2Saves(p), 0);
    EXPECT_EQ(sp.files.writes, 0);
    EXPECT_EQ(sp.files.files.count(kHistory), 0u);
    EXPECT_EQ(sp.files.files[kPrice], "eth0|Сеть>1,5@2\r\n"_cp1251);
    EXPECT_GT(p.Files().blockedWrites, 0);
    // The message loop ends at once, the main form never shown.
    EXPECT_EQ(p.Run(), 0);
    EXPECT_FALSE(p.Form2().IsVisible());
}

// ---- The periodic save ----

void CALLBACK QuitTimer(HWND, UINT, UINT_PTR id, DWORD) {
    ::KillTimer(nullptr, id);
    ::PostQuitMessage(0);
}

// Closes the message box of this thread: OK, as the user would.
void CALLBACK CloseMessageBox(HWND, UINT, UINT_PTR id, DWORD) {
    struct Find {
        static BOOL CALLBACK Proc(HWND w, LPARAM lp) {
            wchar_t cls[16] = {};
            ::GetClassNameW(w, cls, 16);
            if (std::wstring(cls) != L"#32770") return TRUE;
            *reinterpret_cast<HWND*>(lp) = w;
            return FALSE;
        }
    };
    HWND box = nullptr;
    ::EnumThreadWindows(::GetCurrentThreadId(), &Find::Proc, reinterpret_cast<LPARAM>(&box));
    if (!box) return;
    ::KillTimer(nullptr, id);
    ::PostMessageW(box, WM_COMMAND, IDOK, 0);
}

TEST_F(ShellProgramTest, ThePeriodicSaveRunsWhereverItsTimerComesAnOpenMessageBoxIncluded) {
    sp.options.autosaveIntervalMs = 30;
    Program& p = StartAndTick();
    EXPECT_TRUE(AutosaveRunning(p));
    EXPECT_EQ(AutosaveInterval(p), 30u);
    // A message box left open: its own loop dispatches the timer, and the save runs there.
    ::SetTimer(nullptr, 0, 500, &CloseMessageBox);
    ::MessageBoxW(nullptr, L"open", L"Velkaro test", MB_OK);
    const int inBox = AutosaveSaves(p);
    EXPECT_GE(inBox, 3);
    EXPECT_EQ(sp.files.writes, 2 * inBox);
    EXPECT_EQ(sp.files.files[kHistory], ExpectedHistory(p));
    // And in the program's own loop.
    ::SetTimer(nullptr, 0, 250, &QuitTimer);
    EXPECT_EQ(p.Run(), 0);
    EXPECT_GT(AutosaveSaves(p), inBox);
    EXPECT_EQ(sp.files.writes, 2 * AutosaveSaves(p));
    EXPECT_FALSE(p.App().EndRequested());  // it saves and goes on
}

TEST_F(ShellProgramTest, ClearingTheHistoryIsNotUndoneByAPeriodicSaveDuringItsMessage) {
    sp.options.autosaveIntervalMs = 10;
    Program& p = StartAndTick();
    ASSERT_EQ(p.State().HistoryCount(), 1u);
    // The question and the message box run modal loops in which the periodic timer fires.
    sp.dialogs.pumpMs = 80;
    p.Form1().Form().Guarded([&] { p.Form1().Form().SpeedButton2Click(); });
    EXPECT_EQ(sp.dialogs.messages, (std::vector<std::string>{texts::kClearDone}));
    EXPECT_EQ(p.State().HistoryCount(), 0u);
    // The saves during the message wrote the cleared state.
    EXPECT_GE(AutosaveSaves(p), 2);
    EXPECT_EQ(sp.files.files[kHistory], ExpectedHistory(p));
    EXPECT_EQ(sp.files.files[kHistory].find("\teth0"), std::string::npos);  // no record of it
}

TEST_F(ShellProgramTest, APeriodicSaveDueBetweenTheClearsDeletionAndReloadWaitsForTheReload) {
    sp.options.autosaveIntervalMs = 60000;
    Program& p = StartAndTick();
    int writesBefore = -1, writesAfter = -1;
    sp.files.onCall = [&](const std::string& call, const std::string& name) {
        if (call != "read" || name != kPrice || writesBefore >= 0) return;
        // The history file is gone, the tables half reloaded: the periodic timer comes in a
        // message loop here, as it would in a message of the load.
        writesBefore = sp.files.writes;
        ::SendMessageW(AutosaveWindow(p), WM_TIMER, 1, 0);
        writesAfter = sp.files.writes;
    };
    p.Form1().Form().Guarded([&] { p.Form1().Form().SpeedButton2Click(); });
    sp.files.onCall = nullptr;
    ASSERT_GE(writesBefore, 0);
    EXPECT_EQ(writesAfter, writesBefore) << "saved in the middle of the reload";
    EXPECT_EQ(AutosaveHeldBack(p), 1);
    // It comes back a second later, not an interval later, and then runs on as before.
    EXPECT_EQ(AutosavePeriod(p), Autosave::kRetryMs);
    EXPECT_FALSE(testing::PumpFor(Autosave::kRetryMs + 400));
    EXPECT_EQ(AutosaveSaves(p), 1);
    EXPECT_EQ(AutosavePeriod(p), 60000u);
    EXPECT_EQ(sp.files.files[kHistory], ExpectedHistory(p));
    EXPECT_EQ(sp.files.files[kPrice], ExpectedPrice(p));
}

TEST_F(ShellProgramTest, TheDefaultPeriodIsFiveMinutes) {
    sp.options = ProgramOptions{};
    sp.options.systemTimer = false;
    sp.options.configureTray = [](TTrayIcon& tray) { tray.SetShellNotify([](DWORD, NOTIFYICONDATAW*) { return TRUE; }); };
    Program& p = sp.Start();
    EXPECT_TRUE(AutosaveRunning(p));
    EXPECT_EQ(AutosaveInterval(p), 5u * 60u * 1000u);
}

TEST_F(ShellProgramTest, APeriodicSaveThatFailsSaysSoOnceUntilOneSucceeds) {
    Program& p = StartAndTick();
    sp.files.writeError[kPrice] = kIoAccessDenied;
    p.Autosaver().Tick();
    p.Autosaver().Tick();
    EXPECT_EQ(AutosaveFailures(p), 2);
    EXPECT_EQ(sp.dialogs.errors, (std::vector<std::string>{IoErrorText(kIoAccessDenied)}));
    sp.files.writeError.clear();
    p.Autosaver().Tick();
    EXPECT_EQ(AutosaveSaves(p), 1);
    sp.files.writeError[kPrice] = kIoAccessDenied;
    p.Autosaver().Tick();
    EXPECT_EQ(sp.dialogs.errors.size(), 2u);
    EXPECT_FALSE(p.App().EndRequested());
}

TEST_F(ShellProgramTest, NoPeriodicSaveOnceTheEndIsRequested) {
    Program& p = StartAndTick();
    ::SendMessageW(p.Form2().Handle(), WM_COMMAND, TForm2::kN2, 0);
    ASSERT_EQ(sp.files.writes, 2);
    p.Autosaver().Tick();
    EXPECT_EQ(sp.files.writes, 2);
    EXPECT_TRUE(TakeQuit());
}

}  // namespace
}  // namespace velkaro::shell
