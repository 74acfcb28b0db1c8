#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "core/Accounting.h"
#include "core/Cp1251.h"
#include "core/Texts.h"
#include "display/StatisticsWindow.h"
#include "tools/scripted/ScriptedForm1Host.h"
#include "tools/scripted/ScriptedPorts.h"

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

class StatisticsWindowTest : public ::testing::Test {
protected:
    StatisticsWindowTest() {
        clock.today = {2026, 3, 7};
        host.form = &form;
        files.files["price.txt"] = kPriceFileText;
        files.files["history.txt"] = kHistoryFileText;
    }
    // Start-up and one tick, as the running program does before any command.
    void StartAndTick() {
        form.FormCreate();
        form.Timer1Timer();
    }
    bool Run(void (TForm1::*handler)()) {
        return form.Guarded([&] { (form.*handler)(); });
    }
    const TariffEntry& Entry(const std::string& adapter) {
        for (const TariffEntry& e : a.Tariffs())
            if (e.adapter == adapter) return e;
        ADD_FAILURE() << "no entry " << adapter;
        static TariffEntry none;
        return none;
    }

    Accounting a;
    ScriptedInterfaceTable table;
    FixedClock clock;
    FixedRegional regional;
    ScriptedDialogs dialogs;
    ScriptedShell shell;
    MemoryFileStore files;
    ScriptedForm1Host host;
    TForm1 form{a, Form1Ports{table, clock, regional, dialogs, shell, files, host}};
};

// ---- Start-up and the tick ----

TEST_F(StatisticsWindowTest, StartUpLoadsTheFilesWhitensAndStartsTheTimer) {
    form.QuickInfoShown = true;
    form.FormCreate();
    EXPECT_FALSE(form.QuickInfoShown);
    EXPECT_TRUE(form.Sampling());
    EXPECT_EQ(host.whiteSet, 1);
    EXPECT_EQ(a.HistoryCount(), 3u);
    EXPECT_EQ(a.Tariffs().size(), 2u);
    EXPECT_EQ(a.AccountingDate(), (Date{2026, 3, 7}));
    EXPECT_TRUE(form.TimerEnabled());
    EXPECT_EQ(host.timerChanges, std::vector<bool>{true});
}

TEST_F(StatisticsWindowTest, StartUpWithoutTheInterfaceFunctionLoadsNothingAndNeverTicks) {
    table.loadable = false;
    form.FormCreate();
    EXPECT_FALSE(form.Sampling());
    EXPECT_EQ(host.whiteSet, 0);
    EXPECT_EQ(a.HistoryCount(), 0u);
    EXPECT_TRUE(a.Tariffs().empty());
    EXPECT_FALSE(form.TimerEnabled());
    EXPECT_TRUE(host.timerChanges.empty());
    // The save after such a start leaves both files as they are.
    EXPECT_TRUE(Run(&TForm1::SpeedButton1Click));
    EXPECT_EQ(files.files["history.txt"], kHistoryFileText);
    EXPECT_EQ(files.files["price.txt"], kPriceFileText);
    EXPECT_EQ(host.endRequests, 1);
}

TEST_F(StatisticsWindowTest, AnExitWhoseSaveSkipsAnUnreadFileSaysSoAndStillEnds) {
    files.readError["history.txt"] = kIoAccessDenied;
    StartAndTick();
    a.selectedAdapter = "B";
    dialogs.answers = {std::string("2"), std::string("4")};
    Run(&TForm1::N3Click);
    dialogs.messages.clear();
    EXPECT_TRUE(Run(&TForm1::SpeedButton1Click));
    EXPECT_EQ(dialogs.messages, std::vector<std::string>{UnwrittenText({{"history.txt", kIoAccessDenied}})});
    EXPECT_EQ(host.endRequests, 1);
    EXPECT_EQ(files.files["history.txt"], kHistoryFileText);
    EXPECT_EQ(files.files["price.txt"], "A|Adapter A>0,5@0,25\r\nB|B>2@4\r\n");
}

