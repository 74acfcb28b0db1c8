#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "core/Accounting.h"
#include "core/Cp1251.h"
#include "core/Files.h"
#include "core/Texts.h"
#include "report/HistoryReport.h"
#include "tools/scripted/ScriptedScreen.h"
#include "tests/TestSupport.h"

namespace velkaro {
namespace {

const std::string kPriceFileText = "A|Adapter A>0,5@0,25\r\nB|B>0@0\r\n";
// Two settings lines, then A twice (not adjacent) and B, all of 7 March 2026.
const std::string kHistoryFileText =
    "SHOW=\r\nform1.width=790\r\n"
    "boot=2026-01-01 00:00:00\r\n"  // the scripted clock's system start: a row new since counts whole
    "7.3.2026-1\t1024      \t2048      \tA\r\n"
    "7.3.2026-0\t4096      \t0         \tB\r\n"
    "7.3.2026-0\t1024      \t2048      \tA\r\n";

class TrafficMeterTest : public ::testing::Test, public Fakes {
protected:
    TrafficMeterTest() {
        clock.today = {2026, 3, 7};
        files.files["price.txt"] = kPriceFileText;
        files.files["history.txt"] = kHistoryFileText;
    }
    // Start-up and one tick, as the running program does before any command.
    void StartAndTick() {
        meter.Start();
        meter.Tick();
    }
    // A command on the adapter picked last.
    bool Run(Command command) {
        return meter.Guarded([&] { meter.Run(command, picked); });
    }
    bool Save() {
        return meter.Guarded([&] { meter.SaveFiles(); });
    }
    const TariffEntry& Entry(const std::string& adapter) {
        for (const TariffEntry& e : a.Tariffs())
            if (e.adapter == adapter) return e;
        ADD_FAILURE() << "no entry " << adapter;
        static TariffEntry none;
        return none;
    }

