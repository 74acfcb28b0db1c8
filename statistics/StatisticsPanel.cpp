#include "statistics/StatisticsPanel.h"

#include <bit>

#include "core/Formatting.h"
#include "core/Texts.h"

namespace velkaro {

namespace {

// What the panel's texts have always carried after a priced block's name and its total.
const std::string BlankTail(92, ' ');

constexpr int kPanelFontHeaderStep = 18;  // name -> headers, headers -> line, line -> line
constexpr int kBlockGap = 24;              // after the "Всего" line to the next block top
constexpr int kRoomBelowBlock = 128;       // image height a block needs below its top
constexpr int kGrownHeightExtra = 148;     // outer height given for that room
constexpr int kQuickInfoNameLength = 17;
constexpr int kFirstBlockTop = 4;
constexpr int kLeftX = 10;                 // the name and the line labels
constexpr int kFirstColumnX = 90;          // the origin of the first amount column
constexpr int kColumnStep = 100;           // the least distance between column origins
constexpr int kColumnMargin = 8;           // room after a column's widest text
constexpr int kWindowMargin = 40;          // room after the last price text in the window

// Each item is made with its column (an amount column from 0, or one of these), placed once
// every column's width is known. The items of a row share their y.
constexpr int kLabelColumn = -1;  // drawn at kLeftX
constexpr int kLimitColumn = -2;  // a limit line: at the cost column, or after a long name
constexpr int kSpeedColumn = 3;
constexpr int kCostColumn = 4;

// The panel's text widths are of the regular weight; the bold name runs about an eighth wider.
constexpr int BoldWidth(int regular) { return regular + regular / 8; }

constexpr const char* kHeaders[StatisticsPanel::kColumns] = {
    texts::kSent, texts::kReceived, texts::kTotal, texts::kHeaderSpeed,
    texts::kHeaderCost, texts::kHeaderPriceIn,   texts::kHeaderPriceOut};

// The bits of a price: equal bits make equal texts (and -0 is not 0).
std::uint64_t Bits(double d) { return std::bit_cast<std::uint64_t>(d); }

}  // namespace

PanelItem& StatisticsPanel::NextItem(int y, std::uint32_t rgb, int column) {
    columns_.push_back(column);
    // Items of an earlier layout are written over so that their texts keep their storage.
    if (made_ == items_.size()) items_.emplace_back();
    PanelItem& item = items_[made_++];
    item.x = 0;
    item.y = y;
    item.cell = PanelCell{};
    item.desktopColour = false;
    item.rgb = rgb;
    item.bold = false;
    return item;
}

const std::string& StatisticsPanel::AdapterAt(int y) const {
    const Block* picked = nullptr;
    for (std::size_t i = 0; i < blockCount_ && blocks_[i].top <= y; ++i) picked = &blocks_[i];
    return picked ? picked->adapter : firstAdapter_;
}

void StatisticsPanel::Layout(const Accounting& a, WindowHost& window, char sep) {
    // The size is made anew from the layout size every time, so the window shrinks again with
    // its blocks; the frame and button bar beside and below the image keep their size.
    const int besideImage = window.OuterWidth() - window.ImageWidth();
    const int belowImage = window.OuterHeight() - window.ImageHeight();
    outerHeight_ = belowImage + kLayoutImageHeight;
    made_ = 0;
    columns_.clear();
    blockCount_ = 0;
    totals_ = PanelTotals{};
    unpriced_.clear();
    firstAdapter_.clear();
    int y = kFirstBlockTop;
    Widths widths;

    for (std::size_t id = 0; id < a.Adapters().size(); ++id) {
        const AdapterInfo& info = a.Adapters()[id];
        const std::string& adapter = info.name;
        if (firstAdapter_.empty()) firstAdapter_.assign(adapter);  // an empty name is passed over
        if (!a.Shows(info)) continue;
        bool alarming[2] = {};
        std::string limitLines[2];
        int limits = 0;
        for (LimitKind kind : {LimitKind::Money, LimitKind::Traffic}) {
            limitLines[limits] = LimitLine(a, static_cast<AdapterId>(id), kind, sep, alarming[limits]);
            if (!limitLines[limits].empty()) ++limits;
        }
        // The rows a block adds to the four of every block: its second limit line's.
        const int extraHeight = limits > 1 ? kPanelFontHeaderStep : 0;
        if (outerHeight_ - belowImage < y + kRoomBelowBlock + extraHeight)
            outerHeight_ = y + kGrownHeightExtra + extraHeight;

        // An adapter without an entry is drawn under its own name, without the tail, and registered
        // with zero prices after the layout.
        const TariffEntry* entry = FindTariffEntry(a, adapter);
        const std::string& plain = entry ? entry->displayName : adapter;
        if (blockCount_ == blocks_.size()) blocks_.emplace_back();
        Block& block = blocks_[blockCount_++];
        block.top = y;
        block.adapter.assign(adapter);
        block.first = made_;
        block.limits = limits;
        PanelItem& name = NextItem(y, 0, kLabelColumn);
        name.desktopColour = true;
        name.bold = true;
        name.text.assign(plain);
        if (entry) name.text += BlankTail;
        if (limits > 0) block.nameEnd = kLeftX + BoldWidth(window.TextWidth(plain)) + kColumnMargin;
        for (int n = 0; n < limits; ++n) {
            PanelItem& line = NextItem(y + n * kPanelFontHeaderStep, alarming[n] ? kRed : kBlack, kLimitColumn);
            line.text = std::move(limitLines[n]);
            block.limitWidth[n] = window.TextWidth(line.text);
        }

        y += kPanelFontHeaderStep + extraHeight;
        if (blockCount_ == 1)  // the headers are measured once, at the first block
            for (int c = 0; c < kColumns; ++c) widths.Note(c, window.TextWidth(kHeaders[c]));
        for (int c = 0; c < kColumns; ++c) NextItem(y, kBlue, c).text.assign(kHeaders[c]);

        if (!entry) unpriced_.push_back(adapter);
        // Each day costs at its prices: today's line shows the AccountingDate's.
        const Prices current = PricesOf(entry);
        const Prices today = PricesOnDay(info, current, a.AccountingDate());
        const CostSums todayCost{static_cast<long double>(today.out) * static_cast<long double>(info.todayOut),
                                 static_cast<long double>(today.in) * static_cast<long double>(info.todayIn)};

        if (id >= lines_.size()) lines_.resize(id + 1);
        AdapterTexts& lines = lines_[id];
        y += kPanelFontHeaderStep;
        AddLine(window, sep, widths, y, texts::kToday, info.todayOut, info.todayIn, &info.rate, today, todayCost,
                lines.today);
        if (blockCount_ > rows_.size()) rows_.emplace_back();
        QuickInfoRow& row = rows_[blockCount_ - 1];
        row.name.assign(plain, 0, kQuickInfoNameLength);
        row.name += ".   ";
        const std::string& total = lines.today.texts[2];
        row.traffic.assign(total, 0, total.size() - BlankTail.size());  // without the tail
        row.cost = lines.today.texts[kCostColumn];
        totals_.out += info.todayOut;
        totals_.in += info.todayIn;
        totals_.cost.out += todayCost.out;
        totals_.cost.in += todayCost.in;
        totals_.speed += info.rate;
        y += kPanelFontHeaderStep;
        AddLine(window, sep, widths, y, texts::kTotal, info.totalOut, info.totalIn, nullptr, current,
                AllTimeCost(info, current), lines.allTime);
        y += kBlockGap;
        block.end = made_;
    }
    items_.resize(made_);
    rows_.resize(blockCount_);
    PlaceItems(widths, besideImage + kLayoutImageWidth, besideImage);
    blocksEnd_ = y;
}

void StatisticsPanel::AddLine(WindowHost& window, char sep, Widths& widths, int y, const char* label,
                              std::uint64_t out, std::uint64_t in, const long double* rate, Prices prices,
                              CostSums cost, LineTexts& line) {
    const LineTexts::Source source{&window, sep, out, in, rate ? *rate : 0, Bits(prices.out), Bits(prices.in),
                                   cost.out, cost.in};
    if (line.source != source) {
        line.source = source;
        line.texts[0] = FormatTraffic(out, 0, sep);
        line.texts[1] = FormatTraffic(in, 0, sep);
        line.texts[2] = FormatTraffic(out, in, sep);
        if (rate) line.texts[kSpeedColumn] = FormatSpeed(*rate, sep);
        line.texts[kCostColumn] = FormatCost(cost.out, cost.in, sep);
        line.texts[5] = FormatPrice(prices.in, sep);
        line.texts[6] = FormatPrice(prices.out, sep);
        for (int c = 0; c < kColumns; ++c)
            if (rate || c != kSpeedColumn) line.widths[c] = window.TextWidth(line.texts[c]);
        line.texts[2] += BlankTail;
    }

    NextItem(y, kBlue, kLabelColumn).text.assign(label);
    for (int c = 0; c < kColumns; ++c) {
        if (!rate && c == kSpeedColumn) continue;
        NextItem(y, c == kCostColumn ? kRed : kBlack, c).text.assign(line.texts[c]);
        widths.Note(c, line.widths[c]);
    }
    widths.lastPrice = std::max(widths.lastPrice, line.widths[kColumns - 1]);
}

void StatisticsPanel::PlaceItems(const Widths& widths, int layoutOuterWidth, int besideImage) {
    std::array<int, kColumns> origins;  // of the amount columns
    int x = kFirstColumnX;
    for (int c = 0; c < kColumns; ++c) {
        origins[c] = x;
        x += std::max(kColumnStep, widths.column[c] + kColumnMargin);
    }

    // The width the last price and limit lines need (-1: none).
    int needed = widths.lastPrice >= 0 ? origins[kColumns - 1] + widths.lastPrice + kWindowMargin : -1;
    for (std::size_t n = 0; n < blockCount_; ++n) {
        const Block& b = blocks_[n];
        PanelItem* block = &items_[b.first];
        const std::size_t count = b.end - b.first;
        for (std::size_t i = 0; i < count; ++i) {
            const int column = columns_[b.first + i];
            if (column == kLabelColumn)
                block[i].x = kLeftX;
            else if (column == kLimitColumn)  // the first beside the name, the second on a row of its own
                block[i].x = i == 1 ? std::max(origins[kCostColumn], b.nameEnd) : origins[kCostColumn];
            else
                block[i].x = origins[column];
        }
        for (int k = 0; k < b.limits; ++k)
            needed = std::max(needed, block[1 + k].x + b.limitWidth[k] + kWindowMargin);
    }
    // Measured as the window will be once it has taken that width, so a text that widened it
    // shows whole at once.
    outerWidth_ = std::max(layoutOuterWidth, needed);
    textsWidth_ = needed < 0 ? 0 : needed - kWindowMargin + kColumnMargin;
    bitmapWidth_ = outerWidth_ - besideImage;

    for (std::size_t n = 0; n < blockCount_; ++n) {
        const Block& b = blocks_[n];
        PanelItem* block = &items_[b.first];
        const std::size_t count = b.end - b.first;
        const int lastRowY = block[count - 1].y;  // the all-time line's: its band reaches the next block
        for (std::size_t i = 0; i < count; ++i) {
            const int y = block[i].y;
            const bool firstOfRow = i == 0 || block[i - 1].y != y;
            const bool lastOfRow = i + 1 == count || block[i + 1].y != y;
            PanelCell& cell = block[i].cell;
            cell.left = firstOfRow ? kLeftX : block[i].x;
            cell.right = lastOfRow ? std::max(bitmapWidth_, cell.left) : block[i + 1].x;
            cell.top = y;
            cell.bottom = y + (y == lastRowY ? kBlockGap : kPanelFontHeaderStep);
        }
    }
}

// The longest tip the shell shows, in characters.
constexpr std::size_t kTrayTipLimit = 127;

std::string CutAtLineEnd(const std::string& text, std::size_t limit) {
    if (text.size() <= limit) return text;
    const std::size_t end = text.rfind('\n', limit);
    return text.substr(0, end == std::string::npos ? limit : end);
}

std::string TrayTipText(const PanelTotals& totals, char sep, const std::string& allowance) {
    std::string title = texts::kAppTitle;
    std::string tip = texts::kTipToday + FormatTraffic(totals.out, totals.in, sep) + ", " +
                      FormatCost(totals.cost.out, totals.cost.in, sep) + '\n' + texts::kTipSpeed +
                      FormatSpeed(totals.speed, sep);
    if (!allowance.empty()) {
        tip += '\n';
        tip += allowance;
        // The title gives way first: its end, then the whole line with its line end.
        const std::size_t room = kTrayTipLimit > tip.size() ? kTrayTipLimit - tip.size() : 0;
        if (title.size() + 1 > room) title.resize(room > 1 ? room - 1 : 0);
    }
    if (!title.empty()) tip = title + '\n' + tip;
    return CutAtLineEnd(tip, kTrayTipLimit);
}

}  // namespace velkaro
