// The speed graph's points and scale, and the tray icon's traffic state, from the adapters'
// speeds of each tick.
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "core/Accounting.h"
#include "core/Cp1251.h"
#include "statistics/SpeedGraph.h"
#include "tests/TestSupport.h"

namespace velkaro {
namespace {

struct Speeds : ::testing::Test {
    Accounting a;
    SpeedHistory history;

    AdapterId Adapter(const std::string& name, std::uint32_t traffic = 1) {
        AddRecord(a, name, Day(2026, 5, 5), traffic, 0);
        AdapterId id = 0;
        a.FindAdapter(name, id);
        return id;
    }
    // One tick in which each adapter named moved so many bytes per second in and out.
    void Tick(std::vector<std::tuple<std::string, double, double>> speeds) {
        a.ResetRates();
        for (const auto& [name, in, out] : speeds) {
            AdapterId id = 0;
            ASSERT_TRUE(a.FindAdapter(name, id)) << name;
            RowGrowth g;
            g.rateIn = in;
            g.rateOut = out;
            g.rate = in + out;
            a.AddRate(id, g);
        }
        history.Record(a);
    }
};

TEST_F(Speeds, EachTickAddsAPointAndTheLastSixHundredStayOldestFirst) {
    Adapter("eth");
    for (int i = 1; i <= 605; ++i) Tick({{"eth", double(i), double(2 * i)}});
    const std::vector<SpeedPoint> points = history.PointsOf("eth");
    ASSERT_EQ(points.size(), SpeedHistory::kPoints);
    EXPECT_EQ(points.front(), (SpeedPoint{6, 12}));
    EXPECT_EQ(points.back(), (SpeedPoint{605, 1210}));
    EXPECT_EQ(history.PointsOfAll(), points);
}

TEST_F(Speeds, AnAdapterFirstMovingLateHasZerosBeforeAndOneGoneGoesOnAtZero) {
    Adapter("eth");
    Adapter("wifi");
    Tick({{"eth", 100, 0}});
    Tick({{"eth", 100, 0}, {"wifi", 0, 50}});
    Tick({{"wifi", 0, 70}});
    Tick({});
    EXPECT_EQ(history.PointsOf("wifi"), (std::vector<SpeedPoint>{{0, 0}, {0, 50}, {0, 70}, {0, 0}}));
    EXPECT_EQ(history.PointsOf("eth"), (std::vector<SpeedPoint>{{100, 0}, {100, 0}, {0, 0}, {0, 0}}));
    EXPECT_EQ(history.PointsOfAll(), (std::vector<SpeedPoint>{{100, 0}, {100, 50}, {0, 70}, {0, 0}}));
    EXPECT_EQ(history.PointsOf("never"), std::vector<SpeedPoint>(4));
}

TEST_F(Speeds, TheSumAndTheTrayStateCountOnlyTheAdaptersShown) {
    Adapter("eth");
    Adapter("idle", 0);
    Adapter("wifi");
    EXPECT_EQ(history.Activity(true), TrayActivity::Idle);  // before the first tick
    Tick({});
    EXPECT_EQ(history.Activity(true), TrayActivity::Idle);
    Tick({{"eth", 10, 0}});
    EXPECT_EQ(history.Activity(true), TrayActivity::In);
    Tick({{"wifi", 0, 10}});
    EXPECT_EQ(history.Activity(true), TrayActivity::Out);
    Tick({{"eth", 10, 0}, {"wifi", 0, 10}});
    EXPECT_EQ(history.Activity(true), TrayActivity::Both);
    EXPECT_EQ(history.Activity(false), TrayActivity::Off);

    // The SHOW setting leaves wifi out of the sum and of the icon, not out of its own series.
    a.SetAdapterFilter("eth");
    Tick({{"eth", 10, 0}, {"wifi", 0, 10}});
    EXPECT_EQ(history.Activity(true), TrayActivity::In);
    EXPECT_EQ(history.PointsOfAll().back(), (SpeedPoint{10, 0}));
    EXPECT_EQ(history.PointsOf("wifi").back(), (SpeedPoint{0, 10}));
    // Hidden while idle: an adapter without traffic (a speed without records is the sampler's
    // first reading of a new interface, never counted yet).
    a.SetAdapterFilter("");
    a.SetHideIdle(true);
    Tick({{"idle", 5, 5}});
    EXPECT_EQ(history.Activity(true), TrayActivity::Idle);
    EXPECT_EQ(history.PointsOfAll().back(), (SpeedPoint{0, 0}));
}

// ---- The graph's scale and texts ----

std::vector<std::string> Labels(const SpeedGraph& g) {
    std::vector<std::string> labels;
    for (const auto& line : g.grid) labels.push_back(line.label);
    return labels;
}

TEST(SpeedGraphScale, FitsTheHighestPointInAtMostFourRoundStepsNeverBelowOneKb) {
    struct Case {
        double highest;
        double top;
        std::vector<std::string> labels;
    } cases[] = {
        {0, 1024, {"0,5 Kb/s", "1,0 Kb/s"}},
        {1024, 1024, {"0,5 Kb/s", "1,0 Kb/s"}},       // exactly at the top: no line more
        {1025, 1536, {"0,5 Kb/s", "1,0 Kb/s", "1,5 Kb/s"}},
        {2049, 3072, {"1,0 Kb/s", "2,0 Kb/s", "3,0 Kb/s"}},
        {4097, 6144, {"2,0 Kb/s", "4,0 Kb/s", "6,0 Kb/s"}},
        {8193, 10240, {"5,0 Kb/s", "10,0 Kb/s"}},
        {800 * 1024.0 + 1, 1048576, {"256,0 Kb/s", "512,0 Kb/s", "768,0 Kb/s", "1,00 Mb/s"}},
        {1048577, 1572864, {"512,0 Kb/s", "1,00 Mb/s", "1,50 Mb/s"}},
        {5 * 1048576.0, 6 * 1048576.0, {"2,00 Mb/s", "4,00 Mb/s", "6,00 Mb/s"}},
        {1e12, 1000000 * 1048576.0, {"500000,00 Mb/s", "1000000,00 Mb/s"}},
    };
    for (const Case& c : cases) {
        const SpeedGraph g = MakeSpeedGraph({{c.highest, 0}, {0, c.highest / 2}}, ',');
        EXPECT_EQ(g.top, c.top) << c.highest;
        EXPECT_EQ(Labels(g), c.labels) << c.highest;
        EXPECT_GE(g.top, c.highest);
        EXPECT_LE(g.grid.size(), 4u);
    }
    // Sent traffic counts for the scale as received does.
    EXPECT_EQ(MakeSpeedGraph({{0, 3000}}, ',').top, 3072);
}

TEST(SpeedGraphTexts, NowAverageAndHighestOfEachDirectionInThePanelsSpeedTexts) {
    const SpeedGraph g = MakeSpeedGraph({{1024, 0}, {3072, 512}, {2048, 0}}, '.');
    EXPECT_EQ(g.inLine, "Принято: сейчас 2.0 Kb/s, в среднем 2.0 Kb/s, наибольшая 3.0 Kb/s"_cp1251);
    EXPECT_EQ(g.outLine, "Отправлено: сейчас 0.0 Kb/s, в среднем 0.2 Kb/s, наибольшая 0.5 Kb/s"_cp1251);
    const SpeedGraph empty = MakeSpeedGraph({}, ',');
    EXPECT_EQ(empty.inLine, "Принято: сейчас 0,0 Kb/s, в среднем 0,0 Kb/s, наибольшая 0,0 Kb/s"_cp1251);
    EXPECT_EQ(empty.top, 1024);
}

}  // namespace
}  // namespace velkaro