    ScriptedScreen screen;
    TrafficMeter meter{MeterPorts{System(), screen, screen}};
    Accounting& a = meter.State();
    std::string picked;
};

// ---- Start-up and the tick ----

TEST_F(TrafficMeterTest, StartUpLoadsTheFilesWhitensAndStartsTheTimer) {
    meter.Start();
    EXPECT_TRUE(meter.Sampling());
    EXPECT_EQ(screen.started, 1);
    EXPECT_EQ(a.HistoryCount(), 3u);
    EXPECT_EQ(a.Tariffs().size(), 2u);
    EXPECT_EQ(a.AccountingDate(), (Date{2026, 3, 7}));
    EXPECT_TRUE(meter.TimerEnabled());
    EXPECT_EQ(screen.timerChanges, std::vector<bool>{true});
}

TEST_F(TrafficMeterTest, TheFirstReadingIsWrittenAtOnceOnlyWhenNothingWasKept) {
    files.files.erase("history.txt");
    meter.Start();
    table.failNext = true;
    meter.Tick();
    EXPECT_EQ(files.writes, 0) << "no reading yet";
    table.rows = {MakeRow("A", 5, 6)};
    meter.Tick();
    EXPECT_NE(files.files["history.txt"].find("reading=0 5 6 A\r\n"), std::string::npos);
    const int writes = files.writes;
    table.rows = {MakeRow("A", 7, 8)};
    meter.Tick();
    EXPECT_EQ(files.writes, writes) << "the periodic save's own time from then on";

    TrafficMeter kept{MeterPorts{System(), screen, screen}};  // a start whose file kept readings
    kept.Start();
    table.rows = {MakeRow("A", 9, 9)};
    kept.Tick();
    EXPECT_EQ(files.writes, writes);
}

TEST_F(TrafficMeterTest, StartUpWithoutTheInterfaceFunctionLoadsNothingAndNeverTicks) {
    table.loadable = false;
    meter.Start();
    EXPECT_FALSE(meter.Sampling());
    EXPECT_EQ(screen.started, 0);
    EXPECT_EQ(a.HistoryCount(), 0u);
    EXPECT_TRUE(a.Tariffs().empty());
    EXPECT_FALSE(meter.TimerEnabled());
    EXPECT_TRUE(screen.timerChanges.empty());
    // The save after such a start leaves both files as they are.
    EXPECT_TRUE(Run(Command::Exit));
    EXPECT_EQ(files.files["history.txt"], kHistoryFileText);
    EXPECT_EQ(files.files["price.txt"], kPriceFileText);
    EXPECT_EQ(screen.endRequests, 1);
}

TEST_F(TrafficMeterTest, AnExitWhoseSaveSkipsAnUnreadFileSaysSoAndStillEnds) {
    files.readError["history.txt"] = kIoAccessDenied;
    StartAndTick();
    picked = "B";
    dialogs.answers = {std::string("2"), std::string("4")};
    Run(Command::SetPrices);
    dialogs.messages.clear();
    EXPECT_TRUE(Run(Command::Exit));
    EXPECT_EQ(dialogs.messages, std::vector<std::string>{UnwrittenText({{"history.txt", kIoAccessDenied}})});
    EXPECT_EQ(screen.endRequests, 1);
    EXPECT_EQ(files.files["history.txt"], kHistoryFileText);
    EXPECT_EQ(files.files["price.txt"], "A|Adapter A>0,5@0,25\r\nB|B>2@4\r\n");
}

// A message box runs the message loop: the messages of a save come when it is over, so that a
// tick or another save from that loop finds the files written and the tables whole.
TEST_F(TrafficMeterTest, TheMessagesOfASaveComeWhenItsFilesAreWritten) {
    files.readError["price.txt"] = kIoAccessDenied;
    StartAndTick();
    files.readError.clear();
    files.files["price.txt"] = kPriceFileText + "no separator\r\n";  // read by the save: one bad line
    std::vector<int> writesAtMessages;
    dialogs.onMessage = [&](const std::string&) { writesAtMessages.push_back(files.writes); };
    const int before = files.writes;
    EXPECT_TRUE(Save());
    EXPECT_GT(files.writes, before + 2);  // the history, the price file's copy and the file
    EXPECT_EQ(writesAtMessages, std::vector<int>{files.writes});
}

TEST_F(TrafficMeterTest, TickSamplesLaysOutAndRefreshesTheQuickInfoList) {
    meter.Start();
    table.rows = {MakeRow("C", 2048, 1024)};
    meter.Tick();
    EXPECT_EQ(table.calls, 1);
    EXPECT_EQ(a.HistoryCount(), 4u);  // C's first record of the day
    EXPECT_EQ(screen.timerChanges, (std::vector<bool>{true, false, true}));
    EXPECT_EQ(screen.panelsShown, 1);
    ASSERT_EQ(screen.quickInfoLists.size(), 1u);
    const auto& rows = screen.quickInfoLists[0];
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0].name, "Adapter A.   ");
    EXPECT_EQ(rows[0].traffic, "6,0 Kb");
    EXPECT_EQ(rows[1].name, "B.   ");
    EXPECT_EQ(rows[2].name, "C.   ");
    EXPECT_EQ(rows[2].traffic, "3,0 Kb");
    EXPECT_EQ(screen.trayTips.size(), 1u);
    EXPECT_EQ(meter.Panel().FirstAdapter(), "A");
    EXPECT_EQ(a.Tariffs().size(), 3u);  // C registered by the tick
}

TEST_F(TrafficMeterTest, TickWithoutTheInterfaceFunctionStillLaysOut) {
    table.loadable = false;
    meter.Start();
    table.rows = {MakeRow("C", 1, 1)};
    meter.Tick();
    EXPECT_EQ(table.calls, 0);
    EXPECT_EQ(a.HistoryCount(), 0u);
    EXPECT_EQ(screen.panelsShown, 1);
    EXPECT_TRUE(meter.TimerEnabled());
}

// ---- The pick ----

TEST_F(TrafficMeterTest, ThePanelPicksTheNearestBlockAtOrAboveAPoint) {
    StartAndTick();  // blocks: A at 4, B at 82
    const std::pair<int, const char*> cases[] = {
        {4, "A"}, {60, "A"}, {81, "A"}, {82, "B"}, {150, "B"}, {5000, "B"}};
    for (const auto& [y, expected] : cases) EXPECT_EQ(meter.Panel().AdapterAt(y), expected) << "y " << y;
}

