#include "display/StatisticsPanel.h"

#include "core/Texts.h"
#include "core/Formatting.h"

namespace velkaro {

namespace {

constexpr int kPanelFontHeaderStep = 18;  // name -> headers, headers -> line, line -> line
constexpr int kBlockGap = 24;              // after the "Всего" line to the next block top
constexpr int kRoomBelowBlock = 128;       // image height a block needs below its top
constexpr int kGrownHeightExtra = 148;     // outer height given for that room
constexpr int kQuickInfoNameLength = 17;

PanelItem Text(std::string text, int x, int y, std::uint32_t rgb) {
    PanelItem item;
    item.text = std::move(text);
    item.x = x;
    item.y = y;
    item.rgb = rgb;
    return item;
}

}  // namespace

bool StatisticsPanel::RedrawStatisticsPanel(Accounting& a, WindowHost& window, char sep) {
    ColumnX = 70;
    bitmapHeight_ = window.ImageHeight();
    bitmapWidth_ = window.ImageWidth();
    items_.clear();
    PanelY = 4;
    a.firstAdapter.clear();

    a.ResetBlockTops();
    const std::uint64_t generation = a.HistoryGeneration();

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
                return false;
            }
        }

        PanelItem name = Text(GetDisplayName(a, adapter, true), 10, PanelY, 0);
        name.desktopColour = true;
        name.bold = true;
        items_.push_back(std::move(name));

        PanelY += kPanelFontHeaderStep;
        static constexpr const char* kHeaders[] = {
            texts::kHeaderSent, texts::kHeaderReceived, texts::kHeaderTotal, texts::kHeaderSpeed,
            texts::kHeaderCost, texts::kHeaderPriceIn,   texts::kHeaderPriceOut};
        for (int column = 0; column < 7; ++column)
            items_.push_back(Text(kHeaders[column], ColumnX + 20 + 100 * column, PanelY, kBlue));

        DrawAdapterLine(a, window, sep, texts::kToday, todayOut, todayIn, adapter);
        DrawAdapterLine(a, window, sep, texts::kAllTime, totalOut, totalIn, adapter);
        PanelY += kBlockGap;
    }
    return true;
}

void StatisticsPanel::DrawAdapterLine(Accounting& a, WindowHost& window, char sep,
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
    items_.push_back(Text(label, 10, PanelY, kBlue));

    items_.push_back(Text(FormatTraffic(out, 0, sep), ColumnX + 20, PanelY, kBlack));
    items_.push_back(Text(FormatTraffic(in, 0, sep), ColumnX + 120, PanelY, kBlack));
    const std::string both = FormatTraffic(out, in, sep);
    items_.push_back(Text(both + BlankTail, ColumnX + 220, PanelY, kBlack));
    if (today) a.quickInfoRows[row].traffic = both;

    // Outgoing first: that lookup registers an adapter without an entry.
    const double priceOut = GetPrice(a, adapter, Direction::Outgoing);
    const double priceIn = GetPrice(a, adapter, Direction::Incoming);
    const std::string cost = FormatCost(static_cast<long double>(priceOut) * static_cast<long double>(out),
                                        static_cast<long double>(priceIn) * static_cast<long double>(in), sep);
    items_.push_back(Text(cost, ColumnX + 420, PanelY, kRed));
    if (today) a.quickInfoRows[row].cost = cost;

    items_.push_back(Text(FormatPrice(priceIn, sep), ColumnX + 520, PanelY, kBlack));
    std::string last = FormatPrice(priceOut, sep);
    const int w = window.TextWidth(last);
    items_.push_back(Text(std::move(last), ColumnX + 620, PanelY, kBlack));

    const int needed = ColumnX + 620 + w + 40;
    if (window.OuterWidth() < needed) window.SetOuterWidth(needed);
}

}  // namespace velkaro
