// The statistics panel's layout: computed every tick from the model into the text items that
// painting draws, the quick-info rows and the window's size. It changes neither the model nor
// the window: the caller registers the new price entries and resizes the window after it.
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
    // The area the item owns, up to the next item of its row and the next row (or block); the
    // cells of one layout tile each block from x 10 to the right edge without overlap.
    PanelCell cell;
    bool desktopColour = false;   // the system colour COLOR_BACKGROUND; else rgb below
    std::uint32_t rgb = 0;        // 0xRRGGBB
    bool bold = false;
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
    // The least image area the window ever has.
    static constexpr int kLayoutImageWidth = 784;
    static constexpr int kLayoutImageHeight = 72;

    // Lays out a block per adapter in the order of their first records, in 96-DPI units (the
    // window scales what it draws). All texts are made first; then each column is placed as
    // wide as its widest text needs, so the columns after a wider one move right.
    void Layout(const Accounting& a, WindowHost& window, char sep);
    // The window measures texts otherwise from now on (another DPI).
    void RemeasureTexts();

    const std::vector<PanelItem>& Items() const { return items_; }
    const std::vector<QuickInfoRow>& QuickInfoRows() const { return rows_; }
    // The adapters drawn without a price entry: the caller registers each with zero prices.
    const std::vector<std::string>& Unpriced() const { return unpriced_; }
    // The outer size the window should take: it grows and shrinks with the blocks; NeededWidth
    // is the width the last price and limit lines need (-1: none).
    int OuterWidth() const { return outerWidth_; }
    int OuterHeight() const { return outerHeight_; }
    int NeededWidth() const { return neededWidth_; }
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
    const std::array<int, kColumns>& ColumnOrigins() const { return columnOrigins_; }
    int BitmapWidth() const { return bitmapWidth_; }

private:
    struct Widths {
        std::array<int, kColumns> column{};
        int lastPrice = -1;  // -1: no line made
        void Note(int column, int width);
    };
    // A block line's texts and what they were made from, reused unmade and unmeasured while
    // the amounts and prices stay those of the last layout.
    struct LineTexts {
        static constexpr int kTexts = 6;  // sent, received, total (with its tail), cost, prices
        const WindowHost* window = nullptr;  // that measured them
        char sep = 0;
        std::uint64_t out = 0, in = 0;
        std::uint64_t priceOut = 0, priceIn = 0;  // the bits of the prices
        long double costOut = -1, costIn = -1;      // price x bytes summed, as FormatCost takes them
        std::string texts[kTexts];
        int widths[kTexts] = {};  // the total's without its tail
        std::size_t totalLength = 0;  // the total's without its tail
    };
    // Made again only when the rate changed.
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
    // speed is null on the "Всего" line, whose speed cell stays empty.
    void AddLine(WindowHost& window, char sep, Widths& widths, int y, const char* label,
                 std::uint64_t out, std::uint64_t in, Prices prices, CostSums cost,
                 LineTexts& line, const SpeedText* speed);
    PanelItem& NextItem(int y, std::uint32_t rgb);  // the next item of the layout being made
    void PlaceItems(const Widths& widths, int layoutOuterWidth, int besideImage);
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
