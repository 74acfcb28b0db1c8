#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "core/Accounting.h"
#include "core/Files.h"
#include "core/Texts.h"
#include "tests/TestSupport.h"

namespace velkaro {
namespace {

using namespace std::string_literals;

struct Files : ::testing::Test, Fakes {
    Accounting a;
    DataFiles data;

    void SetUp() override { clock.today = Date{2026, 3, 7}; }

    void Load() { LoadFiles(a, data, ports); }
    void LoadHistory(const std::string& text) {
        files.files["history.txt"] = text;
        Load();
    }
    void LoadPrices(const std::string& text) {
        files.files["price.txt"] = text;
        Load();
    }
    std::string Name(std::size_t i) const { return a.AdapterNameOf(a.History().at(i)); }
    const HistoryRecord& At(std::size_t i) const { return a.History().at(i); }
    std::string History() { return files.files.at("history.txt"); }
    std::string Prices() { return files.files.at("price.txt"); }
};

// ---- First start and the written formats ----

TEST_F(Files, FirstStartWithoutFilesLoadsNothingAndTheFirstSaveCreatesBoth) {
    Load();
    EXPECT_TRUE(data.loaded);
    EXPECT_EQ(a.HistoryCount(), 0u);
    EXPECT_TRUE(a.Tariffs().empty());
    EXPECT_EQ(a.AdapterFilter(), "");
    EXPECT_EQ(window.OuterWidth(), 790);
    EXPECT_TRUE(dialogs.log.empty());
    EXPECT_EQ(a.AccountingDate(), (Date{2026, 3, 7}));
    SaveFiles(a, data, ports);
    EXPECT_EQ(History(), "SHOW=\r\nform1.width=790\r\n");
    EXPECT_EQ(Prices(), "");
}

TEST_F(Files, RecordAndPriceLinesAreWrittenAsDescribed) {
    Load();
    a.SetAdapterFilter("Ethernet");
    AddRecord(a, "Ethernet", {2026, 3, 7}, 1048576, 1024);
    AddRecord(a, "Wi-Fi", {2025, 12, 31}, 4294967295u, 0, 4);
    AddRecord(a, "x", {1, 1, 1}, 1234567890, 12345, 2147483647);
    a.AddTariff({1.5, 2, "Ethernet", "LAN"});
    a.AddTariff({0.35, 1e-5, "Wi-Fi", "Wi-Fi"});
    a.AddTariff({0, 1e15, "x", "y"});
    window.SetOuterWidth(1234);
    SaveFiles(a, data, ports);
    EXPECT_EQ(History(),
              "SHOW=Ethernet\r\n"
              "form1.width=1234\r\n"
              "7.3.2026-0\t1048576   \t1024      \tEthernet\r\n"
              "31.12.2025-4\t4294967295\t0         \tWi-Fi\r\n"
              "1.1.1-2147483647\t1234567890\t12345     \tx\r\n");
    EXPECT_EQ(Prices(), "Ethernet|LAN>1,5@2\r\nWi-Fi|Wi-Fi>0,35@1E-5\r\nx|y>0@1E15\r\n");
    regional.separator = '.';
    SaveFiles(a, data, ports);
    EXPECT_EQ(Prices(), "Ethernet|LAN>1.5@2\r\nWi-Fi|Wi-Fi>0.35@1E-5\r\nx|y>0@1E15\r\n");
}

// ---- Record lines ----

TEST_F(Files, RecordLinesReadBackTheirFields) {
    LoadHistory("31.12.2025-4\t4294967295\t2147483648  \tWi-Fi\r\n"
                "007.03.2026-0\t0\t0\t Name with\ttab and trailing blank \r\n");
    ASSERT_EQ(a.HistoryCount(), 2u);
    EXPECT_EQ(At(0).day, 31);
    EXPECT_EQ(At(0).month, 12);
    EXPECT_EQ(At(0).year, 2025);
    EXPECT_EQ(At(0).session, 4);
    EXPECT_EQ(At(0).inOctets, 4294967295u);
    EXPECT_EQ(At(0).outOctets, 2147483648u);
    EXPECT_EQ(Name(0), "Wi-Fi");
    EXPECT_EQ(At(1).day, 7);
    EXPECT_EQ(At(1).month, 3);
    EXPECT_EQ(Name(1), " Name with\ttab and trailing blank ");
}

TEST_F(Files, RecordLinesNeverFailMissingFieldsReadZero) {
    LoadHistory("abc\tx\n"             // no "." at all: the first field eats the whole line
                "1.2\n"                  // no TAB: neither record nor setting
                "5.6.2026-1\t77\n"       // out and adapter missing
                "\t\t\t\t\n"             // fields without digits
                "x.y.z-w\ta\tb\tc\n");
    ASSERT_EQ(a.HistoryCount(), 4u);
    EXPECT_EQ(At(0).day, 0);
    EXPECT_EQ(At(0).inOctets, 0u);
    EXPECT_EQ(Name(0), "");
    EXPECT_EQ(At(1).day, 5);
    EXPECT_EQ(At(1).year, 2026);
    EXPECT_EQ(At(1).session, 1);
    EXPECT_EQ(At(1).inOctets, 77u);
    EXPECT_EQ(At(1).outOctets, 0u);
    EXPECT_EQ(Name(1), "");
    // "\t\t\t\t": day eats the line (no "."), so everything is 0 and the name empty.
    EXPECT_EQ(At(2).session, 0);
    EXPECT_EQ(Name(2), "");
    EXPECT_EQ(Name(3), "c");
    EXPECT_EQ(At(3).day, 0);
}

TEST_F(Files, SignsAndJunkArePassedOverAndOutOfRangeNumbersReadZero) {
    LoadHistory("-5.-3.-2026--1\t-10\t-20\tneg\n"
                "0.99.2026-0\t1\t2\tedge\n"
                "70000.65536.2147483648-2147483648\t4294967296\t99999999999999999999\tbig\n"
                "1a2.3b4.2c0d2e6-9 9\t1 2 3\t4,5\tjunk\n");
    ASSERT_EQ(a.HistoryCount(), 4u);
    // The year field ends at the first "-", right after "-3.": it is empty.
    EXPECT_EQ(At(0).day, 5);
    EXPECT_EQ(At(0).month, 3);
    EXPECT_EQ(At(0).year, 0);
    EXPECT_EQ(At(0).session, 20261);
    EXPECT_EQ(At(0).inOctets, 10u);
    EXPECT_EQ(At(0).outOctets, 20u);
    EXPECT_EQ(At(1).day, 0);
    EXPECT_EQ(At(1).month, 99);
    EXPECT_EQ(At(2).day, 70000 & 0xFFFF);  // low 16 bits
    EXPECT_EQ(At(2).month, 0);
    EXPECT_EQ(At(2).year, 0);               // above 2147483647
    EXPECT_EQ(At(2).session, 0);
    EXPECT_EQ(At(2).inOctets, 0u);          // above 4294967295
    EXPECT_EQ(At(2).outOctets, 0u);
    EXPECT_EQ(At(3).day, 12);
    EXPECT_EQ(At(3).month, 34);
    EXPECT_EQ(At(3).year, 2026);
    EXPECT_EQ(At(3).session, 99);
    EXPECT_EQ(At(3).inOctets, 123u);
    EXPECT_EQ(At(3).outOctets, 45u);
}

TEST(ReadFieldNumber, ConsumesUpToAndIncludingTheDelimiter) {
    std::string_view line = "12.34\tx";
    EXPECT_EQ(ReadFieldNumber(line, '.', false), 12u);
    EXPECT_EQ(line, "34\tx");
    EXPECT_EQ(ReadFieldNumber(line, '-', false), 34u);  // no "-": the whole line
    EXPECT_EQ(line, "");
    EXPECT_EQ(ReadFieldNumber(line, '-', false), 0u);
    line = "2147483647\t2147483648\t4294967295\t4294967296\t00000000000000000042\t";
    EXPECT_EQ(ReadFieldNumber(line, '\t', false), 2147483647u);
    EXPECT_EQ(ReadFieldNumber(line, '\t', false), 0u);
    EXPECT_EQ(ReadFieldNumber(line, '\t', true), 4294967295u);
    EXPECT_EQ(ReadFieldNumber(line, '\t', true), 0u);
    EXPECT_EQ(ReadFieldNumber(line, '\t', true), 42u);
    EXPECT_EQ(line, "");
}

// ---- Settings lines ----

TEST_F(Files, SettingsAreTrimmedExactAndTheLastOneWins) {
    LoadHistory("  SHOW  =  Ethernet  \r\n"
                "show=lower\r\n"
                "SHOW\r\n"
                "\x01 form1.width\x02=\x03 640 \x1f\r\n"
                "Form1.Width=100\r\n");
    EXPECT_EQ(a.AdapterFilter(), "Ethernet");
    EXPECT_EQ(window.OuterWidth(), 640);
    LoadHistory("SHOW=a\nSHOW=b=c\nform1.width=abc\n");
    EXPECT_EQ(a.AdapterFilter(), "b=c");
    EXPECT_EQ(window.OuterWidth(), 500);
}

TEST_F(Files, AFileOfRecordsOnlyKeepsTheSettings) {
    window.SetOuterWidth(900);
    a.SetAdapterFilter("keep");
    LoadHistory("1.1.2026-0\t1\t2\teth\r\n");
    EXPECT_EQ(a.AdapterFilter(), "keep");
    EXPECT_EQ(window.OuterWidth(), 900);
}

// Written only while on, after the width: the replay hideidle.
TEST_F(Files, TheHideSettingReadsAsOneOrElseOffAndAFileWithoutItKeepsIt) {
    a.SetHideIdle(true);
    LoadHistory("SHOW=\r\nform1.width=790\r\n");
    EXPECT_TRUE(a.HideIdle());
    for (const char* value : {"0", "yes", "", "11", "on"}) {
        a.SetHideIdle(true);
        LoadHistory(std::string("hide.idle = ") + value + "\r\n");
        EXPECT_FALSE(a.HideIdle()) << value;
    }
    LoadHistory(" hide.idle \x02= 1 \n");
    EXPECT_TRUE(a.HideIdle());
    SaveFiles(a, data, ports);
    EXPECT_EQ(History(), "SHOW=\r\nform1.width=790\r\nhide.idle=1\r\n");
}

// tray.activity=0 only while off, graph.window only once the graph has a place; other values
// of either leave the default (on; no place) without skipping the line.
TEST_F(Files, TheTrayAndGraphSettingsAreWrittenOnlyWhenTheyDifferFromNothing) {
    LoadHistory("SHOW=\r\nform1.width=790\r\ntray.activity = 0\r\ngraph.window= -1920 40 640 300 \r\n");
    EXPECT_FALSE(a.TrayActivity());
    ASSERT_TRUE(a.GraphPlace());
    EXPECT_EQ(*a.GraphPlace(), (WindowPlace{-1920, 40, 640, 300}));
    SaveFiles(a, data, ports);
    EXPECT_EQ(History(), "SHOW=\r\nform1.width=790\r\ntray.activity=0\r\ngraph.window=-1920 40 640 300\r\n");

    for (const char* place : {"1 2 3", "1 2 3 4 5", "1 2 0 4", "1 2 3 -4", "a 2 3 4", "1  2 3 4", "1,2,3,4"}) {
        Accounting fresh;
        a = fresh;
        LoadHistory(std::string("tray.activity=1\r\ngraph.window=") + place + "\r\n");
        EXPECT_TRUE(a.TrayActivity());
        EXPECT_FALSE(a.GraphPlace()) << place;
        EXPECT_TRUE(dialogs.log.empty()) << place;  // no line skipped, no copy kept
    }
    SaveFiles(a, data, ports);
    EXPECT_EQ(History(), "SHOW=\r\nform1.width=790\r\n");
    a.SetGraphPlace({10, 20, 300, 200});
    SaveFiles(a, data, ports);
    EXPECT_EQ(History(), "SHOW=\r\nform1.width=790\r\ngraph.window=10 20 300 200\r\n");
}

TEST(WidthSetting, SignedDecimalOrHexadecimalElse500) {
    EXPECT_EQ(ReadWidthSetting("790"), 790);
    EXPECT_EQ(ReadWidthSetting("+790"), 790);
    EXPECT_EQ(ReadWidthSetting("-5"), -5);
    EXPECT_EQ(ReadWidthSetting("0"), 0);
    EXPECT_EQ(ReadWidthSetting("$320"), 800);
    EXPECT_EQ(ReadWidthSetting("0x320"), 800);
    EXPECT_EQ(ReadWidthSetting("0XfF"), 255);
    EXPECT_EQ(ReadWidthSetting("-$10"), -16);
    EXPECT_EQ(ReadWidthSetting("2147483647"), 2147483647);
    EXPECT_EQ(ReadWidthSetting("-2147483648"), -2147483647 - 1);
    EXPECT_EQ(ReadWidthSetting("$7FFFFFFF"), 2147483647);
    for (const char* bad : {"", "abc", "2147483648", "-2147483649", "$80000000", "$", "0x", "12 3",
                            "1.5", "12px", "+", "$g", "99999999999999999999"})
        EXPECT_EQ(ReadWidthSetting(bad), 500) << bad;
}

// ---- Line ends and odd bytes ----

// Files from other editors: CR, LF and CR LF end lines alike, a UTF-8 byte-order mark is passed
// over, and a line holding a NUL byte is skipped like any line that does not read, so the
// file is kept as a .bak copy before it is replaced.
TEST_F(Files, AnyLineEndReadsAByteOrderMarkIsPassedOverAndNulLinesAreSkipped) {
    LoadHistory("\xEF\xBB\xBFSHOW=a\rform1.width=600\r\n"
                "1.1.2026-0\t1\t2\tcr\r\r\n"
                "2.1.2026-0\t1\t2\tlf only\n"
                "3.1.2026-0\t1\t2\tna\0me\r\n"s
                "4.1.2026-0\t1\t2\tlast\r");
    EXPECT_EQ(a.AdapterFilter(), "a");
    EXPECT_EQ(window.OuterWidth(), 600);
    ASSERT_EQ(a.HistoryCount(), 3u);
    EXPECT_EQ(Name(0), "cr");
    EXPECT_EQ(Name(1), "lf only");
    EXPECT_EQ(Name(2), "last");
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_NE(dialogs.messages[0].find(": 1, "), std::string::npos);

    const std::string zeros(4096, '\0');  // what a power loss leaves
    LoadHistory(zeros);
    EXPECT_EQ(dialogs.messages.size(), 2u);
    SaveFiles(a, data, ports);
    EXPECT_EQ(files.files.at("history.bak"), zeros);
}

TEST_F(Files, EmptyLinesAndVeryLongLines) {
    const std::string longName(10 * 1024 * 1024, 'n');
    LoadHistory("\n\r\n\r" + std::string(10 * 1024 * 1024, 'j') + "\n" +
                "2.1.2026-0\t3\t4\t" + longName + "\r\n");
    ASSERT_EQ(a.HistoryCount(), 1u);
    EXPECT_EQ(Name(0), longName);
    EXPECT_EQ(At(0).outOctets, 4u);
}

// ---- Price lines ----

TEST_F(Files, PriceLinesReadWithBlanksAndEitherSeparator) {
    LoadPrices("a|b>1,5@2\r\n"
               " c | d > 1,5 @ 2 \r\n"
               "e|f>1.25@3e2\n"
               "no bar>1@2\n"
               "g|h>1@2\tTAB\n"
               "\n"
               // Control characters around the prices read as ever, though a typed price
               // may hold none.
               "i|j>\x01" "1,5\x1F@\x0B" "2\x0C\n");
    ASSERT_EQ(a.Tariffs().size(), 4u);
    EXPECT_EQ(a.Tariffs()[3].adapter, "i");
    EXPECT_EQ(a.Tariffs()[3].priceIn, 1.5);
    EXPECT_EQ(a.Tariffs()[3].priceOut, 2.0);
    EXPECT_EQ(a.Tariffs()[0].adapter, "a");
    EXPECT_EQ(a.Tariffs()[0].displayName, "b");
    EXPECT_EQ(a.Tariffs()[0].priceIn, 1.5);
    EXPECT_EQ(a.Tariffs()[0].priceOut, 2.0);
    EXPECT_EQ(a.Tariffs()[1].adapter, "c");
    EXPECT_EQ(a.Tariffs()[1].displayName, "d");
    EXPECT_EQ(a.Tariffs()[1].priceIn, 1.5);
    EXPECT_EQ(a.Tariffs()[1].priceOut, 2.0);
    EXPECT_EQ(a.Tariffs()[2].priceIn, 1.25);
    EXPECT_EQ(a.Tariffs()[2].priceOut, 300.0);
    // The line without "|" and the one with a TAB are skipped, and now said so.
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_NE(dialogs.messages[0].find(": 2, "), std::string::npos);
}

TEST_F(Files, DisplayNamesWithSeparatorsLoadBackUnchanged) {
    Load();
    a.AddTariff({1.5, 2, "eth", "a>b@c|d>e@"});
    a.AddTariff({0.1, 0.2, "wifi", "|"});
    a.AddTariff({3, 4, "x", ">>@@"});
    SaveFiles(a, data, ports);
    Load();
    ASSERT_EQ(a.Tariffs().size(), 3u);
    EXPECT_EQ(a.Tariffs()[0].displayName, "a>b@c|d>e@");
    EXPECT_EQ(a.Tariffs()[0].priceIn, 1.5);
    EXPECT_EQ(a.Tariffs()[0].priceOut, 2.0);
    EXPECT_EQ(a.Tariffs()[1].displayName, "|");
    EXPECT_EQ(a.Tariffs()[2].displayName, ">>@@");
    EXPECT_EQ(a.Tariffs()[2].priceOut, 4.0);
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(Files, BadPriceLinesAreSkippedWithOneMessageAndLoadingGoesOn) {
    files.files["history.txt"] = "SHOW=eth\r\n1.1.2026-0\t1\t2\teth\r\n";
    LoadPrices("a|b\r\n"           // no ">" and "@"
               "a|b@1>2\r\n"       // ">" after the last "@"
               "\r\n \t \r\n"       // blank lines are no loss
               ">1@2|x\r\n"        // separators before the "|"
               "c|d> x @2\r\n"     // not a number
               "e|f>1@ y \r\n"
               "wlan\tx|y>1@2\r\n"  // a TAB
               "no bar\r\n"
               "g|h>1,5@2\r\n");
    ASSERT_EQ(a.Tariffs().size(), 1u);
    EXPECT_EQ(a.Tariffs()[0].adapter, "g");
    EXPECT_EQ(dialogs.messages,
              std::vector<std::string>{"В файле price.txt пропущено строк, которые не удалось прочитать: 7, "_cp1251
                                       "среди них: 'a|b', 'a|b@1>2', '>1@2|x'. Перед первой записью файл в "_cp1251
                                       "прежнем виде сохраняется рядом под именем price.bak."_cp1251});
    EXPECT_TRUE(data.priceFile.read);
    EXPECT_EQ(a.HistoryCount(), 1u);
    EXPECT_EQ(a.AdapterFilter(), "eth");
}

TEST_F(Files, AThousandBadPriceLinesGiveOneMessageWithTheCountAndShortenedLines) {
    std::string text = "x|" + std::string(60, 'n') + "\tTAB\r\n";
    for (int i = 1; i < 1000; ++i) text += "bad " + std::to_string(i) + "\r\n";
    LoadPrices(text);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_NE(dialogs.messages[0].find(": 1000, "), std::string::npos);
    // A long line is cut after 40 bytes.
    EXPECT_NE(dialogs.messages[0].find("'x|" + std::string(38, 'n') + "...', 'bad 1', 'bad 2'. "),
              std::string::npos)
        << dialogs.messages[0];
}

// Any number of entries, loaded and saved: the replay price_table_large.
TEST_F(Files, PriceTableIsEmptiedBeforeReading) {
    a.AddTariff({9, 9, "old", "old"});
    Load();
    EXPECT_TRUE(a.Tariffs().empty());
}

// Only the bytes a line would lose or split at are escaped; the rest of the round trip is
// the fuzz target names_fuzz.
TEST_F(Files, NamesAreEscapedOnlyWhereTheirLineNeedsItAndOldPercentSignsReadAsThemselves) {
    Load();
    AddRecord(a, " eth ", {2026, 3, 7}, 1, 2);
    GetPrice(a, " eth ", Direction::Incoming);
    a.AddTariff({1, 2, "a|b\tc%7C%41", "x|y\tz %"});
    a.AddTariff({1, 2, "\xEF\xBB\xBFwan", "\xEF\xBB\xBF"});
    SetLimit(a, "a|b\tc%7C%41", LimitKind::Money, 5, 1);
    SaveFiles(a, data, ports);
    EXPECT_EQ(Prices(), "%20eth%20|%20eth%20>0@0\r\n"
                        "a%7Cb%09c%257C%41|x|y%09z %>1@2\r\n"
                        "%EF\xBB\xBFwan|\xEF\xBB\xBF>1@2\r\n");
    EXPECT_EQ(files.files.at("limits.txt"), "a|b\tc%257C%41|5||0\r\n");
    Load();
    EXPECT_EQ(a.Tariffs()[0].adapter, " eth ");
    EXPECT_EQ(a.Tariffs()[1].adapter, "a|b\tc%7C%41");
    EXPECT_EQ(a.Tariffs()[1].displayName, "x|y\tz %");
    EXPECT_EQ(a.Tariffs()[2].adapter, "\xEF\xBB\xBFwan");
    EXPECT_EQ(a.Limits()[0].adapter, "a|b\tc%7C%41");
    LoadPrices("50%|%41%7c%7C>1@2\r\n");
    EXPECT_EQ(a.Tariffs()[0].adapter, "50%");
    EXPECT_EQ(a.Tariffs()[0].displayName, "%41%7c|");
}

// ---- Failures ----

TEST_F(Files, AnyReadFailureLeavesTheFileUnreadLoadingGoesOnAndOneMessageNamesIt) {
    const std::pair<int, std::string> reasons[] = {
        {kIoAccessDenied, "доступ запрещён"_cp1251}, {32, "файл занят другой программой"_cp1251},
        {kIoTooManyOpenFiles, "открыто слишком много файлов"_cp1251}, {21, "устройство не готово"_cp1251},
        {53, "сетевой путь не найден"_cp1251}, {kIoReadBeyondEnd, "ошибка ввода-вывода 100"_cp1251},
        {1234, "ошибка ввода-вывода 1234"_cp1251}};
    for (const auto& [code, reason] : reasons) {
        Accounting fresh;
        DataFiles freshData;
        files.files["history.txt"] = "1.1.2026-0\t1\t2\teth\r\n";
        files.files["price.txt"] = "a|b>1@2\r\n";
        files.readError = {{"history.txt", code}};
        dialogs.messages.clear();
        LoadFiles(fresh, freshData, ports);
        EXPECT_FALSE(freshData.historyFile.read) << code;
        EXPECT_EQ(fresh.Tariffs().size(), 1u) << code;  // the rest of the load ran
        EXPECT_EQ(dialogs.messages, std::vector<std::string>{"Не удалось прочитать файл history.txt ("_cp1251 + reason +
                                                             "). Учёт идёт, но файл не будет перезаписан, пока "_cp1251
                                                             "его не удастся прочитать."_cp1251});
    }
    files.readError = {{"history.txt", kIoAccessDenied}, {"price.txt", 32}};
    dialogs.messages.clear();
    Load();
    EXPECT_EQ(dialogs.messages,
              std::vector<std::string>{"Не удалось прочитать файлы history.txt (доступ запрещён) и price.txt (файл "_cp1251
                                       "занят другой программой). Учёт идёт, но файлы не будут перезаписаны, пока "_cp1251
                                       "их не удастся прочитать."_cp1251});
    // "Not found" and "path not found" are a missing file: no message, the save may write it.
    files.readError = {{"history.txt", kIoFileNotFound}, {"price.txt", kIoInvalidFilename}};
    dialogs.messages.clear();
    Load();
    EXPECT_TRUE(data.historyFile.read);
    EXPECT_TRUE(data.priceFile.read);
    EXPECT_TRUE(dialogs.messages.empty());
}

// One unread file left as it was while the other is saved: the replay unreadable.
TEST_F(Files, TwoUnreadFilesAreBothLeftAndNamedTogether) {
    files.files["history.txt"] = "1.1.2026-0\t1\t2\teth\r\n";
    files.files["price.txt"] = "eth|LAN>1@2\r\n";
    files.readError = {{"history.txt", kIoAccessDenied}, {"price.txt", 32}};
    Load();
    AddRecord(a, "wifi", {2026, 3, 7}, 5, 6);
    const std::vector<UnreadFile> left = SaveFiles(a, data, ports);
    EXPECT_EQ(files.writes, 0);
    EXPECT_EQ(UnwrittenText(left),
              "Файлы history.txt (доступ запрещён) и price.txt (файл занят другой программой) не "_cp1251
              "перезаписаны: их не удалось прочитать. Данные этого запуска в них не сохранены."_cp1251);
}

TEST_F(Files, AnUnreadPriceFileGoneByTheSaveLeavesTheRunsTableToBeWritten) {
    files.files["price.txt"] = "eth|LAN>1,5@2\r\n";
    files.readError["price.txt"] = kIoAccessDenied;
    Load();
    GetPrice(a, "wifi", Direction::Incoming);
    files.readError.clear();
    files.files.erase("price.txt");
    EXPECT_TRUE(SaveFiles(a, data, ports).empty());
    EXPECT_EQ(Prices(), "wifi|wifi>0@0\r\n");
}

// A price.txt locked at start: the prices and names this run set win over the file's for
// their adapter, the rest of the file stays, and the run's new adapters follow it (the
// replay late_price_merge; the limits' own merge: LimitsTest).
TEST_F(Files, APriceFileReadOnlyAtTheSaveKeepsTheRunsEditsOverItsOwnEntries) {
    files.files["price.txt"] = "eth|LAN>1@2\r\nwifi|Home>3@4\r\nppp|PPP>5@6\r\n";
    files.readError["price.txt"] = 32;
    Load();
    for (const char* adapter : {"wifi", "eth", "usb"}) GetPrice(a, adapter, Direction::Incoming);
    a.SetPrices(1, 7.25, 3.75);
    a.SetDisplayName(0, "W");
    data.NotePrices("eth");  // as the commands do
    data.NoteDisplayName("wifi");
    EXPECT_EQ(SaveFiles(a, data, ports).size(), 1u);  // still locked: nothing written, nothing lost
    files.readError.clear();
    EXPECT_TRUE(SaveFiles(a, data, ports).empty());
    EXPECT_EQ(Prices(), "eth|LAN>7,25@3,75\r\nwifi|W>3@4\r\nppp|PPP>5@6\r\nusb|usb>0@0\r\n");
    EXPECT_TRUE(data.editsWhileUnread.prices.empty());
}

TEST_F(Files, StartUpRemovesOnlyTheTemporaryFilesOfItsOwnSaves) {
    for (const char* name : {"history.txt.tmp", "price.txt.tmp", "history.bak.tmp", "limits.9.bak.tmp",
                             "other.tmp", "history.tmp"})
        files.files[name] = "x";
    Load();
    EXPECT_EQ(files.files.size(), 2u);
    EXPECT_EQ(files.files.count("other.tmp") + files.files.count("history.tmp"), 2u);
}

// ---- Skipped lines kept as .bak ----

// What a load skipped and its .bak copy: the replays history_bad_lines, price_file_junk.
TEST_F(Files, SkippedPriceLinesAreKeptAsPriceBakBeforePriceTxtIsReplaced) {
    const std::string original = "eth|LAN>abc@1\r\nwifi|W>1@2\r\n";
    LoadPrices(original);
    files.writeError["price.bak"] = kIoDiskFull;
    try {
        SaveFiles(a, data, ports);
        FAIL() << "no error";
    } catch (const FileWriteError& e) {
        EXPECT_EQ(e.file, "price.bak");  // the copy's name, for the periodic save's message
    }
    EXPECT_EQ(Prices(), original);  // not replaced without its copy
    files.writeError.clear();
    SaveFiles(a, data, ports);
    EXPECT_EQ(files.files.at("price.bak"), original);
    EXPECT_EQ(Prices(), "wifi|W>1@2\r\n");
}

// Every load with skipped lines gets a copy of its own, the eleventh replacing the tenth.
TEST_F(Files, AnExistingBackupIsNeverOverwrittenButTheLastOfTen) {
    files.files["limits.bak"] = "first";
    for (int n = 1; n <= 11; ++n) {
        dialogs.messages.clear();
        LoadPrices("bad " + std::to_string(n) + "\r\n");
        const std::string name = n == 1 ? "price.bak" : "price." + std::to_string(std::min(n - 1, 9)) + ".bak";
        EXPECT_NE(dialogs.messages.at(0).find(name + "."), std::string::npos) << n;
        SaveFiles(a, data, ports);
        EXPECT_EQ(files.files.at(name), "bad " + std::to_string(n) + "\r\n");
    }
    EXPECT_EQ(files.files.at("price.bak"), "bad 1\r\n");
    EXPECT_EQ(files.files.size(), 13u);  // ten copies, price.txt, history.txt, limits.bak
    files.files["limits.txt"] = "x\r\n";
    Load();
    SaveFiles(a, data, ports);
    EXPECT_EQ(files.files.at("limits.1.bak"), "x\r\n");
}

TEST_F(Files, AFailedWriteRaisesAndLeavesTheFilesUntouched) {
    files.files["history.txt"] = "old history";
    files.files["price.txt"] = "old prices";
    files.readError["history.txt"] = kIoFileNotFound;  // read as missing, so saving is allowed
    files.readError["price.txt"] = kIoFileNotFound;
    Load();
    files.readError.clear();
    AddRecord(a, "eth", {2026, 3, 7}, 1, 2);
    GetPrice(a, "eth", Direction::Incoming);
    files.writeError["history.txt"] = kIoDiskFull;
    try {
        SaveFiles(a, data, ports);
        FAIL() << "no error";
    } catch (const FileWriteError& e) {
        EXPECT_STREQ(e.what(), "Disk full");
        EXPECT_EQ(e.file, "history.txt");
    }
    EXPECT_EQ(History(), "old history");
    EXPECT_EQ(Prices(), "old prices");  // not written after the history failed
    files.writeError.clear();
    files.writeError["price.txt"] = kIoAccessDenied;
    EXPECT_THROW(SaveFiles(a, data, ports), AppError);
    EXPECT_NE(History(), "old history");
    EXPECT_EQ(Prices(), "old prices");
}

TEST_F(Files, SaveBeforeAnyLoadWritesNothing) {
    AddRecord(a, "eth", {2026, 3, 7}, 1, 2);
    SaveFiles(a, data, ports);
    EXPECT_EQ(files.writes, 0);
    EXPECT_TRUE(files.files.empty());
}

// ---- Clearing and reloading ----

TEST_F(Files, ReloadAfterAFailedDeletionHoldsEveryRecordOnce) {
    LoadHistory("1.1.2026-0\t1\t2\teth\r\n2.1.2026-3\t4\t5\twifi\r\n");
    ScriptedInterfaceTable table;
    table.rows = {MakeRow("eth", 10, 10)};
    SampleInterfaces(a, table);
    const std::size_t before = a.HistoryCount();
    ASSERT_EQ(before, 3u);
    SaveFiles(a, data, ports);
    files.undeletable["history.txt"] = true;
    EXPECT_FALSE(files.Delete("history.txt"));
    clock.today = Date{2026, 3, 8};  // the clear runs after midnight
    Load();
    EXPECT_EQ(a.HistoryCount(), before);
    EXPECT_EQ(a.AccountingDate(), (Date{2026, 3, 8}));
    // The reloaded open record of the 7th no longer matches: a new one is opened.
    table.rows = {MakeRow("eth", 11, 11)};
    SampleInterfaces(a, table);
    EXPECT_EQ(a.HistoryCount(), before + 1);
}

TEST_F(Files, ReloadAfterADeletionKeepsPricesAndStartsAnEmptyHistory) {
    files.files["price.txt"] = "eth|LAN>1,5@2\r\n";
    LoadHistory("1.1.2026-0\t1\t2\teth\r\n");
    SaveFiles(a, data, ports);
    ASSERT_TRUE(files.Delete("history.txt"));
    a.ClearHistory();
    Load();
    EXPECT_EQ(a.HistoryCount(), 0u);
    ASSERT_EQ(a.Tariffs().size(), 1u);
    EXPECT_EQ(a.Tariffs()[0].displayName, "LAN");
    EXPECT_TRUE(data.loaded);
}

// ---- Round trips ----

void ExpectSameState(const Accounting& x, const Accounting& y) {
    ASSERT_EQ(x.HistoryCount(), y.HistoryCount());
    for (std::size_t i = 0; i < x.HistoryCount(); ++i) {
        const HistoryRecord& p = x.History()[i];
        const HistoryRecord& q = y.History()[i];
        ASSERT_EQ(x.AdapterNameOf(p), y.AdapterNameOf(q)) << i;
        ASSERT_EQ(p.day, q.day) << i;
        ASSERT_EQ(p.month, q.month) << i;
        ASSERT_EQ(p.year, q.year) << i;
        ASSERT_EQ(p.session, q.session) << i;
        ASSERT_EQ(p.inOctets, q.inOctets) << i;
        ASSERT_EQ(p.outOctets, q.outOctets) << i;
    }
    ASSERT_EQ(x.Tariffs().size(), y.Tariffs().size());
    for (std::size_t i = 0; i < x.Tariffs().size(); ++i) {
        EXPECT_EQ(x.Tariffs()[i].adapter, y.Tariffs()[i].adapter) << i;
        EXPECT_EQ(x.Tariffs()[i].displayName, y.Tariffs()[i].displayName) << i;
        EXPECT_EQ(x.Tariffs()[i].priceIn, y.Tariffs()[i].priceIn) << i;
        EXPECT_EQ(x.Tariffs()[i].priceOut, y.Tariffs()[i].priceOut) << i;
    }
    EXPECT_EQ(x.AdapterFilter(), y.AdapterFilter());
}

TEST_F(Files, RandomTablesSurviveSaveAndLoadAndSavingTwiceIsIdentical) {
    // history.txt carries any name without CR, LF and NUL; price.txt any name at all.
    std::string anyByte;
    for (int c = 1; c < 256; ++c)
        if (c != '\r' && c != '\n') anyByte += static_cast<char>(c);
    const std::vector<std::string> adapters = {"eth", "Сетевой адаптер"_cp1251, anyByte, "tab\tin name",
                                               "a>b@c", "  blanks  ", "", std::string(300, 'x')};
    const std::vector<std::string> tariffNames = {"eth", "Сетевой"_cp1251, "a>b@c", "x\0y"s, "in\rner", anyByte};
    const std::vector<std::string> displays = {"LAN", "a|b", "x>1@2", "@", ">", "Домашняя сеть"_cp1251, "", "q\0r"s,
                                               " %20\t"};
    const std::vector<double> prices = {0, 1.5, 0.35, 2, 1e-5, 1e15, 123456.789, 0.0001, 99999999999999.9};
    for (unsigned seed = 1; seed <= 20; ++seed) {
        std::mt19937 rng(seed);
        auto pick = [&](std::size_t n) { return static_cast<std::size_t>(rng() % n); };
        regional.separator = pick(2) ? ',' : '.';
        files.files.clear();
        Accounting x;
        DataFiles dataX;
        LoadFiles(x, dataX, ports);
        x.SetAdapterFilter(pick(2) ? "Сетевой адаптер"_cp1251 : "");
        for (int i = 0, n = static_cast<int>(pick(60)); i < n; ++i)
            x.AppendHistoryRecord(x.Intern(adapters[pick(adapters.size())]),
                                  Record({static_cast<std::uint16_t>(rng()), static_cast<std::uint16_t>(rng()),
                                          static_cast<std::uint16_t>(rng())},
                                         static_cast<std::uint32_t>(rng()), pick(3) ? static_cast<std::uint32_t>(rng()) : 4294967295u,
                                         static_cast<std::int32_t>(rng() % 2147483648u)));
        for (int i = 0, n = static_cast<int>(pick(8)); i < n; ++i)
            x.AddTariff({prices[pick(prices.size())], prices[pick(prices.size())],
                                   tariffNames[pick(tariffNames.size())], displays[pick(displays.size())]});
        window.SetOuterWidth(static_cast<int>(pick(3000)));
        const int width = window.OuterWidth();
        SaveFiles(x, dataX, ports);
        const std::string history = History(), priceText = Prices();
        window.SetOuterWidth(1);
        Accounting y;
        DataFiles dataY;
        LoadFiles(y, dataY, ports);
        EXPECT_TRUE(dialogs.messages.empty()) << dialogs.messages.front();
        EXPECT_EQ(window.OuterWidth(), width);
        ExpectSameState(x, y);
        SaveFiles(y, dataY, ports);
        EXPECT_EQ(History(), history) << "seed " << seed;
        EXPECT_EQ(Prices(), priceText) << "seed " << seed;
        SaveFiles(y, dataY, ports);
        EXPECT_EQ(History(), history);
        if (HasFailure()) {
            ADD_FAILURE() << "seed " << seed;
            return;
        }
    }
}

// ---- tariffs.txt ----

// None while no price changed on a date; then one line per earlier period, with price.txt's
// escapes and separator, written before price.txt (a save cut between them leaves the past at
// its prices), read back to the same periods, and following them down to empty.
TEST_F(Files, EarlierPricesSurviveSaveAndLoadAndTheFileComesOnlyWithThem) {
    std::string anyByte;
    for (int c = 1; c < 256; ++c) anyByte += static_cast<char>(c);
    Load();
    for (const std::string& name : {"eth"s, anyByte, ""s, "x\0y"s}) a.AddTariff(TariffEntry{1, 2, name, name});
    SaveFiles(a, data, ports);
    EXPECT_EQ(files.files.count("tariffs.txt"), 0u);
    SetPricesFrom(a, 0, Day(2026, 2, 1), {0.5, 1e-5});
    SetPricesFrom(a, 0, Day(2026, 3, 1), {3, 4});
    SetPricesFrom(a, 1, Day(2024, 2, 29), {5, 6});
    SetPricesFrom(a, 2, Day(2026, 1, 1), {5, 6});
    SetPricesFrom(a, 3, Day(2026, 1, 1), {5, 6});
    const std::vector<PricePeriod> periods = a.EarlierPrices();
    ASSERT_EQ(periods.size(), 5u);
    files.writeError["price.txt"] = kIoDiskFull;
    EXPECT_THROW(SaveFiles(a, data, ports), AppError);
    files.writeError.clear();
    const std::string text = files.files.at("tariffs.txt");
    EXPECT_NE(text.find("eth|31.01.2026>1@2\r\neth|28.02.2026>0,5@1E-5\r\n"), std::string::npos) << text;
    EXPECT_NE(text.find("|31.12.2025>1@2\r\n"), std::string::npos) << text;
    regional.separator = '.';
    SaveFiles(a, data, ports);
    EXPECT_NE(files.files.at("tariffs.txt").find("eth|28.02.2026>0.5@1E-5\r\n"), std::string::npos);
    const std::string saved = files.files.at("tariffs.txt");
    Accounting b;
    DataFiles dataB;
    LoadFiles(b, dataB, ports);
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_EQ(b.EarlierPrices(), periods);
    SaveFiles(b, dataB, ports);
    EXPECT_EQ(files.files.at("tariffs.txt"), saved);
    // Back to one price for every day: the file stays, empty.
    for (std::size_t slot = 0; slot < 4; ++slot) SetPricesFrom(b, slot, Day(1, 1, 1), {1, 2});
    EXPECT_TRUE(b.EarlierPrices().empty());
    SaveFiles(b, dataB, ports);
    EXPECT_EQ(files.files.at("tariffs.txt"), "");
}

}  // namespace
}  // namespace velkaro
