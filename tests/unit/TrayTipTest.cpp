#include <gtest/gtest.h>

#include <string>

#include "core/Cp1251.h"
#include "display/TrayTip.h"

namespace velkaro {
namespace {

TEST(TrayTip, TitleTodayAndSpeedOnThreeLines) {
    PanelTotals t;
    t.out = 1048576;
    t.in = 1048576 + 3 * 1024;
    t.costOut = 0.25L * 1048576;
    t.costIn = 0.25L * 1048576;
    t.speed = 1536;
    EXPECT_EQ(TrayTipText(t, ','), "Velkaro V1.4 Final\nСегодня: 2 Mb 3 Kb, 0,50 руб.\nСкорость: 1,5 Kb/s"_cp1251);
    EXPECT_EQ(TrayTipText(PanelTotals{}, '.'), "Velkaro V1.4 Final\nСегодня: 0.0 Kb, 0.00 руб.\nСкорость: 0.0 Kb/s"_cp1251);
}

TEST(TrayTip, ATipTooLongForTheShellLosesWholeLinesFromTheEnd) {
    // A price of 1E100 roubles per Mb makes a cost of over a hundred digits: the lines from
    // that one on go, the title stays.
    PanelTotals t;
    t.out = 1048576;
    t.costOut = 1e100L * 1048576;
    EXPECT_EQ(TrayTipText(t, ','), "Velkaro V1.4 Final");

    const std::string line(60, 'x');
    const std::string three = line + "\n" + line + "\n" + line;  // 182 characters
    EXPECT_EQ(CutAtLineEnd(three, 127), line + "\n" + line);      // 121
    EXPECT_EQ(CutAtLineEnd(three, 121), line + "\n" + line);      // the end of the line fits exactly
    EXPECT_EQ(CutAtLineEnd(three, 120), line);
    EXPECT_EQ(CutAtLineEnd(three, 182), three);                   // fits whole
    EXPECT_EQ(CutAtLineEnd(std::string(130, 'y') + "\nz", 127), std::string(127, 'y'));
}

}  // namespace
}  // namespace velkaro