TEST_F(StatisticsWindowTest, TickSamplesRedrawsRefreshesAndEmptiesTheRows) {
    form.FormCreate();
    table.rows = {MakeRow("C", 2048, 1024)};
    form.Timer1Timer();
    EXPECT_EQ(table.calls, 1);
    EXPECT_EQ(a.HistoryCount(), 4u);  // C's first record of the day
    EXPECT_EQ(host.timerChanges, (std::vector<bool>{true, false, true}));
    EXPECT_EQ(host.repaints, 1);
    ASSERT_EQ(host.quickInfoLists.size(), 1u);
    const auto& rows = host.quickInfoLists[0];
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0].name, "Adapter A.   ");
    EXPECT_EQ(rows[0].traffic, "6,0 Kb");
    EXPECT_EQ(rows[1].name, "B.   ");
    EXPECT_EQ(rows[2].name, "C.   ");
    EXPECT_EQ(rows[2].traffic, "3,0 Kb");
    EXPECT_TRUE(form.QuickInfoShown);
    EXPECT_TRUE(a.quickInfoRows.empty());
    EXPECT_EQ(a.firstAdapter, "A");
    EXPECT_EQ(a.Tariffs().size(), 3u);  // C registered by the redraw

    host.quickInfoShowing = false;
    form.Timer1Timer();
    EXPECT_FALSE(form.QuickInfoShown);
    EXPECT_TRUE(a.quickInfoRows.empty());
}

TEST_F(StatisticsWindowTest, TickWithoutTheInterfaceFunctionStillRedraws) {
    table.loadable = false;
    form.FormCreate();
    table.rows = {MakeRow("C", 1, 1)};
    form.Timer1Timer();
    EXPECT_EQ(table.calls, 0);
    EXPECT_EQ(a.HistoryCount(), 0u);
    EXPECT_EQ(host.repaints, 1);
    EXPECT_TRUE(form.TimerEnabled());
}

TEST_F(StatisticsWindowTest, ClearingTheHistoryInsideATickEndsTheTickSafely) {
    form.FormCreate();
    dialogs.onMessage = [&](const std::string&) { form.Timer1Timer(); };  // must not nest
    int runs = 0;
    host.onProcessMessages = [&] {
        if (runs++ == 0) {
            EXPECT_TRUE(Run(&TForm1::SpeedButton2Click));
        }
    };
    table.rows = {MakeRow("A", 1024, 2048)};
    form.Timer1Timer();
    EXPECT_EQ(runs, 1);
    EXPECT_EQ(table.calls, 1);
    dialogs.onMessage = nullptr;
    EXPECT_EQ(a.HistoryCount(), 0u);
    EXPECT_TRUE(dialogs.errors.empty());
    EXPECT_EQ(dialogs.messages, std::vector<std::string>{texts::kClearDone});
    EXPECT_TRUE(host.quickInfoLists.empty());  // the rows of the emptied table are dropped
    EXPECT_TRUE(host.trayTips.empty());        // and so are its sums
    EXPECT_FALSE(form.QuickInfoShown);
    EXPECT_TRUE(a.quickInfoRows.empty());
    EXPECT_TRUE(form.TimerEnabled());
    EXPECT_TRUE(a.BlockTops().empty());

    // The next tick starts new records and draws them.
    table.rows = {MakeRow("A", 1024, 2048)};
    form.Timer1Timer();
    ASSERT_EQ(a.HistoryCount(), 1u);
    EXPECT_EQ(a.BlockTopOf(0), 4);
    ASSERT_EQ(host.quickInfoLists.size(), 1u);
    EXPECT_EQ(host.quickInfoLists[0].size(), 1u);
}

// ---- The pick ----