TEST_F(TrafficMeterTest, AboveEveryBlockThePanelPicksTheFirstAdapter) {
    files.files["history.txt"] = "SHOW=B\r\n" + kHistoryFileText.substr(kHistoryFileText.find("form1"));
    StartAndTick();  // only B drawn, at 4; A is still the first adapter
    EXPECT_EQ(meter.Panel().AdapterAt(3), "A");
    EXPECT_EQ(meter.Panel().AdapterAt(4), "B");
}

TEST_F(TrafficMeterTest, BeforeAnyBlockThePanelPicksTheEmptyFirstAdapter) {
    EXPECT_EQ(meter.Panel().AdapterAt(5), "");
}

// ---- Prices and names ----

TEST_F(TrafficMeterTest, CancelInEitherPriceDialogStoresNothing) {
    StartAndTick();
    picked = "A";
    dialogs.answers = {std::nullopt};  // the first dialog: the second is not shown
    EXPECT_TRUE(Run(Command::SetPrices));
    dialogs.answers = {std::string("7"), std::nullopt};  // the first price is not kept either
    EXPECT_TRUE(Run(Command::SetPrices));
    EXPECT_EQ(dialogs.prompts.size(), 3u);
    EXPECT_EQ(Entry("A").priceIn, 0.5);
    EXPECT_EQ(Entry("A").priceOut, 0.25);
    EXPECT_TRUE(dialogs.log.empty());
}

TEST_F(TrafficMeterTest, PricesAcceptEitherSeparatorWhateverTheRegionalSetting) {
    StartAndTick();
    regional.separator = '.';
    picked = "A";
    dialogs.answers = {std::string("1,5"), std::string(" 2.5E1 ")};
    EXPECT_TRUE(Run(Command::SetPrices));
    EXPECT_EQ(Entry("A").priceIn, 1.5);
    EXPECT_EQ(Entry("A").priceOut, 25);
    EXPECT_TRUE(dialogs.errors.empty());
}

TEST_F(TrafficMeterTest, PriceThatIsNotANumberEndsTheCommandAtThatDialog) {
    StartAndTick();
    picked = "A";
    dialogs.answers = {std::string("abc")};
    EXPECT_FALSE(Run(Command::SetPrices));
    EXPECT_EQ(dialogs.errors, std::vector<std::string>{"'abc' is not a valid floating point value"});
    EXPECT_EQ(dialogs.prompts.size(), 1u);
    EXPECT_EQ(Entry("A").priceIn, 0.5);
    EXPECT_EQ(Entry("A").priceOut, 0.25);

    // A bad second price stores the first one neither.
    dialogs.answers = {std::string("3"), std::string("")};
    EXPECT_FALSE(Run(Command::SetPrices));
    EXPECT_EQ(dialogs.errors.back(), "'' is not a valid floating point value");
    EXPECT_EQ(Entry("A").priceIn, 0.5);
    EXPECT_EQ(Entry("A").priceOut, 0.25);
}

