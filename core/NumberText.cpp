// Reading price texts into doubles. The text is checked and brought to digits and an exponent
// here, without a decimal point for a locale to decide, then strtod rounds it once to the
// nearest (ties to even; mingw-w64's own strtod, not msvcrt's, in the Windows build).
#include "core/NumberText.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <limits>
#include <string>

#include "core/AppError.h"
#include "core/Files.h"
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
    errno = 0;
    double magnitude = std::strtod(number.c_str(), nullptr);
    // Out of range below 1 is too small for a normal double: it reads as what strtod rounded
    // it to, a subnormal or 0.
    const long long integerDigits = static_cast<long long>(digits.size()) + exponent;
    if (errno == ERANGE && integerDigits > 0) {
        // Prices are saved with 15 significant digits, and the largest double is written
        // 1.79769313486232E308, just past the double range; such a text reads as the largest
        // double so that every saved price loads again. Anything larger is out of range. An
        // overflow has 309 integer digits at least; with 309 the digits compare as texts.
        std::string largest = "179769313486232";
        largest.resize(std::max(largest.size(), digits.size()), '0');
        digits.resize(largest.size(), '0');
        if (integerDigits != 309 || digits > largest) return false;
        magnitude = std::numeric_limits<double>::max();
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
    if (!TryReadPrice(text, value)) throw AppError(FillText(texts::kNotAFloat, {text}));
    return value;
}

}  // namespace velkaro