TEST_F(StatisticsWindowTest, RightClickPicksTheNearestBlockAtOrAboveThePointer) {
    StartAndTick();  // blocks: A at 4, B at 82
    const std::pair<int, const char*> cases[] = {
        {4, "A"}, {60, "A"}, {81, "A"}, {82, "B"}, {150, "B"}, {5000, "B"}};
    for (const auto& [y, expected] : cases) {
        a.selectedAdapter.clear();
        form.Image1MouseDown(MouseButton::Right, 30, y);
        EXPECT_EQ(a.selectedAdapter, expected) << "y " << y;
    }
    ASSERT_EQ(host.popups.size(), 6u);
    EXPECT_EQ(host.popups[1], std::make_pair(120 + 30, 340 + 60 + 20));
}

TEST_F(StatisticsWindowTest, RightClickBetweenEqualBlockTopsPicksTheEarliestRecordsAdapter) {
    StartAndTick();
    AdapterId idA = 0, idB = 0;
    ASSERT_TRUE(a.FindAdapter("A", idA));
    ASSERT_TRUE(a.FindAdapter("B", idB));
    a.ResetBlockTops();
    a.SetBlockTop(a.Adapters()[idB].firstRecord, 40);  // set first, but the later record
    a.SetBlockTop(a.Adapters()[idA].firstRecord, 40);
    form.Image1MouseDown(MouseButton::Right, 0, 50);
    EXPECT_EQ(a.selectedAdapter, "A");
    a.SetBlockTop(a.Adapters()[idA].firstRecord, 0);  // taken off
    form.Image1MouseDown(MouseButton::Right, 0, 50);
    EXPECT_EQ(a.selectedAdapter, "B");
}

TEST_F(StatisticsWindowTest, RightClickAboveEveryBlockPicksTheFirstAdapter) {
    files.files["history.txt"] = "SHOW=B\r\n" + kHistoryFileText.substr(kHistoryFileText.find("form1"));
    StartAndTick();  // only B drawn, at 4; A is still the first adapter
    form.Image1MouseDown(MouseButton::Right, 0, 3);
    EXPECT_EQ(a.selectedAdapter, "A");
    form.Image1MouseDown(MouseButton::Right, 0, 4);
    EXPECT_EQ(a.selectedAdapter, "B");
}

TEST_F(StatisticsWindowTest, RightClickBeforeAnyBlockPicksTheEmptyFirstAdapter) {
    a.selectedAdapter = "old";
    form.Image1MouseDown(MouseButton::Right, 5, 5);
    EXPECT_EQ(a.selectedAdapter, "");
    EXPECT_EQ(host.popups.size(), 1u);
}

TEST_F(StatisticsWindowTest, LeftAndMiddleClicksDoNothing) {
    StartAndTick();
    a.selectedAdapter = "old";
    form.Image1MouseDown(MouseButton::Left, 10, 90);
    form.Image1MouseDown(MouseButton::Middle, 10, 90);
    EXPECT_EQ(a.selectedAdapter, "old");
    EXPECT_TRUE(host.popups.empty());
}

// ---- Prices and names ----

TEST_F(StatisticsWindowTest, CancelInEitherPriceDialogStoresNothing) {
    StartAndTick();
    a.selectedAdapter = "A";
    dialogs.answers = {std::nullopt};  // the first dialog: the second is not shown
    EXPECT_TRUE(Run(&TForm1::N3Click));
    dialogs.answers = {std::string("7"), std::nullopt};  // the first price is not kept either
    EXPECT_TRUE(Run(&TForm1::N3Click));
    EXPECT_EQ(dialogs.prompts.size(), 3u);
    EXPECT_EQ(Entry("A").priceIn, 0.5);
    EXPECT_EQ(Entry("A").priceOut, 0.25);
    EXPECT_TRUE(dialogs.log.empty());
}

TEST_F(StatisticsWindowTest, PricesAcceptEitherSeparatorWhateverTheRegionalSetting) {
    StartAndTick();
    regional.separator = '.';
    a.selectedAdapter = "A";
    dialogs.answers = {std::string("1,5"), std::string(" 2.5E1 ")};
    EXPECT_TRUE(Run(&TForm1::N3Click));
    EXPECT_EQ(Entry("A").priceIn, 1.5);
    EXPECT_EQ(Entry("A").priceOut, 25);
    EXPECT_TRUE(dialogs.errors.empty());
}

