#include <gtest/gtest.h>

#include "core/Accounting.h"
#include "core/Texts.h"
#include "tests/TestSupport.h"

namespace velkaro {
namespace {

TEST(TariffLookups, GetPriceRegistersOnce) {
    Accounting a;
    EXPECT_TRUE(a.Tariffs().empty());
    EXPECT_EQ(GetPrice(a, "eth", Direction::Outgoing), 0.0);
    ASSERT_EQ(a.Tariffs().size(), 1u);
    EXPECT_EQ(a.Tariffs()[0].displayName, "eth");
    GetPrice(a, "eth", Direction::Incoming);
    EXPECT_EQ(a.Tariffs().size(), 1u);
}

TEST(TariffLookups, NamesDifferingByCaseOrTrailingBlankAreDifferentAdapters) {
    Accounting a;
    GetPrice(a, "Eth", Direction::Incoming);
    GetPrice(a, "eth", Direction::Incoming);
    GetPrice(a, "eth ", Direction::Incoming);
    EXPECT_EQ(a.Tariffs().size(), 3u);
}

TEST(TariffLookups, ThereIsNoLimitToTheEntriesGetPriceRegisters) {
    Accounting a;
    for (int i = 0; i < 300; ++i) GetPrice(a, "a" + std::to_string(i), Direction::Incoming);
    ASSERT_EQ(a.Tariffs().size(), 300u);
    a.SetPrices(253, 7, 0);
    EXPECT_EQ(GetPrice(a, "new", Direction::Incoming), 0.0);
    ASSERT_EQ(a.Tariffs().size(), 301u);
    EXPECT_EQ(a.Tariffs().back().adapter, "new");
    EXPECT_EQ(a.Tariffs()[253].priceIn, 7);
}

TEST(TariffLookups, TheSlotOfAnEntryByExactName) {
    Accounting a;
    EXPECT_FALSE(FindTariffSlot(a, ""));
    GetPrice(a, "x", Direction::Incoming);
    GetPrice(a, "eth0", Direction::Incoming);
    EXPECT_FALSE(FindTariffSlot(a, "eth"));
    EXPECT_EQ(FindTariffSlot(a, "eth0"), 1u);
}

TEST(HistoryIndex, SumsAndOpenRecordsFollowChangesAndTheAccountingDate) {
    Accounting a;
    a.SetAccountingDate({2026, 3, 7});
    AddRecord(a, "eth", {2026, 3, 7}, 10, 20);
    AddRecord(a, "eth", {2026, 3, 6}, 4000000000u, 4000000000u);
    const AdapterInfo& info = a.Adapters()[0];
    EXPECT_EQ(info.totalIn, 4000000010u);
    EXPECT_EQ(info.todayIn, 10u);
    EXPECT_EQ(info.openToday.size(), 1u);
    a.SetCounters(0, 15, 25);
    EXPECT_EQ(a.Adapters()[0].todayOut, 25u);
    a.SetAccountingDate({2026, 3, 6});
    EXPECT_EQ(a.Adapters()[0].todayIn, 4000000000u);
    EXPECT_EQ(a.Adapters()[0].openToday, std::vector<std::uint32_t>{1});
    a.CloseRecord(1, 1);
    EXPECT_TRUE(a.Adapters()[0].openToday.empty());
    a.ClearHistory();
    EXPECT_EQ(a.HistoryCount(), 0u);
    EXPECT_TRUE(a.Adapters().empty());
}

}  // namespace
}  // namespace velkaro
