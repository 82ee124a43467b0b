#pragma once
// Decimal integer texts, as the count fields and the count lines of the
// document file hold them. Independent of the locale.

#include "core/Exception.h"

#include <string>
#include <string_view>

namespace xtq {

// A text that is not a valid integer: "'%s' is not a valid integer value".
XTQ_DECLARE_ERROR(EConvertError, Exception);

// A decimal integer: leading blanks, an optional "+" or "-", one or more
// decimal digits and nothing else, within the 32-bit signed range.
bool TryStrToInt(std::string_view text, int& value);

// As TryStrToInt; raises EConvertError with the text otherwise.
int StrToInt(std::string_view text);

// The decimal text of `value`: a "-" for a negative value, no blanks.
std::string IntToStr(long long value);

// Room for the decimal text of any 64-bit integer, for writing many numbers
// without an allocation each.
struct TDecimalText {
    char Chars[24];
};
// The decimal text of `value`, as IntToStr, inside `room`.
std::string_view FormatDecimal(long long value, TDecimalText& room);

} // namespace xtq
