// The real dialogs under Wine: a thread timer plays the user while the modal loop runs.
#include <gtest/gtest.h>

#include <windows.h>

#include <functional>
#include <optional>
#include <string>

#include "core/Texts.h"
#include "win/DialogsWin32.h"
#include "win/Window.h"

namespace velkaro {
namespace {

using win::DialogsWin32;
using win::Narrow;
using win::Widen;

BOOL CALLBACK FindDialogProc(HWND h, LPARAM out) {
    wchar_t cls[16]{};
    ::GetClassNameW(h, cls, 16);
    if (std::wstring(cls) == L"#32770" && ::IsWindowVisible(h)) {
        *reinterpret_cast<HWND*>(out) = h;
        return FALSE;
    }
    return TRUE;
}

// The visible dialog-class window of this thread, if any.
HWND FindOpenDialog() {
    HWND found = nullptr;
    ::EnumThreadWindows(::GetCurrentThreadId(), &FindDialogProc, reinterpret_cast<LPARAM>(&found));
    return found;
}

std::wstring TextOf(HWND h) {
    wchar_t buf[1024]{};
    ::GetWindowTextW(h, buf, 1024);
    return buf;
}

// Runs `user` once on the first dialog that opens while `modal` runs. A dialog still open
// after five seconds is cancelled, and the test fails.
class Player {
public:
    explicit Player(std::function<void(HWND)> user) : user_(std::move(user)) {
        current_ = this;
        id_ = ::SetTimer(nullptr, 0, 30, &Tick);
        start_ = ::GetTickCount();
    }
    ~Player() {
        ::KillTimer(nullptr, id_);
        current_ = nullptr;
    }
    bool played = false;
    bool timedOut = false;

private:
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
        Player* p = current_;
        if (!p) return;
        HWND dlg = FindOpenDialog();
        if (!dlg) return;
        if (!p->played) {
            p->played = true;
            p->user_(dlg);
        } else if (::GetTickCount() - p->start_ > 5000) {
            p->timedOut = true;
            ::PostMessageW(dlg, WM_COMMAND, IDCANCEL, 0);
        }
    }
    static inline Player* current_ = nullptr;
    std::function<void(HWND)> user_;
    UINT_PTR id_ = 0;
    DWORD start_ = 0;
};

struct Seen {
    std::wstring caption, prompt, edit;
    DWORD selStart = 99, selEnd = 99;
    LRESULT limit = 0;
    bool focusInEdit = false;
    LRESULT defaultId = 0;
    RECT dialog{}, promptRect{}, editRect{};
};

Seen Look(HWND dlg) {
    Seen s;
    s.caption = TextOf(dlg);
    HWND prompt = ::GetDlgItem(dlg, DialogsWin32::kPromptId);
    HWND edit = ::GetDlgItem(dlg, DialogsWin32::kEditId);
    s.prompt = TextOf(prompt);
    s.edit = TextOf(edit);
    ::SendMessageW(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&s.selStart),
                   reinterpret_cast<LPARAM>(&s.selEnd));
    s.limit = ::SendMessageW(edit, EM_GETLIMITTEXT, 0, 0);
    s.focusInEdit = ::GetFocus() == edit;
    s.defaultId = LOWORD(::SendMessageW(dlg, DM_GETDEFID, 0, 0));
    ::GetWindowRect(dlg, &s.dialog);
    ::GetWindowRect(prompt, &s.promptRect);
    ::GetWindowRect(edit, &s.editRect);
    return s;
}

void Type(HWND dlg, const std::wstring& text) {
    HWND edit = ::GetDlgItem(dlg, DialogsWin32::kEditId);
    for (wchar_t c : text) ::SendMessageW(edit, WM_CHAR, c, 0);
}

