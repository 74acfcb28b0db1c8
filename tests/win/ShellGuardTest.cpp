// The single-instance guard: the mutex names, the two-step check against another thread and
// another process, an abandoned or missing instance mutex, a lock found in existence, bringing
// the other instance forward, and the real message box of a refused start.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <thread>

#include "core/Texts.h"
#include "ui/Application.h"
#include "shell/Program.h"
#include "tests/win/ShellTestSupport.h"
#include "win/DialogsWin32.h"
#include "ui/StatisticsWindow.h"
#include "win/IpHelperTable.h"
#include "win/SystemPorts.h"
#include "win/Window.h"
#include "win/Win32FileStore.h"

namespace velkaro::shell {
namespace {

using testing::TakeQuit;

// Runs a check of the title on a thread of its own; the thread keeps what it acquired until
// Finish (or ends without releasing when abandon is set).
class CheckOnThread {
public:
    CheckOnThread(const std::string& title, bool abandon = false) : abandon_(abandon) {
        done_ = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
        ready_ = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
        thread_ = std::thread([this, title] {
            const std::wstring name = win::Widen(title + ".OneInstance.Default");
            HANDLE m = ::CreateMutexW(nullptr, FALSE, name.c_str());
            acquired_ = ::WaitForSingleObject(m, 0) == WAIT_OBJECT_0;
            ::SetEvent(ready_);
            if (abandon_) return;  // ends owning the mutex, handle left open
            ::WaitForSingleObject(done_, INFINITE);
            ::ReleaseMutex(m);
            ::CloseHandle(m);
        });
        ::WaitForSingleObject(ready_, INFINITE);
        if (abandon_) thread_.join();
    }
    ~CheckOnThread() {
        ::SetEvent(done_);
        if (thread_.joinable()) thread_.join();
        ::CloseHandle(done_);
        ::CloseHandle(ready_);
    }
    bool acquired() const { return acquired_; }

private:
    bool abandon_;
    bool acquired_ = false;
    HANDLE done_;
    HANDLE ready_;
    std::thread thread_;
};

}  // namespace

// Each guard gives its instance mutex back when it goes.
class ShellGuardTest : public ::testing::Test {
protected:
    void SetUp() override { TakeQuit(); }
    void TearDown() override { TakeQuit(); }
    ScriptedDialogs dialogs;
};

namespace {

TEST_F(ShellGuardTest, TheMutexNamesComeFromTheTitleWithSlashesForBackslashes) {
    SingleInstance guard("Velkaro guard\\test");
    ASSERT_TRUE(guard.First());
    HANDLE m = ::OpenMutexW(SYNCHRONIZE, FALSE, L"Velkaro guard/test.OneInstance.Default");
    EXPECT_NE(m, nullptr);
    ::CloseHandle(m);
}

TEST_F(ShellGuardTest, TheFirstCheckTakesTheInstanceMutexAndGivesTheLockBack) {
    SingleInstance guard("Velkaro guard test first");
    EXPECT_TRUE(guard.First());
    // The lock is gone after the check: a new lock of the same name is created afresh.
    HANDLE lock = ::CreateMutexW(nullptr, FALSE, L"Velkaro guard test first.OneInstance.CriticalSection");
    EXPECT_EQ(::GetLastError(), 0u);
    ::CloseHandle(lock);
    // Another thread's check is refused.
    bool refusedElsewhere = false;
    std::thread([&] { refusedElsewhere = !SingleInstance("Velkaro guard test first").First(); }).join();
    EXPECT_TRUE(refusedElsewhere);
}

TEST_F(ShellGuardTest, AnInstanceRunningElsewhereRefusesTheStart) {
    const std::string title = "Velkaro guard test second";
    CheckOnThread first(title);
    ASSERT_TRUE(first.acquired());
    EXPECT_FALSE(SingleInstance(title).First());
}

TEST_F(ShellGuardTest, AnAbandonedInstanceMutexIsTakenOver) {
    const std::string title = "Velkaro guard test abandoned";
    CheckOnThread killed(title, /*abandon=*/true);
    ASSERT_TRUE(killed.acquired());
    SingleInstance guard(title);
    EXPECT_TRUE(guard.First());
}

TEST_F(ShellGuardTest, ALockFoundInExistenceRefusesAtOnce) {
    const std::string title = "Velkaro guard test lock";
    HANDLE lock = ::CreateMutexW(nullptr, FALSE, win::Widen(title + ".OneInstance.CriticalSection").c_str());
    EXPECT_FALSE(SingleInstance(title).First());
    ::CloseHandle(lock);
    // With the lock gone, the next check is a first instance: the refused one took nothing.
    EXPECT_TRUE(SingleInstance(title).First());
}

TEST_F(ShellGuardTest, AnInstanceMutexNameTakenByAnotherKindOfObjectCountsAsFirst) {
    const std::string title = "Velkaro guard test no mutex";
    // An event of the instance mutex's name: CreateMutex fails, the wait fails.
    HANDLE squatter = ::CreateEventW(nullptr, TRUE, FALSE, win::Widen(title + ".OneInstance.Default").c_str());
    ASSERT_NE(squatter, nullptr);
    EXPECT_TRUE(SingleInstance(title).First());
    ::CloseHandle(squatter);
}

TEST_F(ShellGuardTest, TheOtherInstanceIsFoundByClassAndTitleAndRestoredWhenMinimised) {
    const std::string title = "Velkaro guard test forward";
    ui::Application other(title, dialogs);
    ui::Application unrelated("Velkaro guard test unrelated", dialogs);
    ui::Application self(title, dialogs);
    ASSERT_EQ(FindOtherInstance(title, self.Handle()), other.Handle());  // never its own window
    ::ShowWindow(other.Handle(), SW_SHOWMINNOACTIVE);
    ASSERT_TRUE(::IsIconic(other.Handle()));
    BringForward(other.Handle());
    EXPECT_FALSE(::IsIconic(other.Handle()));
    // A hidden instance (in the tray) stays hidden.
    ::ShowWindow(other.Handle(), SW_HIDE);
    BringForward(other.Handle());
    EXPECT_FALSE(::IsWindowVisible(other.Handle()));
}

// ---- A second process ----
//
// The parent runs this test executable again with VELKARO_SHELL_CHILD set; the child runs the
// whole program with the real file store in a folder of its own, answers the real
// message box from a second thread, and reports through its exit code.

std::wstring TempFolder(const wchar_t* name) {
    wchar_t base[MAX_PATH];
    ::GetTempPathW(MAX_PATH, base);
    std::wstring dir = std::wstring(base) + name;
    ::CreateDirectoryW(dir.c_str(), nullptr);
    return dir;
}

std::string ReadFile(const std::wstring& path) {
    std::ifstream in(win::Narrow(path), std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

void WriteFile(const std::wstring& path, const std::string& bytes) {
    std::ofstream out(win::Narrow(path), std::ios::binary | std::ios::trunc);
    out << bytes;
}

DWORD RunChild(const std::string& mode, const std::string& title, const std::wstring& folder) {
    wchar_t exe[MAX_PATH];
    ::GetModuleFileNameW(nullptr, exe, MAX_PATH);
    std::wstring cmd = L"\"" + std::wstring(exe) + L"\" --gtest_filter=ShellChildProcess.*";
    ::SetEnvironmentVariableW(L"VELKARO_SHELL_CHILD", win::Widen(mode).c_str());
    ::SetEnvironmentVariableW(L"VELKARO_SHELL_TITLE", win::Widen(title).c_str());
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    BOOL ok = ::CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &si, &pi);
    ::SetEnvironmentVariableW(L"VELKARO_SHELL_CHILD", nullptr);
    ::SetEnvironmentVariableW(L"VELKARO_SHELL_TITLE", nullptr);
    if (!ok) return 0xFFFFFFFF;
    // Keep serving messages: the child brings this process's application window forward.
    while (::MsgWaitForMultipleObjects(1, &pi.hProcess, FALSE, 60000, QS_ALLINPUT) == WAIT_OBJECT_0 + 1) TakeQuit();
    DWORD code = 0xFFFFFFFE;
    ::GetExitCodeProcess(pi.hProcess, &code);
    ::CloseHandle(pi.hProcess);
    ::CloseHandle(pi.hThread);
    return code;
}

TEST_F(ShellGuardTest, ASecondProcessIsRefusedAndLeavesTheFilesAlone) {
    const std::string title = "Velkaro guard test process";
    const std::wstring folder = TempFolder(L"velkaro-shell-guard");
    const std::string history = "SHOW=\r\nform1.width=790\r\n1.1.2026-0\t10        \t20        \teth0\r\n";
    const std::string price = "eth0|eth0>1,5@2\r\n";
    WriteFile(folder + L"\\history.txt", history);
    WriteFile(folder + L"\\price.txt", price);

    auto guard = std::make_unique<SingleInstance>(title);
    ASSERT_TRUE(guard->First());

    EXPECT_EQ(RunChild("refused", title, folder), 0u);
    EXPECT_EQ(ReadFile(folder + L"\\history.txt"), history);
    EXPECT_EQ(ReadFile(folder + L"\\price.txt"), price);

    // After the first instance has ended, a new start runs normally.
    guard.reset();
    EXPECT_EQ(RunChild("first", title, folder), 0u);
    EXPECT_NE(ReadFile(folder + L"\\history.txt"), history);  // its exit saved
}

// The child's side; skipped unless started by the test above.
TEST(ShellChildProcess, RunsTheProgram) {
    char mode[32] = {};
    char title[128] = {};
    if (!::GetEnvironmentVariableA("VELKARO_SHELL_CHILD", mode, sizeof mode)) GTEST_SKIP() << "parent only";
    ::GetEnvironmentVariableA("VELKARO_SHELL_TITLE", title, sizeof title);
    const std::wstring wtitle = win::Widen(title);

    const bool expectRefused = std::string(mode) == "refused";
    // Answers the guard's message box: remembers its text and caption, presses OK.
    std::wstring boxText, boxCaption;
    std::thread answer;
    if (expectRefused) answer = std::thread([&] {
        for (int i = 0; i < 300; ++i) {
            HWND box = ::FindWindowW(L"#32770", wtitle.c_str());
            if (box) {
                wchar_t buf[256] = {};
                ::GetDlgItemTextW(box, 0xFFFF, buf, 256);
                boxText = buf;
                ::GetWindowTextW(box, buf, 256);
                boxCaption = buf;
                ::PostMessageW(box, WM_COMMAND, IDOK, 0);
                return;
            }
            ::Sleep(20);
        }
    });

    win::IpHelperTable ifTable;
    win::Win32Clock clock;
    win::Win32RegionalSettings regional;
    ScriptedDialogs dialogs;
    win::Win32Shell shellPort;
    win::Win32FileStore files;
    ProgramOptions options;
    options.title = title;
    options.systemTimer = false;
    options.autosaveIntervalMs = 10;
    Program p({ifTable, clock, regional, dialogs, shellPort, files}, options);
    if (!expectRefused) {
        EXPECT_FALSE(p.Refused());
        p.Meter().Tick();  // today's records of the real interfaces
        ::SendMessageW(p.QuickInfo().Handle(), WM_COMMAND, static_cast<WPARAM>(Command::Exit), 0);
        EXPECT_EQ(p.Run(), 0);
        return;
    }
    answer.join();
    EXPECT_TRUE(p.Refused());
    EXPECT_EQ(boxText, win::Widen(texts::kAlreadyRunning));
    EXPECT_EQ(boxCaption, wtitle);
    EXPECT_EQ(p.Run(), 0);
}

}  // namespace
}  // namespace velkaro::shell
