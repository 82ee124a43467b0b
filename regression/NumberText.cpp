#include "regression/NumberText.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string_view>
#include <vector>

namespace xtq {
namespace {

// Significant decimal digits of a positive finite value: value = 0.d1d2... × 10^exponent.
struct Decimal {
    std::string digits;
    int exponent = 0;
};

Decimal Printed(Extended magnitude, int significant) {
    std::vector<char> buf(static_cast<size_t>(significant) + 32);
    std::snprintf(buf.data(), buf.size(), "%.*Le", significant - 1, magnitude);
    std::string_view text(buf.data());
    Decimal d;
    const size_t e = text.find('e');
    for (size_t i = 0; i < e; ++i)
        if (text[i] >= '0' && text[i] <= '9')
            d.digits += text[i]; // the point depends on the locale
    d.exponent = std::stoi(std::string(text.substr(e + 1))) + 1;
    return d;
}

// Digits precise enough to round correctly at any position up to `position`
// digits. printf rounds its last digit itself, so when the digits after the
// rounding position read as an exact half, the exact expansion decides.
// Twenty-five digits past the rounding position keep a value of 64 significant
// bits that is not an exact half clear of one.
Decimal DigitsFor(Extended magnitude, int position) {
    const int workingDigits = std::max(40, position + 25);
    Decimal d = Printed(magnitude, workingDigits);
    const std::string_view tail = std::string_view(d.digits).substr(static_cast<size_t>(position));
    if (!tail.empty() && tail[0] == '5' && tail.find_first_not_of('0', 1) == std::string_view::npos)
        d = Printed(magnitude, 17000); // exact for every extended value
    return d;
}

// Rounds to `keep` significant digits, a next digit of 5 or more rounding up,
// and drops trailing zeros. An empty result means zero.
Decimal RoundHalfUp(Decimal d, int keep) {
    if (keep < 0) return {};
    const bool up = static_cast<size_t>(keep) < d.digits.size() && d.digits[keep] >= '5';
    d.digits.resize(std::min(d.digits.size(), static_cast<size_t>(keep)));
    if (up) {
        int i = keep - 1;
        while (i >= 0 && d.digits[i] == '9')
            d.digits[i--] = '0';
        if (i >= 0) {
            ++d.digits[i];
        } else {
            d.digits.insert(d.digits.begin(), '1');
            d.digits.pop_back();
            if (d.digits.empty()) d.digits = "1";
            ++d.exponent;
        }
    }
    const size_t last = d.digits.find_last_not_of('0');
    d.digits.resize(last == std::string::npos ? 0 : last + 1);
    return d;
}

// Exact rounding in integers, for the values that results usually are. A
// finite positive value is M * 2^b with a 64-bit significand M whose top bit
// is set; v * 10^s is then a quotient of integers of at most 128 bits as long
// as |s| <= 19 and |b| <= 63 (or, for s >= 0 and b < 0, 10^s * M < 2^128 and
// -b < 128), which covers about 1E-13 to 1E34. It gives exactly the digits of
// the printed expansion above: those are exact as well, rounded half up.

__extension__ typedef unsigned __int128 Wide;

constexpr int kMaxFastDigits = 19; // 10^19 < 2^64

constexpr auto kPow10 = [] {
    std::array<std::uint64_t, kMaxFastDigits + 1> powers{};
    powers[0] = 1;
    for (size_t i = 1; i < powers.size(); ++i)
        powers[i] = powers[i - 1] * 10;
    return powers;
}();

struct Binary {
    std::uint64_t significand; // top bit set
    int exponent;              // value = significand * 2^exponent
};

// A positive finite normal value as M * 2^b; false for anything else.
bool Split(Extended magnitude, Binary& out) {
    unsigned char bytes[sizeof(Extended)];
    std::memcpy(bytes, &magnitude, sizeof bytes);
    std::uint64_t significand;
    std::memcpy(&significand, bytes, sizeof significand);
    const int biased = (bytes[8] | bytes[9] << 8) & 0x7FFF;
    if (biased == 0 || biased == 0x7FFF || (significand >> 63) == 0) return false;
    out.significand = significand;
    out.exponent = biased - 16383 - 63;
    return true;
}

// floor(v * 10^s) and whether the rest is at least one half; false when the
// integers would not fit.
bool ScaleExactly(const Binary& v, int s, std::uint64_t& whole, bool& half) {
    if (s < -kMaxFastDigits || s > kMaxFastDigits) return false;
    const std::uint64_t m = v.significand;
    const int b = v.exponent;
    Wide quotient;
    if (s >= 0) {
        if (b >= 0 || b <= -128) return false;
        const Wide scaled = static_cast<Wide>(m) * kPow10[s];
        const int shift = -b;
        quotient = scaled >> shift;
        const Wide rest = scaled - (quotient << shift);
        half = rest >= (static_cast<Wide>(1) << (shift - 1));
    } else {
        const std::uint64_t divisor = kPow10[-s];
        Wide numerator;
        Wide denominator;
        if (b >= 0) {
            if (b > 63) return false;
            numerator = static_cast<Wide>(m) << b;
            denominator = divisor;
        } else {
            if (b < -63) return false;
            numerator = m;
            denominator = static_cast<Wide>(divisor) << -b;
        }
        quotient = numerator / denominator;
        const Wide rest = numerator - quotient * denominator;
        half = rest >= denominator - rest;
    }
    if ((quotient >> 64) != 0) return false;
    whole = static_cast<std::uint64_t>(quotient);
    return true;
}

// Significant digits of the integer rounding, without trailing zeros, and
// the exponent E of 0.d1d2... x 10^E (no digits for 0).
struct ShortDecimal {
    char digits[24];
    int length = 0;
    int exponent = 0;
    std::string_view View() const { return {digits, static_cast<size_t>(length)}; }
};

// `whole` * 10^-s as digits.
void Emit(std::uint64_t whole, int s, ShortDecimal& out) {
    out.length = 0;
    out.exponent = 0;
    if (whole == 0) return;
    int zeros = 0;
    while (whole % 10 == 0) {
        whole /= 10;
        ++zeros;
    }
    const auto end = std::to_chars(out.digits, out.digits + sizeof out.digits, whole).ptr;
    out.length = static_cast<int>(end - out.digits);
    out.exponent = out.length + zeros - s;
}

// floor(v * 10^(digits - E)) with 10^(E-1) <= v < 10^E, that is the first
// `digits` digits (1..18) of v, the rest's half flag, and E.
bool LeadingDigits(const Binary& v, int digits, std::uint64_t& whole, bool& half, int& e) {
    // v lies in [2^(b+63), 2^(b+64)), so E is this or one more.
    e = static_cast<int>(std::floor((v.exponent + 63) * 0.30102999566398114)) + 1;
    if (!ScaleExactly(v, digits - e, whole, half)) return false;
    if (whole >= kPow10[digits]) {
        if (whole >= kPow10[digits + 1]) return false;
        // One digit fewer: the dropped digit alone decides the half.
        half = whole % 10 >= 5;
        whole /= 10;
        ++e;
    }
    return whole >= kPow10[digits - 1];
}

// RoundHalfUp(DigitsFor(magnitude, precision), precision) for the values the
// integers cover.
bool FastGeneralDigits(Extended magnitude, int precision, ShortDecimal& out) {
    Binary v;
    std::uint64_t whole;
    bool half;
    int e;
    if (precision >= kMaxFastDigits || !Split(magnitude, v) ||
        !LeadingDigits(v, precision, whole, half, e))
        return false;
    Emit(whole + (half ? 1 : 0), precision - e, out);
    return true;
}

// The rounding of FixedNumberText: at most 7 significant digits and at most 6
// decimals. A value that rounds to 0 gives no digits.
constexpr int kFixedSignificant = 7;
constexpr int kFixedDecimals = 6;

bool FastFixedDigits(Extended magnitude, ShortDecimal& out) {
    Binary v;
    std::uint64_t whole;
    bool half;
    int e;
    if (!Split(magnitude, v) || !LeadingDigits(v, kFixedSignificant, whole, half, e)) return false;
    const int keep = std::min(kFixedSignificant, e + kFixedDecimals);
    if (keep < 0) {
        Emit(0, 0, out);
        return true;
    }
    if (keep < kFixedSignificant) {
        // Round at the sixth decimal instead: drop the digits below it. Their
        // value decides the half alone, as the divisor is even.
        const std::uint64_t divisor = kPow10[kFixedSignificant - keep];
        half = whole % divisor >= divisor / 2;
        whole /= divisor;
    }
    Emit(whole + (half ? 1 : 0), keep - e, out);
    return true;
}

void AssignNonFinite(std::string& out, Extended value) {
    if (std::isnan(value)) {
        out = "NAN";
    } else {
        out = value < 0 ? "-INF" : "INF";
    }
}

// The general form of the digits 0.d1d2... x 10^e of a non-zero value.
void AppendGeneral(std::string& out, bool negative, std::string_view digits, int e, int precision) {
    if (negative) out += '-';
    const auto count = static_cast<int>(digits.size());
    if (e >= -3 && e <= precision) {
        if (e <= 0) {
            out += "0.";
            out.append(static_cast<size_t>(-e), '0');
            out += digits;
        } else if (count <= e) {
            out += digits;
            out.append(static_cast<size_t>(e - count), '0');
        } else {
            out += digits.substr(0, static_cast<size_t>(e));
            out += '.';
            out += digits.substr(static_cast<size_t>(e));
        }
    } else {
        out += digits[0];
        if (count > 1) {
            out += '.';
            out += digits.substr(1);
        }
        out += 'E';
        if (e - 1 < 0) out += '-';
        char exponent[16];
        const auto end = std::to_chars(exponent, exponent + sizeof exponent, std::abs(e - 1)).ptr;
        out.append(exponent, end);
    }
}

void AssignGeneral(std::string& out, Extended value, int precision, bool integers) {
    if (!std::isfinite(value)) return AssignNonFinite(out, value);
    precision = std::max(precision, 1);
    out.clear();
    if (value == 0) {
        out += '0';
        return;
    }
    const Extended magnitude = std::fabs(value);
    ShortDecimal fast;
    if (integers && FastGeneralDigits(magnitude, precision, fast)) {
        AppendGeneral(out, value < 0, fast.View(), fast.exponent, precision);
        return;
    }
    const Decimal d = RoundHalfUp(DigitsFor(magnitude, precision), precision);
    AppendGeneral(out, value < 0, d.digits, d.exponent, precision);
}

void AssignFixed(std::string& out, Extended value, bool integers) {
    constexpr int kSignificant = kFixedSignificant;
    constexpr int kDecimals = kFixedDecimals;
    if (!std::isfinite(value)) return AssignNonFinite(out, value);
    out.clear();
    const Extended magnitude = std::fabs(value);
    ShortDecimal fast;
    Decimal slow;
    std::string_view digits;
    int e = 0;
    if (value == 0) {
        // no digits
    } else if (integers && FastFixedDigits(magnitude, fast)) {
        digits = fast.View();
        e = fast.exponent;
    } else {
        const Decimal raw = DigitsFor(magnitude, kSignificant);
        const int keep = std::min(kSignificant, raw.exponent + kDecimals);
        slow = RoundHalfUp(raw, keep);
        digits = slow.digits;
        e = slow.exponent;
    }
    if (digits.empty()) {
        out = "0.000000";
        return;
    }
    if (e > kSignificant) return AssignGeneral(out, value, kSignificant, integers);

    if (value < 0) out += '-';
    const auto count = static_cast<int>(digits.size());
    int fraction;
    if (e > 0) {
        // The digits before the point, filled up with zeros; then the rest.
        out += digits.substr(0, static_cast<size_t>(std::min(e, count)));
        if (count < e) out.append(static_cast<size_t>(e - count), '0');
        out += '.';
        const std::string_view rest = count > e ? digits.substr(static_cast<size_t>(e)) : "";
        out += rest;
        fraction = static_cast<int>(rest.size());
    } else {
        out += "0.";
        out.append(static_cast<size_t>(-e), '0');
        out += digits;
        fraction = -e + count;
    }
    if (fraction < kDecimals) out.append(static_cast<size_t>(kDecimals - fraction), '0');
}

std::string GeneralText(Extended value, int precision, bool integers) {
    std::string text;
    AssignGeneral(text, value, precision, integers);
    return text;
}

std::string FixedText(Extended value, bool integers) {
    std::string text;
    AssignFixed(text, value, integers);
    return text;
}

} // namespace

std::string GeneralNumberText(Extended value, int precision) {
    return GeneralText(value, precision, true);
}

std::string FixedNumberText(Extended value) {
    return FixedText(value, true);
}

void AssignGeneralNumberText(std::string& out, Extended value, int precision) {
    AssignGeneral(out, value, precision, true);
}

void AssignFixedNumberText(std::string& out, Extended value) {
    AssignFixed(out, value, true);
}

namespace detail {

std::string GeneralNumberTextPrinted(Extended value, int precision) {
    return GeneralText(value, precision, false);
}

std::string FixedNumberTextPrinted(Extended value) {
    return FixedText(value, false);
}

} // namespace detail
} // namespace xtq
