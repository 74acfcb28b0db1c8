#include <gtest/gtest.h>

#include <string>

#include "core/Accounting.h"
#include "core/Cp1251.h"
#include "report/HistoryReport.h"
#include "tests/TestSupport.h"

namespace velkaro {
namespace {

// Two bytes for the Cyrillic letters, three for the signs beyond U+07FF, and the byte that
// stands for no character kept as U+0098.
TEST(Utf8FromCp1251, EveryKindOfByte) {
    EXPECT_EQ(Utf8FromCp1251(std::string("a;\r\n\x01", 5)), std::string("a;\r\n\x01", 5));
    EXPECT_EQ(Utf8FromCp1251("\xC0\xFF\xA8\xB8"), "\xD0\x90\xD1\x8F\xD0\x81\xD1\x91");  // Ая Ёё
    EXPECT_EQ(Utf8FromCp1251("\xB9\x88\x99"), "\xE2\x84\x96\xE2\x82\xAC\xE2\x84\xA2");  // №€™
    EXPECT_EQ(Utf8FromCp1251("\x98\xA0"), "\xC2\x98\xC2\xA0");
    EXPECT_EQ(Utf8FromCp1251(""), "");
}

TEST(CsvField, QuotedOnlyWhenItHoldsASeparatorQuoteOrLineEnd) {
    EXPECT_EQ(CsvField("Ethernet 2"), "Ethernet 2");
    EXPECT_EQ(CsvField(" a,b "), " a,b ");
    EXPECT_EQ(CsvField(""), "");
    EXPECT_EQ(CsvField("a;b"), "\"a;b\"");
    EXPECT_EQ(CsvField("say \"hi\""), "\"say \"\"hi\"\"\"");
    EXPECT_EQ(CsvField("\""), "\"\"\"\"");
    EXPECT_EQ(CsvField("a\rb"), "\"a\rb\"");
    EXPECT_EQ(CsvField("a\nb"), "\"a\nb\"");
}

// The "SHOW" setting keeps one adapter's rows; naming none that has records leaves the header.
TEST(HistoryCsv, ShowSettingKeepsItsAdapterOnly) {
    Accounting a;
    AddRecord(a, "eth", Day(2026, 3, 1), 1048576, 0);
    AddRecord(a, "wlan", Day(2026, 3, 1), 1048576, 0);
    a.AddTariff(TariffEntry{2, 1, "wlan", "WLAN"});
    const std::string header = HistoryCsvText(Accounting{}, ',');  // its bytes: the replay's golden
    a.SetAdapterFilter("wlan");
    EXPECT_EQ(HistoryCsvText(a, ','), header + "01.03.2026;wlan;WLAN;1048576;0;2,00\r\n");
    a.SetAdapterFilter("none");
    EXPECT_EQ(HistoryCsvText(a, ','), header);
}

}  // namespace
}  // namespace velkaro
