#pragma once
// The two number texts of the results, independent of the locale:
// the general form (up to 15 significant digits) for coefficients, fitted
// values and the fitted formula, and the fixed form (7 significant digits,
// 6 decimals) for the errors and the statistics.

#include "core/Extended.h"

#include <string>

namespace xtq {

// General number text with the given number of significant digits.
std::string GeneralNumberText(Extended value, int precision = 15);
std::string FixedNumberText(Extended value);
// The same texts into `out`, replacing its contents and reusing its storage,
// for writing many of them.
void AssignGeneralNumberText(std::string& out, Extended value, int precision = 15);
void AssignFixedNumberText(std::string& out, Extended value);

namespace detail {
// The same two texts from the printed decimal expansion alone, without the
// integer rounding that serves the common magnitudes; the fast way is checked
// against these.
std::string GeneralNumberTextPrinted(Extended value, int precision = 15);
std::string FixedNumberTextPrinted(Extended value);
} // namespace detail

} // namespace xtq
