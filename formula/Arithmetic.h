#pragma once
// Shared pieces of the operation and function routines: operands are widened
// to extended, the result is rounded once to 8 bytes when stored.

#include "core/Extended.h"
#include "formula/Errors.h"
#include "formula/Operations.h"

#include <cmath>
#include <cstdint>

namespace xtq::arith {

inline Extended First(const OperationRecord& op) {
    return *op.Operand1;
}
inline Extended Second(const OperationRecord& op) {
    return *op.Operand2;
}
inline void Store(OperationRecord& op, Extended value) {
    *op.Output = static_cast<double>(value);
}

// Truncation toward zero to a 64-bit integer; out of range is an invalid operation.
inline std::int64_t TruncateToInt64(double value) {
    if (!(value >= -9223372036854775808.0 && value < 9223372036854775808.0))
        throw EInvalidOp(kInvalidOpMessage);
    return static_cast<std::int64_t>(value);
}

// Integer power: repeated multiplication, rounded to 8 bytes after each one.
double IntegerPower(double base, double exponent);
// e^(b × ln a), 0 for a base of 0.
Extended RealPower(double base, double exponent);

} // namespace xtq::arith
