// The program's dialogs on Win32: the message dialog, the Yes/No question, the input query
// (the dialog resource of res/input.rc, which a program using it links) and the error box, all
// captioned with the application title and centred on the screen. Each is owned by the window
// it comes from (the window running the command, see DialogOwner, else the thread's active
// window), which has the focus again after it; the thread's other windows take no input
// meanwhile.
// Texts are the program's Windows-1251 bytes; they reach Windows as UTF-16.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "app/Ports.h"

namespace velkaro::win {

class DialogsWin32 : public Dialogs {
public:
    static constexpr int kInputMaxLength = 255;
    static constexpr int kInputDialogId = 100;  // the resource (res/input.rc)
    static constexpr int kPromptId = 100;
    static constexpr int kEditId = 101;

    void ShowMessage(const std::string& text) override;
    bool AskYesNo(const std::string& text) override;
    std::optional<std::string> InputBox(const std::string& caption, const std::string& prompt,
                                        const std::string& defaultText) override;
    void ShowError(const std::string& text) override;
};

// The error box's text: a full stop appended when the text does not end in one.
std::string ErrorBoxText(const std::string& text);

// For as long as it lives, the dialogs of the thread come from this window (while it is shown):
// a window's command handlers hold one. The innermost one counts.
class DialogOwner {
public:
    explicit DialogOwner(HWND window);
    ~DialogOwner();
    DialogOwner(const DialogOwner&) = delete;
    DialogOwner& operator=(const DialogOwner&) = delete;

private:
    HWND previous_;
};

}  // namespace velkaro::win
