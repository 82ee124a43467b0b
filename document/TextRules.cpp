#include "document/TextRules.h"

#include "core/AsciiCase.h"
#include "document/AliasList.h"

namespace xtq {
namespace {

bool MatchesAt(std::string_view text, size_t pos, std::string_view pattern) {
    for (size_t i = 0; i < pattern.size(); ++i)
        if (ToUpperAscii(text[pos + i]) != ToUpperAscii(pattern[i])) return false;
    return true;
}

} // namespace

bool IsBlankText(std::string_view text) {
    for (const char c : text)
        if (static_cast<unsigned char>(c) > ' ') return false;
    return true;
}

bool SameTextIgnoreCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && MatchesAt(a, 0, b);
}

// Byte-wise matching is character-wise for UTF-8: a valid pattern can only
// match at a character boundary, and only ASCII letters fold.
std::string ReplaceAllIgnoreCase(std::string_view text, std::string_view pattern,
                                 std::string_view replacement) {
    if (pattern.empty() || pattern.size() > text.size()) return std::string(text);
    std::string out;
    out.reserve(text.size());
    size_t pos = 0;
    while (pos + pattern.size() <= text.size()) {
        if (MatchesAt(text, pos, pattern)) {
            out.append(replacement);
            pos += pattern.size();
        } else {
            out += text[pos++];
        }
    }
    out.append(text.substr(pos));
    return out;
}

std::string ReplaceChar(std::string_view text, char from, char to) {
    std::string out(text);
    for (char& c : out)
        if (c == from) c = to;
    return out;
}

std::string SubstituteAliases(std::string_view text, const TAliasList& aliases) {
    std::string out(text);
    for (int i = 0; i < aliases.Count(); ++i) {
        const std::string& key = aliases.Key(i);
        const std::string& value = aliases.Value(i);
        if (IsBlankText(key) && IsBlankText(value)) continue;
        out = ReplaceAllIgnoreCase(out, key, value);
    }
    return out;
}

} // namespace xtq
