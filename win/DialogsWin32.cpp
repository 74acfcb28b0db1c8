#include "win/DialogsWin32.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "core/Texts.h"
#include "win/Dpi.h"
#include "win/Handles.h"
#include "win/Window.h"

namespace velkaro::win {

namespace {

thread_local HWND tCommandWindow = nullptr;

// The window running the command, else the thread's active window, when shown and taking
// input: owning the dialog, it gets the focus back from the system when the dialog closes.
HWND OwnerWindow() {
    for (HWND w : {tCommandWindow, ::GetActiveWindow()})
        if (w && ::IsWindowVisible(w) && ::IsWindowEnabled(w) && ::GetWindowThreadProcessId(w, nullptr) == ::GetCurrentThreadId())
            return w;
    return nullptr;
}

// A dialog's owner, while the thread's other windows take no input, as under a task-modal
// message box; the owner is left to the dialog, which enables it again before it closes so
// that the owner can take the focus back.
class TaskModal {
public:
    TaskModal() : owner_(OwnerWindow()) {
        for (HWND w : ThreadWindows())
            if (w != owner_ && ::IsWindowVisible(w) && ::IsWindowEnabled(w)) disabled_.push_back(w);
        for (HWND w : disabled_) ::EnableWindow(w, FALSE);
    }
    ~TaskModal() {
        for (HWND w : disabled_)
            if (::IsWindow(w)) ::EnableWindow(w, TRUE);
    }
    TaskModal(const TaskModal&) = delete;
    TaskModal& operator=(const TaskModal&) = delete;
    HWND Owner() const { return owner_; }

private:
    HWND owner_;
    std::vector<HWND> disabled_;
};

int Box(const std::string& text, UINT type) {
    const TaskModal modal;
    return ::MessageBoxW(modal.Owner(), Widen(text).c_str(), Widen(texts::kAppTitle).c_str(),
                         type | MB_APPLMODAL | MB_SETFOREGROUND);
}

struct InputState {
    std::wstring caption;
    std::wstring prompt;
    std::wstring text;  // the default on entry, the entered text after OK
};

// 0 when it cannot be measured.
int WrappedHeight(HWND dlg, HWND label, const std::wstring& prompt, int width) {
    WindowDc dc(label);
    if (!dc) return 0;
    SelectObjectScope font(dc.get(), reinterpret_cast<HFONT>(::SendMessageW(dlg, WM_GETFONT, 0, 0)));
    RECT calc{0, 0, width, 0};
    ::DrawTextW(dc.get(), prompt.c_str(), static_cast<int>(prompt.size()), &calc,
                DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
    return calc.bottom;
}

// Moves what lies below the prompt.
void FitPrompt(HWND dlg, const std::wstring& prompt) {
    HWND label = ::GetDlgItem(dlg, DialogsWin32::kPromptId);
    const RECT lr = RectInParent(label);
    const int oldHeight = Height(lr);
    const int dy = std::max(WrappedHeight(dlg, label, prompt, Width(lr)), oldHeight) - oldHeight;
    if (dy == 0) return;
    SetOuterSize(label, Width(lr), oldHeight + dy);
    for (const int id : {DialogsWin32::kEditId, IDOK, IDCANCEL}) {
        HWND item = ::GetDlgItem(dlg, id);
        const RECT r = RectInParent(item);
        MoveTo(item, r.left, r.top + dy);
    }
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
        CentreWindow(dlg, MonitorRect(::GetWindow(dlg, GW_OWNER)));
        ::SetForegroundWindow(dlg);
        ::SetFocus(edit);
        ::SendMessageW(edit, EM_SETSEL, 0, -1);
        return FALSE;  // the focus is set
    }
    case WM_COMMAND: {
        const int id = LOWORD(wp);
        if (id != IDOK && id != IDCANCEL) return FALSE;
        if (id == IDOK) {
            auto* st = reinterpret_cast<InputState*>(::GetWindowLongPtrW(dlg, DWLP_USER));
            HWND edit = ::GetDlgItem(dlg, DialogsWin32::kEditId);
            st->text.assign(static_cast<std::size_t>(::GetWindowTextLengthW(edit)) + 1, L'\0');
            st->text.resize(static_cast<std::size_t>(
                ::GetWindowTextW(edit, st->text.data(), static_cast<int>(st->text.size()))));
        }
        ::EndDialog(dlg, id);
        return TRUE;
    }
    default:
        return FALSE;
    }
}

}  // namespace

DialogOwner::DialogOwner(HWND window) : previous_(std::exchange(tCommandWindow, window)) {}

DialogOwner::~DialogOwner() { tCommandWindow = previous_; }

std::string ErrorBoxText(const std::string& text) {
    if (text.empty() || text.back() == '.') return text;
    return text + '.';
}

void DialogsWin32::ShowMessage(const std::string& text) { Box(text, MB_OK); }

bool DialogsWin32::AskYesNo(const std::string& text) {
    // No is the default button: Enter alone does not confirm what cannot be undone. A box
    // that could not be shown (0) counts as No.
    return Box(text, MB_YESNO | MB_DEFBUTTON2) == IDYES;
}

void DialogsWin32::ShowError(const std::string& text) { Box(ErrorBoxText(text), MB_OK | MB_ICONERROR); }

std::optional<std::string> DialogsWin32::InputBox(const std::string& caption, const std::string& prompt,
                                                  const std::string& defaultText) {
    InputState st{Widen(caption), Widen(prompt), Widen(defaultText)};
    const TaskModal modal;
    const INT_PTR result = ::DialogBoxParamW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(kInputDialogId),
                                             modal.Owner(), &InputProc, reinterpret_cast<LPARAM>(&st));
    if (result != IDOK) return std::nullopt;  // Cancel, Esc, the close box, or no dialog
    return Narrow(st.text);
}

}  // namespace velkaro::win
