// The Win32 file store on real files: whole reads, the one-step replace that keeps the old
// file when anything goes wrong, writes in place, and the error codes the program reports.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "core/Cp1251.h"
#include "win/Utf16.h"
#include "win/Win32FileStore.h"

namespace velkaro::win {
namespace {

class FileStoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        wchar_t tmp[MAX_PATH + 1] = {};
        ASSERT_NE(::GetTempPathW(MAX_PATH + 1, tmp), 0u);
        static int serial = 0;
        // A Cyrillic folder name: every path goes through the Windows-1251 widening.
        dir_ = Narrow(tmp) + "velkaro-файлы-"_cp1251 + std::to_string(::GetCurrentProcessId()) + "-" +
               std::to_string(++serial) + "\\";
        ASSERT_TRUE(::CreateDirectoryW(Widen(dir_).c_str(), nullptr));
    }
    void TearDown() override { RemoveTree(Widen(dir_)); }

    static void RemoveTree(const std::wstring& folder) {
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
        ::RemoveDirectoryW(folder.c_str());
    }

    std::string Path(const std::string& name) const { return dir_ + name; }
    bool Exists(const std::string& path) const {
        return ::GetFileAttributesW(Widen(path).c_str()) != INVALID_FILE_ATTRIBUTES;
    }
    std::string Content(const std::string& path) {
        std::string bytes;
        EXPECT_EQ(store_.ReadAll(path, bytes), kIoOk) << path;
        return bytes;
    }
    void MakeFolder(const std::string& path) {
        ASSERT_TRUE(::CreateDirectoryW(Widen(path).c_str(), nullptr));
    }

    std::string dir_;
    Win32FileStore store_;
};

TEST_F(FileStoreTest, ReadsWhatWasWrittenByteForByte) {
    std::string bytes("SHOW=\r\nform1.width=500\r\n", 25);
    bytes += std::string("\0\xFF\xC0\t\n", 5);
    bytes += std::string(200000, 'x');  // more than one read chunk
    ASSERT_EQ(store_.ReplaceAll(Path("история.txt"_cp1251), bytes), kIoOk);
    EXPECT_EQ(Content(Path("история.txt"_cp1251)), bytes);

    ASSERT_EQ(store_.ReplaceAll(Path("empty.txt"), ""), kIoOk);
    std::string got = "left over";
    EXPECT_EQ(store_.ReadAll(Path("empty.txt"), got), kIoOk);
    EXPECT_EQ(got, "");
}

TEST_F(FileStoreTest, ReadFailuresGiveTheRuntimeCodes) {
    std::string got;
    EXPECT_EQ(store_.ReadAll(Path("missing.txt"), got), kIoFileNotFound);
    EXPECT_EQ(store_.ReadAll(Path("no folder\\history.txt"), got), kIoInvalidFilename);
    MakeFolder(Path("history.txt"));
    EXPECT_EQ(store_.ReadAll(Path("history.txt"), got), kIoAccessDenied);
    EXPECT_EQ(store_.ReadAll(dir_, got), kIoAccessDenied);
}

TEST_F(FileStoreTest, ReplaceSwapsTheWholeFileAndLeavesNoTemporary) {
    const std::string name = Path("price.txt");
    ASSERT_EQ(store_.ReplaceAll(name, "a long first version of the file\r\n"), kIoOk);
    ASSERT_EQ(store_.ReplaceAll(name, "short\r\n"), kIoOk);
    EXPECT_EQ(Content(name), "short\r\n");
    EXPECT_FALSE(Exists(name + ".tmp"));
}

TEST_F(FileStoreTest, ReplaceOfAReadOnlyFileFailsAndKeepsIt) {
    const std::string name = Path("history.txt");
    ASSERT_EQ(store_.ReplaceAll(name, "old\r\n"), kIoOk);
    ASSERT_TRUE(::SetFileAttributesW(Widen(name).c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_EQ(store_.ReplaceAll(name, "new\r\n"), kIoAccessDenied);
    EXPECT_EQ(Content(name), "old\r\n");
    EXPECT_FALSE(Exists(name + ".tmp"));
}

TEST_F(FileStoreTest, ReplaceOfAFolderFailsAndKeepsIt) {
    const std::string name = Path("history.txt");
    MakeFolder(name);
    ASSERT_EQ(store_.ReplaceAll(name + "\\inside.txt", "kept\r\n"), kIoOk);
    EXPECT_EQ(store_.ReplaceAll(name, "new\r\n"), kIoAccessDenied);
    DWORD attrs = ::GetFileAttributesW(Widen(name).c_str());
    ASSERT_NE(attrs, INVALID_FILE_ATTRIBUTES);
    EXPECT_TRUE(attrs & FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_EQ(Content(name + "\\inside.txt"), "kept\r\n");
    EXPECT_FALSE(Exists(name + ".tmp"));
}

TEST_F(FileStoreTest, ReplaceThatCannotMakeItsTemporaryKeepsTheOldFile) {
    const std::string name = Path("price.txt");
    ASSERT_EQ(store_.ReplaceAll(name, "old\r\n"), kIoOk);
    MakeFolder(name + ".tmp");  // something of the user's in the temporary file's place
    EXPECT_EQ(store_.ReplaceAll(name, "new\r\n"), kIoAccessDenied);
    EXPECT_EQ(Content(name), "old\r\n");
    EXPECT_TRUE(Exists(name + ".tmp"));  // not ours to remove
}

TEST_F(FileStoreTest, ReplaceInAMissingFolderCreatesNothing) {
    EXPECT_EQ(store_.ReplaceAll(Path("gone\\history.txt"), "x"), kIoInvalidFilename);
    EXPECT_FALSE(Exists(Path("gone")));
}

TEST_F(FileStoreTest, WriteInPlaceTruncatesAndReportsFailures) {
    const std::string name = Path("history.htm");
    ASSERT_EQ(store_.WriteAll(name, "<html>a longer page</html>"), kIoOk);
    ASSERT_EQ(store_.WriteAll(name, "<html></html>"), kIoOk);
    EXPECT_EQ(Content(name), "<html></html>");
    EXPECT_FALSE(Exists(name + ".tmp"));

    MakeFolder(Path("report.htm"));
    EXPECT_EQ(store_.WriteAll(Path("report.htm"), "x"), kIoAccessDenied);
    EXPECT_EQ(store_.WriteAll(Path("gone\\report.htm"), "x"), kIoInvalidFilename);
}

TEST_F(FileStoreTest, DeleteAnswersWhetherTheFileWentAway) {
    const std::string name = Path("history.txt");
    ASSERT_EQ(store_.ReplaceAll(name, "x"), kIoOk);
    EXPECT_TRUE(store_.Delete(name));
    EXPECT_FALSE(Exists(name));
    EXPECT_FALSE(store_.Delete(name));
    MakeFolder(Path("folder"));
    EXPECT_FALSE(store_.Delete(Path("folder")));
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
