// The statistics panel's layout: one block per adapter, computed every tick into a list of
// text items that painting draws and tests assert on.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "core/Accounting.h"
#include "core/Ports.h"

namespace velkaro {

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
    // of one redraw tile each drawn block from x 10 to the right edge without overlap.
    PanelCell cell;
    bool desktopColour = false;   // the system colour COLOR_BACKGROUND; else rgb below
    std::uint32_t rgb = 0;        // 0xRRGGBB
    bool bold = false;
};

// Today's figures summed over the blocks of one redraw.
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

    // Lays out every adapter's block from the records as the sampler left them; appends the
    // QuickInfoRows, sets FirstAdapter and the block tops, grows the window when needed.
    // With a.hideIdle, an adapter whose all-time sums are both 0 gets no block (and no row,
    // and no price entry), as one the "SHOW" filter leaves out. The "Сегодня" line shows the
    // adapter's speed (a.speed) in the speed column.
    // An adapter with a limit gets its limit line on the name row, at the cost column
    // (further right when the name reaches past it), from the period sums of a.LimitDate().
    // The texts of all blocks are made first; then each column is placed as wide as its
    // widest text needs (at least the 100 pixels between column origins), the columns after
    // a wider one moving right, and the window widened for the last column.
    // Returns false when a command run inside it (while the window grew) emptied the
    // history: the redraw then stops, and the items are those of the blocks made so far.
    bool RedrawStatisticsPanel(Accounting& a, WindowHost& window, char sep);

    // Today's figures of the blocks of the last redraw, summed.
    const PanelTotals& Totals() const { return totals_; }
    // The texts of the last finished redraw only, in drawing order, each with its cell. A
    // redraw makes its items aside and puts them here when they are placed, so what runs
    // inside it (while the window grows) never sees items without their places.
    const std::vector<PanelItem>& Items() const { return items_; }
    // Where the blocks of the last redraw end: the rows from here down belong to no drawn
    // block (4, the first block's top, when none was drawn).
    int BlocksEnd() const { return blocksEnd_; }
    // The origin of each amount column in the last redraw.
    const std::array<int, kColumns>& ColumnOrigins() const { return columnOrigins_; }
    // The size the bitmap was given by the last redraw (the image area, or the window's
    // client height after the window grew).
    int BitmapWidth() const { return bitmapWidth_; }
    int BitmapHeight() const { return bitmapHeight_; }
    int ColumnX = 70;
    int PanelY = 4;

private:
    // Widest texts of each column in the redraw being made, and of the last price texts.
    struct Widths {
        std::array<int, kColumns> column{};
        int lastPrice = -1;  // -1: no line made
        void Note(int column, int width);
    };
    // The texts of one line of a block and what they were made from: a line whose amounts
    // and prices are those of the last redraw takes them from here, unmade and unmeasured.
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
    // Appends a line's items; speed is null on the "Всего" line, whose speed cell stays empty.
    void DrawAdapterLine(WindowHost& window, char sep, Widths& widths, const char* label,
                         std::uint64_t out, std::uint64_t in, double priceOut, double priceIn,
                         LineTexts& line, const SpeedText* speed);
    PanelItem& NextItem(int y, std::uint32_t rgb);  // the next item of the redraw being made
    void PlaceItems(WindowHost& window, const Widths& widths);
    // Where a drawn block's items begin, and its limit line if it has one.
    struct Block {
        std::size_t first = 0;
        bool limit = false;
        int limitWidth = 0;
        int nameEnd = 0;  // the limit line stands no further left than this
    };
    std::vector<PanelItem> items_;
    std::vector<PanelItem> making_;  // the items of the redraw being made
    std::size_t made_ = 0;           // how many of them
    std::vector<Block> blocks_;      // of the redraw being made
    std::vector<AdapterTexts> lines_;  // by adapter
    PanelTotals totals_;
    std::array<int, kColumns> columnOrigins_{};
    int blocksEnd_ = 4;
    int bitmapWidth_ = 0;
    int bitmapHeight_ = 0;
};

}  // namespace velkaro