TEST_F(TrafficMeterTest, TheLimitDialogsStoreAnAmountAndAPeriodDayOnlyWhenBothAreConfirmed) {
    StartAndTick();
    picked = "A";
    dialogs.answers = {std::nullopt,                                // Cancel on the amount
                       std::string("abc"),                          // not a number
                       std::string("-0,01"),                        // refused
                       std::string(" 12.5 "), std::nullopt,         // Cancel on the day
                       std::string("12.5"), std::string("0"),       // a day not 1 to 31
                       std::string(" 12.5 "), std::string(" 31 "),  // stored
                       std::string("2,5"), std::string("15"),       // the traffic limit sets the day of both
                       std::nullopt,                                // Cancel keeps it
                       std::string("0")};                           // 0 removes it, asking no day
    for (int i = 0; i < 6; ++i) Run(Command::SetLimit);
    ASSERT_EQ(a.Limits().size(), 1u);
    EXPECT_EQ(a.Limits()[0].limit, 12.5);
    EXPECT_EQ(a.Limits()[0].periodDay, 31);
    Run(Command::SetTrafficLimit);
    regional.separator = '.';
    Run(Command::SetTrafficLimit);
    Run(Command::SetLimit);
    ASSERT_EQ(a.Limits().size(), 1u);
    EXPECT_EQ(a.Limits()[0].kind, LimitKind::Traffic);
    EXPECT_EQ(a.Limits()[0].limit, 2.5);
    EXPECT_EQ(a.Limits()[0].periodDay, 15);
    const std::string amount = texts::kPromptLimit, traffic = texts::kPromptTrafficLimit, day = texts::kPromptPeriodDay;
    EXPECT_EQ(dialogs.prompts, (std::vector<std::string>{amount, amount, amount, amount, day, amount, day, amount, day,
                                                          traffic, day, traffic, amount}));
    EXPECT_EQ(dialogs.defaults,
              (std::vector<std::string>{"0", "0", "0", "0", "1", "0", "1", "0", "1", "0", "31", "2.5", "12.50"}));
    EXPECT_EQ(dialogs.errors, std::vector<std::string>{"'abc' is not a valid floating point value"});
    picked = "nobody";  // no block picked: no dialog
    Run(Command::SetLimit);
    EXPECT_EQ(dialogs.messages,
              (std::vector<std::string>{texts::kNegativeLimit, texts::kBadPeriodDay, texts::kLimitNoAdapter}));
    EXPECT_EQ(dialogs.prompts.size(), 13u);
}

// The limits the run kept through a reload that could not read limits.txt: a warning given and
// a new period day are the run's edits, kept over the file's entries once it reads.
TEST_F(TrafficMeterTest, AWarningAndANewPeriodDayWhileTheLimitFileIsUnreadAreKeptOverTheFile) {
    files.files["limits.txt"] = "A|0,001||0\r\nB|1000||0\r\n";
    meter.Start();
    files.readError["limits.txt"] = kIoAccessDenied;
    StartAndTick();  // a reload, as after a clear; the tick warns of A's limit
    ASSERT_EQ(screen.balloons.size(), 1u);
    picked = "B";
    dialogs.answers = {std::string("5"), std::string("15")};
    Run(Command::SetTrafficLimit);  // B's money limit takes day 15 with it
    files.files["limits.txt"] = "A|0,002||0\r\nB|2000||0\r\n";
    files.readError.clear();
    ASSERT_TRUE(Save());
    EXPECT_EQ(files.files["limits.txt"], "A|0,001|2026-03|100\r\nB|1000||0|day=15\r\nB|5||0|kind=traffic|day=15\r\n");
}

TEST_F(TrafficMeterTest, PricesForAnAdapterWithoutEntryShowErTwiceAndStoreNothing) {
    StartAndTick();
    const std::vector<TariffEntry> before = a.Tariffs();
    picked = "nobody";
    dialogs.answers = {std::string("7"), std::string("8")};
    EXPECT_TRUE(Run(Command::SetPrices));
    EXPECT_EQ(dialogs.messages, (std::vector<std::string>{"ER", "ER"}));
    EXPECT_EQ(dialogs.prompts.size(), 2u);
    ASSERT_EQ(a.Tariffs().size(), before.size());
    for (std::size_t i = 0; i < before.size(); ++i) {
        EXPECT_EQ(a.Tariffs()[i].priceIn, before[i].priceIn);
        EXPECT_EQ(a.Tariffs()[i].priceOut, before[i].priceOut);
    }
}

TEST_F(TrafficMeterTest, PricesShowFromTheNextRedraw) {
    StartAndTick();
    picked = "B";
    dialogs.answers = {std::string("2"), std::string("4")};
    Run(Command::SetPrices);
    meter.Tick();
    // B today: 4096 in, 0 out, at 2 roubles per Mb in.
    EXPECT_EQ(screen.quickInfoLists.back()[1].cost, "0,01 руб."_cp1251);
}

