#include "core/IntegerText.h"

#include <charconv>

namespace xtq {

bool TryStrToInt(std::string_view text, int& value) {
    size_t i = 0;
    while (i < text.size() && text[i] == ' ')
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    if (i == text.size()) return false;
    // The magnitude, as unsigned digits: from_chars then accepts no second sign.
    unsigned long long magnitude = 0;
    const char* first = text.data() + i;
    const char* last = text.data() + text.size();
    const auto [end, error] = std::from_chars(first, last, magnitude);
    if (error != std::errc() || end != last) return false;
    const unsigned long long limit = negative ? 2147483648ull : 2147483647ull;
    if (magnitude > limit) return false;
    value = negative ? static_cast<int>(-static_cast<long long>(magnitude))
                     : static_cast<int>(magnitude);
    return true;
}

int StrToInt(std::string_view text) {
    int value;
    if (!TryStrToInt(text, value))
        throw EConvertError("'" + std::string(text) + "' is not a valid integer value");
    return value;
}

std::string_view FormatDecimal(long long value, TDecimalText& room) {
    const auto result = std::to_chars(room.Chars, room.Chars + sizeof room.Chars, value);
    return std::string_view(room.Chars, static_cast<size_t>(result.ptr - room.Chars));
}

std::string IntToStr(long long value) {
    TDecimalText room;
    return std::string(FormatDecimal(value, room));
}

} // namespace xtq
