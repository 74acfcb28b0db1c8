// The program as a whole, in-process: start-up, every exit path saving exactly once, failed
// saves stopping their path, the session end and the system's suspend, a refused second start,
// the periodic save, and the limits' warnings one balloon at a time.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "core/Cp1251.h"
#include "core/Files.h"
#include "tests/win/ShellTestSupport.h"
#include "ui/StatisticsWindow.h"
#include "win/Window.h"

namespace velkaro::shell {
namespace {

using testing::ScriptedProgram;
using testing::TakeQuit;

const std::string kHistory = "history.txt";
const std::string kPrice = "price.txt";

// The bytes the save writes for the program's state at this moment.
std::string ExpectedHistory(Program& p) {
    FixedClock clock;
    return HistoryFileText(p.Meter().State(), p.Statistics().OuterWidth(), NowOf(clock));
}
std::string ExpectedPrice(Program& p) { return PriceFileText(p.Meter().State(), ','); }

LRESULT Send(ui::AppWindow& w, UINT msg, WPARAM wp = 0, LPARAM lp = 0) { return ::SendMessageW(w.Handle(), msg, wp, lp); }
void Choose(ui::AppWindow& w, Command c) { Send(w, WM_COMMAND, static_cast<WPARAM>(c)); }

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
        p.Meter().Tick();
        return p;
    }
    ScriptedProgram sp;
};

TEST_F(ShellProgramTest, StartUpShowsNothingButTheIcon) {
    Program& p = sp.Start();
    wchar_t text[64] = {};
    ::GetWindowTextW(p.App().Handle(), text, 64);
    EXPECT_EQ(win::Narrow(text), texts::kAppTitle);
    EXPECT_FALSE(p.Refused());
    EXPECT_EQ(sp.trayCalls, std::vector<DWORD>{NIM_ADD});
    // The statistics window's start loaded the files and started its timer.
    EXPECT_TRUE(p.Meter().Files().loaded);
    ASSERT_EQ(p.Meter().State().Tariffs().size(), 1u);
    EXPECT_TRUE(p.Meter().TimerEnabled());
    // Nothing is visible: no window, no taskbar button.
    EXPECT_FALSE(::IsWindowVisible(p.App().Handle()));
    EXPECT_FALSE(p.QuickInfo().IsVisible());
    EXPECT_FALSE(p.Statistics().IsVisible());
    EXPECT_FALSE(p.About().IsVisible());
    // Every window is owned by the application window, so none has a taskbar button of its own.
    for (HWND w : {p.QuickInfo().Handle(), p.Statistics().Handle(), p.About().Handle()})
        EXPECT_EQ(::GetWindow(w, GW_OWNER), p.App().Handle());
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
        {"tray menu Выход"_cp1251, [](Program& p) { Choose(p.QuickInfo(), Command::Exit); }},
        {"exit button", [](Program& p) { ::SendMessageW(p.Statistics().Handle(), WM_COMMAND, 2, 0); }},
        {"close of the main window", [](Program& p) { Send(p.QuickInfo(), WM_CLOSE); }},
        {"close of the application", [](Program& p) { ::SendMessageW(p.App().Handle(), WM_CLOSE, 0, 0); }},
    };
    for (const Path& path : paths) {
        SCOPED_TRACE(path.name);
        ScriptedProgram run;
        run.files.files[kPrice] = "eth0|Сеть>1,5@2\r\n"_cp1251;
        run.Row("eth0", 5000, 7000);
        Program& p = run.Start();
        p.Meter().Tick();
        path.run(p);
        Send(p.QuickInfo(), WM_CLOSE);  // a log-off or taskkill closes every window
        EXPECT_EQ(run.files.writes, 2);  // history.txt and price.txt, once each
        EXPECT_EQ(run.files.files[kHistory], ExpectedHistory(p));
        EXPECT_NE(run.files.files[kHistory].find("eth0"), std::string::npos);
        EXPECT_EQ(run.files.files[kPrice], ExpectedPrice(p));
        EXPECT_TRUE(p.App().EndRequested());
        EXPECT_TRUE(TakeQuit());
        EXPECT_TRUE(run.dialogs.errors.empty());
    }
}

