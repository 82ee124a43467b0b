#include "regression/FormulaSplit.h"

#include "formula/Errors.h"

#include <cstddef>

namespace xtq {
namespace {

// Byte length of the first `count` characters of UTF-8 text; a character is a
// lead byte with its continuation bytes.
std::size_t PrefixBytes(const std::string& text, std::size_t count) {
    std::size_t pos = 0;
    for (std::size_t seen = 0; pos < text.size() && seen < count; ++seen) {
        ++pos;
        while (pos < text.size() && (static_cast<unsigned char>(text[pos]) & 0xC0) == 0x80)
            ++pos;
    }
    return pos;
}

} // namespace

void SplitTerm(const std::string& term, int m, TFormulaTerms& lists) {
    const std::size_t count = m < 1 ? 0 : static_cast<std::size_t>(m);
    lists.Terms.resize(count);
    lists.ConstNames.resize(count);
    if (count == 0) return;

    const std::size_t star = term.find('*');
    if (star == std::string::npos) {
        lists.Terms[count - 1].assign(1, '1');
        lists.ConstNames[count - 1] = term.substr(0, PrefixBytes(term, 3));
    } else {
        lists.Terms[count - 1] = term.substr(star + 1);
        lists.ConstNames[count - 1] = term.substr(0, star);
    }
}

int SplitTerms(const std::string& rightHandSide, TFormulaTerms& lists) {
    // The fit holds a square matrix of the terms: refuse a right side with
    // more terms than it can hold before anything is built.
    std::size_t terms = 1;
    int level = 0;
    for (const char c : rightHandSide) {
        if (c == '+' && level == 0 && ++terms > kMaxTerms)
            throw EExpressionTooComplex(kTooManyTermsMessage);
        level += c == '(' ? 1 : c == ')' ? -1 : 0;
    }
    int depth = 0;
    int m = 1;
    std::size_t start = 0;
    for (std::size_t i = 0; i < rightHandSide.size(); ++i) {
        const char c = rightHandSide[i];
        if (c == '+' && depth == 0) {
            SplitTerm(rightHandSide.substr(start, i - start), m, lists);
            start = i + 1;
            ++m;
        } else if (c == '(') {
            ++depth;
        } else if (c == ')') {
            --depth;
        }
    }
    SplitTerm(rightHandSide.substr(start), m, lists);
    return m;
}

} // namespace xtq
