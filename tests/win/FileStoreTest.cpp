// The Win32 file store on real files: whole reads, the one-step replace that keeps the old
// file when anything goes wrong, writes in place, the error codes the program reports, and
// paths that stay UTF-16 from the folder to the file call.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "core/Cp1251.h"
#include "win/Window.h"
#include "win/Win32FileStore.h"

namespace velkaro::win {
namespace {

std::wstring TempFolder() {
    wchar_t tmp[MAX_PATH + 1] = {};
    return ::GetTempPathW(MAX_PATH + 1, tmp) ? std::wstring(tmp) : std::wstring();
}

void RemoveTree(const std::wstring& folder) {
    WIN32_FIND_DATAW fd;
    HANDLE h = ::FindFirstFileW((folder + L"*").c_str(), &fd);
    if (h != INVALID_HANDLE_VALUE) {
        do {
            std::wstring n = fd.cFileName;
            if (n == L"." || n == L"..") continue;
            std::wstring full = folder + n;
            ::SetFileAttributesW(full.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(full + L"\\");
            else
                ::DeleteFileW(full.c_str());
        } while (::FindNextFileW(h, &fd));
        ::FindClose(h);
    }
    ::SetFileAttributesW(folder.c_str(), FILE_ATTRIBUTE_NORMAL);
    ::RemoveDirectoryW(folder.c_str());
}

bool CanCreateIn(const std::wstring& folder) {
    const std::wstring probe = folder + L"velkaro-probe.tmp";
    HANDLE h = ::CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    ::CloseHandle(h);
    ::DeleteFileW(probe.c_str());
    return true;
}

class FileStoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        const std::wstring tmp = TempFolder();
        ASSERT_FALSE(tmp.empty());
        static int serial = 0;
        // Neither "ü" nor the Chinese character exists in Windows-1251: a path narrowed on
        // its way to the file call would not find this folder.
        folder_ = tmp + L"velkaro-J\u00FCrgen-\u6587\u4EF6-" + std::to_wstring(::GetCurrentProcessId()) + L"-" +
                  std::to_wstring(++serial) + L"\\";
        ASSERT_TRUE(::CreateDirectoryW(folder_.c_str(), nullptr));
        store_ = Win32FileStore(folder_);
    }
    void TearDown() override { RemoveTree(folder_); }