TEST_F(TrafficMeterTest, RenameKeepsTheTextAsTypedAndIgnoresTheDefaultOrNothing) {
    StartAndTick();
    picked = "B";
    for (std::optional<std::string> answer : {std::optional<std::string>{}, std::optional<std::string>{"..."},
                                              std::optional<std::string>{""}}) {
        dialogs.answers = {answer};
        EXPECT_TRUE(Run(Command::Rename));
        EXPECT_EQ(Entry("B").displayName, "B");
    }
    EXPECT_TRUE(dialogs.messages.empty());

    dialogs.answers = {std::string("  Home LAN ")};
    EXPECT_TRUE(Run(Command::Rename));
    EXPECT_EQ(Entry("B").displayName, "  Home LAN ");
    EXPECT_EQ(dialogs.prompts.back(), texts::kPromptRename);
    meter.Tick();
    EXPECT_EQ(screen.quickInfoLists.back()[1].name, "  Home LAN .   ");
}

TEST_F(TrafficMeterTest, RenameOfAnAdapterWithoutEntryShowsItsMessageAfterTheDialog) {
    StartAndTick();
    picked = "ghost";
    const std::size_t entries = a.Tariffs().size();
    dialogs.answers = {std::string("New")};
    EXPECT_TRUE(Run(Command::Rename));
    EXPECT_EQ(dialogs.prompts.size(), 1u);
    EXPECT_EQ(dialogs.messages, std::vector<std::string>{std::string(texts::kTariffMissRename) + "ghost"});
    EXPECT_EQ(a.Tariffs().size(), entries);
    for (const TariffEntry& e : a.Tariffs()) EXPECT_NE(e.displayName, "New");
}

// ---- Report ----

TEST_F(TrafficMeterTest, HistoryReportIsWrittenNextToTheProgramAndOpened) {
    StartAndTick();
    picked = "A";
    EXPECT_TRUE(Run(Command::ShowReport));
    ASSERT_TRUE(shell.programFiles.files.count("history.htm"));
    EXPECT_NE(shell.programFiles.files["history.htm"].find("Adapter A"), std::string::npos);
    EXPECT_EQ(files.files.count("history.htm"), 0u);  // not in the working folder
    EXPECT_EQ(shell.opened, std::vector<std::string>{"C:\\Velkaro\\history.htm"});

    shell.programFiles.writeError["history.htm"] = 5;
    EXPECT_FALSE(Run(Command::ShowReport));
    EXPECT_EQ(dialogs.errors, std::vector<std::string>{"File access denied"});
    EXPECT_EQ(shell.opened.size(), 1u);
}

// The CSV file goes where the report goes and opens the same way; a shell that cannot open it
// says so, and a file that cannot be replaced (open in a spreadsheet) is named with the reason.
TEST_F(TrafficMeterTest, CsvExportIsWrittenNextToTheProgramAndOpened) {
    StartAndTick();
    EXPECT_TRUE(Run(Command::ExportCsv));
    EXPECT_EQ(shell.programFiles.files["history.csv"], HistoryCsvText(a, ','));
    EXPECT_EQ(shell.opened, std::vector<std::string>{"C:\\Velkaro\\history.csv"});
    EXPECT_TRUE(dialogs.messages.empty());

    shell.result = 31;
    EXPECT_TRUE(Run(Command::ExportCsv));
    EXPECT_EQ(dialogs.messages,
              std::vector<std::string>{"Файл history.csv записан в папку программы, но открыть его не "_cp1251
                                       "удалось: не найдена программа для открытия."_cp1251});

    shell.programFiles.writeError["history.csv"] = 32;
    EXPECT_FALSE(Run(Command::ExportCsv));
    EXPECT_EQ(dialogs.errors, std::vector<std::string>{"Не удалось записать файл history.csv (файл занят другой "_cp1251
                                                       "программой). Если он открыт в другой программе, закройте "_cp1251
                                                       "его и повторите экспорт."_cp1251});
    EXPECT_EQ(shell.opened.size(), 2u);
}

// ---- Buttons ----