TEST_F(StatisticsWindowTest, PriceThatIsNotANumberEndsTheCommandAtThatDialog) {
    StartAndTick();
    a.selectedAdapter = "A";
    dialogs.answers = {std::string("abc")};
    EXPECT_FALSE(Run(&TForm1::N3Click));
    EXPECT_EQ(dialogs.errors, std::vector<std::string>{"'abc' is not a valid floating point value"});
    EXPECT_EQ(dialogs.prompts.size(), 1u);
    EXPECT_EQ(Entry("A").priceIn, 0.5);
    EXPECT_EQ(Entry("A").priceOut, 0.25);

    // A bad second price stores the first one neither.
    dialogs.answers = {std::string("3"), std::string("")};
    EXPECT_FALSE(Run(&TForm1::N3Click));
    EXPECT_EQ(dialogs.errors.back(), "'' is not a valid floating point value");
    EXPECT_EQ(Entry("A").priceIn, 0.5);
    EXPECT_EQ(Entry("A").priceOut, 0.25);
}

TEST_F(StatisticsWindowTest, TheLimitDialogStoresAPositiveNumberRemovesOnZeroAndElseNothing) {
    StartAndTick();
    a.selectedAdapter = "A";
    dialogs.answers = {std::nullopt, std::string("abc"), std::string("-0,01"), std::string(" 12.5 "),
                       std::nullopt, std::string("0")};
    for (int i = 0; i < 4; ++i) Run(&TForm1::N7Click);  // Cancel, not a number, refused, stored
    ASSERT_EQ(a.Limits().size(), 1u);
    EXPECT_EQ(a.Limits()[0].limit, 12.5);
    regional.separator = '.';
    Run(&TForm1::N7Click);  // Cancel keeps it
    EXPECT_EQ(a.Limits().size(), 1u);
    Run(&TForm1::N7Click);  // 0 removes it
    EXPECT_TRUE(a.Limits().empty());
    EXPECT_EQ(dialogs.prompts, std::vector<std::string>(6, texts::kPromptLimit));
    EXPECT_EQ(dialogs.defaults, (std::vector<std::string>{"0", "0", "0", "0", "12.50", "12.50"}));
    EXPECT_EQ(dialogs.errors, std::vector<std::string>{"'abc' is not a valid floating point value"});
    a.selectedAdapter = "nobody";  // no block picked: no dialog
    Run(&TForm1::N7Click);
    EXPECT_EQ(dialogs.messages, (std::vector<std::string>{texts::kNegativeLimit, texts::kLimitNoAdapter}));
    EXPECT_EQ(dialogs.prompts.size(), 6u);
}

TEST_F(StatisticsWindowTest, PricesForAnAdapterWithoutEntryShowErTwiceAndStoreNothing) {
    StartAndTick();
    const std::vector<TariffEntry> before = a.Tariffs();
    a.selectedAdapter = "nobody";
    dialogs.answers = {std::string("7"), std::string("8")};
    EXPECT_TRUE(Run(&TForm1::N3Click));
    EXPECT_EQ(dialogs.messages, (std::vector<std::string>{"ER", "ER"}));
    EXPECT_EQ(dialogs.prompts.size(), 2u);
    ASSERT_EQ(a.Tariffs().size(), before.size());
    for (std::size_t i = 0; i < before.size(); ++i) {
        EXPECT_EQ(a.Tariffs()[i].priceIn, before[i].priceIn);
        EXPECT_EQ(a.Tariffs()[i].priceOut, before[i].priceOut);
    }
}

TEST_F(StatisticsWindowTest, PricesShowFromTheNextRedraw) {
    StartAndTick();
    a.selectedAdapter = "B";
    dialogs.answers = {std::string("2"), std::string("4")};
    Run(&TForm1::N3Click);
    form.Timer1Timer();
    // B today: 4096 in, 0 out, at 2 roubles per Mb in.
    EXPECT_EQ(host.quickInfoLists.back()[1].cost, "0,01 руб."_cp1251);
}

