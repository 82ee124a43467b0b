#include "regression/NumberText.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
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

std::string NonFiniteText(Extended value) {
    if (std::isnan(value)) return "NAN";
    return value < 0 ? "-INF" : "INF";
}

} // namespace

std::string GeneralNumberText(Extended value, int precision) {
    if (!std::isfinite(value)) return NonFiniteText(value);
    precision = std::max(precision, 1);
    if (value == 0) return "0";
    const Extended magnitude = std::fabs(value);
    const Decimal d = RoundHalfUp(DigitsFor(magnitude, precision), precision);
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

std::string FixedNumberText(Extended value) {
    constexpr int kSignificant = 7;
    constexpr int kDecimals = 6;
    if (!std::isfinite(value)) return NonFiniteText(value);
    if (value == 0) return "0.000000";
    const Extended magnitude = std::fabs(value);
    Decimal raw = DigitsFor(magnitude, kSignificant);
    const int keep = std::min(kSignificant, raw.exponent + kDecimals);
    const Decimal d = RoundHalfUp(raw, keep);
    if (d.digits.empty()) return "0.000000";
    if (d.exponent > kSignificant) return GeneralNumberText(value, kSignificant);

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

} // namespace xtq