TEST_F(TrafficMeterTest, ExitSavesThenRequestsTheEnd) {
    StartAndTick();
    EXPECT_TRUE(Run(Command::Exit));
    EXPECT_EQ(screen.endRequests, 1);
    EXPECT_NE(files.files["history.txt"], kHistoryFileText);  // width and records rewritten
    EXPECT_EQ(files.files["history.txt"].rfind("SHOW=\r\nform1.width=", 0), 0u);
}

TEST_F(TrafficMeterTest, ExitWithAFailingSaveShowsTheErrorAndDoesNotEnd) {
    StartAndTick();
    files.writeError["history.txt"] = 101;
    EXPECT_FALSE(Run(Command::Exit));
    EXPECT_EQ(dialogs.errors, std::vector<std::string>{"Disk full"});
    EXPECT_EQ(screen.endRequests, 0);
}

TEST_F(TrafficMeterTest, ClearHistoryEmptiesTheTableKeepsPricesAndRestarts) {
    StartAndTick();
    picked = "A";
    dialogs.answers = {std::string("2"), std::string("3")};
    Run(Command::SetPrices);
    clock.today = {2026, 3, 8};
    EXPECT_TRUE(Run(Command::ClearHistory));
    EXPECT_EQ(dialogs.messages, std::vector<std::string>{texts::kClearDone});
    EXPECT_EQ(a.HistoryCount(), 0u);
    EXPECT_FALSE(files.files.count("history.txt"));
    EXPECT_EQ(Entry("A").priceIn, 2);
    EXPECT_EQ(Entry("A").priceOut, 3);
    EXPECT_EQ(Entry("A").displayName, "Adapter A");
    EXPECT_EQ(a.AccountingDate(), (Date{2026, 3, 8}));
    EXPECT_TRUE(meter.TimerEnabled());
    EXPECT_EQ(screen.started, 2);

    table.rows = {MakeRow("A", 10, 20)};
    meter.Tick();
    ASSERT_EQ(a.HistoryCount(), 1u);
    EXPECT_EQ(a.History()[0].day, 8);
}

TEST_F(TrafficMeterTest, ClearHistoryThatCannotDeleteTheFileHoldsEveryRecordOnce) {
    StartAndTick();
    table.rows = {MakeRow("C", 1, 1)};
    meter.Tick();
    const std::size_t count = a.HistoryCount();
    ASSERT_EQ(count, 4u);
    files.undeletable["history.txt"] = true;
    EXPECT_TRUE(Run(Command::ClearHistory));
    EXPECT_EQ(dialogs.messages, std::vector<std::string>{texts::kClearFailed});
    EXPECT_EQ(a.HistoryCount(), count);
    EXPECT_EQ(a.AdapterNameOf(a.History()[3]), "C");
    EXPECT_TRUE(meter.TimerEnabled());
}

TEST_F(TrafficMeterTest, ClearHistoryNeverDeletesAHistoryThatWasNotRead) {
    files.readError["history.txt"] = kIoAccessDenied;
    EXPECT_TRUE(meter.Guarded([&] { meter.Start(); }));
    EXPECT_TRUE(Run(Command::ClearHistory));
    EXPECT_EQ(files.files["history.txt"], kHistoryFileText);
    EXPECT_EQ(dialogs.messages.back(), texts::kClearNotRead);
    // Once it reads, the clear's save reads it first, then deletes it.
    files.readError.clear();
    EXPECT_TRUE(Run(Command::ClearHistory));
    EXPECT_EQ(dialogs.messages.back(), texts::kClearDone);
    EXPECT_EQ(files.files.count("history.txt"), 0u);
    EXPECT_EQ(a.HistoryCount(), 0u);
    EXPECT_TRUE(meter.TimerEnabled());
}

