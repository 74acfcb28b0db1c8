// The statistics window: its creation and sizes, a command during a tick, its menu and its
// buttons, its timer.
#include "tests/win/StatisticsWindowFixture.h"

namespace velkaro::ui {
namespace {

// ---- The window as created ----

TEST_F(StatisticsWindowTest, CreatedHiddenWithItsCaptionBorderAndLayoutSizes) {
    TestWindow& win = Create();
    HWND h = win.Handle();
    ASSERT_TRUE(::IsWindow(h));
    EXPECT_FALSE(::IsWindowVisible(h));

    wchar_t caption[64]{};
    ::GetWindowTextW(h, caption, 64);
    EXPECT_EQ(std::wstring(caption), win::Widen(texts::kProductCaps));

    const LONG style = ::GetWindowLongW(h, GWL_STYLE);
    EXPECT_EQ(style & WS_CAPTION, WS_CAPTION);
    EXPECT_TRUE(style & WS_SYSMENU);
    EXPECT_FALSE(style & WS_MINIMIZEBOX);
    EXPECT_FALSE(style & WS_MAXIMIZEBOX);
    EXPECT_FALSE(style & WS_THICKFRAME);

    const RECT c = Client(h);
    EXPECT_EQ(c.right, 784);
    EXPECT_EQ(c.bottom, 93);
    EXPECT_EQ(win.ImageWidth(), 784);
    EXPECT_EQ(win.ImageHeight(), 72);
    // The bar is docked at the bottom, 21 high, the image fills the rest.
    RECT bar{};
    ::GetWindowRect(BarOf(win), &bar);
    ::MapWindowPoints(nullptr, h, reinterpret_cast<POINT*>(&bar), 2);
    EXPECT_EQ(bar.top, 72);
    EXPECT_EQ(bar.bottom - bar.top, 21);
    EXPECT_EQ(Client(ImageOf(win)).bottom, 72);

    // The start-up ran: the timer runs, the window is white and has its bitmap.
    EXPECT_TRUE(TimerRunning(win));
    EXPECT_TRUE(meter.Sampling());
    EXPECT_NE(BitmapDc(win), nullptr);
}

TEST_F(StatisticsWindowTest, StartUpWithoutTheInterfaceFunctionLeavesTheTimerOffAndNoBitmap) {
    table.loadable = false;
    TestWindow& win = Create();
    EXPECT_FALSE(TimerRunning(win));
    EXPECT_EQ(BitmapDc(win), nullptr);
}

TEST_F(StatisticsWindowTest, FirstShowCentresInTheWorkAreaLaterShowsKeepThePlace) {
    TestWindow& win = Create();
    win.BringToFront();
    EXPECT_TRUE(win.IsVisible());
    RECT r = Outer();
    const RECT area = win::MonitorWorkArea(win.Handle());
    EXPECT_NEAR(r.left, area.left + (win::Width(area) - win::Width(r)) / 2, 1);
    EXPECT_NEAR(r.top, area.top + (win::Height(area) - win::Height(r)) / 2, 1);

    ::SetWindowPos(win.Handle(), nullptr, 10, 20, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    win.Hide();
    win.BringToFront();
    r = Outer();
    EXPECT_EQ(r.left, 10);
    EXPECT_EQ(r.top, 20);
}

TEST_F(StatisticsWindowTest, TheCloseBoxOnlyHides) {
    files.files["history.txt"] = "SHOW=\r\nform1.width=790\r\n";
    TestWindow& win = Create();
    win.BringToFront();
    ::SendMessageW(win.Handle(), WM_CLOSE, 0, 0);
    EXPECT_TRUE(::IsWindow(win.Handle()));
    EXPECT_FALSE(win.IsVisible());
    EXPECT_EQ(files.writes, 0);
    EXPECT_EQ(endRequests, 0);
    EXPECT_TRUE(TimerRunning(win));
}

// ---- Growth and the tick ----

TEST_F(StatisticsWindowTest, TheWindowGrowsForEachBlockAndForAWidePrice) {
    files.files["price.txt"] = "B|B>0@123456789\r\n";
    TestWindow& win = Create();
    win.BringToFront();
    const RECT before = Outer();
    const int frameHeight = (before.bottom - before.top) - 93;
    Tick({MakeRow("A", 1, 2)});
    // First block at y 4: the 72-pixel image is less than 132, so the outer height is 152.
    EXPECT_EQ(win.OuterHeight(), 152);
    EXPECT_EQ(win.ImageHeight(), 152 - frameHeight - 21);
    // It fits: no scroll bar, nothing scrolled.
    EXPECT_FALSE(::GetWindowLongW(ImageOf(win), GWL_STYLE) & WS_VSCROLL);
    EXPECT_EQ(ScrollTopOf(win), 0);
    RECT bar{};
    ::GetWindowRect(BarOf(win), &bar);
    ::MapWindowPoints(nullptr, win.Handle(), reinterpret_cast<POINT*>(&bar), 2);
    EXPECT_EQ(bar.bottom, 152 - frameHeight);

    Tick({MakeRow("A", 1, 2), MakeRow("B", 3, 4)});
    // Second block at y 82: outer height 82 + 148.
    EXPECT_EQ(win.OuterHeight(), 230);
    ASSERT_NE(ItemAt(10, 82), nullptr);
    // B's outgoing price is wide: outer width 730 + its text width.
    const PanelItem* price = ItemAt(690, 82 + 54);
    ASSERT_NE(price, nullptr);
    EXPECT_EQ(win.OuterWidth(), 730 + win.TextWidth(price->text));
    EXPECT_GT(win.OuterWidth(), before.right - before.left);
    // Width and height applied at once, not when messages are handled.
    EXPECT_EQ(Outer().bottom - Outer().top, 230);
}

// No message is handled in the middle of a tick: a command that comes meanwhile waits for its
// end, and then works on the blocks the tick laid out.
TEST_F(StatisticsWindowTest, ACommandThatComesDuringATickRunsAfterIt) {
    TestWindow& win = Create();
    Tick({MakeRow("A", 1, 2)});
    ::SendMessageW(ImageOf(win), WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(5, 10));  // picks A
    dialogs.answers.push_back(std::string("Modem"));
    ::PostMessageW(win.Handle(), WM_COMMAND, Id(Command::Rename), 0);
    Tick({MakeRow("A", 1, 2), MakeRow("B", 3, 4)});  // the window grows for both blocks
    EXPECT_TRUE(dialogs.prompts.empty());
    EXPECT_EQ(win.OuterHeight(), 230);
    Pump();
    ASSERT_EQ(dialogs.prompts.size(), 1u);
    EXPECT_EQ(a.Tariffs()[0].displayName, "Modem");
}

// ---- The pick and the menu ----

class StatisticsPickTest : public StatisticsWindowTest {
protected:
    void SetUp() override {
        StatisticsWindowTest::SetUp();
        Create().BringToFront();
        Tick({MakeRow("A", 1, 2), MakeRow("B", 3, 4)});  // blocks at 4 and 82
    }
    std::string RightClickAt(int x, int y) {
        ::SendMessageW(ImageOf(*w), WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(x, y));
        return w->Picked();
    }
};

TEST_F(StatisticsPickTest, ARightClickPicksTheBlockAtOrAboveAndOpensTheMenuBelowThePointer) {
    EXPECT_EQ(RightClickAt(300, 100), "B");
    ASSERT_EQ(w->menus.size(), 1u);
    const RECT r = Outer();
    EXPECT_EQ(w->menus[0].x, r.left + 300);
    EXPECT_EQ(w->menus[0].y, r.top + 100 + 20);
    EXPECT_EQ(RightClickAt(5, 82), "B");   // exactly on the block top
    EXPECT_EQ(RightClickAt(5, 81), "A");   // the gap below A
    EXPECT_EQ(RightClickAt(5, 4), "A");
    EXPECT_EQ(RightClickAt(5, 90), "B");
    EXPECT_EQ(RightClickAt(5, 2), "A");    // above the first block: FirstAdapter
    EXPECT_EQ(w->menus.size(), 6u);
}

TEST_F(StatisticsPickTest, LeftAndMiddleClicksDoNothing) {
    RightClickAt(5, 4);  // A
    ::SendMessageW(ImageOf(*w), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 90));
    ::SendMessageW(ImageOf(*w), WM_MBUTTONDOWN, MK_MBUTTON, MAKELPARAM(5, 90));
    EXPECT_EQ(w->menus.size(), 1u);
    EXPECT_EQ(w->Picked(), "A");
}

TEST_F(StatisticsPickTest, SetPricesRenameAndTheTrafficLimitRunFromTheirMenuCommands) {
    RightClickAt(5, 90);
    dialogs.answers = {std::string("2,5"), std::string(" 0,5 ")};
    ::SendMessageW(w->Handle(), WM_COMMAND, Id(Command::SetPrices), 0);
    dialogs.answers = {std::string("Modem")};
    ::SendMessageW(w->Handle(), WM_COMMAND, Id(Command::Rename), 0);
    dialogs.answers = {std::string("700"), std::string("20")};
    ::SendMessageW(w->Handle(), WM_COMMAND, Id(Command::SetTrafficLimit), 0);
    ASSERT_EQ(a.Limits().size(), 1u);
    EXPECT_EQ(a.Limits()[0].kind, LimitKind::Traffic);
    EXPECT_EQ(a.Limits()[0].periodDay, 20);
    ASSERT_EQ(a.Tariffs().size(), 2u);
    EXPECT_DOUBLE_EQ(a.Tariffs()[1].priceIn, 2.5);
    EXPECT_DOUBLE_EQ(a.Tariffs()[1].priceOut, 0.5);
    EXPECT_EQ(a.Tariffs()[1].displayName, "Modem");
    EXPECT_EQ(a.Tariffs()[0].displayName, "A");
    EXPECT_TRUE(dialogs.errors.empty());
    // The next tick draws the new name.
    Tick({});
    ASSERT_NE(ItemAt(10, 82), nullptr);
    EXPECT_EQ(ItemAt(10, 82)->text.substr(0, 5), "Modem");
}

TEST_F(StatisticsPickTest, APriceThatIsNoNumberGoesToTheErrorBoxAndTheWindowGoesOn) {
    RightClickAt(5, 10);
    dialogs.answers = {std::string("abc")};
    ::SendMessageW(w->Handle(), WM_COMMAND, Id(Command::SetPrices), 0);
    ASSERT_EQ(dialogs.errors.size(), 1u);
    EXPECT_EQ(dialogs.errors[0], "'abc' is not a valid floating point value");
    EXPECT_DOUBLE_EQ(a.Tariffs()[0].priceIn, 0.0);
    Tick({});
    EXPECT_TRUE(TimerRunning(*w));
}

TEST_F(StatisticsPickTest, HistoryWritesTheReportAndOpensIt) {
    RightClickAt(5, 10);
    ::SendMessageW(w->Handle(), WM_COMMAND, Id(Command::ShowReport), 0);
    EXPECT_EQ(shell.programFiles.files.count("history.htm"), 1u);
    ASSERT_EQ(shell.opened.size(), 1u);
    EXPECT_EQ(shell.opened[0], "C:\\Velkaro\\history.htm");
}

TEST_F(StatisticsPickTest, TheRealMenuDispatchesTheChosenItem) {
    w->realMenu = true;
    dialogs.answers = {std::string("3"), std::string("4")};
    // Keys queued for the menu's own loop: down past "Экспорт в CSV" to "Задать цену", Enter.
    for (int i = 0; i < 3; ++i) ::PostMessageW(w->Handle(), WM_KEYDOWN, VK_DOWN, 0);
    ::PostMessageW(w->Handle(), WM_KEYDOWN, VK_RETURN, 0);
    RightClickAt(5, 90);
    Pump();  // the chosen command arrives as a posted WM_COMMAND
    ASSERT_EQ(dialogs.prompts.size(), 2u);
    EXPECT_EQ(dialogs.prompts[0], texts::kPromptPriceIn);
    EXPECT_DOUBLE_EQ(a.Tariffs()[1].priceIn, 3.0);
    EXPECT_DOUBLE_EQ(a.Tariffs()[1].priceOut, 4.0);
}

TEST_F(StatisticsPickTest, AMenuClosedWithEscapeRunsNothing) {
    w->realMenu = true;
    ::PostMessageW(w->Handle(), WM_KEYDOWN, VK_ESCAPE, 0);
    RightClickAt(5, 90);
    Pump();
    EXPECT_TRUE(dialogs.prompts.empty());
    EXPECT_TRUE(shell.programFiles.files.count("history.htm") == 0);
}

// What the window's menu held when it opened: each item as "id text", a separator as "-".
struct OpenedMenu {
    std::vector<std::string> items;
    bool hideIdleChecked = false;
};

LRESULT CALLBACK RecordMenu(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR ref) {
    if (msg == WM_INITMENUPOPUP) {
        auto* seen = reinterpret_cast<OpenedMenu*>(ref);
        HMENU menu = reinterpret_cast<HMENU>(wp);
        const int count = ::GetMenuItemCount(menu);
        seen->items.clear();
        for (int i = 0; i < count; ++i) {
            wchar_t text[64] = {};
            ::GetMenuStringW(menu, i, text, 64, MF_BYPOSITION);
            const bool separator = (::GetMenuState(menu, i, MF_BYPOSITION) & MF_SEPARATOR) != 0;
            seen->items.push_back(separator ? "-" : std::to_string(::GetMenuItemID(menu, i)) + " " + win::Narrow(text));
        }
        seen->hideIdleChecked = (::GetMenuState(menu, 109, MF_BYCOMMAND) & MF_CHECKED) != 0;
    }
    return ::DefSubclassProc(hwnd, msg, wp, lp);
}

// Its pick and what it hides run in the e2e run; here the items and the check mark.
TEST_F(StatisticsPickTest, TheMenuHoldsTheCommandsAndTheHideItemIsCheckedWhileIdleAdaptersHide) {
    w->realMenu = true;
    OpenedMenu seen;
    ASSERT_TRUE(::SetWindowSubclass(w->Handle(), &RecordMenu, 1, reinterpret_cast<DWORD_PTR>(&seen)));
    ::PostMessageW(w->Handle(), WM_KEYDOWN, VK_ESCAPE, 0);
    RightClickAt(5, 90);
    Pump();
    const std::vector<std::string> items = {
        "102 История"_cp1251, "-", "111 Экспорт в CSV"_cp1251, "-", "103 Задать цену"_cp1251,
        "104 Новая цена с даты..."_cp1251, "-",
        "105 Переименовать"_cp1251, "-", "107 Лимит расходов в месяц..."_cp1251,
        "108 Лимит трафика в месяц..."_cp1251, "-", "109 Скрывать адаптеры без трафика"_cp1251, "-",
        "112 График скорости"_cp1251};
    EXPECT_EQ(seen.items, items);
    EXPECT_FALSE(seen.hideIdleChecked);
    ::SendMessageW(w->Handle(), WM_COMMAND, Id(Command::HideIdle), 0);
    EXPECT_TRUE(a.HideIdle());
    ::PostMessageW(w->Handle(), WM_KEYDOWN, VK_ESCAPE, 0);
    RightClickAt(5, 90);
    Pump();
    EXPECT_TRUE(seen.hideIdleChecked);
    ::SendMessageW(w->Handle(), WM_COMMAND, Id(Command::HideIdle), 0);
    EXPECT_FALSE(a.HideIdle());
    ::RemoveWindowSubclass(w->Handle(), &RecordMenu, 1);
}

// ---- The button bar ----

TEST_F(StatisticsWindowTest, ClearHistoryWhenTheFileCannotBeDeletedKeepsTheHistory) {
    files.files["history.txt"] = "SHOW=\r\nform1.width=790\r\n7.3.2026-0\t1\t2\tA\r\n";
    files.undeletable["history.txt"] = true;
    TestWindow& win = Create();
    Tick({});
    ClickButton(200 + 10);  // "Отчистить историю"
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0], texts::kClearFailed);
    EXPECT_EQ(a.HistoryCount(), 1u);
    EXPECT_TRUE(TimerRunning(win));
    EXPECT_GE(files.writes, 2);  // the save ran first
}