TEST_F(ShellProgramTest, AClosingWhileAMessageOfTheStartIsOpenSavesWhatWasReadThenEnds) {
    // A log-off or an upgrade closes the program while the start's message box is open.
    sp.files.files[kHistory] = "SHOW=\r\nform1.width=790\r\n7.3.2026-0\t1\t2\teth0\r\n";
    sp.files.readError[kPrice] = 32;
    bool closed = false;
    sp.dialogs.onMessage = [&closed](const std::string&) {
        if (!std::exchange(closed, true)) ::SendMessageW(::FindWindowW(ui::Application::kClassName, nullptr), WM_CLOSE, 0, 0);
    };
    Program& p = sp.Start();
    ASSERT_EQ(sp.dialogs.messages.size(), 2u);  // the start's, then the exit's about price.txt
    EXPECT_TRUE(p.App().EndRequested());
    EXPECT_EQ(sp.files.writes, 1);
    EXPECT_EQ(sp.files.files[kHistory], ExpectedHistory(p));
    EXPECT_NE(sp.files.files[kHistory].find("7.3.2026-0\t1"), std::string::npos);
    EXPECT_TRUE(TakeQuit());
}

TEST_F(ShellProgramTest, EachTickGivesTheTrayItsTipWhichGoesToTheShellOnlyWhenItChanged) {
    Program& p = sp.Start();
    p.Meter().Tick();
    EXPECT_EQ(p.Tray().Tip().substr(0, 28), "Velkaro V1.4 Final\nСегодня: "_cp1251);
    ASSERT_EQ(sp.trayCalls, (std::vector<DWORD>{NIM_ADD, NIM_MODIFY}));
    p.Meter().Tick();  // nothing new: nothing goes to the shell
    EXPECT_EQ(sp.trayCalls.size(), 2u);
    sp.Row("eth0", 6024, 7000);
    p.Meter().Tick();
    EXPECT_EQ(sp.trayCalls.size(), 3u);
}

TEST_F(ShellProgramTest, ClosingTheStatisticsWindowNeitherSavesNorEnds) {
    Program& p = StartAndTick();
    p.Statistics().BringToFront();
    ::SendMessageW(p.Statistics().Handle(), WM_CLOSE, 0, 0);
    EXPECT_FALSE(p.Statistics().IsVisible());
    EXPECT_EQ(sp.files.writes, 0);
    EXPECT_FALSE(TakeQuit());
}

TEST_F(ShellProgramTest, SessionEndSavesOnceAnswersYesAndEndsWithoutAnotherSave) {
    Program& p = StartAndTick();
    EXPECT_EQ(Send(p.QuickInfo(), WM_QUERYENDSESSION), TRUE);
    EXPECT_EQ(sp.files.writes, 2);
    EXPECT_EQ(sp.files.files[kHistory], ExpectedHistory(p));
    EXPECT_FALSE(p.App().EndRequested());  // the answer only; the session decides
    // A repeated query of the same session end, and the periodic save, write nothing more.
    EXPECT_EQ(Send(p.QuickInfo(), WM_QUERYENDSESSION), TRUE);
    p.PeriodicSave();
    // The application window and the tray icon's window agree without saving.
    EXPECT_EQ(::SendMessageW(p.App().Handle(), WM_QUERYENDSESSION, 0, 0), TRUE);
    EXPECT_EQ(::SendMessageW(p.Tray().WindowHandle(), WM_QUERYENDSESSION, 0, 0), TRUE);
    Send(p.QuickInfo(), WM_ENDSESSION, TRUE);
    EXPECT_EQ(sp.files.writes, 2);
    EXPECT_TRUE(TakeQuit());
}

TEST_F(ShellProgramTest, ACancelledSessionEndMakesTheNextQuerySaveAgain) {
    Program& p = StartAndTick();
    ASSERT_EQ(Send(p.QuickInfo(), WM_QUERYENDSESSION), TRUE);
    Send(p.QuickInfo(), WM_ENDSESSION, FALSE);  // another program said no
    EXPECT_FALSE(p.QuickInfo().SessionEndPending());
    EXPECT_FALSE(TakeQuit());
    sp.Row("eth0", 6000, 9000);
    p.Meter().Tick();
    EXPECT_EQ(Send(p.QuickInfo(), WM_QUERYENDSESSION), TRUE);
    EXPECT_EQ(sp.files.writes, 4);
    EXPECT_EQ(sp.files.files[kHistory], ExpectedHistory(p));
}

TEST_F(ShellProgramTest, TheSystemSuspendingSavesAndTheProgramGoesOn) {
    Program& p = StartAndTick();
    EXPECT_EQ(Send(p.QuickInfo(), WM_POWERBROADCAST, PBT_APMSUSPEND), TRUE);
    EXPECT_EQ(sp.files.writes, 2);
    EXPECT_EQ(sp.files.files[kHistory], ExpectedHistory(p));
    Send(p.QuickInfo(), WM_POWERBROADCAST, PBT_APMRESUMEAUTOMATIC);
    EXPECT_EQ(sp.files.writes, 2);
    EXPECT_FALSE(TakeQuit());
}

