#include "app/CliSupport.h"

#include "core/CNumber.h"

#include <cstdlib>
#include <locale.h>

namespace xtq::cli {

std::string DescribeError(const Exception& error) {
    std::string line = std::string(error.className()) + ": ";
    for (char c : std::string_view(error.what())) {
        if (c == '\r')
            line += "\\r";
        else if (c == '\n')
            line += "\\n";
        else
            line += c;
    }
    return line;
}

bool ParseDecimal(std::string_view text, long double& value) {
    size_t i = 0;
    auto digits = [&] {
        const size_t start = i;
        while (i < text.size() && text[i] >= '0' && text[i] <= '9')
            ++i;
        return i - start;
    };
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
    size_t mantissa = digits();
    if (i < text.size() && text[i] == '.') {
        ++i;
        mantissa += digits();
    }
    if (mantissa == 0) return false;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
        if (digits() == 0) return false;
    }
    if (i != text.size()) return false;
    value = StrToExtendedC(std::string(text).c_str());
    return true;
}

} // namespace xtq::cli
