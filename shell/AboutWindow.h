// TForm3 "About....": the product caption, the application icon, the credit, the web site and
// e-mail addresses, and the city line. Shown without being modal; closing only hides it.
#pragma once

#include <windows.h>

#include "shell/Application.h"
#include "win/Handles.h"

namespace velkaro::shell {

class TForm3 : public TForm {
public:
    static constexpr wchar_t kClassName[] = L"TForm3";
    static constexpr int kClientWidth = 346;
    static constexpr int kClientHeight = 129;

    // Created hidden, centred on the desktop; its controls come with the first show.
    explicit TForm3(TApplication& app);
    ~TForm3() override;

    // "Об авторе": shows the window, or brings it to the front when it is open already.
    void ShowAbout();

protected:
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    // The controls are created in tab order: Image1, then StaticText1 .. StaticText8.
    void MakeControls();
    void AddText(const char* text, int x, int y, HFONT font);
    bool controlsMade_ = false;
    win::UniqueFont windowFont_;
    win::UniqueFont captionFont_;
    win::UniqueFont valueFont_;
    win::UniqueBrush white_;
    win::UniqueIcon icon_;
};

}  // namespace velkaro::shell
