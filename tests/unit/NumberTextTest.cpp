#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <string>

#include "core/Cp1251.h"
#include "core/Files.h"
#include "core/Formatting.h"

namespace velkaro {
namespace {

double Read(const std::string& text) {
    double value = -12345;
    EXPECT_TRUE(TryReadPrice(text, value)) << "'" << text << "'";
    return value;
}

bool Rejects(const std::string& text) {
    double value = -12345;
    const bool ok = TryReadPrice(text, value);
    return !ok && value == -12345;  // a rejected text leaves the value alone
}

// The files' counters, days and settings: digits alone, each to its type's end.
TEST(ReadDigitsText, TheWholeTextInItsBaseOrNothing) {
    std::uint64_t big = 7;
    EXPECT_TRUE(ReadDigits("18446744073709551615", big));
    EXPECT_EQ(big, 18446744073709551615u);
    unsigned small = 7;
    EXPECT_TRUE(ReadDigits("0031", small));
    EXPECT_EQ(small, 31u);
    EXPECT_TRUE(ReadDigits("fF", small, 16));
    EXPECT_EQ(small, 255u);
    for (const char* bad : {"", "+1", "-1", " 1", "1 ", "1a", "4294967296", "0x1"})
        EXPECT_FALSE(ReadDigits(bad, small)) << bad;
    EXPECT_FALSE(ReadDigits("18446744073709551616", big));
}

TEST(ReadPriceText, EitherSeparatorSignsBlanksAndExponents) {
    for (const char* sep : {",", "."}) {
        const std::string s = sep;
        EXPECT_EQ(Read("1" + s + "5"), 1.5);
        EXPECT_EQ(Read("  1" + s + "5  "), 1.5);
        EXPECT_EQ(Read("-0" + s + "35"), -0.35);
        EXPECT_EQ(Read("+2" + s + "25"), 2.25);
        EXPECT_EQ(Read(s + "5"), 0.5);
        EXPECT_EQ(Read("5" + s), 5.0);
        EXPECT_EQ(Read("00012" + s + "50"), 12.5);
        EXPECT_EQ(Read("1" + s + "5E2"), 150.0);
        EXPECT_EQ(Read("1" + s + "5e-5"), 1.5e-5);
        EXPECT_EQ(Read("0" + s + "1"), 0.1);
        EXPECT_EQ(Read("0" + s + "000000000000000000001e21"), 1.0);
    }
    EXPECT_EQ(Read("2"), 2.0);
    EXPECT_EQ(Read("1e+3"), 1000.0);
    EXPECT_EQ(Read("1E-0003"), 0.001);
    EXPECT_EQ(Read("1E15"), 1e15);
    EXPECT_EQ(Read("9.999E-5"), 9.999e-5);
    EXPECT_EQ(Read("0.333333333333333"), 0.333333333333333);
    EXPECT_EQ(Read("1e-400"), 0.0);  // underflow gives zero
}

TEST(ReadPriceText, OnlyTheBlankMayStandAroundANumber) {
    EXPECT_EQ(Read("   2,5   "), 2.5);
    for (const char control : {'\t', '\r', '\n', '\x01', '\x1F', '\0'}) {
        const std::string c(1, control);
        for (const std::string& text : {c + "2,5", "2,5" + c, " " + c + " 2,5", "2,5 " + c})
            EXPECT_TRUE(Rejects(text)) << "control " << static_cast<int>(control);
    }
}

TEST(ReadPriceText, ZeroIsNeverNegative) {
    for (const char* text : {"0", "-0", "-0,0", "000", "-0e5", "-1e-400"}) {
        const double v = Read(text);
        EXPECT_EQ(v, 0.0) << text;
        EXPECT_FALSE(std::signbit(v)) << text;
    }
}

TEST(ReadPriceText, RejectsWhatIsNotAPlainNumber) {
    const char* const bad[] = {
        "",     "   ",   "\t",    "abc",   "1,5,5",  "1.5,5", "1,5.5", "1 000", "1 5",
        "1,5 руб."_cp1251, "inf", "-inf", "nan",  "INF",    "0x10",  "$10",   "1e",    "1e+",
        "1E-",  "e5",    ",",     ".",     "-",      "+",     "+-1",   "--1",   "1e5.5",
        "1,5e2,1", "1ee5", "1e5e5", "1d5", "5-",     "1\xA0", "\xA0" "1", "12abc", "1_000",
    };
    for (const char* text : bad) EXPECT_TRUE(Rejects(text)) << "'" << text << "'";
}

TEST(ReadPriceText, OverflowIsNotANumber) {
    EXPECT_TRUE(Rejects("1e400"));
    EXPECT_TRUE(Rejects("-1e309"));
    EXPECT_TRUE(Rejects("1" + std::string(400, '0')));
    EXPECT_TRUE(Rejects("1e99999999999999999999"));
    EXPECT_EQ(Read("1.7976931348623158e308"), std::numeric_limits<double>::max());
    // The saved text of the largest double is just past the range and still reads as it.
    EXPECT_EQ(Read("1,79769313486232E308"), std::numeric_limits<double>::max());
    EXPECT_EQ(Read("-179769313486232000000e288"), -std::numeric_limits<double>::max());
    EXPECT_TRUE(Rejects("1.797693134862320000001E308"));
    EXPECT_TRUE(Rejects("1.79769313486233E308"));
    EXPECT_EQ(Read("-1.7976931348623157E308"), -std::numeric_limits<double>::max());
    EXPECT_EQ(Read("0e99999999999999999999"), 0.0);
    EXPECT_EQ(Read("1e-99999999999999999999"), 0.0);
}

TEST(ReadPriceText, CorrectlyRoundedToTheNearestDouble) {
    // Ties between neighbouring doubles go to the even one.
    EXPECT_EQ(Read("9007199254740993"), 0x1p53);
    EXPECT_EQ(Read("9007199254740995"), 0x1p53 + 4);
    EXPECT_EQ(Read("9007199254740993.0000000000000000000001"), 0x1p53 + 2);
    // 1 + 2^-53 exactly is a tie and stays 1; any further digit, however far out, tips it.
    const std::string half = "1.00000000000000011102230246251565404236316680908203125";
    EXPECT_EQ(Read(half), 1.0);
    EXPECT_EQ(Read(half + std::string(900, '0')), 1.0);
    EXPECT_EQ(Read(half + std::string(900, '0') + "1"), 1.0 + 0x1p-52);
    EXPECT_EQ(Read("0.99999999999999994448884876874217297881841659545898437"), 1.0 - 0x1p-53);
    // Subnormals and the boundary to zero.
    EXPECT_EQ(Read("2.2250738585072011e-308"), 0x0.fffffffffffffp-1022);
    EXPECT_EQ(Read("2.2250738585072014e-308"), 0x1p-1022);
    EXPECT_EQ(Read("4.9406564584124654e-324"), 0x1p-1074);
    EXPECT_EQ(Read("2.4703282292062328e-324"), 0x1p-1074);
    EXPECT_EQ(Read("2.4703282292062327e-324"), 0.0);
    EXPECT_EQ(Read("1.5e-323"), 0x3p-1074);
}

TEST(ReadPriceText, ErrorTextNamesTheTextAsGiven) {
    EXPECT_EQ(ReadPrice(" 1,5 "), 1.5);
    EXPECT_EQ(ReadPrice("1.5"), 1.5);
    const auto message = [](const std::string& text) {
        try {
            ReadPrice(text);
        } catch (const AppError& e) {
            return std::string(e.what());
        }
        return std::string("no error");
    };
    EXPECT_EQ(message(""), "'' is not a valid floating point value");
    EXPECT_EQ(message(" 1,5x "), "' 1,5x ' is not a valid floating point value");
    EXPECT_EQ(message("a%sb"), "'a%sb' is not a valid floating point value");
    EXPECT_EQ(message("1e400"), "'1e400' is not a valid floating point value");
}

}  // namespace
}  // namespace velkaro
