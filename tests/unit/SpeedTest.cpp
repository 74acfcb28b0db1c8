#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/Speed.h"
#include "tools/scripted/ScriptedPorts.h"

namespace velkaro {
namespace {

// Readings one second apart unless told otherwise.
struct SpeedTest : ::testing::Test {
    SpeedMeter speed;
    std::uint64_t ms = 5000;
    void Read(std::vector<InterfaceRow> rows, std::uint64_t step = 1000) {
        ms += step;
        speed.Update(rows, ms);
    }
    double Rate(const std::string& name) const { return static_cast<double>(speed.Rate(name)); }
};

// The first reading, rows of one name, counters going down, a missing adapter and failed
// ticks also run in the replay tests/replay/speed.script; here the cases it does not reach.
TEST_F(SpeedTest, ANewRowOfANameAndAnOutCounterGoneDownAloneAddNothingThatTime) {
    Read({MakeRow("dup", 100, 100), MakeRow("dup", 50, 50)});
    Read({MakeRow("dup", 101, 100), MakeRow("dup", 50, 51), MakeRow("dup", 9000, 9000)});
    EXPECT_EQ(Rate("dup"), 2);
    // Other adapters between them change nothing.
    Read({MakeRow("dup", 102, 100), MakeRow("x", 1, 1), MakeRow("dup", 50, 52), MakeRow("dup", 9100, 9000)});
    EXPECT_EQ(Rate("dup"), 102);
    Read({MakeRow("dup", 103, 0), MakeRow("dup", 50, 52), MakeRow("dup", 9100, 9000)});
    EXPECT_EQ(Rate("dup"), 0);
}

TEST_F(SpeedTest, AReadingWithoutTimePassingIsIgnoredAndOnlyTheRowsPresentCount) {
    Read({MakeRow("a", 0, 0)});
    ms += 2000;  // two failed ticks
    Read({MakeRow("a", 3000, 3000)});
    EXPECT_EQ(Rate("a"), 2000);
    speed.Update({MakeRow("a", 9000, 9000)}, ms);  // the same moment again: nothing to divide by
    EXPECT_EQ(Rate("a"), 2000);
    Read({MakeRow("a", 3500, 3500), MakeRow("a", 7, 7)});
    EXPECT_EQ(Rate("a"), 1000);
    Read({MakeRow("a", 3700, 3500)});  // half its rows missing: the row that is there counts
    EXPECT_EQ(Rate("a"), 200);
    EXPECT_EQ(Rate("never seen"), 0);
}

}  // namespace
}  // namespace velkaro
