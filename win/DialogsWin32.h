// The program's dialogs on Win32: the message, the Yes/No question, the input query (the
// dialog of res/input.rc, which a program using it links) and the error box. Each is owned
// by the window it comes from (DialogOwner), which has the focus again after it. Texts are
// Windows-1251, widened to UTF-16 for Windows.
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

// While it lives (and the window is shown), the thread's dialogs come from this window; the
// innermost one counts.
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
