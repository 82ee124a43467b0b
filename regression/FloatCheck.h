#pragma once
// Internal to the regression library: raising where the x87 unit would trap.
// A sum, product or quotient beyond the extended range is an overflow, and a
// value computed from one (infinity minus infinity, zero times infinity) an
// invalid operation; a non-finite number must never pass for a result.

#include "core/Extended.h"
#include "formula/Errors.h"

#include <cmath>

namespace xtq::detail {

[[noreturn, gnu::cold, gnu::noinline]] inline void RaiseNonFinite(Extended value) {
    if (std::isnan(value)) throw EInvalidOp(kInvalidOpMessage);
    throw EOverflow(kOverflowMessage);
}

inline Extended Checked(Extended value) {
    if (!std::isfinite(value)) [[unlikely]]
        RaiseNonFinite(value);
    return value;
}

} // namespace xtq::detail
