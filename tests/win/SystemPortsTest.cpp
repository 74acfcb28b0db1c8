// The shell and regional-settings ports against the running system.
#include <windows.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include <string>

#include "core/Cp1251.h"
#include "win/Handles.h"
#include "win/SystemPorts.h"
#include "win/Window.h"

namespace velkaro::win {
namespace {

TEST(Win32ShellTest, TheProgramsFolderIsTheExecutablesAndEndsInABackslash) {
    const std::wstring folder = ExeFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_EQ(folder.back(), L'\\');
    Win32Shell shell;
    EXPECT_TRUE(shell.ProgramFileExists("velkaro_win_tests.exe"));
    EXPECT_FALSE(shell.ProgramFileExists("no-such-file.mht"));
    EXPECT_FALSE(shell.ProgramFileExists(""));
}

// The program started from a folder whose name Windows-1251 cannot hold ("C:\Users\Jürgen"):
// the help file is found there (the report's file store on such a folder: FileStoreTest).
TEST(Win32ShellTest, AProgramFolderOutsideWindows1251HoldsTheReportAndTheHelpFile) {
    wchar_t tmp[MAX_PATH + 1] = {};
    ASSERT_NE(::GetTempPathW(MAX_PATH + 1, tmp), 0u);
    const std::wstring folder =
        std::wstring(tmp) + L"velkaro-J\u00FCrgen-\u5E2E\u52A9-" + std::to_wstring(::GetCurrentProcessId()) + L"\\";
    ASSERT_TRUE(::CreateDirectoryW(folder.c_str(), nullptr));
    Win32Shell shell(folder);

    EXPECT_FALSE(shell.ProgramFileExists("help.mht"));
    HANDLE h = ::CreateFileW((folder + L"help.mht").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    ::CloseHandle(h);
    EXPECT_TRUE(shell.ProgramFileExists("help.mht"));
    ASSERT_TRUE(::CreateDirectoryW((folder + L"folder.mht").c_str(), nullptr));
    EXPECT_FALSE(shell.ProgramFileExists("folder.mht"));  // a folder is not a file

    EXPECT_LE(shell.OpenProgramFile("нет такого файла.htm"_cp1251), 32);  // ShellExecute's error range
    // A file of a type no program opens: no question, the shell's "no association".
    UniqueFile untyped(::CreateFileW((folder + L"x.velkaro-no-type").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                     FILE_ATTRIBUTE_NORMAL, nullptr));
    untyped.reset();
    EXPECT_EQ(shell.OpenProgramFile("x.velkaro-no-type"), SE_ERR_NOASSOC);
    ::DeleteFileW((folder + L"x.velkaro-no-type").c_str());

    ::DeleteFileW((folder + L"help.mht").c_str());
    ::RemoveDirectoryW((folder + L"folder.mht").c_str());
    ::RemoveDirectoryW(folder.c_str());
}

TEST(Win32ShellTest, OpenReportsTheShellsFailure) {
    Win32Shell shell;
    EXPECT_LE(shell.Open("C:\\velkaro-no-such-folder\\x.htm"), 32);
}

// A URL whose scheme has no program in the registry is refused before the shell is asked (a
// shell may report success and open nothing); with a program registered, the shell runs it,
// here one that does not exist.
TEST(Win32ShellTest, AUrlOfASchemeWithoutAProgramIsRefusedAsNoAssociation) {
    Win32Shell shell;
    EXPECT_EQ(shell.Open("velkaro-no-such-scheme:author@velkaro.example"), SE_ERR_NOASSOC);
    const wchar_t key[] = L"velkaro-test-scheme";
    const std::wstring program = L"\"C:\\velkaro-no-such-folder\\mail.exe\" \"%1\"";
    ASSERT_EQ(::RegSetKeyValueW(HKEY_CLASSES_ROOT, L"velkaro-test-scheme\\shell\\open\\command", nullptr, REG_SZ,
                                program.c_str(), static_cast<DWORD>((program.size() + 1) * sizeof(wchar_t))),
              ERROR_SUCCESS);
    ::RegSetKeyValueW(HKEY_CLASSES_ROOT, key, L"URL Protocol", REG_SZ, L"", sizeof(wchar_t));
    const std::intptr_t result = shell.Open("velkaro-test-scheme:author@velkaro.example");
    ::RegDeleteTreeW(HKEY_CLASSES_ROOT, key);
    EXPECT_LE(result, 32);
    EXPECT_NE(result, SE_ERR_NOASSOC);
    // A path is no URL: its drive letter is not taken for a scheme.
    EXPECT_NE(shell.Open("C:\\velkaro-no-such-folder\\x.htm"), SE_ERR_NOASSOC);
}

// Sets the user's decimal separator for the scope of a test and puts the old one back.
class DecimalSetting {
public:
    DecimalSetting() {
        wchar_t buf[8] = {};
        ::GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, buf, 8);
        old_ = buf;
    }
    ~DecimalSetting() { ::SetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, old_.c_str()); }
    bool Set(const wchar_t* s) { return ::SetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, s); }

private:
    std::wstring old_;
};

TEST(Win32RegionalSettingsTest, FollowsTheUsersDecimalSeparator) {
    DecimalSetting setting;
    Win32RegionalSettings regional;
    ASSERT_TRUE(setting.Set(L","));
    EXPECT_EQ(regional.DecimalSeparator(), ',');
    ASSERT_TRUE(setting.Set(L"."));
    EXPECT_EQ(regional.DecimalSeparator(), '.');
    // Only the first character counts, narrowed to Windows-1251.
    ASSERT_TRUE(setting.Set(L"\x044E;"));  // Cyrillic small yu
    EXPECT_EQ(regional.DecimalSeparator(), '\xFE');
}

}  // namespace
}  // namespace velkaro::win
