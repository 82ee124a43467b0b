#pragma once
// Small text helpers of the storage library, for UTF-8 text.

#include <string>
#include <string_view>

namespace xtq {

// Length in bytes of the character that starts at pos (0 at the end of the
// text). A byte that does not start a well-formed sequence counts as one
// character of its own.
size_t Utf8CharLength(std::string_view text, size_t pos);

// Equal when the texts differ only in the letter case of A-Z.
bool SameTextAscii(std::string_view a, std::string_view b);

// The text without leading and trailing blanks and control characters
// (every byte up to and including the blank).
std::string_view TrimBlanks(std::string_view text);

} // namespace xtq
