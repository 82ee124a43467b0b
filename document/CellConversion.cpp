#include "document/CellConversion.h"

#include "core/CNumber.h"

#include <array>
#include <bit>
#include <charconv>
#include <clocale>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <locale.h>
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

// Numbers as they are usually typed: at most 19 significant digits (exact in
// 64 bits) times a power of ten of at most 27 (exact in the 64-bit significand,
// 5^27 < 2^64). One multiplication or division of the two then rounds once,
// to the same value as the conversion of the whole text below.
constexpr int kShortDigits = 19;
constexpr int kShortScale = 27;

constexpr auto kExactPowers = [] {
    std::array<Extended, kShortScale + 1> powers{};
    powers[0] = 1;
    for (size_t i = 1; i < powers.size(); ++i)
        powers[i] = powers[i - 1] * 10;
    return powers;
}();

// Eight characters that are all digits, taken together: the bytes in
// memory order, as a little-endian load gives them.
bool AreEightDigits(std::uint64_t bytes) {
    return (((bytes + 0x4646464646464646ull) | (bytes - 0x3030303030303030ull)) &
            0x8080808080808080ull) == 0;
}

// Their value: pairs of digits, then pairs of pairs, then the two halves.
std::uint64_t EightDigitsValue(std::uint64_t bytes) {
    bytes -= 0x3030303030303030ull;
    bytes = bytes * 10 + (bytes >> 8);
    const std::uint64_t mask = 0x000000FF000000FFull;
    const std::uint64_t hundreds = 100 + (1000000ull << 32);
    const std::uint64_t units = 1 + (10000ull << 32);
    return (((bytes & mask) * hundreds) + (((bytes >> 16) & mask) * units)) >> 32;
}

// The digits of a number as they are scanned: the first of them, from the
// first that is not 0, gathered as an integer (meaningful while there are at
// most kShortDigits of them).
struct TDigits {
    std::uint64_t mantissa = 0;
    size_t significant = 0;

    // Scans digits from text[i] on; leading zeros are skipped while no
    // significant digit has been seen.
    void Scan(std::string_view text, size_t& i) {
        const size_t n = text.size();
        if (significant == 0)
            while (i < n && text[i] == '0')
                ++i;
        const size_t first = i;
        if constexpr (std::endian::native == std::endian::little) {
            std::uint64_t bytes;
            while (i + 8 <= n && (std::memcpy(&bytes, text.data() + i, 8), AreEightDigits(bytes))) {
                mantissa = mantissa * 100'000'000 + EightDigitsValue(bytes);
                i += 8;
            }
        }
        while (i < n && IsDigit(text[i])) {
            mantissa = mantissa * 10 + static_cast<std::uint64_t>(text[i] - '0');
            ++i;
        }
        significant += i - first;
    }
};

bool TryShortNumber(const TDigits& digits, long long scale, bool negative, Extended& value) {
    if (digits.significant == 0) {
        value = negative ? -0.0L : 0.0L;
        return true;
    }
    if (digits.significant > kShortDigits || scale < -kShortScale || scale > kShortScale)
        return false;
    const Extended whole = static_cast<Extended>(digits.mantissa);
    const Extended result = scale >= 0 ? whole * kExactPowers[scale] : whole / kExactPowers[-scale];
    value = negative ? -result : result;
    return true;
}

} // namespace

bool TryCellToExtended(std::string_view text, Extended& value) {
    size_t i = 0;
    const size_t n = text.size();
    while (i < n && text[i] == ' ')
        ++i;
    bool negative = false;
    if (i < n && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    TDigits scanned;
    const size_t intStart = i;
    scanned.Scan(text, i);
    const std::string_view intDigits = text.substr(intStart, i - intStart);
    bool point = false;
    std::string_view fracDigits;
    if (i < n && text[i] == '.') {
        point = true;
        const size_t fracStart = ++i;
        scanned.Scan(text, i);
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
    if (TryShortNumber(scanned, exponent - static_cast<long long>(fracDigits.size()), negative,
                       value))
        return true;

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
        // Below the normal range: the nearest subnormal value, or 0 when the
        // value is too small even for those (from_chars gives neither).
        result = StrToExtendedC(number.c_str());
    } else if (error != std::errc() || end != number.data() + number.size()) {
        return false;
    }
    value = negative ? -result : result;
    return true;
}

} // namespace xtq
