// Formulas that fuzzing and the differential check found mishandled, kept so
// that they stay right.

#include "formula/FormulaParser.h"

#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <string>

namespace xtq {
namespace {

// Sixty digits and the exponent 250: 10^309, beyond the 8-byte range, while
// neither the digits nor the exponent alone looks large.
const std::string kHuge = "1" + std::string(60, '0') + "E250";

// The outcome of compiling a text: the error's class and message, or "ok".
std::string CompileOutcome(const std::string& text) {
    TParser parser;
    try {
        parser.SetExpression(text);
    } catch (const Exception& e) {
        return std::string(e.className()) + ": " + e.what();
    }
    return "ok";
}

TEST(FormulaFuzzFindings, LiteralsOverflowingByDigitsAndExponentTogether) {
    struct Case {
        std::string text;
        std::string outcome;
    };
    const Case cases[] = {
        // The plain rules read the literal as the first argument of LN's
        // operand before they find that LN takes one argument; the shortcuts
        // for texts without large literals skipped it and gave a syntax error.
        {"LN(" + kHuge + "/4,-2,4)", "EOverflow: Floating point overflow"},
        {"X+" + kHuge, "EOverflow: Floating point overflow"},
        {"MAX(" + kHuge + ",X)", "EOverflow: Floating point overflow"},
        // Just inside the range: the same shapes compile.
        {"X+1" + std::string(57, '0') + "E250", "ok"},
        {"X+1E250", "ok"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CompileOutcome(c.text), c.outcome) << c.text;
}

std::string ReadCase(const std::string& name) {
    std::ifstream in(std::string(XTQ_CASES_DIR) + "/" + name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string Replaced(std::string text, const std::string& from, const std::string& to) {
    for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

TEST(FormulaFuzzFindings, LongTextsWithLargeExponentsEndInTheirAnswer) {
    // A fuzzed text of 437 bytes, full of operators, brackets and literals
    // such as 1E308 glued to names (1E308A). Exponents like these sent the
    // compiler to the plain rules without shortcuts, which took 13 s on 22
    // copies of the text (9,614 characters), and ever longer beyond. Now only
    // overflowing literals that the rules can try, at the edges of a piece,
    // hold the shortcuts back: the answer is the same, at once.
    const std::string seed = ReadCase("glued-large-exponents.txt");
    ASSERT_EQ(seed.size(), 437u);
    for (const std::string& piece : {seed, Replaced(seed, "1E308", "1E309")}) {
        std::string text;
        for (int copy = 0; copy < 22; ++copy)
            text += piece;
        const std::string outcome = CompileOutcome(text);
        EXPECT_EQ(outcome.size(), 467u);
        const std::string start = "ESyntaxError: Error parsing expression:\r0+.+E0+.+.-DDIVY-";
        EXPECT_EQ(outcome.substr(0, start.size()), start);
    }
    // Where an overflowing literal can be tried, it still raises as the
    // plain rules make it raise.
    EXPECT_EQ(CompileOutcome(std::string(4000, '(') + "X+1E309" + std::string(4000, ')')),
              "EOverflow: Floating point overflow");
    std::string sum = "MAX(";
    for (int term = 0; term < 3000; ++term)
        sum += "X+";
    EXPECT_EQ(CompileOutcome(sum + "X,1E309)"), "EOverflow: Floating point overflow");
}

} // namespace
} // namespace xtq
