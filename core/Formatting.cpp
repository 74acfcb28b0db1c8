// Texts of byte counts, money and prices. Digits are made here, not by printf, whose long
// double output and decimal point differ between the two builds' C libraries: the exact
// decimal expansion is computed (base 10^9) and all rounding happens on digit strings.
//
// Reading price texts into doubles: the text is checked and brought to digits and an exponent
// here, without a decimal point for a locale to decide, then strtod rounds it once to the
// nearest (ties to even; mingw-w64's own strtod, not msvcrt's, in the Windows build).
#include "core/Formatting.h"

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <string>
#include <vector>

#include "core/Files.h"
#include "core/Texts.h"

namespace velkaro {
namespace {

static_assert(LDBL_MANT_DIG == 64, "amounts are computed in 80-bit extended precision");

// digits × 10^pow, no leading zeros; empty digits is zero.
struct Decimal {
    std::string digits;
    int pow = 0;

    bool IsZero() const { return digits.empty(); }
    // Position of the leading digit: the value lies in [10^Top(), 10^(Top()+1)).
    int Top() const { return static_cast<int>(digits.size()) + pow - 1; }
};

void StripTrailingZeros(Decimal& d) {
    std::size_t end = d.digits.find_last_not_of('0');
    if (end == std::string::npos) {
        d.digits.clear();
        d.pow = 0;
        return;
    }
    d.pow += static_cast<int>(d.digits.size() - 1 - end);
    d.digits.erase(end + 1);
}

// Base-10^9 natural number, least significant limb first; only what the exact expansion needs.
class DecimalBig {
public:
    explicit DecimalBig(std::uint64_t v) {
        do {
            limbs_.push_back(static_cast<std::uint32_t>(v % kBase));
            v /= kBase;
        } while (v != 0);
    }

    void Multiply(std::uint32_t factor) {
        std::uint64_t carry = 0;
        for (std::uint32_t& limb : limbs_) {
            std::uint64_t t = static_cast<std::uint64_t>(limb) * factor + carry;
            limb = static_cast<std::uint32_t>(t % kBase);
            carry = t / kBase;
        }
        while (carry != 0) {
            limbs_.push_back(static_cast<std::uint32_t>(carry % kBase));
            carry /= kBase;
        }
    }

    // Multiplies by base^exponent, in steps of at most base^stepExponent, which stays below 2^32.
    void MultiplyPower(std::uint32_t base, int exponent, int stepExponent) {
        for (; exponent > 0; exponent -= stepExponent) {
            std::uint32_t factor = 1;
            for (int i = 0; i < std::min(exponent, stepExponent); ++i) factor *= base;
            Multiply(factor);
        }
    }

