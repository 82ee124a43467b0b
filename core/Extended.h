#pragma once
// The 80-bit extended type used for data, coefficients and intermediate
// results; the program relies on its 64-bit significand.

#include <limits>

namespace xtq {

using Extended = long double;
static_assert(std::numeric_limits<Extended>::digits == 64,
              "long double must be the x87 80-bit extended type");

} // namespace xtq
