#include "formula/Functions.h"

#include "formula/Arithmetic.h"
#include "formula/Random.h"

#include <cmath>
#include <numbers>

namespace xtq {
namespace {
using namespace arith;

constexpr Extended kTwoTo63 = 9223372036854775808.0L;
constexpr Extended kPi = 3.14159265358979323851L;
constexpr double kPiDouble = std::numbers::pi;
constexpr double kHalfPiDouble = std::numbers::pi / 2;

// The trigonometric functions give 0 where the argument is too large to reduce.
Extended Sine(Extended a) {
    return std::fabs(a) >= kTwoTo63 ? 0.0L : std::sin(a);
}
Extended Cosine(Extended a) {
    return std::fabs(a) >= kTwoTo63 ? 0.0L : std::cos(a);
}

void Sin(OperationRecord& op) {
    Store(op, Sine(First(op)));
}
void Cos(OperationRecord& op) {
    Store(op, Cosine(First(op)));
}
void Tan(OperationRecord& op) {
    Store(op, Sine(First(op)) / Cosine(First(op)));
}
void Cotan(OperationRecord& op) {
    Store(op, Cosine(First(op)) / Sine(First(op)));
}
void ArcTan(OperationRecord& op) {
    Store(op, std::atan(First(op)));
}

void ArcCos(OperationRecord& op) {
    const Extended a = First(op);
    if (a == -1) {
        *op.Output = kPiDouble;
    } else if (a == 1) {
        *op.Output = 0;
    } else {
        const Extended halfPi = 2 * std::atan(1.0L);
        Store(op, halfPi + std::atan(-a / std::sqrt(1 - a * a)));
    }
}

void Sinh(OperationRecord& op) {
    const Extended a = First(op);
    Store(op, (std::exp(a) - std::exp(-a)) * 0.5L);
}

void Cosh(OperationRecord& op) {
    const Extended a = First(op);
    Store(op, (std::exp(a) + std::exp(-a)) * 0.5L);
}

void Exp(OperationRecord& op) {
    Store(op, std::exp(First(op)));
}
void Ln(OperationRecord& op) {
    Store(op, std::log(First(op)));
}
void Log10(OperationRecord& op) {
    Store(op, std::log(First(op)) * 0.4342944819033L);
}
void Log2(OperationRecord& op) {
    Store(op, std::log(First(op)) * 1.4426950409L);
}

void Sqr(OperationRecord& op) {
    const Extended a = First(op);
    Store(op, a * a);
}

void Sqrt(OperationRecord& op) {
    Store(op, std::sqrt(First(op)));
}
void Abs(OperationRecord& op) {
    Store(op, std::fabs(First(op)));
}
void Trunc(OperationRecord& op) {
    Store(op, std::trunc(First(op)));
}

void Ceil(OperationRecord& op) {
    const Extended a = First(op);
    const Extended t = std::trunc(a);
    Store(op, a - t > 0 ? std::trunc(a + 1) : t);
}

void Floor(OperationRecord& op) {
    const Extended a = First(op);
    const Extended t = std::trunc(a);
    Store(op, a - t >= 0 ? t : std::trunc(a - 1));
}

void Heav(OperationRecord& op) {
    *op.Output = First(op) >= 0 ? 1.0 : 0.0;
}

void Sign(OperationRecord& op) {
    const Extended a = First(op);
    *op.Output = a < 0 ? -1.0 : (a > 0 ? 1.0 : 0.0);
}

void Zero(OperationRecord& op) {
    *op.Output = First(op) == 0 ? 0.0 : 1.0;
}

void Ph(OperationRecord& op) {
    const double t = static_cast<double>(First(op) / 0.63661977236758134L);
    const Extended wide = t;
    Store(op, (wide - std::rint(wide)) * 6.283185307179586L);
}

void Rnd(OperationRecord& op) {
    Store(op, std::trunc(First(op)) * NextRandom());
}

void Random(OperationRecord& op) {
    Store(op, NextRandom());
}

void Max(OperationRecord& op) {
    *op.Output = *op.Operand1 >= *op.Operand2 ? *op.Operand1 : *op.Operand2;
}
void Min(OperationRecord& op) {
    *op.Output = *op.Operand1 >= *op.Operand2 ? *op.Operand2 : *op.Operand1;
}
void PowerFunction(OperationRecord& op) {
    Store(op, RealPower(*op.Operand1, *op.Operand2));
}
void IntPowerFunction(OperationRecord& op) {
    *op.Output = IntegerPower(*op.Operand1, *op.Operand2);
}

// The logarithm of a non-positive value fails as LN does, the first argument first.
Extended CheckedLog(Extended a) {
    if (a < 0) throw EInvalidOp(kInvalidOpMessage);
    if (a == 0) throw EZeroDivide(kZeroDivideMessage);
    return std::log(a);
}

void LogN(OperationRecord& op) {
    const Extended la = CheckedLog(First(op));
    const Extended lb = CheckedLog(Second(op));
    Store(op, la / lb);
}

void Arg(OperationRecord& op) {
    const Extended a = First(op);
    const Extended b = Second(op);
    if (a > 0) {
        Store(op, std::atan(b / a));
    } else if (a < 0) {
        Store(op, std::atan(b / a) + kPi);
    } else {
        *op.Output = b > 0 ? kHalfPiDouble : -kHalfPiDouble;
    }
}

constexpr BuiltinFunction kOneArgument[] = {
    {"TAN", Tan},       {"SIN", Sin},     {"COS", Cos},     {"SINH", Sinh},     {"COSH", Cosh},
    {"ARCTAN", ArcTan}, {"COTAN", Cotan}, {"EXP", Exp},     {"LN", Ln},         {"LOG10", Log10},
    {"LOG2", Log2},     {"SQR", Sqr},     {"SQRT", Sqrt},   {"ABS", Abs},       {"TRUNC", Trunc},
    {"INT", Trunc},     {"CEIL", Ceil},   {"FLOOR", Floor}, {"HEAV", Heav},     {"SIGN", Sign},
    {"ZERO", Zero},     {"PH", Ph},       {"RND", Rnd},     {"RANDOM", Random}, {"ARCCOS", ArcCos},
};

constexpr BuiltinFunction kTwoArguments[] = {
    {"MAX", Max},   {"MIN", Min}, {"POWER", PowerFunction}, {"INTPOWER", IntPowerFunction},
    {"LOGN", LogN}, {"ARG", Arg},
};

} // namespace

std::span<const BuiltinFunction> OneArgumentBuiltins() {
    return kOneArgument;
}
std::span<const BuiltinFunction> TwoArgumentBuiltins() {
    return kTwoArguments;
}

} // namespace xtq
