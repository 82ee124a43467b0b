#pragma once
// Errors of the formula engine: compile errors of the EMathParserError family
// and the evaluation errors.

#include "core/Exception.h"

namespace xtq {

XTQ_DECLARE_ERROR(EMathParserError, Exception);
XTQ_DECLARE_ERROR(EExpressionHasBlanks, EMathParserError);
XTQ_DECLARE_ERROR(EMissMatchingBracket, EMathParserError);
XTQ_DECLARE_ERROR(ESyntaxError, EMathParserError);
XTQ_DECLARE_ERROR(ETooManyNestings, EMathParserError);
XTQ_DECLARE_ERROR(EExpressionTooComplex, EMathParserError);
XTQ_DECLARE_ERROR(EParserInternalError, EMathParserError);
XTQ_DECLARE_ERROR(EBadName, EMathParserError);

// Floating-point conditions.
XTQ_DECLARE_ERROR(EMathError, Exception);
XTQ_DECLARE_ERROR(EZeroDivide, EMathError);
XTQ_DECLARE_ERROR(EInvalidOp, EMathError);
XTQ_DECLARE_ERROR(EOverflow, EMathError);

// Integer conditions.
XTQ_DECLARE_ERROR(EIntError, Exception);
XTQ_DECLARE_ERROR(EDivByZero, EIntError);

inline constexpr const char* kZeroDivideMessage = "Floating point division by zero";
inline constexpr const char* kInvalidOpMessage = "Invalid floating point operation";
inline constexpr const char* kOverflowMessage = "Floating point overflow";
inline constexpr const char* kDivByZeroMessage = "Division by zero";

} // namespace xtq
