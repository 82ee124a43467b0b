#include "core/CNumber.h"

#include <clocale>
#include <cstdlib>

namespace xtq {

Extended StrToExtendedC(const char* text, char** end) {
    static const locale_t cLocale = newlocale(LC_ALL_MASK, "C", nullptr);
    return strtold_l(text, end, cLocale);
}

} // namespace xtq