TEST_F(ShellProgramTest, AFailedSaveShowsTheErrorAndStopsEveryPath) {
    Program& p = StartAndTick();
    sp.files.writeError[kHistory] = kIoDiskFull;
    Choose(p.QuickInfo(), Command::Exit);
    ::SendMessageW(p.Statistics().Handle(), WM_COMMAND, 2, 0);  // the exit button
    Send(p.QuickInfo(), WM_CLOSE);
    ::SendMessageW(p.App().Handle(), WM_CLOSE, 0, 0);
    EXPECT_EQ(Send(p.QuickInfo(), WM_QUERYENDSESSION), FALSE);
    EXPECT_FALSE(p.QuickInfo().SessionEndPending());
    EXPECT_EQ(sp.dialogs.errors, std::vector<std::string>(5, IoErrorText(kIoDiskFull)));
    EXPECT_FALSE(p.App().EndRequested());
    EXPECT_FALSE(TakeQuit());
    EXPECT_EQ(sp.files.writes, 0);

    // Once the disk has room again, the next exit goes through.
    sp.files.writeError.clear();
    Choose(p.QuickInfo(), Command::Exit);
    EXPECT_EQ(sp.files.writes, 2);
    EXPECT_TRUE(TakeQuit());
}

TEST_F(ShellProgramTest, WithoutTheInterfaceFunctionTheFilesStayAndEveryExitStillEnds) {
    sp.ifTable.loadable = false;
    sp.options.autosaveIntervalMs = 60000;
    sp.files.files[kHistory] = "SHOW=\r\nform1.width=790\r\n";
    Program& p = sp.Start();
    EXPECT_FALSE(p.Meter().Files().loaded);
    EXPECT_EQ(p.SaveInterval(), 0u);
    Choose(p.QuickInfo(), Command::Exit);
    EXPECT_EQ(sp.files.writes, 0);
    EXPECT_EQ(sp.files.files[kHistory], "SHOW=\r\nform1.width=790\r\n");
    EXPECT_TRUE(TakeQuit());
}

