// The statistics panel's layout: computed every tick from the model into the text items that
// painting draws, the quick-info rows and the window's size. It changes neither the model nor
// the window: the caller registers the new price entries and resizes the window after it.
// Then the window's fit to its monitor's work area, and the tray icon's tip made of the
// panel's totals.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "core/Accounting.h"
#include "core/Ports.h"

namespace velkaro {

// The statistics window as the panel and the files see it.
class WindowHost {
public:
    virtual ~WindowHost() = default;
    virtual int OuterWidth() = 0;
    virtual int OuterHeight() = 0;
    virtual void SetOuterWidth(int width) = 0;
    virtual int ImageWidth() = 0;
    virtual int ImageHeight() = 0;
    // Width in pixels of text in the panel font (size 10, not bold).
    virtual int TextWidth(const std::string& text) = 0;
};

// A rectangle of the bitmap, right and bottom exclusive.
struct PanelCell {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    friend bool operator==(const PanelCell&, const PanelCell&) = default;
};

struct PanelItem {
    std::string text;
    int x = 0;
    int y = 0;
    // The area the item owns, up to the next item of its row and the next row (or block); the
    // cells of one layout tile each block from x 10 to the right edge without overlap.
    PanelCell cell;
    bool desktopColour = false;   // the system colour COLOR_BACKGROUND; else rgb below
    std::uint32_t rgb = 0;        // 0xRRGGBB
    bool bold = false;
    friend bool operator==(const PanelItem&, const PanelItem&) = default;
};

struct QuickInfoRow {
    std::string name;
    std::string traffic;
    std::string cost;
    friend bool operator==(const QuickInfoRow&, const QuickInfoRow&) = default;
};

struct PanelTotals {
    std::uint64_t out = 0;      // bytes sent today
    std::uint64_t in = 0;       // bytes received today
    CostSums cost;              // price x bytes per direction, as FormatCost takes them
    long double speed = 0;      // bytes per second
};

inline constexpr std::uint32_t kBlue = 0x0000FF;
inline constexpr std::uint32_t kBlack = 0x000000;
inline constexpr std::uint32_t kRed = 0xFF0000;

class StatisticsPanel {
public:
    // The amount columns: sent, received, total, speed, cost, price in, price out.
    static constexpr int kColumns = 7;
    // The least image area the window ever has.
    static constexpr int kLayoutImageWidth = 784;
    static constexpr int kLayoutImageHeight = 72;

    // Lays out a block per adapter in the order of their first records, in 96-DPI units (the
    // window scales what it draws). All texts are made first; then each column is placed as
    // wide as its widest text needs, so the columns after a wider one move right.
    void Layout(const Accounting& a, WindowHost& window, char sep);
    // The window measures texts otherwise from now on (another DPI).
    void RemeasureTexts() { lines_.clear(); }

