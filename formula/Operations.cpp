#include "formula/Operations.h"

#include "core/Heartbeat.h"
#include "formula/Arithmetic.h"

#include <cfenv>
#include <cmath>
#include <limits>

namespace xtq {
namespace arith {

double IntegerPower(double base, double exponent) {
    const double magnitude = std::fabs(exponent);
    double result;
    if (magnitude >= 4294967296.0) {
        // The count does not fit in 32 bits: give what the multiplications
        // would end in.
        const double absBase = std::fabs(base);
        if (absBase == 1.0) {
            const bool odd = std::fmod(std::trunc(magnitude), 2.0) != 0;
            result = (base < 0 && odd) ? -1.0 : 1.0;
        } else if (absBase > 1.0) {
            throw EOverflow(kOverflowMessage);
        } else {
            result = 0.0;
        }
    } else {
        const auto count = static_cast<std::uint32_t>(magnitude);
        if (count == 0) {
            result = 1.0;
        } else {
            result = base;
            const double absBase = std::fabs(base);
            if (absBase == 1.0) {
                result = (base < 0 && count % 2 == 0) ? 1.0 : base;
            } else {
                std::uint32_t i = 1;
                for (; i < count && result != 0.0; ++i) {
                    // Up to 2^31 multiplications take seconds: a long command
                    // can be stopped meanwhile.
                    if ((i & 0xFFFFF) == 0) Beat();
                    result = static_cast<double>(static_cast<Extended>(result) * base);
                    if (std::isinf(result)) throw EOverflow(kOverflowMessage);
                }
                // Once zero the product stays zero; only its sign still alternates.
                if (result == 0.0 && base < 0 && (count - i) % 2 == 1) result = -result;
            }
        }
    }
    if (exponent < 0) return static_cast<double>(1.0L / static_cast<Extended>(result));
    return result;
}

Extended RealPower(double base, double exponent) {
    if (base == 0) return 0;
    return std::exp(static_cast<Extended>(exponent) * std::log(static_cast<Extended>(base)));
}

} // namespace arith

namespace {
using namespace arith;

void PassThrough(OperationRecord&) {}
void Negate(OperationRecord& op) {
    Store(op, -First(op));
}
void Sum(OperationRecord& op) {
    Store(op, First(op) + Second(op));
}
void Difference(OperationRecord& op) {
    Store(op, First(op) - Second(op));
}
void Product(OperationRecord& op) {
    Store(op, First(op) * Second(op));
}
void Quotient(OperationRecord& op) {
    Store(op, First(op) / Second(op));
}

void Modulo(OperationRecord& op) {
    const std::int64_t a = TruncateToInt64(*op.Operand1);
    const std::int64_t b = TruncateToInt64(*op.Operand2);
    if (b == 0) throw EDivByZero(kDivByZeroMessage);
    // The one quotient that does not fit leaves no remainder.
    Store(op, b == -1 ? 0.0L : static_cast<Extended>(a % b));
}

void IntDivide(OperationRecord& op) {
    const std::int64_t a = TruncateToInt64(*op.Operand1);
    const std::int64_t b = TruncateToInt64(*op.Operand2);
    if (b == 0) throw EDivByZero(kDivByZeroMessage);
    if (b == -1) {
        Store(op, -static_cast<Extended>(a)); // exact, also for the smallest integer
        return;
    }
    *op.Output = static_cast<double>(a / b);
}

void IntPower(OperationRecord& op) {
    *op.Output = IntegerPower(*op.Operand1, *op.Operand2);
}
void Power(OperationRecord& op) {
    Store(op, RealPower(*op.Operand1, *op.Operand2));
}

void Square(OperationRecord& op) {
    const Extended a = First(op);
    Store(op, a * a);
}

void Cube(OperationRecord& op) {
    const Extended a = First(op);
    Store(op, a * a * a);
}

void FourthPower(OperationRecord& op) {
    const Extended a = First(op);
    Store(op, (a * a) * (a * a));
}

constexpr RoutinePtr kRoutineTable[] = {
    PassThrough, PassThrough, Negate,   Sum,   Difference, Product, Quotient,
    Modulo,      IntDivide,   IntPower, Power, Square,     Cube,    FourthPower,
};

} // namespace

RoutinePtr RoutineForCode(std::uint8_t code) {
    return code < std::size(kRoutineTable) ? kRoutineTable[code] : PassThrough;
}

void RaiseFloatingPointError(OperationRecord& op) {
    // Inputs are finite, so this routine's own arithmetic failed: run it again
    // with clean status flags to learn which condition it met.
    std::feclearexcept(FE_ALL_EXCEPT);
    const double failed = *op.Output;
    try {
        op.Routine(op);
    } catch (...) {
        *op.Output = 0;
        throw;
    }
    const int flags = std::fetestexcept(FE_INVALID | FE_DIVBYZERO | FE_OVERFLOW);
    *op.Output = 0; // never leave a NaN or an infinity in a cell
    if (flags & FE_INVALID) throw EInvalidOp(kInvalidOpMessage);
    if (flags & FE_DIVBYZERO) throw EZeroDivide(kZeroDivideMessage);
    if (flags & FE_OVERFLOW) throw EOverflow(kOverflowMessage);
    if (std::isnan(failed)) throw EInvalidOp(kInvalidOpMessage);
    throw EOverflow(kOverflowMessage);
}

} // namespace xtq
