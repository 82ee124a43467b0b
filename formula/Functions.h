#pragma once
// The built-in functions of TParser.

#include "formula/Operations.h"

#include <span>

namespace xtq {

struct BuiltinFunction {
    const char* name;
    RoutinePtr routine;
};

std::span<const BuiltinFunction> OneArgumentBuiltins();
std::span<const BuiltinFunction> TwoArgumentBuiltins();

} // namespace xtq