TEST(DialogsWin32Test, InputBoxShowsCaptionPromptAndTheDefaultAllSelected) {
    Seen seen;
    Player player([&](HWND dlg) {
        seen = Look(dlg);
        ::PostMessageW(dlg, WM_COMMAND, IDOK, 0);
    });
    DialogsWin32 d;
    const std::optional<std::string> got = d.InputBox(texts::kAppTitle, texts::kPromptPriceIn, texts::kDefaultPrice);
    ASSERT_TRUE(player.played);
    EXPECT_FALSE(player.timedOut);
    EXPECT_EQ(got, std::optional<std::string>(texts::kDefaultPrice));  // OK on the untouched default
    EXPECT_EQ(seen.caption, Widen(texts::kAppTitle));
    EXPECT_EQ(seen.prompt, Widen(texts::kPromptPriceIn));
    EXPECT_EQ(seen.edit, L"1,5");
    EXPECT_EQ(seen.selStart, 0u);
    EXPECT_EQ(seen.selEnd, 3u);
    EXPECT_TRUE(seen.focusInEdit);
    EXPECT_EQ(seen.limit, 255);
    EXPECT_EQ(seen.defaultId, IDOK);
    // Centred on the screen.
    const int cx = (seen.dialog.left + seen.dialog.right) / 2;
    const int cy = (seen.dialog.top + seen.dialog.bottom) / 2;
    EXPECT_NEAR(cx, ::GetSystemMetrics(SM_CXSCREEN) / 2, 1);
    EXPECT_NEAR(cy, ::GetSystemMetrics(SM_CYSCREEN) / 2, 1);
}

TEST(DialogsWin32Test, TypingReplacesTheSelectionAndStopsAt255Characters) {
    std::wstring afterTyping;
    Player player([&](HWND dlg) {
        Type(dlg, std::wstring(300, L'7'));
        afterTyping = TextOf(::GetDlgItem(dlg, DialogsWin32::kEditId));
        ::PostMessageW(dlg, WM_COMMAND, IDOK, 0);
    });
    DialogsWin32 d;
    const std::optional<std::string> got = d.InputBox("t", "p", "1,5");
    ASSERT_TRUE(player.played);
    EXPECT_EQ(afterTyping.size(), 255u);
    EXPECT_EQ(got, std::optional<std::string>(std::string(255, '7')));
}

TEST(DialogsWin32Test, CyrillicTextComesBackAsWindows1251) {
    Player player([&](HWND dlg) {
        Type(dlg, L"Модем 1");
        // Enter in the edit is the default button.
        ::PostMessageW(::GetDlgItem(dlg, DialogsWin32::kEditId), WM_KEYDOWN, VK_RETURN, 0);
    });
    DialogsWin32 d;
    const std::optional<std::string> got =
        d.InputBox(texts::kAppTitle, texts::kPromptRename, texts::kDefaultRename);
    ASSERT_TRUE(player.played);
    EXPECT_FALSE(player.timedOut);
    ASSERT_TRUE(got.has_value());
    EXPECT_EQ(*got, "Модем 1"_cp1251);  // the literal is CP1251 bytes
    EXPECT_EQ(got->size(), 7u);
}

TEST(DialogsWin32Test, CancelEscapeAndTheCloseBoxReturnNothing) {
    DialogsWin32 d;
    const std::function<void(HWND)> ways[] = {
        [](HWND dlg) {
            Type(dlg, L"99");
            ::PostMessageW(dlg, WM_COMMAND, IDCANCEL, 0);
        },
        [](HWND dlg) {
            Type(dlg, L"99");
            ::PostMessageW(::GetDlgItem(dlg, DialogsWin32::kEditId), WM_KEYDOWN, VK_ESCAPE, 0);
        },
        [](HWND dlg) {
            Type(dlg, L"99");
            ::PostMessageW(dlg, WM_CLOSE, 0, 0);
        },
    };
    for (const auto& way : ways) {
        Player player(way);
        EXPECT_EQ(d.InputBox("t", "p", "..."), std::nullopt);
        EXPECT_TRUE(player.played);
        EXPECT_FALSE(player.timedOut);
    }
}

TEST(DialogsWin32Test, ALongPromptWrapsAndPushesTheEditDown) {
    Seen shortOne, longOne;
    DialogsWin32 d;
    {
        Player player([&](HWND dlg) {
            shortOne = Look(dlg);
            ::PostMessageW(dlg, WM_COMMAND, IDCANCEL, 0);
        });
        d.InputBox("t", "Short", "");
    }
    std::string prompt;
    for (int i = 0; i < 12; ++i) prompt += texts::kPromptPriceOut;
    {
        Player player([&](HWND dlg) {
            longOne = Look(dlg);
            ::PostMessageW(dlg, WM_COMMAND, IDCANCEL, 0);
        });
        d.InputBox("t", prompt, "");
    }
    const int shortPrompt = shortOne.promptRect.bottom - shortOne.promptRect.top;
    const int longPrompt = longOne.promptRect.bottom - longOne.promptRect.top;
    EXPECT_GT(longPrompt, 3 * shortPrompt);
    EXPECT_GE(longOne.editRect.top, longOne.promptRect.bottom);
    EXPECT_EQ(longOne.dialog.right - longOne.dialog.left, shortOne.dialog.right - shortOne.dialog.left);
    EXPECT_GT(longOne.dialog.bottom - longOne.dialog.top,
              shortOne.dialog.bottom - shortOne.dialog.top + (longPrompt - shortPrompt) - 2);
    EXPECT_LE(longOne.dialog.bottom, ::GetSystemMetrics(SM_CYSCREEN));
}

