// The statistics window on Win32: the real window of TForm1. It owns the TForm1 logic and
// serves as its host: the image area with the panel bitmap, the button bar, Timer1 and
// PopupMenu1. Every handler runs through TForm1::Guarded, so an AppError shows the error box
// and the program goes on.
//
// The panel sizes the window as if the screen had no end: the outer height it sets and reads
// is its own. On the screen the window is never taller than the work area of its monitor and
// stays inside it; past that the image area scrolls over the panel. The bitmap behind the
// image area holds the rows it shows, while the window is shown, and is painted only where a
// cell changed.
#pragma once

#include <windows.h>

#include <array>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/Accounting.h"
#include "core/Ports.h"
#include "display/StatisticsWindow.h"
#include "win/Handles.h"
#include "win/Window.h"

namespace velkaro::win {

// What the window needs of the rest of the application.
struct Form1Callbacks {
    // TForm2's refresh: rebuilds the quick-info list from the QuickInfoRows when the quick-info
    // window is showing; returns whether it is showing (becomes TForm1::QuickInfoShown).
    std::function<bool()> refreshQuickInfo;
    std::function<void()> showAbout;   // shows TForm3, not modal
    std::function<void()> endRequest;  // empty: PostQuitMessage(0)
    std::function<void(const std::string&)> setTrayTip;  // the tray icon's tip, each tick
};

struct Form1Options {
    bool runFormCreate = true;  // run TForm1::FormCreate right after the window is created
    bool systemTimer = true;    // false: Timer1 is only a flag (tests drive Timer1Timer)
    HWND owner = nullptr;       // e.g. the application window: no taskbar button of its own
    Notifier* notifier = nullptr;  // shows the limits' warnings (the tray icon)
};

class Form1Window : public Form1Host, private Window {
public:
    // Menu command ids of PopupMenu1 (WM_COMMAND to the window runs them).
    static constexpr UINT kCmdHistory = 102;  // N2
    static constexpr UINT kCmdPrices = 103;   // N3
    static constexpr UINT kCmdRename = 105;   // N5
    static constexpr UINT kCmdLimit = 107;    // N7
    static constexpr UINT kCmdHideIdle = 109; // N9, after the separator N8
    static constexpr UINT_PTR kTimer1 = 1;
    static constexpr int kButtonBarHeight = 21;
    static constexpr int kLayoutClientWidth = 784;
    static constexpr int kLayoutClientHeight = 93;
    static constexpr int kScrollLine = 18;  // one row of the panel: arrow keys, wheel notches

    // Creates the window hidden (throws std::runtime_error when Windows refuses), then runs
    // FormCreate unless the options say otherwise.
    Form1Window(Accounting& a, SystemPorts ports, Form1Callbacks callbacks,
                Form1Options options = {});
    ~Form1Window() override;

    TForm1& Form() { return form_; }
    using Window::Handle;

    void Show();  // shows and activates; centred in the work area the first time
    void Hide();
    bool Visible() const;

    // The panel's row shown at the top of the image area, and the rows it can be scrolled
    // through (the image area the panel sized the window for).
    int ScrollTop() override { return scrollTop_; }
    int ScrollHeight();
    void ScrollTo(int top);  // kept within the panel

    // WindowHost: the outer and client heights are those the panel gave the window.
    int OuterWidth() override;
    int OuterHeight() override;
    void SetOuterWidth(int width) override;
    void SetOuterHeight(int height) override;
    int ClientHeight() override;
    int ImageWidth() override;
    int ImageHeight() override;
    int TextWidth(const std::string& text) override;
    void ProcessMessages() override;

    // Form1Host
    int WindowLeft() override;
    int WindowTop() override;
    void SetTimerEnabled(bool enabled) override;
    void SetWhite() override;
    void PopupMenu(int screenX, int screenY) override;
    void Repaint() override;
    void RefreshQuickInfo() override;
    void SetTrayTip(const std::string& tip) override;
    void ShowAbout() override;
    void EndRequest() override;

private:
    friend class Form1WindowTest;

