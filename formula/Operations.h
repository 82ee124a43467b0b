#pragma once
// Compiled formulas: operation records, the routine table and the built-in
// function routines.

#include <cstdint>
#include <deque>
#include <vector>

namespace xtq {

struct OperationRecord;
using RoutinePtr = void (*)(OperationRecord&);

struct OperationRecord {
    double* Operand1 = nullptr;
    double* Operand2 = nullptr;
    double* Output = nullptr;
    OperationRecord* Next = nullptr;
    RoutinePtr Routine = nullptr;
    std::uint8_t Code = 0;
};

// Operation codes.
enum OperationCode : std::uint8_t {
    kPassThrough = 0,
    kConstantKind = 1,
    kNegate = 2,
    kSum = 3,
    kDifference = 4,
    kProduct = 5,
    kQuotient = 6,
    kModulo = 7,
    kIntDivide = 8,
    kIntPower = 9,
    kPower = 10,
    kSquare = 11,
    kCube = 12,
    kFourthPower = 13,
    kOneArgFunction = 14,
    kTwoArgFunction = 15,
};

// Routine of codes 0 to 13, indexed by code.
RoutinePtr RoutineForCode(std::uint8_t code);

// A compiled formula: the operations in list order (linked by Next as well)
// and the constant and output cells the list owns.
struct OperationList {
    std::vector<OperationRecord> operations;
    std::deque<double> cells;
};

// Routines that raise their error themselves only do so for integer and
// range conditions; every other condition shows as a non-finite output and is
// classified by RaiseFloatingPointError, which reruns the routine with the
// status flags cleared.
[[noreturn]] void RaiseFloatingPointError(OperationRecord& op);

} // namespace xtq
