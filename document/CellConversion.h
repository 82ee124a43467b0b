#pragma once
// Conversion of a data cell to an extended value, as the regression run takes
// it. Independent of the locale: "." is the decimal mark.

#include "core/Extended.h"

#include <string_view>

namespace xtq {

// Accepts: any number of blanks (U+0020 only); an optional "+" or "-"; digits,
// optionally "." and more digits, where the digits on either side of the "."
// may be missing but not both the digits and the "."; optionally "E" or "e",
// an optional sign and any number of digits (none means an exponent of 0);
// any number of blanks; nothing else. A value beyond the extended range does
// not convert; one below its normal range converts to the nearest subnormal
// value, and one too small even for those to 0 with its sign.
bool TryCellToExtended(std::string_view text, Extended& value);

} // namespace xtq