TEST_F(StatisticsWindowTest, RenameKeepsTheTextAsTypedAndIgnoresTheDefaultOrNothing) {
    StartAndTick();
    a.selectedAdapter = "B";
    for (std::optional<std::string> answer : {std::optional<std::string>{}, std::optional<std::string>{"..."},
                                              std::optional<std::string>{""}}) {
        dialogs.answers = {answer};
        EXPECT_TRUE(Run(&TForm1::N5Click));
        EXPECT_EQ(Entry("B").displayName, "B");
    }
    EXPECT_TRUE(dialogs.messages.empty());

    dialogs.answers = {std::string("  Home LAN ")};
    EXPECT_TRUE(Run(&TForm1::N5Click));
    EXPECT_EQ(Entry("B").displayName, "  Home LAN ");
    EXPECT_EQ(dialogs.prompts.back(), texts::kPromptRename);
    form.Timer1Timer();
    EXPECT_EQ(host.quickInfoLists.back()[1].name, "  Home LAN .   ");
}

TEST_F(StatisticsWindowTest, RenameOfAnAdapterWithoutEntryShowsItsMessageAfterTheDialog) {
    StartAndTick();
    a.selectedAdapter = "ghost";
    const std::size_t entries = a.Tariffs().size();
    dialogs.answers = {std::string("New")};
    EXPECT_TRUE(Run(&TForm1::N5Click));
    EXPECT_EQ(dialogs.prompts.size(), 1u);
    EXPECT_EQ(dialogs.messages, std::vector<std::string>{std::string(texts::kTariffMissRename) + "ghost"});
    EXPECT_EQ(a.Tariffs().size(), entries);
    for (const TariffEntry& e : a.Tariffs()) EXPECT_NE(e.displayName, "New");
}

// ---- Report ----

TEST_F(StatisticsWindowTest, HistoryReportIsWrittenNextToTheProgramAndOpened) {
    StartAndTick();
    a.selectedAdapter = "A";
    EXPECT_TRUE(Run(&TForm1::N2Click));
    ASSERT_TRUE(shell.programFiles.files.count("history.htm"));
    EXPECT_NE(shell.programFiles.files["history.htm"].find("Adapter A"), std::string::npos);
    EXPECT_EQ(files.files.count("history.htm"), 0u);  // not in the working folder
    EXPECT_EQ(shell.opened, std::vector<std::string>{"C:\\Velkaro\\history.htm"});

    shell.programFiles.writeError["history.htm"] = 5;
    EXPECT_FALSE(Run(&TForm1::N2Click));
    EXPECT_EQ(dialogs.errors, std::vector<std::string>{"File access denied"});
    EXPECT_EQ(shell.opened.size(), 1u);
}

// ---- Buttons ----

TEST_F(StatisticsWindowTest, ExitSavesThenRequestsTheEnd) {
    StartAndTick();
    EXPECT_TRUE(Run(&TForm1::SpeedButton1Click));
    EXPECT_EQ(host.endRequests, 1);
    EXPECT_NE(files.files["history.txt"], kHistoryFileText);  // width and records rewritten
    EXPECT_EQ(files.files["history.txt"].rfind("SHOW=\r\nform1.width=", 0), 0u);
}

TEST_F(StatisticsWindowTest, ExitWithAFailingSaveShowsTheErrorAndDoesNotEnd) {
    StartAndTick();
    files.writeError["history.txt"] = 101;
    EXPECT_FALSE(Run(&TForm1::SpeedButton1Click));
    EXPECT_EQ(dialogs.errors, std::vector<std::string>{"Disk full"});
    EXPECT_EQ(host.endRequests, 0);
}