    std::string Digits() const {
        std::string out = std::to_string(limbs_.back());
        for (std::size_t i = limbs_.size() - 1; i-- > 0;) {
            std::string part = std::to_string(limbs_[i]);
            out.append(9 - part.size(), '0');
            out += part;
        }
        return out;
    }

private:
    static constexpr std::uint32_t kBase = 1000000000u;
    std::vector<std::uint32_t> limbs_;
};

// The exact decimal value of |v| (v finite).
Decimal ExactDecimal(long double v) {
    Decimal d;
    v = std::fabs(v);
    if (v == 0) return d;
    int e = 0;
    long double fraction = std::frexp(v, &e);  // v = fraction × 2^e, fraction in [0.5, 1)
    auto mantissa = static_cast<std::uint64_t>(std::ldexp(fraction, 64));  // exact
    const int zeros = std::countr_zero(mantissa);
    const int q = e - 64 + zeros;  // v = (mantissa >> zeros) × 2^q, an odd number × 2^q
    DecimalBig big(mantissa >> zeros);
    if (q >= 0)
        big.MultiplyPower(2, q, 29);
    else
        big.MultiplyPower(5, -q, 13);  // mantissa × 2^q = mantissa × 5^-q × 10^q
    d.pow = std::min(q, 0);
    d.digits = big.Digits();
    StripTrailingZeros(d);
    return d;
}

enum class Tie { kToEven, kAwayFromZero };

// Keeps the first `keep` digits and rounds by the dropped ones. A negative `keep` drops the
// digits and as many zeros before them: less than half a unit, which leaves zero.
void KeepDigits(Decimal& d, int keep, Tie tie) {
    const int length = static_cast<int>(d.digits.size());
    if (keep >= length) return;
    const char first = keep >= 0 ? d.digits[keep] : '0';
    // Trailing zeros are stripped, so anything after a 5 makes it more than half.
    const bool half = first == '5' && keep + 1 == length;
    const bool odd = keep > 0 && (d.digits[keep - 1] - '0') % 2 == 1;
    const bool up = half ? tie == Tie::kAwayFromZero || odd : first >= '5';
    d.pow += length - keep;
    d.digits.erase(std::max(keep, 0));
    if (up) {
        // One more in the last place: the nines it carries become zeros, left off here.
        const std::size_t kept = d.digits.find_last_not_of('9') + 1;  // npos + 1 is 0
        d.pow += static_cast<int>(d.digits.size() - kept);
        d.digits.erase(kept);
        if (d.digits.empty()) d.digits = "0";
        ++d.digits.back();
    }
    StripTrailingZeros(d);
}


// The digit of place 10^place.
char DigitAt(const Decimal& d, int place) {
    const int index = d.Top() - place;
    if (d.IsZero() || index < 0 || index >= static_cast<int>(d.digits.size())) return '0';
    return d.digits[index];
}

// Exactly `decimals` decimals (none and no separator for 0).
std::string WriteFixed(const Decimal& d, int decimals, char sep) {
    std::string out;
    const int top = d.IsZero() ? 0 : (d.Top() > 0 ? d.Top() : 0);
    for (int place = top; place >= 0; --place) out += DigitAt(d, place);
    if (decimals > 0) {
        out += sep;
        for (int place = -1; place >= -decimals; --place) out += DigitAt(d, place);
    }
    return out;
}

// The runtime's texts of values that are not numbers.
std::string NonFiniteText(long double v) { return std::isnan(v) ? "NAN" : v < 0 ? "-INF" : "INF"; }

// Fixed-point text of v with exactly `decimals` decimals, its expansion first cut to
// `significant` digits; a value that rounds to zero is written without a sign.
std::string FixedText(long double v, int significant, int decimals, char sep) {
    if (!std::isfinite(v)) return NonFiniteText(v);
    Decimal d = ExactDecimal(v);
    KeepDigits(d, significant, Tie::kToEven);
    // A zero (no digits) stays as it is; digits whose place is 10^-decimals or above are kept.
    KeepDigits(d, d.Top() + decimals + 1, Tie::kAwayFromZero);
    std::string out = WriteFixed(d, decimals, sep);
    if (v < 0 && !d.IsZero()) out.insert(out.begin(), '-');
    return out;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

std::string FormatTrafficKb(long double x, long double y, char sep) {
    const long double kb = x + y;
    if (kb > 1024) {
        const long double mb = std::trunc(kb / 1024);
        const long double restKb = std::trunc(kb - mb * 1024);
        // Whole numbers, every digit of them.
        return FixedText(mb, INT_MAX, 0, '.') + texts::kUnitMb + FixedText(restKb, INT_MAX, 0, '.') +
               texts::kUnitKb;
    }
    return FormatFixed(kb, 1, sep) + texts::kUnitKb;
}

// The expansion is first cut to 18 significant digits by rounding to nearest, ties to even
// (the floating-point unit's own rounding, which the classic runtime's 18-digit conversion
// uses); that string is then rounded to the wanted decimals half away from zero. The two
// steps differ from a single rounding only when the digits beyond the 18th decide it, as
// 0.04999999999999999999 (one decimal), which reads 0.1.
std::string FormatFixed(long double v, int decimals, char sep) {
    return FixedText(v, 18, std::max(decimals, 0), sep);
}

std::string FormatTraffic(std::uint64_t a, std::uint64_t b, char sep) {
    return FormatTrafficKb(static_cast<long double>(a) / 1024, static_cast<long double>(b) / 1024, sep);
}

std::string FormatCost(long double x, long double y, char sep) { return FormatPrice(x / 1048576 + y / 1048576, sep); }

std::string FormatSpeed(long double bytesPerSecond, char sep) {
    if (bytesPerSecond < 1048576.0L) return FormatFixed(bytesPerSecond / 1024.0L, 1, sep) + texts::kSpeedKb;
    return FormatFixed(bytesPerSecond / 1048576.0L, 2, sep) + texts::kSpeedMb;
}

std::string FormatPrice(long double p, char sep) { return FormatFixed(p, 2, sep) + texts::kMoneyUnit; }

// 18 significant digits as in FormatFixed, then 15 of them, half away from zero. Whether the
// exponent form is used is decided on that rounded value, the number the text stands for:
// 999999999999999.9 becomes 1E15, never the sixteen-digit 1000000000000000.
std::string FormatPriceGeneral(long double p, char sep) {
    if (!std::isfinite(p)) return NonFiniteText(p);
    Decimal d = ExactDecimal(p);
    if (d.IsZero()) return "0";
    KeepDigits(d, 18, Tie::kToEven);
    KeepDigits(d, 15, Tie::kAwayFromZero);
    const int top = d.Top();
    std::string out;
    if (top < -4 || top >= 15) {
        out = d.digits.substr(0, 1);
        if (d.digits.size() > 1) {
            out += sep;
            out.append(d.digits, 1, std::string::npos);
        }
        out += 'E';
        out += std::to_string(top);
    } else {
        out = WriteFixed(d, std::max(-d.pow, 0), sep);
    }
    if (p < 0) out.insert(out.begin(), '-');
    return out;
}

std::string FormatPaddedCount(std::uint32_t n) {
    std::string out = std::to_string(n);
    while (out.size() < 10) out += ' ';
    return out;
}

// Only the blank itself may stand around a number: a control character (a TAB, a line end
// typed or pasted into the dialog) makes the text not a number.
std::string_view TrimBlanks(std::string_view text) {
    const std::size_t begin = std::min(text.find_first_not_of(' '), text.size());
    return text.substr(begin, text.find_last_not_of(' ') + 1 - begin);
}

bool TryReadPrice(const std::string& typed, double& value) {
    const std::string_view text = TrimBlanks(typed);
    const std::size_t end = text.size();
    const bool negative = text.starts_with('-');
    std::size_t i = negative || text.starts_with('+') ? 1 : 0;

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
        const std::string_view afterE = text.substr(i + 1);
        const bool expNegative = afterE.starts_with('-');
        i += expNegative || afterE.starts_with('+') ? 2 : 1;
        if (i >= end || !IsDigit(text[i])) return false;
        long long written = 0;
        for (; i < end && IsDigit(text[i]); ++i) {
            // Beyond a million the value is out of range either way; stop growing.
            if (written < 1000000) written = written * 10 + (text[i] - '0');
        }
        exponent += expNegative ? -written : written;
    }
    if (i != end) return false;

    if (digits.empty()) digits = "0";  // zero, whatever its exponent
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
