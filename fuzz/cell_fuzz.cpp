// Data cells pasted from anywhere: the conversion to an extended value that
// the Regress command uses. Checked against the C library's own reading of
// the same number in the "C" locale.

#include "document/CellConversion.h"
#include "fuzz/FuzzSupport.h"

#include <clocale>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <locale.h>
#include <string>

namespace {

using namespace xtq;

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// The cell grammar read plainly; on success `number` is the text in the form
// strtold reads: sign, digits, ".", digits, "e", sign, digits.
bool Grammar(std::string_view s, std::string& number) {
    size_t i = 0;
    while (i < s.size() && s[i] == ' ')
        ++i;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) number += s[i++];
    std::string whole, fraction;
    while (i < s.size() && IsDigit(s[i]))
        whole += s[i++];
    bool point = false;
    if (i < s.size() && s[i] == '.') {
        point = true;
        ++i;
        while (i < s.size() && IsDigit(s[i]))
            fraction += s[i++];
    }
    if (whole.empty() && !point) return false;
    std::string exponent = "0";
    char exponentSign = '+';
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        ++i;
        if (i < s.size() && (s[i] == '+' || s[i] == '-')) exponentSign = s[i++];
        while (i < s.size() && IsDigit(s[i]))
            exponent += s[i++];
    }
    while (i < s.size() && s[i] == ' ')
        ++i;
    if (i != s.size()) return false;
    number += (whole.empty() ? "0" : whole) + "." + (fraction.empty() ? "0" : fraction) + "e" +
              exponentSign + exponent;
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
    static const locale_t cLocale = newlocale(LC_ALL_MASK, "C", nullptr);
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    Extended value = 0;
    const bool converted = TryCellToExtended(text, value);

    std::string number;
    const bool grammar = Grammar(text, number);
    if (!grammar) {
        xtq::fuzz::Check(!converted, "a text outside the cell grammar converted");
        return 0;
    }
    const Extended expected = strtold_l(number.c_str(), nullptr, cLocale);
    if (std::isinf(expected)) {
        xtq::fuzz::Check(!converted, "a value beyond the extended range converted");
        return 0;
    }
    xtq::fuzz::Check(converted, "a number of the cell grammar did not convert: " + number);
    xtq::fuzz::Check(std::isfinite(value), "a cell converted to a value that is not finite");
    xtq::fuzz::Check(value == expected && std::signbit(value) == std::signbit(expected),
                     "a cell converted to another value than " + number);
    return 0;
}