TEST_F(StatisticsWindowTest, ClearHistoryEmptiesTheTableKeepsPricesAndRestarts) {
    StartAndTick();
    a.selectedAdapter = "A";
    dialogs.answers = {std::string("2"), std::string("3")};
    Run(&TForm1::N3Click);
    form.QuickInfoShown = true;
    clock.today = {2026, 3, 8};
    EXPECT_TRUE(Run(&TForm1::SpeedButton2Click));
    EXPECT_EQ(dialogs.messages, std::vector<std::string>{texts::kClearDone});
    EXPECT_EQ(a.HistoryCount(), 0u);
    EXPECT_FALSE(files.files.count("history.txt"));
    EXPECT_EQ(Entry("A").priceIn, 2);
    EXPECT_EQ(Entry("A").priceOut, 3);
    EXPECT_EQ(Entry("A").displayName, "Adapter A");
    EXPECT_EQ(a.AccountingDate(), (Date{2026, 3, 8}));
    EXPECT_FALSE(form.QuickInfoShown);
    EXPECT_TRUE(form.TimerEnabled());
    EXPECT_EQ(host.whiteSet, 2);

    table.rows = {MakeRow("A", 10, 20)};
    form.Timer1Timer();
    ASSERT_EQ(a.HistoryCount(), 1u);
    EXPECT_EQ(a.History()[0].day, 8);
}

TEST_F(StatisticsWindowTest, ClearHistoryThatCannotDeleteTheFileHoldsEveryRecordOnce) {
    StartAndTick();
    table.rows = {MakeRow("C", 1, 1)};
    form.Timer1Timer();
    const std::size_t count = a.HistoryCount();
    ASSERT_EQ(count, 4u);
    files.undeletable["history.txt"] = true;
    EXPECT_TRUE(Run(&TForm1::SpeedButton2Click));
    EXPECT_EQ(dialogs.messages, std::vector<std::string>{texts::kClearFailed});
    EXPECT_EQ(a.HistoryCount(), count);
    EXPECT_EQ(a.AdapterNameOf(a.History()[3]), "C");
    EXPECT_TRUE(form.TimerEnabled());
}

TEST_F(StatisticsWindowTest, ClearHistoryNeverDeletesAHistoryThatWasNotRead) {
    files.readError["history.txt"] = kIoAccessDenied;
    EXPECT_TRUE(Run(&TForm1::FormCreate));
    EXPECT_TRUE(Run(&TForm1::SpeedButton2Click));
    EXPECT_EQ(files.files["history.txt"], kHistoryFileText);
    EXPECT_EQ(dialogs.messages.back(), texts::kClearNotRead);
    // Once it reads, the clear's save reads it first, then deletes it.
    files.readError.clear();
    EXPECT_TRUE(Run(&TForm1::SpeedButton2Click));
    EXPECT_EQ(dialogs.messages.back(), texts::kClearDone);
    EXPECT_EQ(files.files.count("history.txt"), 0u);
    EXPECT_EQ(a.HistoryCount(), 0u);
    EXPECT_TRUE(form.TimerEnabled());
}

TEST_F(StatisticsWindowTest, ATickDuringTheClearMessageCountsIntoTheNewDayOnce) {
    StartAndTick();  // started on 7 March
    clock.today = {2026, 3, 8};
    dialogs.onMessage = [&](const std::string& text) {
        if (text != texts::kClearDone) return;
        table.rows = {MakeRow("A", 5000, 6000)};
        form.Timer1Timer();
        // It sees the reloaded state: today's date, an empty table.
        ASSERT_EQ(a.HistoryCount(), 1u);
        EXPECT_EQ(a.History()[0].day, 8);
    };
    EXPECT_TRUE(Run(&TForm1::SpeedButton2Click));
    table.rows = {MakeRow("A", 5100, 6100)};
    form.Timer1Timer();
    // The counters are counted once, into one record of the new day.
    EXPECT_EQ(a.HistoryCount(), 1u);
    EXPECT_EQ(a.Adapters()[0].totalIn, 5100u);
    EXPECT_EQ(host.quickInfoLists.back()[0].traffic, "10,9 Kb");  // 5100 + 6100 bytes
}

