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

// E with 10^(E-1) <= v < 10^E, found with `digits` (1..19) significant digits.
bool DecimalExponent(const Binary& v, int digits, int& exponent) {
    // log10(2) a little low, so that the first guess is E or E - 1.
    int e = static_cast<int>(std::floor((v.exponent + 63) * 0.30102999566398114)) + 1;
    for (int tries = 0; tries < 4; ++tries) {
        std::uint64_t whole;
        bool half;
        if (!ScaleExactly(v, digits - e, whole, half)) return false;
        if (whole >= kPow10[digits]) {
            ++e;
        } else if (whole < kPow10[digits - 1]) {
            --e;
        } else {
            exponent = e;
            return true;
        }
    }
    return false;
}

// v rounded half up to a multiple of 10^-s, as digits without trailing zeros
// and the exponent of 0.d1d2... (empty digits for 0).
bool RoundedAt(const Binary& v, int s, Decimal& out) {
    std::uint64_t whole;
    bool half;
    if (!ScaleExactly(v, s, whole, half)) return false;
    if (half) ++whole; // below 10^19 + 1, still within 64 bits
    out.digits.clear();
    out.exponent = 0;
    if (whole == 0) return true;
    int zeros = 0;
    while (whole % 10 == 0) {
        whole /= 10;
        ++zeros;
    }
    char text[24];
    const auto end = std::to_chars(text, text + sizeof text, whole).ptr;
    const auto length = static_cast<int>(end - text);
    out.digits.assign(text, static_cast<size_t>(length));
    out.exponent = length + zeros - s;
    return true;
}

// RoundHalfUp(DigitsFor(magnitude, precision), precision) for the values the
// integers cover.
bool FastGeneralDigits(Extended magnitude, int precision, Decimal& out) {
    Binary v;
    int e;
    if (precision > kMaxFastDigits || !Split(magnitude, v) || !DecimalExponent(v, precision, e))
        return false;
    return RoundedAt(v, precision - e, out);
}

// The rounding of FixedNumberText: at most 7 significant digits and at most 6
// decimals. A value that rounds to 0 gives empty digits.
constexpr int kFixedSignificant = 7;
constexpr int kFixedDecimals = 6;

bool FastFixedDigits(Extended magnitude, Decimal& out) {
    Binary v;
    int e;
    if (!Split(magnitude, v) || !DecimalExponent(v, kFixedSignificant, e)) return false;
    const int keep = std::min(kFixedSignificant, e + kFixedDecimals);
    if (keep < 0) {
        out = Decimal{};
        return true;
    }
    return RoundedAt(v, keep - e, out);
}

std::string NonFiniteText(Extended value) {
    if (std::isnan(value)) return "NAN";
    return value < 0 ? "-INF" : "INF";
}

std::string GeneralText(Extended value, int precision, bool integers) {
    if (!std::isfinite(value)) return NonFiniteText(value);
    precision = std::max(precision, 1);
    if (value == 0) return "0";
    const Extended magnitude = std::fabs(value);
    Decimal d;
    if (!integers || !FastGeneralDigits(magnitude, precision, d))
        d = RoundHalfUp(DigitsFor(magnitude, precision), precision);
    const int e = d.exponent;
    std::string text = value < 0 ? "-" : "";
    if (e >= -3 && e <= precision) {
        if (e <= 0) {
            text += "0.";
            text.append(static_cast<size_t>(-e), '0');
            text += d.digits;
        } else {
            std::string digits = d.digits;
            if (digits.size() < static_cast<size_t>(e)) digits.append(e - digits.size(), '0');
            text += digits.substr(0, static_cast<size_t>(e));
            if (digits.size() > static_cast<size_t>(e)) text += "." + digits.substr(e);
        }
    } else {
        text += d.digits[0];
        if (d.digits.size() > 1) text += "." + d.digits.substr(1);
        text += "E";
        if (e - 1 < 0) text += "-";
        text += std::to_string(std::abs(e - 1));
    }
    return text;
}

std::string FixedText(Extended value, bool integers) {
    constexpr int kSignificant = kFixedSignificant;
    constexpr int kDecimals = kFixedDecimals;
    if (!std::isfinite(value)) return NonFiniteText(value);
    if (value == 0) return "0.000000";
    const Extended magnitude = std::fabs(value);
    Decimal d;
    if (!integers || !FastFixedDigits(magnitude, d)) {
        const Decimal raw = DigitsFor(magnitude, kSignificant);
        const int keep = std::min(kSignificant, raw.exponent + kDecimals);
        d = RoundHalfUp(raw, keep);
    }
    if (d.digits.empty()) return "0.000000";
    if (d.exponent > kSignificant) return GeneralText(value, kSignificant, integers);

    std::string whole = "0";
    std::string fraction;
    if (d.exponent > 0) {
        std::string digits = d.digits;
        if (digits.size() < static_cast<size_t>(d.exponent))
            digits.append(d.exponent - digits.size(), '0');
        whole = digits.substr(0, static_cast<size_t>(d.exponent));
        fraction = digits.substr(static_cast<size_t>(d.exponent));
    } else {
        fraction = std::string(static_cast<size_t>(-d.exponent), '0') + d.digits;
    }
    fraction.resize(kDecimals, '0');
    return (value < 0 ? "-" : "") + whole + "." + fraction;
}

} // namespace

std::string GeneralNumberText(Extended value, int precision) {
    return GeneralText(value, precision, true);
}

std::string FixedNumberText(Extended value) {
    return FixedText(value, true);
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
