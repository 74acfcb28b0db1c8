// The statistics window's button bar: flat buttons with captions, an edge under the mouse,
// sunken while pressed. A button clicks when the left button is released over the button it
// was pressed on; the click reaches the parent as WM_COMMAND with the button's command id.
// Places and sizes are 96-DPI units, drawn at the window's DPI.
#pragma once

#include <windows.h>

#include <vector>

#include "win/Dpi.h"
#include "win/Handles.h"
#include "win/Window.h"

namespace velkaro::ui {

class ButtonBar : public win::Window {
public:
    struct Button {
        int left;  // in the bar's client coordinates
        int width;
        const char* caption;  // Windows-1251
        UINT command;
    };
    static constexpr int kHeight = 21;

    // Throws std::runtime_error when its font or brush cannot be made.
    ButtonBar(std::vector<Button> buttons, win::Dpi dpi);
    // The child window "VelkaroPanel1" of parent.
    void Create(HWND parent);
    // The font and the places of another DPI; throws as the constructor does.
    void SetDpi(win::Dpi dpi);

protected:
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    int ButtonAt(int x, int y) const;
    // Sets the hot or pressed button; the bar is painted again when it changed.
    void SetState(int& button, int value);
    void Paint(HDC dc);

    std::vector<Button> buttons_;
    win::Dpi dpi_;
    win::UniqueFont font_;
    win::UniqueBrush brush_;
    int pressed_ = -1;  // button under a pressed left mouse button
    int hot_ = -1;      // button under the mouse
};

}  // namespace velkaro::ui
