// The about window "About....": caption, icon, credit, web and mail links. Not modal; closing
// only hides it. In 96-DPI units, scaled to its monitor's DPI.
#pragma once

#include <windows.h>

#include <string>

#include "ui/Application.h"
#include "win/Handles.h"

namespace velkaro::ui {

class AboutWindow : public AppWindow {
public:
    static constexpr int kClientWidth = 346;
    static constexpr int kClientHeight = 129;

    // Created hidden, centred on the desktop; its controls come with the first show
    // (BringToFrontFrom, which gives the keyboard back to the opener when it is closed).
    explicit AboutWindow(Application& app);

protected:
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    // In tab order: the icon, then the texts; nothing while there are controls.
    void MakeControls();
    void DpiMoved() override;
    void AddText(const char* text, int x, int y, HFONT font);  // sized to the text
    HWND AddStatic(const std::wstring& text, DWORD style, int x, int y, int width, int height);  // pixels
    win::UniqueFont windowFont_;
    win::UniqueFont captionFont_;
    win::UniqueFont valueFont_;
    win::UniqueIcon icon_;
};

}  // namespace velkaro::ui
