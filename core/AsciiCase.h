#pragma once
// The letter case of A-Z and a-z alone, whatever the locale: formula names,
// function names, alias keys and file names compare this way.

#include <string>
#include <string_view>

namespace xtq {

constexpr char ToUpperAscii(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

constexpr char ToLowerAscii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

inline std::string UpperAscii(std::string_view text) {
    std::string upper(text);
    for (char& c : upper)
        c = ToUpperAscii(c);
    return upper;
}

inline std::string LowerAscii(std::string_view text) {
    std::string lower(text);
    for (char& c : lower)
        c = ToLowerAscii(c);
    return lower;
}

// Equal when the texts differ only in the letter case of A-Z.
inline bool SameTextAscii(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (ToLowerAscii(a[i]) != ToLowerAscii(b[i])) return false;
    return true;
}

} // namespace xtq