TEST_F(StatisticsWindowTest, SaveWhileTheClearMessageIsOpenWritesTheEmptiedHistory) {
    StartAndTick();
    dialogs.onMessage = [&](const std::string&) { form.ost(); };
    EXPECT_TRUE(Run(&TForm1::SpeedButton2Click));
    ASSERT_TRUE(files.files.count("history.txt"));
    EXPECT_EQ(files.files["history.txt"].find('\t'), std::string::npos) << "no record line";
}

// Busy() is what holds the periodic save back: a save must not run in the middle of a tick,
// of another save, or of the clear from its deletion to the end of its reload.
TEST_F(StatisticsWindowTest, BusyDuringATickASaveAndTheClearFromItsDeletionToTheEndOfItsReload) {
    std::vector<std::string> seen;  // what happened, and whether the form was busy then
    auto note = [&](const std::string& what) { seen.push_back(what + (form.Busy() ? " busy" : "")); };
    form.FormCreate();
    EXPECT_FALSE(form.Busy());
    host.onProcessMessages = [&] { note("tick grows the window"); };
    form.Timer1Timer();
    files.onCall = [&](const std::string& call, const std::string& name) {
        if (!name.ends_with(".tmp")) note(call + " " + name);  // not the load's tidying up
    };
    dialogs.onMessage = [&](const std::string& text) {
        note(text == texts::kClearDone ? "done" : text == texts::kClearQuestion ? "question" : text);
    };
    host.onProcessMessages = nullptr;
    EXPECT_TRUE(Run(&TForm1::SpeedButton2Click));
    EXPECT_FALSE(form.Busy());
    EXPECT_EQ(seen, (std::vector<std::string>{
                        "tick grows the window busy", "tick grows the window busy",  // two blocks
                        "question",
                        "write history.txt busy", "write price.txt busy",  // the clear's save
                        "delete history.txt busy",
                        "read price.txt busy", "read limits.txt busy",       // the reload
                        "read history.txt busy",
                        "done"}));
}

TEST_F(StatisticsWindowTest, ClearHistoryWithAFailingSaveDeletesNothing) {
    StartAndTick();
    files.writeError["history.txt"] = 5;
    EXPECT_FALSE(Run(&TForm1::SpeedButton2Click));
    EXPECT_EQ(dialogs.errors, std::vector<std::string>{"File access denied"});
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_EQ(files.files["history.txt"], kHistoryFileText);
    EXPECT_EQ(a.HistoryCount(), 3u);
}

TEST_F(StatisticsWindowTest, MailToAuthorOpensTheMailTextAndReportsAFailure) {
    form.SpeedButton3Click();
    const std::string expected = std::string("mailto:") + texts::kEmail +
                                 "?subject=User Velkaro V1.4 Final&body=" + texts::kMailBody + "%0d";
    EXPECT_EQ(shell.opened, std::vector<std::string>{expected});
    EXPECT_TRUE(dialogs.messages.empty());

    shell.result = 33;
    form.SpeedButton3Click();
    EXPECT_TRUE(dialogs.messages.empty());
    shell.result = 32;
    form.SpeedButton3Click();
    EXPECT_EQ(dialogs.messages, std::vector<std::string>{texts::kMailFailed});
}

TEST_F(StatisticsWindowTest, HelpOpensTheFileNextToTheProgramOrElseTheOnlinePage) {
    shell.result = 2;  // the shell's failure is never reported
    form.SpeedButton4Click();
    shell.existing["help.mht"] = true;
    form.SpeedButton4Click();
    EXPECT_EQ(shell.opened, (std::vector<std::string>{texts::kOnlineHelp, "C:\\Velkaro\\help.mht"}));
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_TRUE(dialogs.errors.empty());
}

TEST_F(StatisticsWindowTest, AboutShowsTheAboutWindow) {
    form.SpeedButton5Click();
    EXPECT_EQ(host.aboutShown, 1);
}

}  // namespace
}  // namespace velkaro
