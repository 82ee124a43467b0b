#include "document/CellConversion.h"

#include <charconv>
#include <string>
#include <system_error>

namespace xtq {
namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// Exponents are kept within this bound; beyond it every non-zero mantissa of a
// sensible length is out of range anyway, in the same direction.
constexpr long long kExponentBound = 1'000'000'000;

} // namespace

bool TryCellToExtended(std::string_view text, Extended& value) {
    size_t i = 0;
    const size_t n = text.size();
    while (i < n && text[i] == ' ')
        ++i;
    bool negative = false;
    if (i < n && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    const size_t intStart = i;
    while (i < n && IsDigit(text[i]))
        ++i;
    const std::string_view intDigits = text.substr(intStart, i - intStart);
    bool point = false;
    std::string_view fracDigits;
    if (i < n && text[i] == '.') {
        point = true;
        const size_t fracStart = ++i;
        while (i < n && IsDigit(text[i]))
            ++i;
        fracDigits = text.substr(fracStart, i - fracStart);
    }
    if (intDigits.empty() && !point) return false;
    long long exponent = 0;
    if (i < n && (text[i] == 'E' || text[i] == 'e')) {
        ++i;
        bool negativeExponent = false;
        if (i < n && (text[i] == '+' || text[i] == '-')) negativeExponent = text[i++] == '-';
        while (i < n && IsDigit(text[i])) {
            if (exponent < kExponentBound) exponent = exponent * 10 + (text[i] - '0');
            ++i;
        }
        if (negativeExponent) exponent = -exponent;
    }
    while (i < n && text[i] == ' ')
        ++i;
    if (i != n) return false;

    // value = 0.d1 d2 ... x 10^magnitude, d1 the first non-zero digit.
    std::string digits;
    digits.reserve(intDigits.size() + fracDigits.size() + 24);
    digits.append(intDigits);
    digits.append(fracDigits);
    const size_t first = digits.find_first_not_of('0');
    if (first == std::string::npos) {
        value = negative ? -0.0L : 0.0L;
        return true;
    }
    const long long magnitude =
        static_cast<long long>(intDigits.size()) - static_cast<long long>(first) + exponent;
    // Digits d1 d2 ... as an integer mantissa with the matching exponent.
    std::string number = digits.substr(first);
    const long long scale = magnitude - static_cast<long long>(number.size());
    number += 'e';
    number += std::to_string(scale);
    Extended result = 0;
    const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), result);
    if (error == std::errc::result_out_of_range) {
        if (magnitude > 0) return false; // beyond the extended range
        result = 0;                      // too small for it
    } else if (error != std::errc() || end != number.data() + number.size()) {
        return false;
    }
    value = negative ? -result : result;
    return true;
}

} // namespace xtq
