// Reading the numbers people type or files hold.
#pragma once

#include <charconv>
#include <string>
#include <string_view>
#include <type_traits>

namespace velkaro {

// The whole text as a number in the base (hexadecimal digits in either case); false for
// anything else: nothing, a sign, a blank, a value past T's range.
template <class T> bool ReadDigits(std::string_view text, T& value, int base = 10) {
    static_assert(std::is_unsigned_v<T>, "a sign is the caller's to read");
    const auto res = std::from_chars(text.data(), text.data() + text.size(), value, base);
    return res.ec == std::errc() && res.ptr == text.data() + text.size();
}

// Blanks (0x20 only) around, optional sign, "," or "." as decimal separator, optional signed
// exponent. False when the text is not such a number; refusing negatives is the caller's job.
bool TryReadPrice(const std::string& text, double& value);

// 1 to 31 in decimal digits, blanks (0x20) around allowed. False for any other text.
bool ReadPeriodDay(std::string_view text, int& day);

// Throws AppError "'<text>' is not a valid floating point value".
double ReadPrice(const std::string& text);

}  // namespace velkaro
