// The limits' flow, their file and its bad lines run in the replay tests/replay/limits*.script;
// here what a replay cannot show: a balloon the shell refused, and an unreadable limits.txt.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/Files.h"
#include "core/Limits.h"
#include "core/Texts.h"
#include "tests/TestSupport.h"

namespace velkaro {
namespace {

struct Limits : ::testing::Test, Fakes {
    Accounting a;
};

TEST_F(Limits, ABalloonTheShellRefusedIsNotRememberedAndComesAtTheNextTick) {
    a.Tariffs().push_back(TariffEntry{1, 0, "eth", "LAN"});
    AddRecord(a, "eth", {2026, 1, 1}, 1048576, 0);
    SetLimit(a, "eth", 1, clock.today);
    ScriptedNotifier notifier;
    notifier.shows = false;
    CheckLimits(a, clock.today, ',', notifier);
    EXPECT_EQ(a.Limits()[0].warnedLevel, 0);
    notifier.shows = true;
    CheckLimits(a, clock.today, ',', notifier);
    CheckLimits(a, clock.today, ',', notifier);
    EXPECT_EQ(notifier.refused, 1);
    EXPECT_EQ(notifier.balloons, std::vector<std::string>{"LAN: израсходовано 100% месячного лимита (1,00 руб. из 1,00 руб.)"_cp1251});
}

TEST_F(Limits, AnUnreadableFileIsNamedNeverOverwrittenAndReadByALaterSaveUnderTheRunsChanges) {
    files.files["limits.txt"] = "eth|3||0\r\nx|4||0\r\nz|5|2026-01|80\r\n";
    files.readError = {{"limits.txt", kIoAccessDenied}, {"price.txt", 32}, {"history.txt", kIoAccessDenied}};
    LoadFiles(a, ports);
    EXPECT_EQ(dialogs.messages, std::vector<std::string>{
                                    "Не удалось прочитать файлы history.txt (доступ запрещён), price.txt (файл "_cp1251
                                    "занят другой программой) и limits.txt (доступ запрещён). Учёт идёт, но файлы не "_cp1251
                                    "будут перезаписаны, пока их не удастся прочитать."_cp1251});
    files.readError.erase("history.txt");
    files.readError.erase("price.txt");
    SetLimit(a, "wifi", 9, clock.today);
    SetLimit(a, "x", 0, clock.today);
    SetLimit(a, "z", 6, clock.today);
    EXPECT_EQ(SaveFiles(a, ports).size(), 1u);
    EXPECT_EQ(files.files.at("limits.txt"), "eth|3||0\r\nx|4||0\r\nz|5|2026-01|80\r\n");
    files.readError.clear();
    EXPECT_TRUE(SaveFiles(a, ports).empty());
    EXPECT_EQ(files.files.at("limits.txt"), "eth|3||0\r\nz|6||0\r\nwifi|9||0\r\n");
}

}  // namespace
}  // namespace velkaro
