#include "display/StatisticsPanel.h"

#include <algorithm>
#include <bit>
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

// The bits of a price: equal bits make equal texts (and -0 is not 0).
std::uint64_t Bits(double d) { return std::bit_cast<std::uint64_t>(d); }

}  // namespace

void StatisticsPanel::Widths::Note(int c, int width) { column[c] = std::max(column[c], width); }

PanelItem& StatisticsPanel::NextItem(int y, std::uint32_t rgb) {
    // An item whose place is set once every block is made. The items of an earlier redraw
    // are written over: their texts keep their storage.
    if (made_ == making_.size()) making_.emplace_back();
    PanelItem& item = making_[made_++];
    item.x = 0;
    item.y = y;
    item.cell = PanelCell{};
    item.desktopColour = false;
    item.rgb = rgb;
    item.bold = false;
    return item;
}

bool StatisticsPanel::RedrawStatisticsPanel(Accounting& a, WindowHost& window, char sep) {
    ColumnX = 70;
    bitmapHeight_ = window.ImageHeight();
    bitmapWidth_ = window.ImageWidth();
    made_ = 0;
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
        {
            const AdapterInfo& info = a.Adapters()[id];
            if (a.firstAdapter.empty()) a.firstAdapter = info.name;
            if (!a.adapterFilter.empty() && a.adapterFilter != info.name) continue;
            if (a.hideIdle && info.totalIn == 0 && info.totalOut == 0) continue;
            a.SetBlockTop(info.firstRecord, PanelY);
        }

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

        // The same history: the adapter and its sums are as they were before the messages.
        const AdapterInfo& info = a.Adapters()[id];
        const std::string& adapter = info.name;

        // Its entry, once: an adapter without one is drawn under its own name, without the
        // tail, and registered with zero prices before its first prices are taken.
        const TariffEntry* entry = FindTariffEntry(a, adapter);
        const std::string& plain = entry ? entry->displayName : adapter;
        Block block;
        block.first = made_;
        PanelItem& name = NextItem(PanelY, 0);
        name.desktopColour = true;
        name.bold = true;
        name.text.assign(plain);
        if (entry) name.text += BlankTail;
        bool alarming = false;
        if (std::string limitLine = LimitLine(a, static_cast<AdapterId>(id), sep, alarming); !limitLine.empty()) {
            PanelItem& line = NextItem(PanelY, alarming ? kRed : kBlack);
            line.text = std::move(limitLine);
            block.limit = true;
            block.limitWidth = window.TextWidth(line.text);
            block.nameEnd = kLeftX + BoldWidth(window.TextWidth(plain)) + kColumnMargin;
        }
        blocks_.push_back(block);

        PanelY += kPanelFontHeaderStep;
        if (!headersMeasured) {
            for (int c = 0; c < kColumns; ++c) widths.Note(c, window.TextWidth(kHeaders[c]));
            headersMeasured = true;
        }
        for (const char* header : kHeaders) NextItem(PanelY, kBlue).text.assign(header);

        // The quick-info row of the "Сегодня" line: its name before the registration.
        QuickInfoRow& row = a.AppendQuickInfoRow();
        row.name.assign(plain, 0, kQuickInfoNameLength);
        row.name += ".   ";
        double priceOut = 0, priceIn = 0;
        if (entry) {
            priceOut = entry->priceOut;
            priceIn = entry->priceIn;
        } else {
            a.Tariffs().push_back(TariffEntry{0, 0, adapter, adapter});
        }

        if (id >= lines_.size()) lines_.resize(id + 1);
        AdapterTexts& lines = lines_[id];
        const long double rate = info.rate;
        SpeedText& speed = lines.speed;
        if (speed.window != &window || speed.sep != sep || speed.rate != rate) {
            speed.window = &window;
            speed.sep = sep;
            speed.rate = rate;
            speed.text = FormatSpeed(rate, sep);
            speed.width = window.TextWidth(speed.text);
        }
        DrawAdapterLine(window, sep, widths, texts::kToday, info.todayOut, info.todayIn, priceOut,
                        priceIn, lines.today, &speed);
        row.traffic.assign(lines.today.texts[2], 0, lines.today.totalLength);  // without the tail
        row.cost = lines.today.texts[3];
        totals_.out += info.todayOut;
        totals_.in += info.todayIn;
        totals_.costOut += static_cast<long double>(priceOut) * static_cast<long double>(info.todayOut);
        totals_.costIn += static_cast<long double>(priceIn) * static_cast<long double>(info.todayIn);
        totals_.speed += rate;
        DrawAdapterLine(window, sep, widths, texts::kAllTime, info.totalOut, info.totalIn, priceOut,
                        priceIn, lines.allTime, nullptr);
        PanelY += kBlockGap;
        assert(made_ == block.first + kItemsPerBlock + (block.limit ? 1 : 0));
    }
    making_.resize(made_);
    PlaceItems(window, widths);
    items_.swap(making_);
    blocksEnd_ = PanelY;
    return complete;
}

void StatisticsPanel::DrawAdapterLine(WindowHost& window, char sep, Widths& widths,
                                      const char* label, std::uint64_t out, std::uint64_t in,
                                      double priceOut, double priceIn, LineTexts& line,
                                      const SpeedText* speed) {
    // The texts are made and measured only when what they show changed since the last redraw.
    const bool same = line.window == &window && line.sep == sep && line.out == out &&
                      line.in == in && line.priceOut == Bits(priceOut) && line.priceIn == Bits(priceIn);
    if (!same) {
        line.window = &window;
        line.sep = sep;
        line.out = out;
        line.in = in;
        line.priceOut = Bits(priceOut);
        line.priceIn = Bits(priceIn);
        line.texts[0] = FormatTraffic(out, 0, sep);
        line.texts[1] = FormatTraffic(in, 0, sep);
        line.texts[2] = FormatTraffic(out, in, sep);
        line.totalLength = line.texts[2].size();
        line.texts[3] = FormatCost(static_cast<long double>(priceOut) * static_cast<long double>(out),
                                   static_cast<long double>(priceIn) * static_cast<long double>(in), sep);
        line.texts[4] = FormatPrice(priceIn, sep);
        line.texts[5] = FormatPrice(priceOut, sep);
        // Each measured without a tail; the total gets its tail after.
        for (int t = 0; t < LineTexts::kTexts; ++t) line.widths[t] = window.TextWidth(line.texts[t]);
        line.texts[2] += BlankTail;
    }

    PanelY += kPanelFontHeaderStep;
    NextItem(PanelY, kBlue).text.assign(label);
    static constexpr int kColumnOf[LineTexts::kTexts] = {0, 1, 2, 4, 5, 6};
    static constexpr std::uint32_t kColourOf[LineTexts::kTexts] = {kBlack, kBlack, kBlack, kRed, kBlack, kBlack};
    for (int t = 0; t < LineTexts::kTexts; ++t) {
        if (t == 3 && speed) {  // before the cost
            NextItem(PanelY, kBlack).text.assign(speed->text);
            widths.Note(3, speed->width);
        }
        NextItem(PanelY, kColourOf[t]).text.assign(line.texts[t]);
        widths.Note(kColumnOf[t], line.widths[t]);
    }
    widths.lastPrice = std::max(widths.lastPrice, line.widths[5]);
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
        PanelItem* block = &making_[b.first];
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