// Holds the instance mutex of a title on a thread of its own, as a running first instance.
class FirstInstance {
public:
    explicit FirstInstance(const std::string& title) {
        thread_ = std::thread([this, title] {
            HANDLE m = ::CreateMutexW(nullptr, FALSE, win::Widen(title + ".OneInstance.Default").c_str());
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
    HANDLE ready_ = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HANDLE done_ = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    std::thread thread_;
};

TEST_F(ShellProgramTest, ARefusedStartSaysSoAndEndsWithoutTouchingTheFiles) {
    const std::string title = "Velkaro shell test refused";
    FirstInstance first(title);
    sp.options.title = title;
    std::vector<std::string> shown;
    sp.options.showRefusal = [&](const std::string& text) { shown.push_back(text); };
    int fileCalls = 0;
    sp.files.onCall = [&](const std::string&, const std::string&) { ++fileCalls; };
    Program& p = sp.Start();
    EXPECT_TRUE(p.Refused());
    EXPECT_EQ(shown, (std::vector<std::string>{texts::kAlreadyRunning}));
    EXPECT_EQ(p.Run(), 0);
    EXPECT_EQ(fileCalls, 0);
    EXPECT_TRUE(sp.trayCalls.empty());
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
    EXPECT_EQ(p.SaveInterval(), 30u);
    // A message box left open: its own loop dispatches the timer, and the save runs there.
    ::SetTimer(nullptr, 0, 500, &CloseMessageBox);
    ::MessageBoxW(nullptr, L"open", L"Velkaro test", MB_OK);
    const int inBox = sp.files.writes;
    EXPECT_GE(inBox, 6);
    EXPECT_EQ(sp.files.files[kHistory], ExpectedHistory(p));
    // And in the program's own loop.
    ::SetTimer(nullptr, 0, 250, &QuitTimer);
    EXPECT_EQ(p.Run(), 0);
    EXPECT_GT(sp.files.writes, inBox);
    EXPECT_FALSE(p.App().EndRequested());  // it saves and goes on
}

// Its own error box left open stops it no more than any other: the saves go on, the error is
// shown once until one succeeds, and it names the file and the automatic save.
TEST_F(ShellProgramTest, APeriodicSaveThatFailsSaysSoOnceWhileItsBoxIsOpenAndGoesOn) {
    sp.options.autosaveIntervalMs = 20;
    Program& p = StartAndTick();
    sp.files.writeError[kPrice] = kIoAccessDenied;
    int failed = 0;
    sp.files.onCall = [&](const std::string& call, const std::string& name) {
        if (call == "write" && name == kPrice && sp.files.writeError.count(kPrice) && ++failed == 3)
            sp.files.writeError.clear();  // space freed while the box is still open
    };
    sp.dialogs.pumpMs = 400;
    testing::PumpFor(100);
    const std::string error = texts::kAutosaveFailed + kPrice + texts::kAutosaveFailedWhy + IoErrorText(kIoAccessDenied);
    EXPECT_EQ(sp.dialogs.errors, std::vector<std::string>{error});
    EXPECT_EQ(failed, 3);
    EXPECT_EQ(sp.files.files[kPrice], ExpectedPrice(p));  // a save in the box succeeded
    // The next failure is shown again.
    sp.files.onCall = nullptr;
    sp.files.writeError[kPrice] = kIoAccessDenied;
    sp.dialogs.pumpMs = 0;
    p.PeriodicSave();
    EXPECT_EQ(sp.dialogs.errors.size(), 2u);
}

TEST_F(ShellProgramTest, ClearingTheHistoryIsNotUndoneByAPeriodicSaveDuringItsMessage) {
    sp.options.autosaveIntervalMs = 10;
    Program& p = StartAndTick();
    // The question and the message box run modal loops in which the periodic timer fires.
    sp.dialogs.pumpMs = 80;
    ::SendMessageW(p.Statistics().Handle(), WM_COMMAND, static_cast<WPARAM>(Command::ClearHistory), 0);
    EXPECT_EQ(sp.dialogs.messages, (std::vector<std::string>{texts::kClearDone}));
    EXPECT_EQ(p.Meter().State().HistoryCount(), 0u);
    EXPECT_GE(sp.files.writes, 6);  // the clear's save, then the saves during its message
    EXPECT_EQ(sp.files.files[kHistory], ExpectedHistory(p));
    EXPECT_EQ(sp.files.files[kHistory].find("\teth0"), std::string::npos);  // no record of it
}

TEST_F(ShellProgramTest, TheDefaultPeriodIsFiveMinutesAndNoneRunsOnceTheEndIsRequested) {
    sp.options.autosaveIntervalMs = ProgramOptions{}.autosaveIntervalMs;
    Program& p = StartAndTick();
    EXPECT_EQ(p.SaveInterval(), 5u * 60u * 1000u);
    Choose(p.QuickInfo(), Command::Exit);
    ASSERT_EQ(sp.files.writes, 2);
    p.PeriodicSave();
    EXPECT_EQ(sp.files.writes, 2);
    EXPECT_TRUE(TakeQuit());
}

TEST_F(ShellProgramTest, TheApplicationsTimerTicksWhileTheMeterKeepsItOn) {
    sp.options.systemTimer = true;
    Program& p = sp.Start();
    const DWORD start = ::GetTickCount();
    while (sp.ifTable.calls < 2 && ::GetTickCount() - start < 5000) testing::PumpFor(100);
    EXPECT_GE(sp.ifTable.calls, 2);
    EXPECT_TRUE(p.Meter().TimerEnabled());
}

// ---- The limits' warnings ----

TEST_F(ShellProgramTest, TwoWarningsOfOneTickAreBothSeenOneBalloonAfterTheOther) {
    sp.files.files[kPrice] = "eth0|eth0>1@1\r\nwlan0|wlan0>1@1\r\n";
    sp.ifTable.rows.clear();
    Program& p = sp.Start();
    p.Meter().State().SetCountingBoot(true);  // the counters are the traffic: both over their limits at once
    for (const char* adapter : {"eth0", "wlan0"}) SetLimit(p.Meter().State(), adapter, LimitKind::Money, 0.5, 1);
    auto tick = [&] {
        sp.Row("eth0", 1048576, 0);
        sp.Row("wlan0", 1048576, 0);
        p.Meter().Tick();
    };
    auto warned = [&] {
        std::vector<int> levels;
        for (const LimitEntry& e : p.Meter().State().Limits()) levels.push_back(e.warnedLevel);
        return levels;
    };
    tick();
    ASSERT_EQ(sp.balloons.size(), 1u);
    EXPECT_EQ(win::Narrow(sp.balloons[0]).substr(0, 6), "eth0: ");
    EXPECT_EQ(warned(), (std::vector<int>{100, 0}));  // the second is not given while it waits
    tick();  // the first balloon is still up
    EXPECT_EQ(sp.balloons.size(), 1u);
    ::SendMessageW(p.Tray().WindowHandle(), ui::kTrayCallbackMessage, 0, NIN_BALLOONTIMEOUT);
    tick();
    ASSERT_EQ(sp.balloons.size(), 2u);
    EXPECT_EQ(win::Narrow(sp.balloons[1]).substr(0, 7), "wlan0: ");
    EXPECT_EQ(warned(), (std::vector<int>{100, 100}));
}

}  // namespace
}  // namespace velkaro::shell
