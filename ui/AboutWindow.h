// The about window "About....": the product caption, the application icon, the credit, the web site and
// e-mail addresses, and the city line. Shown without being modal; closing only hides it. Its
// places and sizes are 96-DPI units, scaled to the DPI of its monitor.
#pragma once

#include <windows.h>

#include "ui/Application.h"
#include "win/Dpi.h"
#include "win/Handles.h"

namespace velkaro::ui {

class AboutWindow : public AppWindow {
public:
    static constexpr int kClientWidth = 346;
    static constexpr int kClientHeight = 129;

    // Created hidden, centred on the desktop; its controls come with the first show.
    explicit AboutWindow(Application& app);

    // "Об авторе": shows the window, or brings it to the front when it is open already; closed,
    // it gives the keyboard back to the opener (the statistics window).
    void ShowAbout(HWND opener = nullptr);

protected:
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    // The controls are created in tab order: the icon, then the texts.
    void MakeControls();
    void AddText(const char* text, int x, int y, HFONT font);
    win::Dpi dpi_;
    bool controlsMade_ = false;
    win::UniqueFont windowFont_;
    win::UniqueFont captionFont_;
    win::UniqueFont valueFont_;
    win::UniqueBrush white_;
    win::UniqueIcon icon_;
};

}  // namespace velkaro::ui
