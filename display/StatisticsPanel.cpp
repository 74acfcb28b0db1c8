#include "display/StatisticsPanel.h"

#include <algorithm>
#include <cassert>
#include <iterator>

#include "core/Formatting.h"
#include "core/Limits.h"
#include "core/Texts.h"

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
// and the two lines (label, then the amounts; the speed only on today's line). Where each
// one stands is known by its place in the block. An adapter with a monthly limit has one item
// more, its limit line, right after the name: on the name row, at the cost column.
constexpr int kLabelColumn = -1;  // drawn at kLeftX
constexpr int kLimitColumn = -2;  // the limit line: at the cost column, or after a long name
constexpr int kCostColumn = 4;
struct Slot {
    int row;     // 0 name, 1 headers, 2 today, 3 all time
    int column;  // an amount column, or kLabelColumn
};
constexpr Slot kBlockSlots[] = {
    {0, kLabelColumn},
    {1, 0}, {1, 1}, {1, 2}, {1, 3}, {1, 4}, {1, 5}, {1, 6},
    {2, kLabelColumn}, {2, 0}, {2, 1}, {2, 2}, {2, 3}, {2, 4}, {2, 5}, {2, 6},
    {3, kLabelColumn}, {3, 0}, {3, 1}, {3, 2}, {3, 4}, {3, 5}, {3, 6},
};
constexpr std::size_t kItemsPerBlock = std::size(kBlockSlots);

// The slot of item i of a block, with or without the limit line.
Slot SlotOf(std::size_t i, bool limit) {
    if (!limit) return kBlockSlots[i];
    if (i == 0) return kBlockSlots[0];
    if (i == 1) return Slot{0, kLimitColumn};
    return kBlockSlots[i - 1];
}

// The panel's text widths are of the regular weight; the bold name runs about an eighth wider.
constexpr int BoldWidth(int regular) { return regular + regular / 8; }
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
    items_.clear();
    totals_ = PanelTotals{};
    PanelY = kFirstBlockTop;
    a.firstAdapter.clear();

    a.ResetBlockTops();
    blocks_.clear();
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
        if (a.hideIdle && totalIn == 0 && totalOut == 0) continue;

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

        Block block;
        block.first = items_.size();
        Add(items_, GetDisplayName(a, adapter, true), PanelY, 0);
        items_.back().desktopColour = true;
        items_.back().bold = true;
        if (const LimitEntry* limit = FindLimit(a, adapter)) {
            const LimitStatus status = GetLimitStatus(a, *limit);
            std::string text = LimitLineText(status, sep);
            block.limit = true;
            block.limitWidth = window.TextWidth(text);
            block.nameEnd = kLeftX + BoldWidth(window.TextWidth(GetDisplayName(a, adapter, false))) + kColumnMargin;
            Add(items_, std::move(text), PanelY, status.level >= kLimitNearLevel ? kRed : kBlack);
        }
        blocks_.push_back(block);

        PanelY += kPanelFontHeaderStep;
        if (!headersMeasured) {
            for (int c = 0; c < kColumns; ++c) widths.Note(c, window.TextWidth(kHeaders[c]));
            headersMeasured = true;
        }
        for (const char* header : kHeaders) Add(items_, header, PanelY, kBlue);

        DrawAdapterLine(a, window, sep, widths, texts::kToday, todayOut, todayIn, adapter);
        DrawAdapterLine(a, window, sep, widths, texts::kAllTime, totalOut, totalIn, adapter);
        PanelY += kBlockGap;
        assert(items_.size() == block.first + kItemsPerBlock + (block.limit ? 1 : 0));
    }
    blocksEnd_ = PanelY;
    PlaceItems(window, widths);
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
    Add(items_, label, PanelY, kBlue);

    // Each text is measured once, as it is made; the total without its blank tail.
    std::string text = FormatTraffic(out, 0, sep);
    widths.Note(0, window.TextWidth(text));
    Add(items_, std::move(text), PanelY, kBlack);
    text = FormatTraffic(in, 0, sep);
    widths.Note(1, window.TextWidth(text));
    Add(items_, std::move(text), PanelY, kBlack);
    text = FormatTraffic(out, in, sep);
    widths.Note(2, window.TextWidth(text));
    if (today) a.quickInfoRows[row].traffic = text;
    text += BlankTail;
    Add(items_, std::move(text), PanelY, kBlack);

    if (today) {
        const long double speed = a.speed.Rate(adapter);
        text = FormatSpeed(speed, sep);
        widths.Note(3, window.TextWidth(text));
        Add(items_, std::move(text), PanelY, kBlack);
        totals_.out += out;
        totals_.in += in;
        totals_.speed += speed;
    }

    // Outgoing first: that lookup registers an adapter without an entry.
    const double priceOut = GetPrice(a, adapter, Direction::Outgoing);
    const double priceIn = GetPrice(a, adapter, Direction::Incoming);
    const long double costOut = static_cast<long double>(priceOut) * static_cast<long double>(out);
    const long double costIn = static_cast<long double>(priceIn) * static_cast<long double>(in);
    text = FormatCost(costOut, costIn, sep);
    if (today) {
        totals_.costOut += costOut;
        totals_.costIn += costIn;
    }
    widths.Note(4, window.TextWidth(text));
    if (today) a.quickInfoRows[row].cost = text;
    Add(items_, std::move(text), PanelY, kRed);

    text = FormatPrice(priceIn, sep);
    widths.Note(5, window.TextWidth(text));
    Add(items_, std::move(text), PanelY, kBlack);
    text = FormatPrice(priceOut, sep);
    const int w = window.TextWidth(text);
    widths.Note(6, w);
    widths.lastPrice = std::max(widths.lastPrice, w);
    Add(items_, std::move(text), PanelY, kBlack);
}

