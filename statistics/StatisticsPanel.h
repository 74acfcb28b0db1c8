// The statistics panel's layout: one block per adapter, computed every tick from the model
// into the text items that painting draws and tests assert on, the quick-info rows, the
// blocks' tops that a right click picks from, and the size the window should take. The layout
// changes neither the model nor the window: the caller registers the new price entries and
// resizes the window once, after it.
#pragma once

#include <array>
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
    // The area the item owns: it starts at x (at 10 for the first item of its row) and ends
    // where the next item of the row begins, or at the bitmap's right edge; it covers its row
    // down to the next row, the last row of a block down to the next block's top. The cells
    // of one layout tile each drawn block from x 10 to the right edge without overlap.
    PanelCell cell;
    bool desktopColour = false;   // the system colour COLOR_BACKGROUND; else rgb below
    std::uint32_t rgb = 0;        // 0xRRGGBB
    bool bold = false;
};

// One line of the quick-info list: a block's display name and its "Сегодня" traffic and cost.
struct QuickInfoRow {
    std::string name;
    std::string traffic;
    std::string cost;
    friend bool operator==(const QuickInfoRow&, const QuickInfoRow&) = default;
};

// Today's figures summed over the blocks of one layout.
struct PanelTotals {
    std::uint64_t out = 0;      // bytes sent today
    std::uint64_t in = 0;       // bytes received today
    long double costOut = 0;    // sum of price out x bytes sent, as FormatCost takes it
    long double costIn = 0;
    long double speed = 0;      // bytes per second
};

inline constexpr std::uint32_t kBlue = 0x0000FF;
inline constexpr std::uint32_t kBlack = 0x000000;
inline constexpr std::uint32_t kRed = 0xFF0000;

class StatisticsPanel {
public:
    // The amount columns: sent, received, total, speed, cost, price in, price out.
    static constexpr int kColumns = 7;
    // The window's image area in its layout, the least it ever is.
    static constexpr int kLayoutImageWidth = 784;
    static constexpr int kLayoutImageHeight = 72;

    // Lays out every adapter's block from the records as the sampler left them, in the order
    // of their first records; the window gives its sizes and the text widths, all in 96-DPI
    // units (the window scales what it draws). An adapter that the "SHOW" filter leaves out
    // gets no block, nor (with a.hideIdle) one whose all-time sums are both 0. The "Сегодня"
    // line shows the adapter's speed (a.speed) in the speed column.
    // An adapter with a limit gets its limit line on the name row, at the cost column
    // (further right when the name reaches past it), from the period sums of a.LimitDate();
    // with both limits, the traffic limit's line stands on a row of its own under the money
    // limit's, at the cost column, and the block is a row taller.
    // The texts of all blocks are made first; then each column is placed as wide as its
    // widest text needs (at least the 100 pixels between column origins), the columns after
    // a wider one moving right.
    void Layout(const Accounting& a, WindowHost& window, char sep);
    // The window measures texts otherwise from now on (another DPI): the next layout
    // measures every text again.
    void RemeasureTexts();

    // The texts of the last layout, in drawing order, each with its cell.
    const std::vector<PanelItem>& Items() const { return items_; }
    // One row per block, in block order.
    const std::vector<QuickInfoRow>& QuickInfoRows() const { return rows_; }
    // The adapters drawn without a price entry: the caller registers each with zero prices.
    const std::vector<std::string>& Unpriced() const { return unpriced_; }
    // The outer size the window should take, from its layout size: as high as its last
    // block needs (it grows by a step whenever a block would not fit), as wide as the widest
    // last price and every limit line need (NeededWidth, -1: no need). It shrinks again when
    // the blocks do.
    int OuterWidth() const { return outerWidth_; }
    int OuterHeight() const { return outerHeight_; }
    int NeededWidth() const { return neededWidth_; }
    // The least image width that shows the widest last price and every limit line whole: where
    // the rightmost of them ends, with a column's margin (0 when no block was drawn). A window
    // narrower than OuterWidth needs to scroll sideways only when it is narrower than this.
    int TextsWidth() const { return textsWidth_; }
    // The first adapter of the history with a name (empty when there is none).
    const std::string& FirstAdapter() const { return firstAdapter_; }
    // The adapter of the block whose top is nearest at or above y; the first adapter above
    // every block and when none was drawn.
    const std::string& AdapterAt(int y) const;
    // Today's figures of the blocks of the last layout, summed.
    const PanelTotals& Totals() const { return totals_; }
    // Where the blocks of the last layout end: the rows from here down belong to no drawn
    // block (4, the first block's top, when none was drawn).
    int BlocksEnd() const { return blocksEnd_; }
    // The origin of each amount column in the last layout.
    const std::array<int, kColumns>& ColumnOrigins() const { return columnOrigins_; }
    // The width of the image area once the window has taken OuterWidth.
    int BitmapWidth() const { return bitmapWidth_; }

private:
    // Widest texts of each column in the layout being made, and of the last price texts.
    struct Widths {
        std::array<int, kColumns> column{};
        int lastPrice = -1;  // -1: no line made
        void Note(int column, int width);
    };
    // The texts of one line of a block and what they were made from: a line whose amounts
    // and prices are those of the last layout takes them from here, unmade and unmeasured.
    struct LineTexts {
        static constexpr int kTexts = 6;  // sent, received, total (with its tail), cost, prices
        const WindowHost* window = nullptr;  // that measured them
        char sep = 0;
        std::uint64_t out = 0, in = 0;
        std::uint64_t priceOut = 0, priceIn = 0;  // the bits of the prices
        std::string texts[kTexts];
        int widths[kTexts] = {};  // the total's without its tail
        std::size_t totalLength = 0;  // the total's without its tail
    };
    // The speed text of a "Сегодня" line, made again only when the rate changed.
    struct SpeedText {
        const WindowHost* window = nullptr;  // that measured it
        char sep = 0;
        long double rate = -1;
        std::string text;
        int width = 0;
    };
    struct AdapterTexts {
        LineTexts today, allTime;
        SpeedText speed;
    };
    // Appends a line's items at y; speed is null on the "Всего" line, whose speed cell stays
    // empty.
    void AddLine(WindowHost& window, char sep, Widths& widths, int y, const char* label,
                 std::uint64_t out, std::uint64_t in, double priceOut, double priceIn,
                 LineTexts& line, const SpeedText* speed);
    PanelItem& NextItem(int y, std::uint32_t rgb);  // the next item of the layout being made
    void PlaceItems(const Widths& widths, int layoutOuterWidth, int besideImage);
    // A drawn block: its top and adapter, where its items begin, and its limit lines.
    struct Block {
        int top = 0;
        std::string adapter;
        std::size_t first = 0;
        int limits = 0;  // limit lines: 0, 1 or 2
        int limitWidth[2] = {};
        int nameEnd = 0;  // the limit line of the name row stands no further left than this
    };
    std::vector<PanelItem> items_;
    std::size_t made_ = 0;             // items of the layout being made
    std::vector<Block> blocks_;
    std::size_t blockCount_ = 0;       // blocks of the layout being made
    std::vector<AdapterTexts> lines_;  // by adapter
    std::vector<QuickInfoRow> rows_;
    std::vector<std::string> unpriced_;
    std::string firstAdapter_;
    PanelTotals totals_;
    std::array<int, kColumns> columnOrigins_{};
    int blocksEnd_ = 4;
    int bitmapWidth_ = 0;
    int outerWidth_ = 0;
    int outerHeight_ = 0;
    int neededWidth_ = -1;
    int textsWidth_ = 0;
};

}  // namespace velkaro