    std::wstring Path(const std::string& name) const { return folder_ + Widen(name); }
    bool Exists(const std::string& name) const {
        return ::GetFileAttributesW(Path(name).c_str()) != INVALID_FILE_ATTRIBUTES;
    }
    std::string Content(const std::string& name) {
        std::string bytes;
        EXPECT_EQ(store_.ReadAll(name, bytes), kIoOk) << name;
        return bytes;
    }
    void MakeFolder(const std::string& name) { ASSERT_TRUE(::CreateDirectoryW(Path(name).c_str(), nullptr)); }
    void MakeFile(const std::string& name, const std::string& bytes) {
        HANDLE h = ::CreateFileW(Path(name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                 FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(h, INVALID_HANDLE_VALUE);
        DWORD written = 0;
        ASSERT_TRUE(::WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr));
        ::CloseHandle(h);
    }

    std::wstring folder_;
    Win32FileStore store_;
};

TEST_F(FileStoreTest, ReadsWhatWasWrittenByteForByteUnderTheUtf16Path) {
    std::string bytes("SHOW=\r\nform1.width=500\r\n", 25);
    bytes += std::string("\0\xFF\xC0\t\n", 5);
    bytes += std::string(200000, 'x');  // more than one read chunk
    ASSERT_EQ(store_.ReplaceAll("история.txt"_cp1251, bytes), kIoOk);
    EXPECT_EQ(Content("история.txt"_cp1251), bytes);
    // The Windows-1251 name becomes its Cyrillic UTF-16 name inside the folder.
    EXPECT_NE(::GetFileAttributesW((folder_ + L"\u0438\u0441\u0442\u043E\u0440\u0438\u044F.txt").c_str()),
              INVALID_FILE_ATTRIBUTES);

    ASSERT_EQ(store_.ReplaceAll("empty.txt", ""), kIoOk);
    std::string got = "left over";
    EXPECT_EQ(store_.ReadAll("empty.txt", got), kIoOk);
    EXPECT_EQ(got, "");
}

TEST_F(FileStoreTest, ReadFailuresGiveTheRuntimeCodes) {
    std::string got;
    EXPECT_EQ(store_.ReadAll("missing.txt", got), kIoFileNotFound);
    EXPECT_EQ(store_.ReadAll("no folder\\history.txt", got), kIoInvalidFilename);
    MakeFolder("history.txt");
    EXPECT_EQ(store_.ReadAll("history.txt", got), kIoAccessDenied);
    EXPECT_EQ(store_.ReadAll(".", got), kIoAccessDenied);
    EXPECT_EQ(store_.ReadAll("", got), kIoInvalidFilename);
}

TEST_F(FileStoreTest, ReplaceSwapsTheWholeFileAndLeavesNoTemporary) {
    ASSERT_EQ(store_.ReplaceAll("price.txt", "a long first version of the file\r\n"), kIoOk);
    ASSERT_EQ(store_.ReplaceAll("price.txt", "short\r\n"), kIoOk);
    EXPECT_EQ(Content("price.txt"), "short\r\n");
    EXPECT_FALSE(Exists("price.txt.tmp"));
}

TEST_F(FileStoreTest, ReplaceOfAReadOnlyFileFailsAndKeepsIt) {
    ASSERT_EQ(store_.ReplaceAll("history.txt", "old\r\n"), kIoOk);
    ASSERT_TRUE(::SetFileAttributesW(Path("history.txt").c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_EQ(store_.ReplaceAll("history.txt", "new\r\n"), kIoAccessDenied);
    EXPECT_EQ(Content("history.txt"), "old\r\n");
    EXPECT_FALSE(Exists("history.txt.tmp"));
}

TEST_F(FileStoreTest, ReplaceOfAFolderFailsAndKeepsIt) {
    MakeFolder("history.txt");
    ASSERT_EQ(store_.ReplaceAll("history.txt\\inside.txt", "kept\r\n"), kIoOk);
    EXPECT_EQ(store_.ReplaceAll("history.txt", "new\r\n"), kIoAccessDenied);
    DWORD attrs = ::GetFileAttributesW(Path("history.txt").c_str());
    ASSERT_NE(attrs, INVALID_FILE_ATTRIBUTES);
    EXPECT_TRUE(attrs & FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_EQ(Content("history.txt\\inside.txt"), "kept\r\n");
    EXPECT_FALSE(Exists("history.txt.tmp"));
}

TEST_F(FileStoreTest, ReplaceThatCannotMakeItsTemporaryKeepsTheOldFile) {
    ASSERT_EQ(store_.ReplaceAll("price.txt", "old\r\n"), kIoOk);
    MakeFolder("price.txt.tmp");  // something of the user's in the temporary file's place
    EXPECT_EQ(store_.ReplaceAll("price.txt", "new\r\n"), kIoAccessDenied);
    EXPECT_EQ(Content("price.txt"), "old\r\n");
    EXPECT_TRUE(Exists("price.txt.tmp"));  // not ours to remove
}

TEST_F(FileStoreTest, ReplaceInAMissingFolderCreatesNothing) {
    EXPECT_EQ(store_.ReplaceAll("gone\\history.txt", "x"), kIoInvalidFilename);
    EXPECT_FALSE(Exists("gone"));
}

// A folder that refuses new files: one made read-only (on Wine, a folder without write
// permission), or, where that is no obstacle because the tests run as root, Wine's view of
// the kernel's /sys, which refuses new files to anyone.
std::wstring FolderRefusingNewFiles(const std::wstring& scratch) {
    const std::wstring own = scratch + L"read-only\\";
    if (::CreateDirectoryW(own.c_str(), nullptr) &&
        ::SetFileAttributesW(own.c_str(), FILE_ATTRIBUTE_READONLY) && !CanCreateIn(own))
        return own;
    const std::wstring sys = L"Z:\\sys\\";
    const DWORD attrs = ::GetFileAttributesW(sys.c_str());
    if (attrs != INVALID_FILE_ATTRIBUTES && (attrs & FILE_ATTRIBUTE_DIRECTORY) && !CanCreateIn(sys)) return sys;
    return {};
}

TEST_F(FileStoreTest, ASaveOrAReportIntoAFolderThatRefusesNewFilesReportsTheCodeOfTheCreate) {
    const std::wstring folder = FolderRefusingNewFiles(folder_);
    if (folder.empty()) GTEST_SKIP() << "no folder here refuses new files";
    Win32FileStore refusing(folder);
    // Not "File not found": that is what a later look at the missing file would say.
    EXPECT_EQ(refusing.ReplaceAll("history.txt", "x"), kIoAccessDenied);
    EXPECT_EQ(refusing.WriteAll("history.htm", "x"), kIoAccessDenied);
    EXPECT_EQ(::GetFileAttributesW((folder + L"history.txt.tmp").c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(FileStoreTest, WriteInPlaceTruncatesAndReportsFailures) {
    ASSERT_EQ(store_.WriteAll("history.htm", "<html>a longer page</html>"), kIoOk);
    ASSERT_EQ(store_.WriteAll("history.htm", "<html></html>"), kIoOk);
    EXPECT_EQ(Content("history.htm"), "<html></html>");
    EXPECT_FALSE(Exists("history.htm.tmp"));

    MakeFolder("report.htm");
    EXPECT_EQ(store_.WriteAll("report.htm", "x"), kIoAccessDenied);
    EXPECT_EQ(store_.WriteAll("gone\\report.htm", "x"), kIoInvalidFilename);
}

TEST_F(FileStoreTest, DeleteAnswersWhetherTheFileWentAway) {
    ASSERT_EQ(store_.ReplaceAll("history.txt", "x"), kIoOk);
    EXPECT_TRUE(store_.Delete("history.txt"));
    EXPECT_FALSE(Exists("history.txt"));
    EXPECT_FALSE(store_.Delete("history.txt"));
    MakeFolder("folder");
    EXPECT_FALSE(store_.Delete("folder"));
}

TEST(IoCodeTest, MapsWin32ErrorsToTheRuntimeCodes) {
    EXPECT_EQ(IoCodeOf(ERROR_FILE_NOT_FOUND), kIoFileNotFound);
    EXPECT_EQ(IoCodeOf(ERROR_PATH_NOT_FOUND), kIoInvalidFilename);
    EXPECT_EQ(IoCodeOf(ERROR_TOO_MANY_OPEN_FILES), kIoTooManyOpenFiles);
    EXPECT_EQ(IoCodeOf(ERROR_ACCESS_DENIED), kIoAccessDenied);
    EXPECT_EQ(IoCodeOf(ERROR_DISK_FULL), kIoDiskFull);
    EXPECT_EQ(IoCodeOf(ERROR_HANDLE_DISK_FULL), kIoDiskFull);
    EXPECT_EQ(IoCodeOf(ERROR_SHARING_VIOLATION), 32);
}

}  // namespace
}  // namespace velkaro::win
