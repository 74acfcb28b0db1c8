// Fuzz target for price texts: reading them, and the amount texts written from what was read.
//
// Properties checked on every input:
// - a text that reads is a finite double, and the same text with the other decimal separator
//   reads to the same double; glibc's strtod (C locale) agrees on value and on overflow
//   (but for texts up to 1.79769313486232E308, which read as the largest double);
// - FormatPriceGeneral's text reads back within its 15-digit rounding, exactly when the input
//   had at most 15 significant digits; it never has more than 15 of them;
// - FormatFixed's text reads back within half a unit of its last decimal;
// - the first 16 bytes as two 64-bit counters give a traffic text of the right shape, whose
//   Mb and Kb parts are the exact quotients of the byte sum.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>

#include "core/Formatting.h"

using namespace velkaro;

namespace {

void Check(bool condition) {
    if (!condition) std::abort();
}

// The same text with "," and "." exchanged.
std::string SwapSeparators(std::string text) {
    for (char& c : text) {
        if (c == ',') {
            c = '.';
        } else if (c == '.') {
            c = ',';
        }
    }
    return text;
}

// Significant digits in a number text (mantissa only, leading zeros skipped).
int SignificantDigits(const std::string& text) {
    int count = 0;
    bool started = false;
    for (char c : text) {
        if (c == 'E' || c == 'e') break;
        if (c < '0' || c > '9') continue;
        if (c != '0') started = true;
        if (started) ++count;
    }
    return count;
}

// Significant digits of the mantissa, trailing zeros not counted.
int SignificantDigitsWithoutTrailingZeros(const std::string& text) {
    std::string digits;
    for (char c : text) {
        if (c == 'E' || c == 'e') break;
        if (c >= '0' && c <= '9' && !(digits.empty() && c == '0')) digits += c;
    }
    while (!digits.empty() && digits.back() == '0') digits.pop_back();
    return static_cast<int>(digits.size());
}

void CheckReading(const std::string& text) {
    double value = 0;
    const bool ok = TryReadPrice(text, value);

    double swapped = 0;
    const bool swappedOk = TryReadPrice(SwapSeparators(text), swapped);
    Check(ok == swappedOk);
    if (ok) Check(std::memcmp(&value, &swapped, sizeof value) == 0);

    if (!ok) return;
    Check(std::isfinite(value));

    // strtod sees the same number once the text is in its own form: trimmed, with a point.
    std::string plain;
    for (char c : text) {
        if (static_cast<unsigned char>(c) > ' ') plain += c == ',' ? '.' : c;
    }
    char* end = nullptr;
    const double reference = std::strtod(plain.c_str(), &end);
    Check(end == plain.c_str() + plain.size());
    if (std::isinf(reference)) {
        // Only the sliver up to 1.79769313486232E308, the saved text of the largest double.
        Check(std::fabs(value) == std::numeric_limits<double>::max());
        Check(std::fabs(std::strtold(plain.c_str(), nullptr)) <= 1.79769313486232E308L);
    } else {
        Check(reference == value);
    }

    // General text: at most 15 digits, reads back within their rounding.
    for (char sep : {'.', ','}) {
        const std::string general = FormatPriceGeneral(value, sep);
        Check(SignificantDigits(general) <= 15);
        double back = 0;
        Check(TryReadPrice(general, back));
        const long double v = value;
        const long double tolerance =
            std::fabs(v) * 5.0001e-15L + std::fabs(v) * 0x1p-53L + 0x1p-1074L;
        Check(std::fabs(static_cast<long double>(back) - v) <= tolerance);
        if (SignificantDigitsWithoutTrailingZeros(text) <= 15 && std::fabs(value) >= 0x1p-1022) {
            Check(back == value);
        }
    }

    // Fixed texts: half a unit of the last decimal, plus the 18-digit cut and the reading.
    for (int decimals : {1, 2}) {
        const std::string fixed = FormatFixed(value, decimals, ',');
        Check(SwapSeparators(fixed) == FormatFixed(value, decimals, '.'));
        double back = 0;
        Check(TryReadPrice(fixed, back));
        const long double half = decimals == 1 ? 0.05L : 0.005L;
        const long double tolerance = half * 1.0001L + std::fabs(static_cast<long double>(value)) * 1.2e-16L;
        Check(std::fabs(static_cast<long double>(back) - value) <= tolerance);
    }
}

void CheckTraffic(const std::uint8_t* data, std::size_t size) {
    if (size < 16) return;
    std::uint64_t a = 0;
    std::uint64_t b = 0;
    std::memcpy(&a, data, 8);
    std::memcpy(&b, data + 8, 8);
    const std::string text = FormatTraffic(a, b, ',');
    Check(text == FormatTraffic(b, a, ','));
    Check(text.size() > 3 && text.compare(text.size() - 3, 3, " Kb") == 0);
    if (a > std::numeric_limits<std::uint64_t>::max() - b) return;  // sum beyond 64 bits
    const std::uint64_t sum = a + b;                             // K = sum/1024 is exact
    if (sum > 1048576) {
        const std::string expected =
            std::to_string(sum >> 20) + " Mb " + std::to_string((sum >> 10) & 1023) + " Kb";
        Check(text == expected);
    } else {
        // Tenths of a kilobyte, rounded half up: (sum × 10 + 512) / 1024.
        const std::uint64_t tenths = (sum * 10 + 512) / 1024;
        const std::string expected = std::to_string(tenths / 10) + "," + std::to_string(tenths % 10) + " Kb";
        Check(text == expected);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    CheckReading(text);
    CheckTraffic(data, size);
    return 0;
}
