#include <gtest/gtest.h>

#include <string>

#include "core/Texts.h"
#include "statistics/StatisticsPanel.h"

namespace velkaro {
namespace {

// The tip's lines and the cut of a cost of over a hundred digits run in the replay
// tests/replay/tip.script; here the cut at the shell's limit, to the character.
TEST(TrayTip, ATipTooLongForTheShellLosesWholeLinesFromTheEnd) {
    const std::string line(60, 'x');
    const std::string three = line + "\n" + line + "\n" + line;  // 182 characters
    EXPECT_EQ(CutAtLineEnd(three, 127), line + "\n" + line);      // 121
    EXPECT_EQ(CutAtLineEnd(three, 121), line + "\n" + line);      // the end of the line fits exactly
    EXPECT_EQ(CutAtLineEnd(three, 120), line);
    EXPECT_EQ(CutAtLineEnd(three, 182), three);                   // fits whole
    EXPECT_EQ(CutAtLineEnd(std::string(130, 'y') + "\nz", 127), std::string(127, 'y'));
}

TEST(TrayTip, AnAllowanceLineComesFourthAndATipTooLongCutsTheTitleFirst) {
    const std::string title = texts::kAppTitle;
    const std::string plain = TrayTipText(PanelTotals{}, ',');
    const std::string rest = plain.substr(title.size() + 1);  // the lines of today and speed
    auto tip = [&](std::size_t lineLength) { return TrayTipText(PanelTotals{}, ',', std::string(lineLength, 'x')); };
    const std::size_t fits = 127 - plain.size() - 1;
    EXPECT_EQ(tip(fits), plain + "\n" + std::string(fits, 'x'));
    EXPECT_EQ(tip(fits + 1), title.substr(0, title.size() - 1) + "\n" + rest + "\n" + std::string(fits + 1, 'x'));
    // A title of one letter would be left: the line goes, and the tip is one character short.
    EXPECT_EQ(tip(fits + title.size()), rest + "\n" + std::string(fits + title.size(), 'x'));
    EXPECT_EQ(tip(fits + title.size() + 2), rest);  // without the title still too long
}

}  // namespace
}  // namespace velkaro
