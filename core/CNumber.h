#pragma once
// Conversion of a decimal number text with "." as the decimal mark, whatever
// the locale of the process.

#include "core/Extended.h"

namespace xtq {

// strtold in the C locale: the longest prefix of `text` that is a number, its
// end in `end` (when not null). Rounds to nearest; overflow gives ±HUGE_VALL.
Extended StrToExtendedC(const char* text, char** end = nullptr);

} // namespace xtq