TEST_F(StatisticsWindowTest, ClearHistoryEmptiesTheHistoryWhenTheFileIsGone) {
    files.files["history.txt"] = "SHOW=\r\nform1.width=790\r\n7.3.2026-0\t1\t2\tA\r\n";
    TestWindow& win = Create();
    ClickButton(336);  // the last pixel of the button
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0], texts::kClearDone);
    EXPECT_EQ(a.HistoryCount(), 0u);
    EXPECT_TRUE(TimerRunning(win));
}

TEST_F(StatisticsWindowTest, ExitSavesThenAsksToEndAFailedSaveShowsTheErrorAndGoesOn) {
    files.files["history.txt"] = "SHOW=\r\nform1.width=790\r\n";
    Create();
    files.writeError["history.txt"] = kIoDiskFull;
    ClickButton(5);  // "Выход"
    EXPECT_EQ(endRequests, 0);
    ASSERT_EQ(dialogs.errors.size(), 1u);
    files.writeError.clear();
    ClickButton(72);
    EXPECT_EQ(endRequests, 1);
    EXPECT_EQ(files.files.count("price.txt"), 1u);
}

TEST_F(StatisticsWindowTest, MailHelpAndAboutButtons) {
    Create();
    shell.result = 2;
    ClickButton(80);  // "Написать автору"
    ASSERT_EQ(shell.opened.size(), 1u);
    EXPECT_EQ(shell.opened[0].rfind("mailto:", 0), 0u);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].rfind(texts::kMailFailed, 0), 0u);
    ClickButton(344);  // "Помощь": no help file, the online page
    ASSERT_EQ(shell.opened.size(), 2u);
    EXPECT_EQ(shell.opened[1], texts::kOnlineHelp);
    ClickButton(480 + 80);  // "Об авторе"
    EXPECT_EQ(abouts, 1);
}

TEST_F(StatisticsWindowTest, OnlyAPressAndReleaseOnTheSameButtonClicks) {
    Create();
    // In the gap between "Выход" (0..72) and "Написать автору" (80..192).
    ClickButton(76);
    // Pressed on "Помощь", released on "Об авторе".
    ::SendMessageW(BarOf(*w), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(350, 8));
    ::SendMessageW(BarOf(*w), WM_LBUTTONUP, 0, MAKELPARAM(500, 8));
    // Right of the last button.
    ClickButton(600);
    EXPECT_TRUE(shell.opened.empty());
    EXPECT_EQ(abouts, 0);
    EXPECT_EQ(endRequests, 0);
}

TEST_F(StatisticsWindowTest, TextWidthMeasuresThePanelFont) {
    TestWindow& win = Create();
    EXPECT_EQ(win.TextWidth(""), 0);
    const int one = win.TextWidth(texts::kToday);
    EXPECT_GT(one, 20);
    EXPECT_GT(win.TextWidth(std::string(texts::kToday) + texts::kToday), one + 20);
}

}  // namespace
}  // namespace velkaro::ui
