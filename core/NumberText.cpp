// Reading price texts into doubles, rounded once to the nearest (ties to even) with big-number
// arithmetic: no C library conversion, so neither locale nor runtime decides the decimal point
// or the last bit.
#include "core/NumberText.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "core/AppError.h"
#include "core/Texts.h"

namespace velkaro {
namespace {

// Binary natural number, least significant 32-bit limb first, no leading zero limbs.
class BinaryBig {
public:
    BinaryBig() = default;
    explicit BinaryBig(std::uint32_t v) {
        if (v != 0) limbs_.push_back(v);
    }

    void MultiplyAdd(std::uint32_t factor, std::uint32_t addend) {
        std::uint64_t carry = addend;
        for (std::uint32_t& limb : limbs_) {
            const std::uint64_t t = static_cast<std::uint64_t>(limb) * factor + carry;
            limb = static_cast<std::uint32_t>(t);
            carry = t >> 32;
        }
        if (carry != 0) limbs_.push_back(static_cast<std::uint32_t>(carry));
    }

    void MultiplyPowerOf10(int exponent) {
        for (; exponent >= 9; exponent -= 9) MultiplyAdd(1000000000u, 0);
        std::uint32_t rest = 1;
        for (int i = 0; i < exponent; ++i) rest *= 10;
        if (rest != 1) MultiplyAdd(rest, 0);
    }

    void ShiftLeft(int bits) {
        if (limbs_.empty() || bits <= 0) return;
        const int whole = bits / 32;
        const int part = bits % 32;
        if (part != 0) {
            std::uint32_t carry = 0;
            for (std::uint32_t& limb : limbs_) {
                const std::uint32_t next = limb >> (32 - part);
                limb = (limb << part) | carry;
                carry = next;
            }
            if (carry != 0) limbs_.push_back(carry);
        }
        limbs_.insert(limbs_.begin(), static_cast<std::size_t>(whole), 0u);
    }

    int BitLength() const {
        if (limbs_.empty()) return 0;
        int bits = static_cast<int>(limbs_.size() - 1) * 32;
        for (std::uint32_t top = limbs_.back(); top != 0; top >>= 1) ++bits;
        return bits;
    }

    int Compare(const BinaryBig& other) const {
        if (limbs_.size() != other.limbs_.size()) return limbs_.size() < other.limbs_.size() ? -1 : 1;
        for (std::size_t i = limbs_.size(); i-- > 0;) {
            if (limbs_[i] != other.limbs_[i]) return limbs_[i] < other.limbs_[i] ? -1 : 1;
        }
        return 0;
    }

    // *this -= other; requires *this >= other.
    void Subtract(const BinaryBig& other) {
        std::int64_t borrow = 0;
        for (std::size_t i = 0; i < limbs_.size(); ++i) {
            std::int64_t t = static_cast<std::int64_t>(limbs_[i]) - borrow -
                             (i < other.limbs_.size() ? static_cast<std::int64_t>(other.limbs_[i]) : 0);
            borrow = t < 0 ? 1 : 0;
            limbs_[i] = static_cast<std::uint32_t>(t + (borrow << 32));
        }
        while (!limbs_.empty() && limbs_.back() == 0) limbs_.pop_back();
    }