// Timer ticks counted while the dialog runs; the third closes it.
int g_ticks = 0;
HWND g_dialog = nullptr;
void CALLBACK CountTick(HWND, UINT, UINT_PTR, DWORD) {
    if (++g_ticks == 3 && g_dialog) ::PostMessageW(g_dialog, WM_COMMAND, IDCANCEL, 0);
}

TEST(DialogsWin32Test, WhileADialogIsOpenTheOtherWindowsTakeNoInputAndTicksGoOn) {
    HWND other = ::CreateWindowExW(0, L"STATIC", L"other", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0,
                                   100, 100, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(other, nullptr);
    g_ticks = 0;
    g_dialog = nullptr;
    bool enabledDuring = true;
    Player player([&](HWND dlg) {
        enabledDuring = ::IsWindowEnabled(other) != FALSE;
        g_dialog = dlg;
    });
    const UINT_PTR tick = ::SetTimer(nullptr, 0, 20, &CountTick);
    DialogsWin32 d;
    d.InputBox("t", "p", "");
    ::KillTimer(nullptr, tick);
    EXPECT_TRUE(player.played);
    EXPECT_FALSE(player.timedOut);
    EXPECT_FALSE(enabledDuring);
    EXPECT_TRUE(::IsWindowEnabled(other));
    EXPECT_GE(g_ticks, 3);
    ::DestroyWindow(other);
}

// A dialog from a window is owned by it (no taskbar button of its own) and gives the window
// the focus back; the thread's other windows take no input meanwhile.
TEST(DialogsWin32Test, DialogsAreOwnedByTheWindowTheyComeFromWhichIsActiveAgainAfter) {
    HWND from = ::CreateWindowExW(0, L"STATIC", L"from", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 100,
                                  nullptr, nullptr, nullptr, nullptr);
    HWND other = ::CreateWindowExW(0, L"STATIC", L"other", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 300, 0, 200, 100,
                                   nullptr, nullptr, nullptr, nullptr);
    ASSERT_TRUE(from && other);
    DialogsWin32 d;
    const std::function<void()> dialogs[] = {[&] { d.ShowMessage("m"); }, [&] { d.InputBox("t", "p", ""); },
                                             [&] { d.AskYesNo("q"); }, [&] { d.ShowError("e"); }};
    for (const auto& dialog : dialogs) {
        ASSERT_TRUE(::SetForegroundWindow(from));
        ASSERT_EQ(::GetActiveWindow(), from);
        HWND owner = nullptr;
        bool otherEnabled = true;
        Player player([&](HWND box) {
            owner = ::GetWindow(box, GW_OWNER);
            otherEnabled = ::IsWindowEnabled(other) != FALSE;
            ::PostMessageW(box, WM_COMMAND, IDCANCEL, 0);
            ::PostMessageW(box, WM_COMMAND, IDOK, 0);
        });
        dialog();
        ASSERT_TRUE(player.played);
        EXPECT_EQ(owner, from);
        EXPECT_FALSE(otherEnabled);
        EXPECT_TRUE(::IsWindowEnabled(other));
        EXPECT_TRUE(::IsWindowEnabled(from));
        EXPECT_EQ(::GetActiveWindow(), from);
    }
    // A command of a window that is not the active one (its button clicked by a program):
    // the window running it.
    ASSERT_TRUE(::SetForegroundWindow(other));
    HWND owner = nullptr;
    Player player([&](HWND box) {
        owner = ::GetWindow(box, GW_OWNER);
        ::PostMessageW(box, WM_COMMAND, IDOK, 0);
    });
    {
        win::DialogOwner command(from);
        d.ShowMessage("m");
    }
    EXPECT_EQ(owner, from);
    EXPECT_EQ(::GetActiveWindow(), from);
    ::DestroyWindow(other);
    ::DestroyWindow(from);
}

struct BoxSeen {
    std::wstring caption;
    std::wstring text;
    bool hasIcon = false;
    RECT rect{};
};

BOOL CALLBACK LookAtChild(HWND child, LPARAM out) {
    auto* seen = reinterpret_cast<BoxSeen*>(out);
    wchar_t cls[16]{};
    ::GetClassNameW(child, cls, 16);
    if (std::wstring(cls) == L"Static") {
        if ((::GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) {
            if (::IsWindowVisible(child) && ::SendMessageW(child, STM_GETICON, 0, 0) != 0)
                seen->hasIcon = true;
        }
        else if (const std::wstring t = TextOf(child); !t.empty())
            seen->text = t;
    }
    return TRUE;
}

BoxSeen LookAtBox(HWND box) {
    BoxSeen s;
    s.caption = TextOf(box);
    ::GetWindowRect(box, &s.rect);
    ::EnumChildWindows(box, &LookAtChild, reinterpret_cast<LPARAM>(&s));
    return s;
}

TEST(DialogsWin32Test, TheMessageDialogIsCaptionedWithTheTitleAndCentred) {
    BoxSeen seen;
    Player player([&](HWND box) {
        seen = LookAtBox(box);
        ::PostMessageW(box, WM_COMMAND, IDOK, 0);
    });
    DialogsWin32 d;
    d.ShowMessage(texts::kClearDone);
    ASSERT_TRUE(player.played);
    EXPECT_EQ(seen.caption, Widen(texts::kAppTitle));
    EXPECT_EQ(seen.text, Widen(texts::kClearDone));
    EXPECT_FALSE(seen.hasIcon);
    EXPECT_NEAR((seen.rect.left + seen.rect.right) / 2, ::GetSystemMetrics(SM_CXSCREEN) / 2, 2);
}

bool IsDefaultButton(HWND box, int id) {
    HWND button = ::GetDlgItem(box, id);
    return button && (::GetWindowLongW(button, GWL_STYLE) & BS_TYPEMASK) == BS_DEFPUSHBUTTON;
}

TEST(DialogsWin32Test, TheQuestionOffersYesAndNoAndEnterAloneAnswersNo) {
    DialogsWin32 d;
    for (const int answer : {IDYES, IDNO, 0}) {  // a click on Yes, on No, or Enter
        BoxSeen seen;
        bool noIsDefault = false, yesIsDefault = true;
        Player player([&](HWND box) {
            seen = LookAtBox(box);
            noIsDefault = IsDefaultButton(box, IDNO);
            yesIsDefault = IsDefaultButton(box, IDYES);
            if (answer != 0)
                ::PostMessageW(box, WM_COMMAND, answer, 0);
            else
                ::PostMessageW(::GetFocus(), WM_KEYDOWN, VK_RETURN, 0);
        });
        EXPECT_EQ(d.AskYesNo(texts::kClearQuestion), answer == IDYES) << answer;
        ASSERT_TRUE(player.played);
        EXPECT_FALSE(player.timedOut);
        EXPECT_EQ(seen.caption, Widen(texts::kAppTitle));
        EXPECT_EQ(seen.text, Widen(texts::kClearQuestion));
        EXPECT_TRUE(noIsDefault);
        EXPECT_FALSE(yesIsDefault);
    }
}

TEST(DialogsWin32Test, TheErrorBoxAddsAFullStopAndShowsTheErrorIcon) {
    BoxSeen seen;
    Player player([&](HWND box) {
        seen = LookAtBox(box);
        ::PostMessageW(box, WM_COMMAND, IDOK, 0);
    });
    DialogsWin32 d;
    d.ShowError("'abc' is not a valid floating point value");
    ASSERT_TRUE(player.played);
    EXPECT_EQ(seen.caption, Widen(texts::kAppTitle));
    EXPECT_EQ(seen.text, L"'abc' is not a valid floating point value.");
    EXPECT_TRUE(seen.hasIcon);
}

TEST(DialogsWin32Test, ErrorBoxTextAppendsAFullStopOnlyWhenMissing) {
    EXPECT_EQ(win::ErrorBoxText("File not found"), "File not found.");
    EXPECT_EQ(win::ErrorBoxText("Disk full."), "Disk full.");
    EXPECT_EQ(win::ErrorBoxText("Конец!"_cp1251), "Конец!."_cp1251);
    EXPECT_EQ(win::ErrorBoxText(""), "");
}

}  // namespace
}  // namespace velkaro
