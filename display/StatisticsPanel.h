// The statistics panel's layout: one block per adapter, computed every tick into a list of
// text items that painting draws and tests assert on.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/Accounting.h"
#include "core/Ports.h"

namespace velkaro {

struct PanelItem {
    std::string text;
    int x = 0;
    int y = 0;
    bool desktopColour = false;   // the system colour COLOR_BACKGROUND; else rgb below
    std::uint32_t rgb = 0;        // 0xRRGGBB
    bool bold = false;
};

inline constexpr std::uint32_t kBlue = 0x0000FF;
inline constexpr std::uint32_t kBlack = 0x000000;
inline constexpr std::uint32_t kRed = 0xFF0000;

class StatisticsPanel {
public:
    // Lays out every adapter's block from the records as the sampler left them; appends the
    // QuickInfoRows, sets FirstAdapter and the block tops, grows the window when needed.
    // Returns false when a command run inside it (while the window grew) emptied the
    // history: the redraw then stops, and the items are those drawn so far.
    bool RedrawStatisticsPanel(Accounting& a, WindowHost& window, char sep);

    // The texts of the last redraw only, in drawing order. The painter draws them over
    // what the bitmap already shows: the bitmap is never cleared, so earlier pixels stay
    // wherever nothing new lands (an empty list leaves the picture as it was).
    const std::vector<PanelItem>& Items() const { return items_; }
    // The size the bitmap was given by the last redraw (the image area, or the window's
    // client height after the window grew).
    int BitmapWidth() const { return bitmapWidth_; }
    int BitmapHeight() const { return bitmapHeight_; }
    int ColumnX = 70;
    int PanelY = 4;

private:
    void DrawAdapterLine(Accounting& a, WindowHost& window, char sep, const std::string& label,
                         std::uint64_t out, std::uint64_t in, const std::string& adapter);
    std::vector<PanelItem> items_;
    int bitmapWidth_ = 0;
    int bitmapHeight_ = 0;
};

}  // namespace velkaro