    const std::vector<PanelItem>& Items() const { return items_; }
    const std::vector<QuickInfoRow>& QuickInfoRows() const { return rows_; }
    // The adapters drawn without a price entry: the caller registers each with zero prices.
    const std::vector<std::string>& Unpriced() const { return unpriced_; }
    // The outer size the window should take: it grows and shrinks with the blocks, and is as
    // wide as the last price and limit lines need.
    int OuterWidth() const { return outerWidth_; }
    int OuterHeight() const { return outerHeight_; }
    // The least image width that shows the last price and every limit line whole (0 when no block
    // was drawn): a narrower window scrolls sideways only below this.
    int TextsWidth() const { return textsWidth_; }
    // Empty when the history has no named adapter.
    const std::string& FirstAdapter() const { return firstAdapter_; }
    // The block whose top is nearest at or above y; the first adapter above every block.
    const std::string& AdapterAt(int y) const;
    const PanelTotals& Totals() const { return totals_; }
    // The rows from here down belong to no drawn block (4 when none was drawn).
    int BlocksEnd() const { return blocksEnd_; }
    int BitmapWidth() const { return bitmapWidth_; }

private:
    struct Widths {
        std::array<int, kColumns> column{};
        int lastPrice = -1;  // -1: no line made
        void Note(int c, int width) { column[c] = std::max(column[c], width); }
    };
    // A block line's texts, a column each (the total with its tail), and what they were made
    // from, reused unmade and unmeasured while the amounts, speed and prices stay those of the
    // last layout.
    struct LineTexts {
        struct Source {
            const WindowHost* window = nullptr;  // that measured them
            char sep = 0;
            std::uint64_t out = 0, in = 0;
            long double rate = 0;  // bytes per second; 0 on the "Всего" line, which shows none
            std::uint64_t priceOut = 0, priceIn = 0;  // the bits of the prices
            long double costOut = -1, costIn = -1;      // price x bytes summed, as FormatCost takes them
            friend bool operator==(const Source&, const Source&) = default;
        } source;
        std::string texts[kColumns];
        int widths[kColumns] = {};  // the total's without its tail
    };
    struct AdapterTexts {
        LineTexts today, allTime;
    };
    // rate is null on the "Всего" line, whose speed cell stays empty.
    void AddLine(WindowHost& window, char sep, Widths& widths, int y, const char* label,
                 std::uint64_t out, std::uint64_t in, const long double* rate, Prices prices, CostSums cost,
                 LineTexts& line);
    PanelItem& NextItem(int y, std::uint32_t rgb, int column);  // the next item of the layout being made
    void PlaceItems(const Widths& widths, int layoutOuterWidth, int besideImage);
    struct Block {
        int top = 0;
        std::string adapter;
        std::size_t first = 0;  // its items: [first, end)
        std::size_t end = 0;
        int limits = 0;  // limit lines: 0, 1 or 2
        int limitWidth[2] = {};
        int nameEnd = 0;  // the limit line of the name row stands no further left than this
    };
    std::vector<PanelItem> items_;
    std::size_t made_ = 0;             // items of the layout being made
    std::vector<int> columns_;         // of each item made
    std::vector<Block> blocks_;
    std::size_t blockCount_ = 0;       // blocks of the layout being made
    std::vector<AdapterTexts> lines_;  // by adapter
    std::vector<QuickInfoRow> rows_;
    std::vector<std::string> unpriced_;
    std::string firstAdapter_;
    PanelTotals totals_;
    int blocksEnd_ = 4;
    int bitmapWidth_ = 0;
    int outerWidth_ = 0;
    int outerHeight_ = 0;
    int textsWidth_ = 0;
};

// The statistics window's outer size kept within its monitor's work area, with the scroll bars
// that makes necessary. All sizes of one kind: pixels, or 96-DPI units.
struct WindowFit {
    int width = 0;   // outer
    int height = 0;
    bool scrollsDown = false;      // a vertical scroll bar over the image area
    bool scrollsSideways = false;  // a horizontal one
    friend bool operator==(const WindowFit&, const WindowFit&) = default;
};

// leastWidth: the outer width that still shows every text whole (the margin beyond it is cut
// before anything scrolls sideways); bar: a vertical bar's width and a horizontal bar's height.
inline WindowFit FitToWorkArea(int wantedWidth, int leastWidth, int wantedHeight, int areaWidth, int areaHeight,
                               int barWidth, int barHeight) {
    WindowFit fit;
    fit.scrollsDown = wantedHeight > areaHeight;
    fit.scrollsSideways = std::min(leastWidth, wantedWidth) + (fit.scrollsDown ? barWidth : 0) > areaWidth;
    // The horizontal bar takes its height from the image area: the panel may no longer fit.
    if (fit.scrollsSideways && !fit.scrollsDown) fit.scrollsDown = wantedHeight + barHeight > areaHeight;
    fit.width = std::min(wantedWidth + (fit.scrollsDown ? barWidth : 0), areaWidth);
    fit.height = std::min(wantedHeight + (fit.scrollsSideways ? barHeight : 0), areaHeight);
    return fit;
}

// Lines joined by LF, with the panel's texts; an allowance line (core/Limits.h) comes fourth.
// A tip too long loses the title's end, then the title line, then lines from the end.
std::string TrayTipText(const PanelTotals& totals, char sep, const std::string& allowance = {});

// The lines that fit whole, without the line end before the first one left out; a first line
// longer than the limit is cut at it.
std::string CutAtLineEnd(const std::string& text, std::size_t limit);

}  // namespace velkaro
