// The POSIX file store of the native build (velkaro-replay and the tests): the one-step
// replace keeps the old file when it cannot finish, and failures give the runtime's codes.
#ifndef _WIN32
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "tools/scripted/ScriptedPorts.h"

namespace velkaro {
namespace {

namespace fs = std::filesystem;

class DiskFileStoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "velkaro-disk-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        dir_ = pattern;
    }
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(dir_, ec);
    }
    std::string Path(const std::string& name) const { return (dir_ / name).string(); }
    static std::string Content(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    fs::path dir_;
    DiskFileStore store_;
};

TEST_F(DiskFileStoreTest, ReplaceAndReadRoundTripWithoutATemporaryLeft) {
    const std::string name = Path("history.txt");
    const std::string bytes("SHOW=\r\n\0\xC0\xFF", 10);
    ASSERT_EQ(store_.ReplaceAll(name, "a longer first version\r\n"), kIoOk);
    ASSERT_EQ(store_.ReplaceAll(name, bytes), kIoOk);
    std::string got;
    ASSERT_EQ(store_.ReadAll(name, got), kIoOk);
    EXPECT_EQ(got, bytes);
    EXPECT_FALSE(fs::exists(name + ".tmp"));
}

TEST_F(DiskFileStoreTest, ReadOfAMissingFileOrAFolderFails) {
    std::string got;
    EXPECT_EQ(store_.ReadAll(Path("missing.txt"), got), kIoFileNotFound);
    fs::create_directory(Path("history.txt"));
    EXPECT_EQ(store_.ReadAll(Path("history.txt"), got), kIoAccessDenied);
}

TEST_F(DiskFileStoreTest, ReplaceOverAFolderFailsAndRemovesItsTemporary) {
    const std::string name = Path("price.txt");
    fs::create_directory(name);
    std::ofstream(Path("price.txt/inside")) << "kept";
    EXPECT_EQ(store_.ReplaceAll(name, "new"), kIoAccessDenied);
    EXPECT_TRUE(fs::is_directory(name));
    EXPECT_EQ(Content(Path("price.txt/inside")), "kept");
    EXPECT_FALSE(fs::exists(name + ".tmp"));
}

TEST_F(DiskFileStoreTest, ReplaceThatCannotMakeItsTemporaryKeepsTheOldFile) {
    const std::string name = Path("price.txt");
    ASSERT_EQ(store_.ReplaceAll(name, "old"), kIoOk);
    fs::create_directory(name + ".tmp");
    EXPECT_EQ(store_.ReplaceAll(name, "new"), kIoAccessDenied);
    EXPECT_EQ(Content(name), "old");
}

TEST_F(DiskFileStoreTest, WriteInPlaceTruncatesAndDeleteReportsSuccess) {
    const std::string name = Path("history.htm");
    ASSERT_EQ(store_.WriteAll(name, "<html>long</html>"), kIoOk);
    ASSERT_EQ(store_.WriteAll(name, "<p>"), kIoOk);
    EXPECT_EQ(Content(name), "<p>");
    EXPECT_EQ(store_.WriteAll(Path("gone/history.htm"), "x"), kIoFileNotFound);
    EXPECT_TRUE(store_.Delete(name));
    EXPECT_FALSE(store_.Delete(name));
}

}  // namespace
}  // namespace velkaro
#endif
