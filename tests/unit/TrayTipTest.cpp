#include <gtest/gtest.h>

#include <string>

#include "statistics/TrayTip.h"

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

}  // namespace
}  // namespace velkaro
