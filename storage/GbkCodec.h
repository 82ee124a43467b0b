#pragma once
// GBK exists only at file boundaries: text inside the program is UTF-8.

#include "core/Exception.h"

#include <string>
#include <string_view>

namespace xtq {

// A character typed in the program that GBK cannot hold.
XTQ_DECLARE_ERROR(EEncodingError, Exception);

// Decodes GBK bytes to UTF-8. Byte sequences that are not valid GBK are kept
// in a reversible form, so that Utf8ToGbk gives back the very same bytes: each
// such byte b becomes the private-use character U+F780 + (b - 0x80).
std::string GbkToUtf8(std::string_view gbk);
// As above, into `out` (replacing its contents), reusing its storage.
void GbkToUtf8(std::string_view gbk, std::string& out);

// Encodes UTF-8 text as GBK. Raises EEncodingError naming the first character
// that GBK cannot hold (also a raw-byte character that would read back as part
// of another character), or when the text is not valid UTF-8.
std::string Utf8ToGbk(std::string_view utf8);

// Length of the text in GBK bytes (the unit of the formula library's field widths).
// A character that GBK cannot hold, or a byte that is not UTF-8, counts as one byte.
size_t GbkByteLength(std::string_view utf8);

} // namespace xtq
