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

TEST_F(SpeedTest, TheFirstReadingGivesZeroThenEachReadingTheGrowthPerSecond) {
    Read({MakeRow("eth0", 1000000, 500000)});
    EXPECT_EQ(Rate("eth0"), 0);
    Read({MakeRow("eth0", 1003000, 501000)});
    EXPECT_EQ(Rate("eth0"), 4000);  // received and sent together
    Read({MakeRow("eth0", 1003000, 501000)}, 500);
    EXPECT_EQ(Rate("eth0"), 0);
    Read({MakeRow("eth0", 1004024, 501000)}, 2000);
    EXPECT_EQ(Rate("eth0"), 512);
    EXPECT_EQ(Rate("never seen"), 0);
}

TEST_F(SpeedTest, RowsOfOneNameAddUpEachAgainstItsOwnRowOfTheLastReading) {
    Read({MakeRow("dup", 100, 100), MakeRow("dup", 50, 50)});
    // The second row is lower than the first: compared with each other the rows would count
    // backwards; compared row by row they grow by 10 and 20.
    Read({MakeRow("dup", 105, 105), MakeRow("dup", 60, 60)});
    EXPECT_EQ(Rate("dup"), 30);
    // A third row of the name has nothing to be compared with yet.
    Read({MakeRow("dup", 106, 105), MakeRow("dup", 60, 61), MakeRow("dup", 9000, 9000)});
    EXPECT_EQ(Rate("dup"), 2);
    Read({MakeRow("dup", 107, 105), MakeRow("dup", 60, 61), MakeRow("dup", 9100, 9000)});
    EXPECT_EQ(Rate("dup"), 101);
    // Other adapters between them change nothing.
    Read({MakeRow("dup", 108, 105), MakeRow("x", 1, 1), MakeRow("dup", 61, 61), MakeRow("dup", 9100, 9000)});
    EXPECT_EQ(Rate("dup"), 2);
    EXPECT_EQ(Rate("x"), 0);
}

TEST_F(SpeedTest, ARowWhoseCounterWentDownAddsNothingThatTime) {
    Read({MakeRow("a", 4294967000u, 1000), MakeRow("a", 100, 100)});
    // The first row's in counter wrapped (its out grew, which does not count either); the
    // second row grew by 7.
    Read({MakeRow("a", 200, 1500), MakeRow("a", 103, 104)});
    EXPECT_EQ(Rate("a"), 7);
    // From the new values on it counts again.
    Read({MakeRow("a", 300, 1500), MakeRow("a", 103, 104)});
    EXPECT_EQ(Rate("a"), 100);
    // An out counter that went down alone also drops its row.
    Read({MakeRow("a", 400, 0), MakeRow("a", 103, 104)});
    EXPECT_EQ(Rate("a"), 0);
}

TEST_F(SpeedTest, AnAdapterMissingFromAReadingShowsZeroAndOnReturnCountsOverTheGap) {
    Read({MakeRow("usb", 1000, 0), MakeRow("eth", 0, 0)});
    Read({MakeRow("usb", 2000, 0), MakeRow("eth", 0, 0)});
    ASSERT_EQ(Rate("usb"), 1000);
    Read({MakeRow("eth", 10, 0)});
    EXPECT_EQ(Rate("usb"), 0);  // nothing passes through an adapter that is not there
    EXPECT_EQ(Rate("eth"), 10);
    Read({MakeRow("eth", 20, 0)});
    Read({MakeRow("usb", 5000, 0), MakeRow("eth", 30, 0)});
    EXPECT_EQ(Rate("usb"), 1000);  // 3000 bytes over the three seconds since it was last seen
    // Half its rows missing: the row that is there still counts.
    Read({MakeRow("usb", 5100, 0), MakeRow("usb", 7, 7)});
    Read({MakeRow("usb", 5300, 0)});
    EXPECT_EQ(Rate("usb"), 200);
}

TEST_F(SpeedTest, FailedReadingsStretchTheIntervalAndAReadingWithoutTimePassingIsIgnored) {
    Read({MakeRow("a", 0, 0)});
    // Two ticks whose table call failed: no reading, but the clock went on.
    ms += 2000;
    Read({MakeRow("a", 3000, 3000)});
    EXPECT_EQ(Rate("a"), 2000);
    speed.Update({MakeRow("a", 9000, 9000)}, ms);  // the same moment again: nothing to divide by
    EXPECT_EQ(Rate("a"), 2000);
    Read({MakeRow("a", 3500, 3500)});  // compared with the last reading taken
    EXPECT_EQ(Rate("a"), 1000);
}

}  // namespace
}  // namespace velkaro
