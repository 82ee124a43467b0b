#pragma once
// Small helpers for UTF-8 text.

#include <string>
#include <string_view>

namespace xtq {

// Reads the UTF-8 character at `pos` into `c` and moves `pos` past it. Returns
// false, leaving `pos` unchanged, at a byte that does not start a valid
// character (overlong forms and surrogates included).
bool NextUtf8(std::string_view text, size_t& pos, char32_t& c);

// Appends the UTF-8 form of `c`.
void AppendUtf8(std::string& out, char32_t c);

// Length in bytes of the character that starts at pos (0 at the end of the
// text). A byte that does not start a well-formed sequence counts as one
// character of its own.
size_t Utf8CharLength(std::string_view text, size_t pos);

// The text without leading and trailing blanks and control characters
// (every byte up to and including the blank).
std::string_view TrimBlanks(std::string_view text);

} // namespace xtq
