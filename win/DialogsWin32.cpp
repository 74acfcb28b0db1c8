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

// An in-memory dialog template: DLGTEMPLATE, then DWORD-aligned DLGITEMTEMPLATEs.
class DialogTemplate {
public:
    DialogTemplate(DWORD style, short cx, short cy, const wchar_t* font, WORD pointSize) {
        PutDword(style);
        PutDword(0);          // extended style
        countAt_ = words_.size();
        PutWord(0);           // item count, filled in by Add
        PutWord(0);           // x, y: the dialog centres itself
        PutWord(0);
        PutWord(static_cast<WORD>(cx));
        PutWord(static_cast<WORD>(cy));
        PutWord(0);           // no menu
        PutWord(0);           // the predefined dialog class
        PutString(L"");       // the caption is set when the dialog starts
        PutWord(pointSize);
        PutString(font);
    }

    // cls: 0x0080 button, 0x0081 edit, 0x0082 static.
    void Add(WORD cls, WORD id, DWORD style, short x, short y, short cx, short cy,
             const wchar_t* text) {
        while (words_.size() % 2 != 0) PutWord(0);  // DWORD alignment
        PutDword(style | WS_CHILD | WS_VISIBLE);
        PutDword(0);
        PutWord(static_cast<WORD>(x));
        PutWord(static_cast<WORD>(y));
        PutWord(static_cast<WORD>(cx));
        PutWord(static_cast<WORD>(cy));
        PutWord(id);
        PutWord(0xFFFF);
        PutWord(cls);
        PutString(text);
        PutWord(0);           // no creation data
        ++words_[countAt_];
    }

    const DLGTEMPLATE* Get() const { return reinterpret_cast<const DLGTEMPLATE*>(words_.data()); }

private:
    void PutWord(WORD w) { words_.push_back(w); }
    void PutDword(DWORD d) {
        PutWord(LOWORD(d));
        PutWord(HIWORD(d));
    }
    void PutString(const wchar_t* s) {
        for (; *s; ++s) PutWord(static_cast<WORD>(*s));
        PutWord(0);
    }
    std::vector<WORD> words_;
    std::size_t countAt_ = 0;
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
    // Sizes in dialog units: a 180 wide box, the prompt and the edit 164 wide, two 50 x 14
    // buttons; the prompt grows with its wrapped text when the dialog starts.
    DialogTemplate t(DS_MODALFRAME | DS_SETFONT | WS_POPUP | WS_CAPTION | WS_SYSMENU, 180, 63,
                     L"MS Shell Dlg", 8);
    t.Add(0x0082, kPromptId, SS_LEFT | SS_NOPREFIX, 8, 8, 164, 8, L"");
    t.Add(0x0081, kEditId, ES_LEFT | ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 8, 19, 164, 12, L"");
    t.Add(0x0080, IDOK, BS_DEFPUSHBUTTON | WS_TABSTOP, 37, 41, 50, 14, L"OK");
    t.Add(0x0080, IDCANCEL, BS_PUSHBUTTON | WS_TABSTOP, 92, 41, 50, 14, L"Cancel");

    InputState st{Widen(caption), Widen(prompt), Widen(defaultText)};
    INT_PTR result;
    {
        TaskWindowsDisabled modal;
        result = ::DialogBoxIndirectParamW(::GetModuleHandleW(nullptr), t.Get(), nullptr,
                                           &InputProc, reinterpret_cast<LPARAM>(&st));
    }
    if (result != IDOK) return std::nullopt;  // Cancel, Esc, the close box, or no dialog
    return Narrow(st.text);
}

}  // namespace velkaro::win
