// The shell and regional-settings ports against the running system.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "core/Cp1251.h"
#include "win/SystemPorts.h"
#include "win/Utf16.h"

namespace velkaro::win {
namespace {

TEST(Win32ShellTest, ExeFolderHoldsThisProgramAndEndsInABackslash) {
    Win32Shell shell;
    const std::string folder = shell.ExeFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_EQ(folder.back(), '\\');
    EXPECT_TRUE(shell.FileExists(folder + "velkaro_win_tests.exe"));
    EXPECT_FALSE(shell.FileExists(folder + "no-such-file.mht"));
    EXPECT_FALSE(shell.FileExists(folder));  // a folder is not a file
    EXPECT_FALSE(shell.FileExists(""));
}

TEST(Win32ShellTest, OpenReportsTheShellsFailure) {
    Win32Shell shell;
    const std::intptr_t result = shell.Open(shell.ExeFolder() + "нет такого файла.htm"_cp1251);
    EXPECT_LE(result, 32);  // ShellExecute's error range
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
