#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <string>

#include "core/Texts.h"
#include "core/Formatting.h"

namespace velkaro {
namespace {

// The expected texts are written with a point; the same case is checked with a comma.
std::string WithSeparator(std::string text, char sep) {
    for (char& c : text) {
        if (c == '.') c = sep;
    }
    return text;
}

const std::string kRub = texts::kMoneyUnit;

TEST(FormatTraffic, TableOfByteSumsWithBothSeparators) {
    struct Row {
        std::uint64_t bytes;
        const char* text;
    };
    const Row rows[] = {
        {0, "0.0 Kb"},           {1, "0.0 Kb"},           {52, "0.1 Kb"},
        {256, "0.3 Kb"},         {1023, "1.0 Kb"},        {1536, "1.5 Kb"},
        {1048064, "1023.5 Kb"},  {1048575, "1024.0 Kb"},  {1048576, "1024.0 Kb"},
        {1048577, "1 Mb 0 Kb"},  {1572864, "1 Mb 512 Kb"}, {5000000, "4 Mb 786 Kb"},
        {1073741824, "1024 Mb 0 Kb"},
    };
    for (char sep : {'.', ','}) {
        for (const Row& row : rows) {
            const std::string expected = WithSeparator(row.text, sep);
            EXPECT_EQ(FormatTraffic(row.bytes, 0, sep), expected) << row.bytes;
            EXPECT_EQ(FormatTraffic(0, row.bytes, sep), expected) << row.bytes;
        }
    }
    // 51 bytes are 0.0498 Kb, 52 are 0.0508 Kb; 0.25 Kb is an exact half and goes up.
    EXPECT_EQ(FormatTraffic(51, 0, '.'), "0.0 Kb");
    EXPECT_EQ(FormatTraffic(128, 128, '.'), "0.3 Kb");
    EXPECT_EQ(FormatTraffic(1000, 536, ','), "1,5 Kb");
}

TEST(FormatTraffic, KbFormReads1024BeforeTheMbFormBegins) {
    EXPECT_EQ(FormatTraffic(1048524, 0, '.'), "1023.9 Kb");
    for (std::uint64_t bytes = 1048525; bytes <= 1048576; ++bytes) {
        EXPECT_EQ(FormatTraffic(bytes, 0, '.'), "1024.0 Kb") << bytes;
    }
    // The leftover kilobytes are cut, never rounded.
    EXPECT_EQ(FormatTraffic(1048576 + 1023, 0, '.'), "1 Mb 0 Kb");
    EXPECT_EQ(FormatTraffic(1048576 + 1024, 0, '.'), "1 Mb 1 Kb");
    EXPECT_EQ(FormatTraffic(2 * 1048576 - 1, 0, '.'), "1 Mb 1023 Kb");
    EXPECT_EQ(FormatTraffic(2 * 1048576, 0, '.'), "2 Mb 0 Kb");
}

TEST(FormatTraffic, LargeSumsNeverWrap) {
    EXPECT_EQ(FormatTraffic(4294967295u, 4294967295u, '.'), "8191 Mb 1023 Kb");
    EXPECT_EQ(FormatTraffic(4294967296u, 0, '.'), "4096 Mb 0 Kb");
    EXPECT_EQ(FormatTraffic(5000000000u, 5000000000u, '.'), "9536 Mb 761 Kb");
    EXPECT_EQ(FormatTraffic(1ull << 40, 0, '.'), "1048576 Mb 0 Kb");
    // (2^64 - 1)/1024 twice is 2^55 - 2^-9 Kb, still exact in extended precision.
    const std::uint64_t max = std::numeric_limits<std::uint64_t>::max();
    EXPECT_EQ(FormatTraffic(max, max, '.'), "35184372088831 Mb 1023 Kb");
}

TEST(FormatTrafficKb, SameRulesOnKilobytes) {
    EXPECT_EQ(FormatTrafficKb(1536, 512, '.'), "2 Mb 0 Kb");
    EXPECT_EQ(FormatTrafficKb(512, 1536, ','), "2 Mb 0 Kb");
    EXPECT_EQ(FormatTrafficKb(0, 0, '.'), "0.0 Kb");
    EXPECT_EQ(FormatTrafficKb(0, 0, ','), "0,0 Kb");
    EXPECT_EQ(FormatTrafficKb(1024, 0, '.'), "1024.0 Kb");
    EXPECT_EQ(FormatTrafficKb(1024.01L, 0, '.'), "1 Mb 0 Kb");
    EXPECT_EQ(FormatTrafficKb(1023.96L, 0, ','), "1024,0 Kb");
    EXPECT_EQ(FormatTrafficKb(0.125L, 0.125L, '.'), "0.3 Kb");
    EXPECT_EQ(FormatTrafficKb(2047.999L, 0, '.'), "1 Mb 1023 Kb");
    // Whole parts far beyond 64 bits are written digit for digit.
    EXPECT_EQ(FormatTrafficKb(std::ldexp(1.0L, 70), 0, '.'), "1152921504606846976 Mb 0 Kb");
}

TEST(FormatFixed, RoundsHalfAwayFromZeroOnExactHalves) {
    EXPECT_EQ(FormatFixed(0.25L, 1, '.'), "0.3");
    EXPECT_EQ(FormatFixed(0.375L, 2, ','), "0,38");
    EXPECT_EQ(FormatFixed(0.125L, 2, '.'), "0.13");
    EXPECT_EQ(FormatFixed(2.5L, 0, '.'), "3");
    EXPECT_EQ(FormatFixed(-0.25L, 1, '.'), "-0.3");
    EXPECT_EQ(FormatFixed(-0.125L, 2, ','), "-0,13");
    EXPECT_EQ(FormatFixed(99.995L, 2, '.'), "100.00");
}

TEST(FormatFixed, BinaryValuesJustBelowAHalfStayBelow) {
    // The doubles nearest 0.15, 2.675 and 1.005 lie below them by far more than 18 digits see.
    EXPECT_EQ(FormatFixed(0.15, 1, '.'), "0.1");
    EXPECT_EQ(FormatFixed(2.675, 2, '.'), "2.67");
    EXPECT_EQ(FormatFixed(1.005, 2, ','), "1,00");
    EXPECT_EQ(FormatFixed(0.045, 2, '.'), "0.04");
}

TEST(FormatFixed, EighteenSignificantDigitsDecideTheRounding) {
    // 0.0499999999999999999973 (the long double just below 0.05) is 0.0500000000000000000 to
    // 18 digits and so reads 0.1; 1.4e-17 further down it keeps its nines.
    const std::uint64_t below = 0xCCCCCCCCCCCCCCCCull;  // × 2^-68
    EXPECT_EQ(FormatFixed(std::ldexp(static_cast<long double>(below), -68), 1, '.'), "0.1");
    EXPECT_EQ(FormatFixed(std::ldexp(static_cast<long double>(below - 4000), -68), 1, '.'), "0.0");
    EXPECT_EQ(FormatFixed(0.05L, 1, '.'), "0.1");
    // 0.35L and 9.95L lie 5e-21 and 2e-19 below 0.35 and 9.95: halves again at 18 digits.
    EXPECT_EQ(FormatFixed(0.35L, 1, '.'), "0.4");
    EXPECT_EQ(FormatFixed(9.95L, 1, ','), "10,0");
    // Ties at the 18th digit go to the even digit.
    EXPECT_EQ(FormatFixed(static_cast<long double>(1234567890123456785ull), 1, '.'), "1234567890123456780.0");
    EXPECT_EQ(FormatFixed(static_cast<long double>(1234567890123456775ull), 1, '.'), "1234567890123456780.0");
}

TEST(FormatFixed, ZeroSignsLargeValuesAndNonNumbers) {
    EXPECT_EQ(FormatFixed(0, 2, '.'), "0.00");
    EXPECT_EQ(FormatFixed(-0.0L, 1, '.'), "0.0");
    EXPECT_EQ(FormatFixed(-0.001L, 2, '.'), "0.00");  // rounds to zero: no sign
    EXPECT_EQ(FormatFixed(-0.005L, 2, '.'), "-0.01");
    EXPECT_EQ(FormatFixed(0.004999L, 2, '.'), "0.00");
    EXPECT_EQ(FormatFixed(1e-30L, 1, '.'), "0.0");
    EXPECT_EQ(FormatFixed(1234567.891L, 2, ','), "1234567,89");
    EXPECT_EQ(FormatFixed(1e20L, 2, '.'), "100000000000000000000.00");
    EXPECT_EQ(FormatFixed(4294967295.0L * 2 / 1024, 1, '.'), "8388608.0");
    EXPECT_EQ(FormatFixed(std::numeric_limits<long double>::infinity(), 2, '.'), "INF");
    EXPECT_EQ(FormatFixed(-std::numeric_limits<long double>::infinity(), 2, '.'), "-INF");
    EXPECT_EQ(FormatFixed(std::numeric_limits<long double>::quiet_NaN(), 2, '.'), "NAN");
}

TEST(FormatCostAndPrice, MoneyTexts) {
    for (char sep : {'.', ','}) {
        EXPECT_EQ(FormatCost(1.5L * 1048576, 0, sep), WithSeparator("1.50", sep) + kRub);
        EXPECT_EQ(FormatCost(0, 1.5L * 1048576, sep), WithSeparator("1.50", sep) + kRub);
        EXPECT_EQ(FormatCost(0.35 * 10485760.0L, 2.0 * 5242880.0L, sep), WithSeparator("13.50", sep) + kRub);
        EXPECT_EQ(FormatCost(2.0 * 5242880.0L, 0.35 * 10485760.0L, sep), WithSeparator("13.50", sep) + kRub);
        EXPECT_EQ(FormatCost(0.5 * 500000.0L, 0, sep), WithSeparator("0.24", sep) + kRub);
        EXPECT_EQ(FormatCost(0, 0, sep), WithSeparator("0.00", sep) + kRub);
        EXPECT_EQ(FormatPrice(1.5, sep), WithSeparator("1.50", sep) + kRub);
        EXPECT_EQ(FormatPrice(0, sep), WithSeparator("0.00", sep) + kRub);
    }
    EXPECT_EQ(kRub, std::string(" \xF0\xF3\xE1."));  // " руб." in Windows-1251
    EXPECT_EQ(FormatPrice(2.675, '.'), "2.67" + kRub);
    EXPECT_EQ(FormatPrice(0.125, '.'), "0.13" + kRub);
    EXPECT_EQ(FormatPrice(-1.5, ','), "-1,50" + kRub);
    // 8 GiB at the largest 32-bit counters and a price of 0.35 each way.
    EXPECT_EQ(FormatCost(0.35 * 4294967295.0L, 0.35 * 4294967295.0L, '.'), "2867.20" + kRub);
}

TEST(FormatSpeed, KbPerSecondWithOneDecimalBelowAMegabyteThenMbWithTwo) {
    struct Row {
        long double rate;
        const char* text;
    };
    const Row rows[] = {
        {0, "0.0 Kb/s"},          {51, "0.0 Kb/s"},          {52, "0.1 Kb/s"},
        {1536, "1.5 Kb/s"},       {1048575, "1024.0 Kb/s"},  {1048576, "1.00 Mb/s"},
        {1053818, "1.00 Mb/s"},   {1053819, "1.01 Mb/s"},    {1572864, "1.50 Mb/s"},
        {8589934590.0L, "8192.00 Mb/s"},
    };
    for (char sep : {'.', ','})
        for (const Row& row : rows)
            EXPECT_EQ(FormatSpeed(row.rate, sep), WithSeparator(row.text, sep)) << static_cast<double>(row.rate);
}

TEST(FormatPriceGeneral, ShortestTextOfFifteenDigits) {
    struct Row {
        double value;
        const char* text;
    };
    const Row rows[] = {
        {0, "0"},
        {1.5, "1.5"},
        {2, "2"},
        {-2.5, "-2.5"},
        {0.0001, "0.0001"},
        {0.00009999, "9.999E-5"},
        {1.5e-5, "1.5E-5"},
        {-1.5e-5, "-1.5E-5"},
        {1e-5, "1E-5"},
        {1e15, "1E15"},
        {-1e15, "-1E15"},
        {999999999999999, "999999999999999"},
        {1.0 / 3, "0.333333333333333"},
        {2.0 / 3, "0.666666666666667"},
        {-1.0 / 3, "-0.333333333333333"},
        {0.1 + 0.2, "0.3"},
        {0.1, "0.1"},
        {12345.678, "12345.678"},
        {1.23456789012345678e20, "1.23456789012346E20"},
        {1e300, "1E300"},
        {0x1p-22, "2.38418579101563E-7"},  // 2.384185791015625E-7: the tie goes up
        {100000000000000.5, "100000000000001"},
        {999999999999999.9, "1E15"},        // rounds to 10^15
        {0.00009999999999999999, "0.0001"}, // rounds to 10^-4
        {std::numeric_limits<double>::max(), "1.79769313486232E308"},
        {std::numeric_limits<double>::denorm_min(), "4.94065645841247E-324"},
    };
    for (char sep : {'.', ','}) {
        for (const Row& row : rows) {
            EXPECT_EQ(FormatPriceGeneral(row.value, sep), WithSeparator(row.text, sep)) << row.text;
        }
    }
    EXPECT_EQ(FormatPriceGeneral(-0.0, ','), "0");
}

TEST(FormatPaddedCount, PadsToTenAndNeverCuts) {
    EXPECT_EQ(FormatPaddedCount(12345), "12345     ");
    EXPECT_EQ(FormatPaddedCount(0), "0         ");
    EXPECT_EQ(FormatPaddedCount(123456789), "123456789 ");
    EXPECT_EQ(FormatPaddedCount(1234567890), "1234567890");
    EXPECT_EQ(FormatPaddedCount(4294967295u), "4294967295");
}

}  // namespace
}  // namespace velkaro