    bool IsZero() const { return limbs_.empty(); }

private:
    std::vector<std::uint32_t> limbs_;
};

// Only the blank itself may stand around a number: a control character (a TAB, a line end
// typed or pasted into the dialog) makes the text not a number.
bool IsBlank(char c) { return c == ' '; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Significant digits kept from the mantissa. Deciding the rounding of a double never needs
// more than 768 of them, provided a dropped non-zero tail is still seen (a sticky digit).
constexpr int kMaxDigits = 800;

// digits: no leading zeros, not empty. False when the value overflows the double range.
bool NearestDouble(const std::string& digits, long long exponent, double& value) {
    // The value lies in [10^(top-1), 10^top).
    const long long top = static_cast<long long>(digits.size()) + exponent;
    if (top > 310) return false;  // at least 10^309
    if (top < -330) {             // below 10^-330, far under half the smallest subnormal
        value = 0;
        return true;
    }
    BinaryBig num;
    for (char c : digits) num.MultiplyAdd(10, static_cast<std::uint32_t>(c - '0'));
    BinaryBig den(1);
    if (exponent >= 0) {
        num.MultiplyPowerOf10(static_cast<int>(exponent));
    } else {
        den.MultiplyPowerOf10(static_cast<int>(-exponent));
    }

    // Scale so that 1 <= num/den < 2; the value is then (num/den) × 2^k.
    int k = num.BitLength() - den.BitLength();
    if (k >= 0) {
        den.ShiftLeft(k);
    } else {
        num.ShiftLeft(-k);
    }
    if (num.Compare(den) < 0) {
        num.ShiftLeft(1);
        --k;
    }
    if (k > 1023) return false;

    // Bits of precision available at this magnitude: 53, fewer among the subnormals.
    const int precision = k >= -1022 ? 53 : 53 - (-1022 - k);
    if (precision < 0) {
        value = 0;  // below half the smallest subnormal
        return true;
    }
    std::uint64_t q = 0;
    for (int i = 0; i < precision; ++i) {
        q <<= 1;
        if (num.Compare(den) >= 0) {
            num.Subtract(den);
            q |= 1;
        }
        num.ShiftLeft(1);
    }
    // num/den is now twice the remainder in units of the last bit.
    const int half = num.Compare(den);
    if (half > 0 || (half == 0 && (q & 1) != 0)) ++q;
    value = std::ldexp(static_cast<double>(q), k - precision + 1);
    return std::isfinite(value);
}

// Whether digits × 10^exponent (digits: no leading zeros) is at most limit × 10^limitExponent.
bool NotAbove(const std::string& digits, long long exponent, const std::string& limit, long long limitExponent) {
    const long long top = static_cast<long long>(digits.size()) + exponent;
    const long long limitTop = static_cast<long long>(limit.size()) + limitExponent;
    if (top != limitTop) return top < limitTop;
    const std::size_t length = digits.size() > limit.size() ? digits.size() : limit.size();
    for (std::size_t i = 0; i < length; ++i) {
        const char a = i < digits.size() ? digits[i] : '0';
        const char b = i < limit.size() ? limit[i] : '0';
        if (a != b) return a < b;
    }
    return true;
}

}  // namespace

bool TryReadPrice(const std::string& text, double& value) {
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && IsBlank(text[begin])) ++begin;
    while (end > begin && IsBlank(text[end - 1])) --end;

    std::size_t i = begin;
    bool negative = false;
    if (i < end && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }

    std::string digits;       // significant digits, leading zeros dropped
    long long exponent = 0;   // value = digits × 10^exponent
    bool sawDigit = false;
    bool sawSeparator = false;
    bool sticky = false;      // a non-zero digit beyond kMaxDigits
    for (; i < end; ++i) {
        const char c = text[i];
        if (IsDigit(c)) {
            sawDigit = true;
            if (digits.empty() && c == '0') {
                if (sawSeparator) --exponent;
                continue;
            }
            if (static_cast<int>(digits.size()) < kMaxDigits) {
                digits += c;
                if (sawSeparator) --exponent;
            } else {
                if (c != '0') sticky = true;
                if (!sawSeparator) ++exponent;
            }
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
    if (sticky) {
        // Stands for the dropped non-zero tail: it only has to tip a tie.
        digits += '1';
        --exponent;
    }
    double magnitude = 0;
    if (!NearestDouble(digits, exponent, magnitude)) {
        // Prices are saved with 15 significant digits, and the largest double is written
        // 1.79769313486232E308, just past the double range; such a text reads as the largest
        // double so that every saved price loads again. Anything larger is out of range.
        if (!NotAbove(digits, exponent, "179769313486232", 294)) return false;
        magnitude = std::numeric_limits<double>::max();
    }
    value = negative && magnitude != 0 ? -magnitude : magnitude;
    return true;
}

bool ReadPeriodDay(std::string_view text, int& day) {
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    if (text.empty()) return false;
    int value = 0;
    for (char c : text) {
        if (!IsDigit(c)) return false;
        value = std::min(value * 10 + (c - '0'), 100);  // anything past 31 is refused alike
    }
    if (value < 1 || value > 31) return false;
    day = value;
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
