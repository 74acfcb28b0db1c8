// Start with Windows against the running system: the value under the current user's Run key,
// and the switch /autostart making the executable's folder the current directory.
#include <windows.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "shell/Autostart.h"

namespace velkaro::shell {
namespace {

// A path no code page narrows: Cyrillic, Greek and a CJK character.
const std::wstring kExe = L"C:\\Программы \u03A9\u6F22\\velkaro.exe";

// The value "Velkaro" as it stands in the registry: type and bytes; nothing when absent.
struct RunValue {
    DWORD type = 0;
    std::vector<BYTE> bytes;
};

std::optional<RunValue> ReadRunValue() {
    HKEY key = nullptr;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, RunKeyAutostart::kRunKey, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return std::nullopt;
    RunValue v;
    DWORD size = 0;
    LONG rc = ::RegQueryValueExW(key, RunKeyAutostart::kValueName, nullptr, &v.type, nullptr, &size);
    if (rc == ERROR_SUCCESS) {
        v.bytes.resize(size);
        rc = ::RegQueryValueExW(key, RunKeyAutostart::kValueName, nullptr, &v.type, v.bytes.data(), &size);
    }
    ::RegCloseKey(key);
    if (rc != ERROR_SUCCESS) return std::nullopt;
    return v;
}

// Puts back whatever the Run key held under the program's value before the test.
class RunValueKept {
public:
    RunValueKept() : before_(ReadRunValue()) {}
    ~RunValueKept() {
        HKEY key = nullptr;
        if (::RegCreateKeyExW(HKEY_CURRENT_USER, RunKeyAutostart::kRunKey, 0, nullptr, 0, KEY_SET_VALUE,
                              nullptr, &key, nullptr) != ERROR_SUCCESS)
            return;
        if (before_)
            ::RegSetValueExW(key, RunKeyAutostart::kValueName, 0, before_->type, before_->bytes.data(),
                             static_cast<DWORD>(before_->bytes.size()));
        else
            ::RegDeleteValueW(key, RunKeyAutostart::kValueName);
        ::RegCloseKey(key);
    }

private:
    std::optional<RunValue> before_;
};

TEST(RunKeyAutostartTest, OnWritesTheQuotedWidePathWithTheSwitchAndOffDeletesIt) {
    RunValueKept kept;
    RunKeyAutostart autostart(kExe);
    ASSERT_EQ(autostart.SetOn(false), ERROR_SUCCESS);
    EXPECT_FALSE(ReadRunValue());
    EXPECT_FALSE(autostart.IsOn());
    EXPECT_EQ(autostart.SetOn(false), ERROR_SUCCESS);  // already off: no error

    ASSERT_EQ(autostart.SetOn(true), ERROR_SUCCESS);
    const std::optional<RunValue> v = ReadRunValue();
    ASSERT_TRUE(v);
    EXPECT_EQ(v->type, static_cast<DWORD>(REG_SZ));
    const std::wstring expected = L"\"" + kExe + L"\" /autostart";
    ASSERT_EQ(v->bytes.size(), (expected.size() + 1) * sizeof(wchar_t));
    EXPECT_EQ(std::wstring(reinterpret_cast<const wchar_t*>(v->bytes.data())), expected);
    EXPECT_TRUE(autostart.IsOn());
    // Windows compares paths without regard to case; a copy elsewhere is another program.
    EXPECT_TRUE(RunKeyAutostart(L"c:\\ПРОГРАММЫ \u03C9\u6F22\\VELKARO.EXE").IsOn());
    EXPECT_FALSE(RunKeyAutostart(L"D:\\velkaro.exe").IsOn());

    ASSERT_EQ(autostart.SetOn(false), ERROR_SUCCESS);
    EXPECT_FALSE(ReadRunValue());
    EXPECT_FALSE(autostart.IsOn());
}

TEST(AutostartSwitchTest, OnlyAnArgumentAfterTheProgramsNameCounts) {
    EXPECT_TRUE(HasAutostartSwitch(L"\"C:\\Program Files\\velkaro.exe\" /autostart"));
    EXPECT_TRUE(HasAutostartSwitch(L"velkaro.exe /AutoStart"));
    EXPECT_TRUE(HasAutostartSwitch(L"velkaro.exe x \"/autostart\""));
    EXPECT_FALSE(HasAutostartSwitch(L"velkaro.exe"));
    EXPECT_FALSE(HasAutostartSwitch(L"velkaro.exe /autostartx"));
    EXPECT_FALSE(HasAutostartSwitch(L"velkaro.exe \"/autostart now\""));
    EXPECT_FALSE(HasAutostartSwitch(L"/autostart"));  // the program's own name
    EXPECT_FALSE(HasAutostartSwitch(L""));
    EXPECT_FALSE(HasAutostartSwitch(nullptr));
}

std::wstring CurrentDirectory() {
    wchar_t buf[MAX_PATH] = {};
    ::GetCurrentDirectoryW(MAX_PATH, buf);
    return buf;
}

TEST(AutostartSwitchTest, TheSwitchMakesTheExecutablesFolderCurrentBeforeAnythingIsRead) {
    wchar_t temp[MAX_PATH] = {};
    ASSERT_GT(::GetTempPathW(MAX_PATH, temp), 0u);
    const std::wstring home = std::wstring(temp) + L"velkaro-autostart-\u03A9\u6F22";
    const std::wstring elsewhere = std::wstring(temp) + L"velkaro-autostart-elsewhere";
    ::CreateDirectoryW(home.c_str(), nullptr);
    ::CreateDirectoryW(elsewhere.c_str(), nullptr);
    const std::wstring before = CurrentDirectory();
    ASSERT_TRUE(::SetCurrentDirectoryW(elsewhere.c_str()));
    const std::wstring exe = home + L"\\velkaro.exe";

    EXPECT_EQ(EnterExeFolderIfAutostart(L"velkaro.exe", exe), AutostartStart::NoSwitch);
    EXPECT_EQ(CurrentDirectory(), elsewhere);
    EXPECT_EQ(EnterExeFolderIfAutostart(L"\"x y\\velkaro.exe\" /autostart", exe), AutostartStart::InFolder);
    EXPECT_EQ(CurrentDirectory(), home);
    // A folder that is gone: nothing changes, and the caller is told.
    ASSERT_TRUE(::SetCurrentDirectoryW(elsewhere.c_str()));
    EXPECT_EQ(EnterExeFolderIfAutostart(L"v /autostart", home + L"\\gone\\velkaro.exe"), AutostartStart::Failed);
    EXPECT_EQ(EnterExeFolderIfAutostart(L"v /autostart", L""), AutostartStart::Failed);
    EXPECT_EQ(CurrentDirectory(), elsewhere);

    ::SetCurrentDirectoryW(before.c_str());
    ::RemoveDirectoryW(home.c_str());
    ::RemoveDirectoryW(elsewhere.c_str());
}

}  // namespace
}  // namespace velkaro::shell
