#include "win/DialogsWin32.h"

#include <algorithm>
#include <vector>

#include "core/Texts.h"
#include "win/Geometry.h"
#include "win/Handles.h"
#include "win/Utf16.h"

namespace velkaro::win {

namespace {

// While a modal dialog without owner is open, the thread's other windows take no input, as
// under a task-modal message box.
class TaskWindowsDisabled {
public:
    TaskWindowsDisabled() {
        ::EnumThreadWindows(::GetCurrentThreadId(), &Collect, reinterpret_cast<LPARAM>(this));
        for (HWND w : windows_) ::EnableWindow(w, FALSE);
    }
    ~TaskWindowsDisabled() {
        for (HWND w : windows_)
            if (::IsWindow(w)) ::EnableWindow(w, TRUE);
    }
    TaskWindowsDisabled(const TaskWindowsDisabled&) = delete;
    TaskWindowsDisabled& operator=(const TaskWindowsDisabled&) = delete;

private:
    static BOOL CALLBACK Collect(HWND w, LPARAM self) {
        if (::IsWindowVisible(w) && ::IsWindowEnabled(w))
            reinterpret_cast<TaskWindowsDisabled*>(self)->windows_.push_back(w);
        return TRUE;
    }
    std::vector<HWND> windows_;
};

struct InputState {
    std::wstring caption;
    std::wstring prompt;
    std::wstring text;  // the default on entry, the entered text after OK
};

void MoveBy(HWND dlg, int id, int dy) {
    HWND item = ::GetDlgItem(dlg, id);
    const RECT r = RectInParent(item);
    MoveTo(item, r.left, r.top + dy);
}

// The height of prompt word-wrapped to width in the dialog's font; 0 when it cannot be measured.
int WrappedHeight(HWND dlg, HWND label, const std::wstring& prompt, int width) {
    WindowDc dc(label);
    if (!dc) return 0;
    SelectObjectScope font(dc.get(), reinterpret_cast<HFONT>(::SendMessageW(dlg, WM_GETFONT, 0, 0)));
    RECT calc{0, 0, width, 0};
    ::DrawTextW(dc.get(), prompt.c_str(), static_cast<int>(prompt.size()), &calc,
                DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
    return calc.bottom;
}

// Makes the prompt as tall as its word-wrapped text and moves what lies below it.
void FitPrompt(HWND dlg, const std::wstring& prompt) {
    HWND label = ::GetDlgItem(dlg, DialogsWin32::kPromptId);
    const RECT lr = RectInParent(label);
    const int oldHeight = Height(lr);
    const int dy = std::max(WrappedHeight(dlg, label, prompt, Width(lr)), oldHeight) - oldHeight;
    if (dy == 0) return;
    SetOuterSize(label, Width(lr), oldHeight + dy);
    MoveBy(dlg, DialogsWin32::kEditId, dy);
    MoveBy(dlg, IDOK, dy);
    MoveBy(dlg, IDCANCEL, dy);
    const RECT dr = WindowRect(dlg);
    SetOuterSize(dlg, Width(dr), Height(dr) + dy);
}

INT_PTR CALLBACK InputProc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_INITDIALOG: {
        auto* st = reinterpret_cast<InputState*>(lp);
        ::SetWindowLongPtrW(dlg, DWLP_USER, lp);
        ::SetWindowTextW(dlg, st->caption.c_str());
        ::SetDlgItemTextW(dlg, DialogsWin32::kPromptId, st->prompt.c_str());
        HWND edit = ::GetDlgItem(dlg, DialogsWin32::kEditId);
        ::SendMessageW(edit, EM_SETLIMITTEXT, DialogsWin32::kInputMaxLength, 0);
        ::SetWindowTextW(edit, st->text.c_str());
        FitPrompt(dlg, st->prompt);
        CentreWindow(dlg, ScreenRect());
        ::SetForegroundWindow(dlg);
        ::SetFocus(edit);
        ::SendMessageW(edit, EM_SETSEL, 0, -1);
        return FALSE;  // the focus is set
    }
    case WM_COMMAND: {
        const int id = LOWORD(wp);
        if (id == IDOK) {
            auto* st = reinterpret_cast<InputState*>(::GetWindowLongPtrW(dlg, DWLP_USER));
            HWND edit = ::GetDlgItem(dlg, DialogsWin32::kEditId);
            const int len = ::GetWindowTextLengthW(edit);
            std::wstring text(static_cast<std::size_t>(len) + 1, L'\0');
            const int got = ::GetWindowTextW(edit, text.data(), len + 1);
            text.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
            st->text = std::move(text);
            ::EndDialog(dlg, IDOK);
            return TRUE;
        }
        if (id == IDCANCEL) {
            ::EndDialog(dlg, IDCANCEL);
            return TRUE;
        }
        return FALSE;
    }
    default:
        return FALSE;
    }
}

}  // namespace

std::string ErrorBoxText(const std::string& text) {
    if (text.empty() || text.back() == '.') return text;
    return text + '.';
}

void DialogsWin32::ShowMessage(const std::string& text) {
    // Without an owner the box is centred on the screen; task-modal disables our windows.
    ::MessageBoxW(nullptr, Widen(text).c_str(), Widen(texts::kAppTitle).c_str(),
                  MB_OK | MB_TASKMODAL | MB_SETFOREGROUND);
}

bool DialogsWin32::AskYesNo(const std::string& text) {
    // No is the default button: Enter alone does not confirm what cannot be undone. A box
    // that could not be shown (0) counts as No.
    return ::MessageBoxW(nullptr, Widen(text).c_str(), Widen(texts::kAppTitle).c_str(),
                         MB_YESNO | MB_DEFBUTTON2 | MB_TASKMODAL | MB_SETFOREGROUND) == IDYES;
}

void DialogsWin32::ShowError(const std::string& text) {
    ::MessageBoxW(nullptr, Widen(ErrorBoxText(text)).c_str(), Widen(texts::kAppTitle).c_str(),
                  MB_OK | MB_ICONERROR | MB_TASKMODAL | MB_SETFOREGROUND);
}

std::optional<std::string> DialogsWin32::InputBox(const std::string& caption, const std::string& prompt,
                                                  const std::string& defaultText) {
    InputState st{Widen(caption), Widen(prompt), Widen(defaultText)};
    INT_PTR result;
    {
        TaskWindowsDisabled modal;
        result = ::DialogBoxParamW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(kInputDialogId), nullptr,
                                   &InputProc, reinterpret_cast<LPARAM>(&st));
    }
    if (result != IDOK) return std::nullopt;  // Cancel, Esc, the close box, or no dialog
    return Narrow(st.text);
}

}  // namespace velkaro::win
