#pragma once
// Text rules shared by the header display, the apply-definition step and the
// regression run. Texts are UTF-8; letter case means the letters A-Z and a-z,
// as in the alias keys.

#include <string>
#include <string_view>

namespace xtq {

class TAliasList;

// True when the text holds nothing but blanks and control characters (every
// byte up to and including the blank), the empty text included.
bool IsBlankText(std::string_view text);

// Equal apart from the letter case of A-Z.
bool SameTextIgnoreCase(std::string_view a, std::string_view b);

// Replaces every occurrence of `pattern` by `replacement`, letter case ignored.
// Occurrences are found from left to right without overlapping and the
// inserted text is not searched again. An empty pattern replaces nothing.
std::string ReplaceAllIgnoreCase(std::string_view text, std::string_view pattern,
                                 std::string_view replacement);

// Replaces every occurrence of the character `from` by `to`.
std::string ReplaceChar(std::string_view text, char from, char to);

// The alias substitution: for every row of the list in list order, with key K
// and value V exactly as stored, if K or V is not blank, every occurrence of K
// is replaced by V (ReplaceAllIgnoreCase); each row works on the result of the
// rows before it.
std::string SubstituteAliases(std::string_view text, const TAliasList& aliases);

} // namespace xtq
