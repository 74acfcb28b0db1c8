// Reading price texts into doubles. The text is checked and brought to one form here, then
// std::from_chars rounds it once to the nearest (ties to even): neither locale nor C library
// decides the decimal point or the last bit.
#include "core/NumberText.h"

#include <algorithm>
#include <charconv>
#include <limits>
#include <string>

#include "core/AppError.h"
#include "core/Texts.h"

namespace velkaro {
namespace {

// Only the blank itself may stand around a number: a control character (a TAB, a line end
// typed or pasted into the dialog) makes the text not a number.
std::string_view TrimBlanks(std::string_view text) {
    const std::size_t begin = std::min(text.find_first_not_of(' '), text.size());
    return text.substr(begin, text.find_last_not_of(' ') + 1 - begin);
}
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Whether digits × 10^exponent (digits: no leading zeros) is at most limit × 10^limitExponent.
bool NotAbove(const std::string& digits, long long exponent, const std::string& limit, long long limitExponent) {
    const long long top = static_cast<long long>(digits.size()) + exponent;
    const long long limitTop = static_cast<long long>(limit.size()) + limitExponent;
    if (top != limitTop) return top < limitTop;
    const std::size_t length = std::max(digits.size(), limit.size());
    std::string a = digits, b = limit;
    a.resize(length, '0');
    b.resize(length, '0');
    return a <= b;
}

}  // namespace

bool TryReadPrice(const std::string& typed, double& value) {
    const std::string_view text = TrimBlanks(typed);
    const std::size_t end = text.size();
    std::size_t i = 0;
    bool negative = false;
    if (i < end && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }

    std::string digits;       // significant digits, leading zeros dropped
    long long exponent = 0;   // value = digits × 10^exponent
    bool sawDigit = false;
    bool sawSeparator = false;
    for (; i < end; ++i) {
        const char c = text[i];
        if (IsDigit(c)) {
            sawDigit = true;
            if (sawSeparator) --exponent;
            if (!digits.empty() || c != '0') digits += c;
        } else if ((c == ',' || c == '.') && !sawSeparator) {
            sawSeparator = true;
        } else {
            break;
        }
    }
    if (!sawDigit) return false;

    if (i < end && (text[i] == 'E' || text[i] == 'e')) {
        ++i;
        bool expNegative = false;
        if (i < end && (text[i] == '+' || text[i] == '-')) {
            expNegative = text[i] == '-';
            ++i;
        }
        if (i >= end || !IsDigit(text[i])) return false;
        long long written = 0;
        for (; i < end && IsDigit(text[i]); ++i) {
            // Beyond a million the value is out of range either way; stop growing.
            if (written < 1000000) written = written * 10 + (text[i] - '0');
        }
        exponent += expNegative ? -written : written;
    }
    if (i != end) return false;

    if (digits.empty()) {
        value = 0;
        return true;
    }
    const std::string number = digits + 'e' + std::to_string(exponent);
    double magnitude = 0;
    const auto read = std::from_chars(number.data(), number.data() + number.size(), magnitude);
    // Out of range below 1 is too small for the smallest double: it reads as 0.
    const bool overflow = read.ec == std::errc::result_out_of_range &&
                          static_cast<long long>(digits.size()) + exponent > 0;
    if (overflow) {
        // Prices are saved with 15 significant digits, and the largest double is written
        // 1.79769313486232E308, just past the double range; such a text reads as the largest
        // double so that every saved price loads again. Anything larger is out of range.
        if (!NotAbove(digits, exponent, "179769313486232", 294)) return false;
        magnitude = std::numeric_limits<double>::max();
    } else if (read.ec != std::errc()) {
        magnitude = 0;
    }
    value = negative && magnitude != 0 ? -magnitude : magnitude;
    return true;
}

bool ReadPeriodDay(std::string_view text, int& day) {
    unsigned value = 0;
    if (!ReadDigits(TrimBlanks(text), value) || value < 1 || value > 31) return false;
    day = static_cast<int>(value);
    return true;
}

double ReadPrice(const std::string& text) {
    double value = 0;
    if (!TryReadPrice(text, value)) {
        std::string message = texts::kNotAFloat;
        const std::size_t at = message.find("%s");
        if (at != std::string::npos) message.replace(at, 2, text);
        throw AppError(message);
    }
    return value;
}

}  // namespace velkaro
