#pragma once
// GBK exists only at file boundaries: text inside the program is UTF-8.

#include <string>
#include <string_view>

#include "formula/Exception.h"

namespace xtq {

// A character typed in the program that GBK cannot hold.
XTQ_DECLARE_ERROR(EEncodingError, Exception);

// Decodes GBK bytes to UTF-8. Byte sequences that are not valid GBK are kept
// in a reversible form, so that Utf8ToGbk gives back the very same bytes.
std::string GbkToUtf8(std::string_view gbk);

// Encodes UTF-8 text as GBK. Raises EEncodingError naming the first character
// that GBK cannot hold.
std::string Utf8ToGbk(std::string_view utf8);

// Length of the text in GBK bytes (the unit of the formula library's field widths).
size_t GbkByteLength(std::string_view utf8);

} // namespace xtq
