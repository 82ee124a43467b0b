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

TEST(FormulaFuzzFindings, LongTextsWithLargeExponentsEndInTheirAnswer) {
    // A fuzzed text of 437 bytes, full of operators, brackets and literals
    // such as 1E308 glued to names (1E308A). Exponents like these sent the
    // compiler to the plain rules without shortcuts, which took 13 s on 22
    // copies of the text (9,614 characters), and ever longer beyond. No
    // literal of it overflows: the shortcuts give the same answer at once.
    const std::string seed = ReadCase("glued-large-exponents.txt");
    ASSERT_EQ(seed.size(), 437u);
    std::string text;
    for (int copy = 0; copy < 22; ++copy)
        text += seed;
    const std::string outcome = CompileOutcome(text);
    EXPECT_EQ(outcome.size(), 467u);
    const std::string start = "ESyntaxError: Error parsing expression:\r0+.+E0+.+.-DDIVY-";
    EXPECT_EQ(outcome.substr(0, start.size()), start);
}

TEST(FormulaFuzzFindings, OverflowingLiteralsInLongTextsRaiseAtOnce) {
    // A text with a literal beyond the 8-byte range where the rules can try it
    // never compiles: the rules end in EOverflow or, where they meet a syntax
    // error first, in ESyntaxError. Finding out which took the plain rules
    // 16 s for 20 copies of this fuzzed text of 468 bytes (1E616*10 in it).
    // Up to 300 characters the plain rules decide; a longer text is refused
    // with EOverflow at once.
    const std::string fuzzed = ReadCase("reachable-overflow.txt");
    ASSERT_EQ(fuzzed.size(), 468u);
    const std::string shortText = "X+*1E999";
    std::string longText = shortText;
    while (longText.size() <= 300)
        longText += "+X";
    struct Case {
        std::string text;
        std::string outcome;
    };
    const Case cases[] = {
        {shortText, "ESyntaxError: Error parsing expression:\rX+\r1E999"},
        {longText, "EOverflow: Floating point overflow"},
        {fuzzed, "EOverflow: Floating point overflow"},
        {std::string(4000, '(') + "X+1E309" + std::string(4000, ')'),
         "EOverflow: Floating point overflow"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CompileOutcome(c.text), c.outcome) << c.text.substr(0, 40);
    // Glued to a name, an overflowing literal cannot be tried, whatever the
    // length: the syntax error stands.
    const std::string glued = CompileOutcome("X*1E999A" + std::string(2000, '+'));
    const std::string start = "ESyntaxError: Error parsing expression:\rX\r1E999A";
    EXPECT_EQ(glued.substr(0, start.size()), start);
}

} // namespace
} // namespace xtq
