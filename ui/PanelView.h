// The statistics window's image area: the panel's items on a bitmap, painted only where a cell
// changed, scrolled when the panel outgrows the window. The panel and scrolling are in 96-DPI
// units; fonts, bitmap and mouse in the pixels of the window's DPI.
#pragma once

#include <windows.h>

#include <array>
#include <functional>
#include <string>
#include <vector>

#include "statistics/StatisticsPanel.h"
#include "win/Dpi.h"
#include "win/Handles.h"
#include "win/Window.h"

namespace velkaro::ui {

class PanelView : public win::Window {
public:
    static constexpr int kScrollLine = 18;  // one row of the panel: arrow keys, wheel notches
    static constexpr int kScrollColumn = 20;  // sideways: the left and right arrow keys
    // A right click, in the panel's coordinates (the scroll offset added).
    using RightClick = std::function<void(int x, int y)>;

    // Throws std::runtime_error when GDI refuses.
    PanelView(const StatisticsPanel& panel, RightClick onRightClick, win::Dpi dpi);
    ~PanelView() override;

    // The child window "VelkaroImage1" of parent.
    void Create(HWND parent);
    // The fonts of another DPI; the bitmap is painted anew. Throws as the constructor does.
    void SetDpi(win::Dpi dpi);
    int TextWidth(const std::string& text) const;

    // Throws std::runtime_error when no memory DC can be had.
    void SetWhite();
    // White once set so, the button face's colour before.
    HBRUSH Background() const { return white_ ? win::WhiteBrush() : ::GetSysColorBrush(COLOR_BTNFACE); }
    // The panel's items changed: painted now when shown, else when shown next.
    void ShowItems();
    // The bitmap exists only while the window is shown.
    void Shown(bool shown);

    // In the panel's units.
    int ScrollTop() const { return scrollTop_; }
    int ScrollLeft() const { return scrollLeft_; }
    int ScrollHeight() const { return scrollHeight_; }
    void SetScrollSize(int width, int height);
    void ScrollTo(int top);  // kept within the panel
    void ScrollSidewaysTo(int left);
    // The keys (arrows, page keys, Home, End) and both wheels, of this window or the one around
    // it; false for another message or key.
    bool OnScrollMessage(UINT msg, WPARAM wp);

protected:
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    friend class StatisticsWindowTest;
    int VisibleHeight() const;  // the image area on the screen, in pixels
    int Page() const;           // the units of the panel it shows, down
    int PageWidth() const;      // and across
    bool OnScrollKey(WPARAM key);
    void MakeFonts();
    void UpdateScrollBar();
    // The bitmap, white, unless it has that size already; false without one.
    bool MakeBitmap(int width, int height);
    void ReleaseBitmap();
    void WhitenBitmap();  // all white, nothing painted
    void PaintItems();    // the panel's items into the bitmap, where they differ from it
    void SelectPanelFont(bool bold);  // into the memory DC, where it stays
    void Paint(HDC dc, const RECT& clip);

    const StatisticsPanel& panel_;
    RightClick onRightClick_;
    win::Dpi dpi_;
    win::UniqueFont font_;
    win::UniqueFont boldFont_;
    std::array<int, 256> charWidths_{};  // of each byte's character in the panel font
    bool white_ = false;
    bool itemsPending_ = false;  // items changed while hidden
    int scrollTop_ = 0;
    int scrollHeight_ = 0;
    int scrollLeft_ = 0;
    int scrollWidth_ = 0;
    int wheelRest_ = 0;  // wheel movement short of a line
    int sidewaysWheelRest_ = 0;
    win::UniqueMemoryDc memDc_;  // holds bitmap_ while there is one
    win::UniqueBitmap bitmap_;
    SIZE bitmapSize_{0, 0};
    HGDIOBJ oldBitmap_ = nullptr;
    HGDIOBJ oldFont_ = nullptr;
    HFONT selectedFont_ = nullptr;
    // What the bitmap shows, item by item as last painted, and the row from which down
    // nothing is painted: a paint draws only the cells that changed.
    struct PaintedItem {
        PanelItem item;
        COLORREF colour = 0;
        bool painted = false;  // false: out of sight, not on the bitmap
    };
    std::vector<PaintedItem> painted_;
    int paintedEnd_ = 0;  // units
};

}  // namespace velkaro::ui
