#include "storage/Utf8Text.h"

#include "storage/GbkCodec.h"

namespace xtq {

size_t Utf8CharLength(std::string_view text, size_t pos) {
    if (pos >= text.size()) return 0;
    size_t next = pos;
    char32_t c = 0;
    return NextUtf8(text, next, c) ? next - pos : 1;
}

namespace {

char LowerAscii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool IsBlankOrControl(char c) {
    return static_cast<unsigned char>(c) <= ' ';
}

} // namespace

bool SameTextAscii(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
    }
    return true;
}

std::string_view TrimBlanks(std::string_view text) {
    while (!text.empty() && IsBlankOrControl(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsBlankOrControl(text.back()))
        text.remove_suffix(1);
    return text;
}

} // namespace xtq
