// The statistics window's flat button bar: a button clicks when the mouse is released over the
// button it was pressed on, sending WM_COMMAND with its id to the parent. In 96-DPI units.
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
    // The child window "VelkaroPanel1".
    void Create(HWND parent);
    // Throws as the constructor does.
    void SetDpi(win::Dpi dpi);

protected:
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    int ButtonAt(int x, int y) const;
    // Paints again only when the state changed.
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