void StatisticsPanel::PlaceItems(WindowHost& window, const Widths& widths) {
    // Column origins: 100 apart, or further where a column's widest text needs more room.
    int x = ColumnX + kFirstColumnOffset;
    for (int c = 0; c < kColumns; ++c) {
        columnOrigins_[c] = x;
        x += std::max(kColumnStep, widths.column[c] + kColumnMargin);
    }

    // The window makes room for the widest last price, at its column's place, and for every
    // limit line.
    int needed = widths.lastPrice >= 0 ? columnOrigins_[kColumns - 1] + widths.lastPrice + kWindowMargin : -1;
    for (const Block& b : blocks_) {
        PanelItem* block = &items_[b.first];
        const std::size_t count = kItemsPerBlock + (b.limit ? 1 : 0);
        const int top = block[0].y;  // the name stands at the block's top
        for (std::size_t i = 0; i < count; ++i) {
            const Slot slot = SlotOf(i, b.limit);
            if (slot.column == kLabelColumn)
                block[i].x = kLeftX;
            else if (slot.column == kLimitColumn)
                block[i].x = std::max(columnOrigins_[kCostColumn], b.nameEnd);
            else
                block[i].x = columnOrigins_[slot.column];
        }
        if (b.limit) needed = std::max(needed, block[1].x + b.limitWidth + kWindowMargin);
        for (std::size_t i = 0; i < count; ++i) {
            const int row = SlotOf(i, b.limit).row;
            const bool firstOfRow = i == 0 || SlotOf(i - 1, b.limit).row != row;
            const bool lastOfRow = i + 1 == count || SlotOf(i + 1, b.limit).row != row;
            PanelCell& cell = block[i].cell;
            cell.left = firstOfRow ? kLeftX : block[i].x;
            cell.right = lastOfRow ? std::max(bitmapWidth_, cell.left) : block[i + 1].x;
            cell.top = top + kRowTop[row];
            cell.bottom = top + kRowBottom[row];
        }
    }

    if (needed >= 0 && window.OuterWidth() < needed) window.SetOuterWidth(needed);
}

}  // namespace velkaro