    // Image1 and Panel1: child windows whose messages go to a handler of this window.
    class Part : public Window {
    public:
        using Handler = LRESULT (Form1Window::*)(UINT, WPARAM, LPARAM);
        Part(Form1Window& owner, Handler handler) : owner_(owner), handler_(handler) {}
        using Window::Create;

    protected:
        LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override {
            return (owner_.*handler_)(msg, wp, lp);
        }

    private:
        Form1Window& owner_;
        Handler handler_;
    };

    // A speed button of the bar (client coordinates of the bar).
    struct Button {
        int left;
        int width;
        const char* caption;
        void (TForm1::*click)();
    };
    static const std::vector<Button>& Buttons();

    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;  // TForm1's window
    LRESULT OnImageMessage(UINT msg, WPARAM wp, LPARAM lp);
    LRESULT OnBarMessage(UINT msg, WPARAM wp, LPARAM lp);

    void LayoutChildren();
    void MeasureCharacters();  // charWidths_
    // The window's height on the screen: the panel's, at most the work area's; the window
    // moved into the work area; the scroll bar set for what the image area shows.
    void FitToWorkArea();
    void UpdateScrollBar();
    int VisibleImageHeight() const;  // the image area on the screen
    int FrameHeight() const;         // title bar and borders
    void MeasureFrame();
    bool OnScrollKey(WPARAM key);
    void OnWheel(int delta);
    // The bitmap of the image area, white, unless it has that size already; false without one.
    bool MakeBitmap(int width, int height);
    void ReleaseBitmap();
    void WhitenBitmap();  // all white, nothing painted
    void PaintItems();  // the latest panel items into the bitmap, where they differ from it
    void SelectPanelFont(bool bold);  // into the memory DC, where it stays
    void PaintImage(HDC dc, const RECT& clip);
    void PaintBar(HDC dc);
    int ButtonAt(int x, int y) const;
    // Sets the hot or pressed button; the bar is painted again when it changed.
    void SetBarState(int& button, int value);
    void RunCommand(UINT id);
    // Runs a handler through TForm1::Guarded; any other exception also ends in the error box
    // instead of unwinding through Windows.
    template <class F> void Run(F&& handler);

    Dialogs& dialogs_;
    Form1Callbacks callbacks_;
    Form1Options options_;
    TForm1 form_;
    Part image1_{*this, &Form1Window::OnImageMessage};
    Part panel1_{*this, &Form1Window::OnBarMessage};
    bool white_ = false;          // SetWhite ran: white window and a panel bitmap
    bool shownOnce_ = false;
    bool itemsPending_ = false;   // items changed while hidden
    bool timerRunning_ = false;
    int panelOuterHeight_ = 0;    // the outer height the panel gave the window
    int frameHeight_ = 0;
    int scrollTop_ = 0;
    int wheelRest_ = 0;           // wheel movement short of a line
    int pressed_ = -1;            // button under a pressed left mouse button
    int hot_ = -1;                // button under the mouse
    UniqueFont formFont_;
    UniqueFont panelFont_;
    UniqueFont panelBoldFont_;
    UniqueFont buttonFont_;
    std::array<int, 256> charWidths_{};  // of each byte's character in the panel font
    UniqueBrush whiteBrush_;
    UniqueBrush barBrush_;
    // The image area's bitmap: the panel's rows from scrollTop_ down, as many as the image
    // shows. It exists while the window is shown.
    UniqueMemoryDc memDc_;        // holds bitmap_ while there is one
    UniqueBitmap bitmap_;
    HGDIOBJ oldBitmap_ = nullptr;
    HGDIOBJ oldFont_ = nullptr;
    HFONT selectedFont_ = nullptr;
    // What the bitmap shows, item by item as last painted, and the row from which down
    // nothing is painted: a paint draws only the cells that changed.
    struct PaintedItem {
        PanelItem item;
        COLORREF colour;
        bool painted;  // false: out of sight, not on the bitmap
        bool Shows(const PanelItem& other, COLORREF otherColour) const;
    };
    std::vector<PaintedItem> painted_;
    int paintedEnd_ = 0;
    SIZE bitmapSize_{0, 0};
};

}  // namespace velkaro::win
