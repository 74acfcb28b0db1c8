#include "display/StatisticsPanel.h"

#include <algorithm>
#include <cassert>
#include <iterator>

#include "core/Texts.h"
#include "core/Formatting.h"

namespace velkaro {

namespace {

constexpr int kPanelFontHeaderStep = 18;  // name -> headers, headers -> line, line -> line
constexpr int kBlockGap = 24;              // after the "Всего" line to the next block top
constexpr int kRoomBelowBlock = 128;       // image height a block needs below its top
constexpr int kGrownHeightExtra = 148;     // outer height given for that room
constexpr int kQuickInfoNameLength = 17;
constexpr int kFirstBlockTop = 4;
constexpr int kLeftX = 10;                 // the name and the line labels
constexpr int kFirstColumnOffset = 20;     // the first amount column, from ColumnX
constexpr int kColumnStep = 100;           // the least distance between column origins
constexpr int kColumnMargin = 8;           // room after a column's widest text
constexpr int kWindowMargin = 40;          // room after the last price text in the window

// Every block is made of the same items in the same order: the name, the seven headers,
// and the two lines (label, then the amounts, none in the speed column). Where each one
// stands is known by its place in the block.
constexpr int kLabelColumn = -1;  // drawn at kLeftX
struct Slot {
    int row;     // 0 name, 1 headers, 2 today, 3 all time
    int column;  // an amount column, or kLabelColumn
};
constexpr Slot kBlockSlots[] = {
    {0, kLabelColumn},
    {1, 0}, {1, 1}, {1, 2}, {1, 3}, {1, 4}, {1, 5}, {1, 6},
    {2, kLabelColumn}, {2, 0}, {2, 1}, {2, 2}, {2, 4}, {2, 5}, {2, 6},
    {3, kLabelColumn}, {3, 0}, {3, 1}, {3, 2}, {3, 4}, {3, 5}, {3, 6},
};
constexpr std::size_t kItemsPerBlock = std::size(kBlockSlots);
// Each row's band from the block's top; the last one reaches the next block's top.
constexpr int kRowTop[] = {0, kPanelFontHeaderStep, 2 * kPanelFontHeaderStep, 3 * kPanelFontHeaderStep};
constexpr int kRowBottom[] = {kPanelFontHeaderStep, 2 * kPanelFontHeaderStep, 3 * kPanelFontHeaderStep,
                              3 * kPanelFontHeaderStep + kBlockGap};

constexpr const char* kHeaders[StatisticsPanel::kColumns] = {
    texts::kHeaderSent, texts::kHeaderReceived, texts::kHeaderTotal, texts::kHeaderSpeed,
    texts::kHeaderCost, texts::kHeaderPriceIn,   texts::kHeaderPriceOut};

// An item whose place is set once every block is made.
void Add(std::vector<PanelItem>& items, std::string text, int y, std::uint32_t rgb) {
    PanelItem& item = items.emplace_back();
    item.text = std::move(text);
    item.y = y;
    item.rgb = rgb;
}

}  // namespace

void StatisticsPanel::Widths::Note(int c, int width) { column[c] = std::max(column[c], width); }

bool StatisticsPanel::RedrawStatisticsPanel(Accounting& a, WindowHost& window, char sep) {
    ColumnX = 70;
    bitmapHeight_ = window.ImageHeight();
    bitmapWidth_ = window.ImageWidth();
    making_.clear();
    PanelY = kFirstBlockTop;
    a.firstAdapter.clear();

    a.ResetBlockTops();
    const std::uint64_t generation = a.HistoryGeneration();
    Widths widths;
    bool headersMeasured = false;
    bool complete = true;

    // The adapters in the order of their first records, each with its sums kept by the
    // index: the same blocks, in the same order, as visiting the table record by record.
    for (std::size_t id = 0; id < a.Adapters().size(); ++id) {
        const AdapterInfo& info = a.Adapters()[id];
        const std::string adapter = info.name;
        const std::size_t first = info.firstRecord;
        const std::uint64_t totalIn = info.totalIn, totalOut = info.totalOut;
        const std::uint64_t todayIn = info.todayIn, todayOut = info.todayOut;

        if (a.firstAdapter.empty()) a.firstAdapter = adapter;
        if (!a.adapterFilter.empty() && a.adapterFilter != adapter) continue;

        a.SetBlockTop(first, PanelY);

        if (window.ImageHeight() < PanelY + kRoomBelowBlock) {
            window.SetOuterHeight(PanelY + kGrownHeightExtra);
            bitmapHeight_ = window.ClientHeight();
            window.ProcessMessages();
            if (a.HistoryGeneration() != generation) {
                // A command emptied the history meanwhile: nothing of this redraw's table
                // is left to draw from.
                complete = false;
                break;
            }
        }

        Add(making_, GetDisplayName(a, adapter, true), PanelY, 0);
        making_.back().desktopColour = true;
        making_.back().bold = true;

        PanelY += kPanelFontHeaderStep;
        if (!headersMeasured) {
            for (int c = 0; c < kColumns; ++c) widths.Note(c, window.TextWidth(kHeaders[c]));
            headersMeasured = true;
        }
        for (const char* header : kHeaders) Add(making_, header, PanelY, kBlue);

        DrawAdapterLine(a, window, sep, widths, texts::kToday, todayOut, todayIn, adapter);
        DrawAdapterLine(a, window, sep, widths, texts::kAllTime, totalOut, totalIn, adapter);
        PanelY += kBlockGap;
        assert(making_.size() % kItemsPerBlock == 0);
    }
    PlaceItems(window, widths);
    items_.swap(making_);
    blocksEnd_ = PanelY;
    return complete;
}

void StatisticsPanel::DrawAdapterLine(Accounting& a, WindowHost& window, char sep, Widths& widths,
                                      const std::string& label, std::uint64_t out,
                                      std::uint64_t in, const std::string& adapter) {
    const bool today = label == texts::kToday;
    std::size_t row = 0;
    if (today) {
        a.AppendQuickInfoRow();
        row = a.quickInfoRows.size() - 1;
        const std::string plain = GetDisplayName(a, adapter, false);
        a.quickInfoRows[row].name = plain.substr(0, kQuickInfoNameLength) + ".   ";
    }

    PanelY += kPanelFontHeaderStep;
    Add(making_, label, PanelY, kBlue);

    // Each text is measured once, as it is made; the total without its blank tail.
    std::string text = FormatTraffic(out, 0, sep);
    widths.Note(0, window.TextWidth(text));
    Add(making_, std::move(text), PanelY, kBlack);
    text = FormatTraffic(in, 0, sep);
    widths.Note(1, window.TextWidth(text));
    Add(making_, std::move(text), PanelY, kBlack);
    text = FormatTraffic(out, in, sep);
    widths.Note(2, window.TextWidth(text));
    if (today) a.quickInfoRows[row].traffic = text;
    text += BlankTail;
    Add(making_, std::move(text), PanelY, kBlack);

    // Outgoing first: that lookup registers an adapter without an entry.
    const double priceOut = GetPrice(a, adapter, Direction::Outgoing);
    const double priceIn = GetPrice(a, adapter, Direction::Incoming);
    text = FormatCost(static_cast<long double>(priceOut) * static_cast<long double>(out),
                      static_cast<long double>(priceIn) * static_cast<long double>(in), sep);
    widths.Note(4, window.TextWidth(text));
    if (today) a.quickInfoRows[row].cost = text;
    Add(making_, std::move(text), PanelY, kRed);

    text = FormatPrice(priceIn, sep);
    widths.Note(5, window.TextWidth(text));
    Add(making_, std::move(text), PanelY, kBlack);
    text = FormatPrice(priceOut, sep);
    const int w = window.TextWidth(text);
    widths.Note(6, w);
    widths.lastPrice = std::max(widths.lastPrice, w);
    Add(making_, std::move(text), PanelY, kBlack);
}

void StatisticsPanel::PlaceItems(WindowHost& window, const Widths& widths) {
    // Column origins: 100 apart, or further where a column's widest text needs more room.
    int x = ColumnX + kFirstColumnOffset;
    for (int c = 0; c < kColumns; ++c) {
        columnOrigins_[c] = x;
        x += std::max(kColumnStep, widths.column[c] + kColumnMargin);
    }

    for (std::size_t b = 0; b < making_.size(); b += kItemsPerBlock) {
        PanelItem* block = &making_[b];
        const int top = block[0].y;  // the name stands at the block's top
        for (std::size_t i = 0; i < kItemsPerBlock; ++i) {
            const Slot slot = kBlockSlots[i];
            block[i].x = slot.column == kLabelColumn ? kLeftX : columnOrigins_[slot.column];
        }
        for (std::size_t i = 0; i < kItemsPerBlock; ++i) {
            const int row = kBlockSlots[i].row;
            const bool firstOfRow = i == 0 || kBlockSlots[i - 1].row != row;
            const bool lastOfRow = i + 1 == kItemsPerBlock || kBlockSlots[i + 1].row != row;
            PanelCell& cell = block[i].cell;
            cell.left = firstOfRow ? kLeftX : block[i].x;
            cell.right = lastOfRow ? std::max(bitmapWidth_, cell.left) : block[i + 1].x;
            cell.top = top + kRowTop[row];
            cell.bottom = top + kRowBottom[row];
        }
    }

    // The window makes room for the widest last price, at its column's place.
    if (widths.lastPrice >= 0) {
        const int needed = columnOrigins_[kColumns - 1] + widths.lastPrice + kWindowMargin;
        if (window.OuterWidth() < needed) window.SetOuterWidth(needed);
    }
}

}  // namespace velkaro
