// The texts of byte counts, money and prices, and the reading of the numbers people type or
// files hold. Pure functions; every number text uses the decimal separator passed in (the
// regional setting). Arithmetic in 80-bit long double.
#pragma once

#include <charconv>
#include <cstdint>
#include <string>
#include <string_view>
#include <type_traits>

namespace velkaro {

// Fixed-point text of v with `decimals` decimals: 18 significant digits, then rounded half
// away from zero; at least one integer digit, no grouping.
std::string FormatFixed(long double v, int decimals, char sep);

// Traffic text of a + b bytes: "0.3 Kb", "1024.0 Kb", "1 Mb 512 Kb".
std::string FormatTraffic(std::uint64_t a, std::uint64_t b, char sep);
// The same for x + y Kb.
std::string FormatTrafficKb(long double x, long double y, char sep);
// Cost text of x/1048576 + y/1048576: "13.50 руб.".
std::string FormatCost(long double x, long double y, char sep);
// Below 1048576 bytes per second in Kb/s with one decimal ("12.5 Kb/s"), else Mb/s with two.
std::string FormatSpeed(long double bytesPerSecond, char sep);
// Panel price text: "1.50 руб.".
std::string FormatPrice(long double p, char sep);
// Shortest text with at most 15 significant digits: "0", "1.5", "1.5E-5", "1E15".
std::string FormatPriceGeneral(long double p, char sep);
// Decimal digits padded with blanks to at least 10 characters.
std::string FormatPaddedCount(std::uint32_t n);

// The whole text as a number in the base (hexadecimal digits in either case); false for
// anything else: nothing, a sign, a blank, a value past T's range.
template <class T> bool ReadDigits(std::string_view text, T& value, int base = 10) {
    static_assert(std::is_unsigned_v<T>, "a sign is the caller's to read");
    const auto res = std::from_chars(text.data(), text.data() + text.size(), value, base);
    return res.ec == std::errc() && res.ptr == text.data() + text.size();
}

// The text without the blanks (0x20 only) around it.
std::string_view TrimBlanks(std::string_view text);

// Blanks (0x20 only) around, optional sign, "," or "." as decimal separator, optional signed
// exponent. False when the text is not such a number; refusing negatives is the caller's job.
bool TryReadPrice(const std::string& text, double& value);

// 1 to 31 in decimal digits, blanks (0x20) around allowed. False for any other text.
bool ReadPeriodDay(std::string_view text, int& day);

// Throws AppError "'<text>' is not a valid floating point value".
double ReadPrice(const std::string& text);

}  // namespace velkaro