TEST_F(TrafficMeterTest, ATickDuringTheClearMessageCountsIntoTheNewDayOnce) {
    StartAndTick();  // started on 7 March
    clock.today = {2026, 3, 8};
    dialogs.onMessage = [&](const std::string& text) {
        if (text != texts::kClearDone) return;
        table.rows = {MakeRow("A", 5000, 6000)};
        meter.Tick();
        // It sees the reloaded state: today's date, an empty table.
        ASSERT_EQ(a.HistoryCount(), 1u);
        EXPECT_EQ(a.History()[0].day, 8);
    };
    EXPECT_TRUE(Run(Command::ClearHistory));
    table.rows = {MakeRow("A", 5100, 6100)};
    meter.Tick();
    // The counters are counted once, into one record of the new day.
    EXPECT_EQ(a.HistoryCount(), 1u);
    EXPECT_EQ(a.Adapters()[0].totalIn, 5100u);
    EXPECT_EQ(screen.quickInfoLists.back()[0].traffic, "10,9 Kb");  // 5100 + 6100 bytes
}

TEST_F(TrafficMeterTest, SaveWhileTheClearMessageIsOpenWritesTheEmptiedHistory) {
    StartAndTick();
    dialogs.onMessage = [&](const std::string&) { meter.SaveFiles(); };
    EXPECT_TRUE(Run(Command::ClearHistory));
    ASSERT_TRUE(files.files.count("history.txt"));
    EXPECT_EQ(files.files["history.txt"].find('\t'), std::string::npos) << "no record line";
}

TEST_F(TrafficMeterTest, ClearHistoryWithAFailingSaveDeletesNothing) {
    StartAndTick();
    files.writeError["history.txt"] = 5;
    EXPECT_FALSE(Run(Command::ClearHistory));
    EXPECT_EQ(dialogs.errors, std::vector<std::string>{"File access denied"});
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_EQ(files.files["history.txt"], kHistoryFileText);
    EXPECT_EQ(a.HistoryCount(), 3u);
}

TEST_F(TrafficMeterTest, MailToAuthorOpensTheMailTextAndReportsAFailure) {
    Run(Command::MailToAuthor);
    const std::string expected = std::string("mailto:") + texts::kEmail +
                                 "?subject=User Velkaro V1.4 Final&body=" + texts::kMailBody + "%0d";
    EXPECT_EQ(shell.opened, std::vector<std::string>{expected});
    EXPECT_TRUE(dialogs.messages.empty());

    shell.result = 33;
    Run(Command::MailToAuthor);
    EXPECT_TRUE(dialogs.messages.empty());
    shell.result = 31;  // also what the shell port gives without a program for mailto:
    Run(Command::MailToAuthor);
    const std::string why = "Не удалось написать письмо автору. Причина: не найдена программа для открытия."_cp1251;
    EXPECT_EQ(dialogs.messages, std::vector<std::string>{why + " Адрес автора: author@velkaro.example"_cp1251});
}

TEST_F(TrafficMeterTest, HelpOpensTheFileNextToTheProgramOrElseTheOnlinePage) {
    Run(Command::Help);
    shell.existing["help.mht"] = true;
    Run(Command::Help);
    EXPECT_EQ(shell.opened, (std::vector<std::string>{texts::kOnlineHelp, "C:\\Velkaro\\help.mht"}));
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_TRUE(dialogs.errors.empty());
}

TEST_F(TrafficMeterTest, WhatTheShellCannotOpenIsNamedWithTheReason) {
    StartAndTick();
    picked = "A";
    shell.result = 31;  // no program for the file's type
    Run(Command::Help);
    shell.result = 2;
    shell.existing["help.mht"] = true;
    Run(Command::Help);
    shell.result = 12;  // a result without a reason of its own: the number
    EXPECT_TRUE(Run(Command::ShowReport));
    shell.result = 33;
    EXPECT_TRUE(Run(Command::ShowReport));
    EXPECT_EQ(dialogs.messages, (std::vector<std::string>{
        std::string("Не удалось открыть страницу справки "_cp1251) + texts::kOnlineHelp + ": не найдена программа для открытия."_cp1251,
        "Не удалось открыть справку help.mht: файл не найден."_cp1251,
        "Файл history.htm записан в папку программы, но открыть его не удалось: ошибка 12."_cp1251}));
    EXPECT_TRUE(dialogs.errors.empty());
}

}  // namespace
}  // namespace velkaro
