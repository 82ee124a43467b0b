#pragma once
// The formula compiler: turns a formula text into an operation list.

#include "formula/FormulaParser.h"

#include <string>

namespace xtq {

// Texts longer than this fail at once with EExpressionTooComplex.
inline constexpr size_t kMaxFormulaLength = 10000;

// Compiles the text. Raises the EMathParserError family (setting
// compileFailed where the compiler detects the error), and EOverflow or
// EInvalidOp for literals out of range (leaving it clear).
OperationList CompileFormula(const std::string& text, const VariableTable& variables,
                             const FunctionTable& oneArgumentFunctions,
                             const FunctionTable& twoArgumentFunctions, bool pascalNumberformat,
                             bool& compileFailed);

} // namespace xtq
