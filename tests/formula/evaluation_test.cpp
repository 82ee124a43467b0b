// Formulas with their values or their errors, through the parser object.

#include "formula/FormulaParser.h"
#include "formula/Random.h"

#include <cmath>
#include <gtest/gtest.h>
#include <numbers>
#include <optional>
#include <string>
#include <vector>

namespace xtq {
namespace {

struct Outcome {
    std::optional<double> value;
    std::string errorClass;
    std::string message;
};

Outcome Evaluate(const std::string& formula,
                 const std::vector<std::pair<std::string, double>>& vars = {}) {
    TParser parser;
    try {
        for (const auto& [name, value] : vars)
            parser.StoreVariable(name, value);
        parser.SetExpression(formula);
        return {static_cast<double>(parser.Value()), "", ""};
    } catch (const Exception& e) {
        return {std::nullopt, e.className(), e.what()};
    }
}

struct ValueCase {
    const char* formula;
    double expected;
};

TEST(Evaluation, ValuesOfOperatorsAndGrouping) {
    const ValueCase cases[] = {
        // precedence and grouping
        {"1+2*3", 7},
        {"10-4-3", 3},
        {"10-4+3", 9},
        {"2*3^2", 18},
        {"24/4/3", 2},
        {"12/4*3", 9},
        {"2*6/3", 4},
        {"-2*3", -6},
        {"-2^2", -4},
        {"(-2)^2", 4},
        {"-(2+3)", -5},
        {"((2))", 2},
        {"2*8DIV3", 4},
        {"17DIV5DIV2", 1},
        {"17mod5", 2},
        {"1+-2", -1},
        {"3*-2", -6},
        {"2^-1", 0.5},
        {"2*(-3)", -6},
        // literals
        {"-5", -5},
        {"+5", 5},
        {"1.5E2", 150},
        {"1.5e-2", 0.015},
        {".5", 0.5},
        {"5.", 5},
        {".", 0},
        {"-.", 0},
        {"E5", 0},
        {"PI", std::numbers::pi},
        {"-pi", -std::numbers::pi},
        // powers
        {"2^10", 1024},
        {"(-8)^3", -512},
        {"2^-2", 0.25},
        {"0^0", 1},
        {"POWER(0,0)", 0},
        {"POWER(0,-1)", 0},
        {"POWER(2,0.5)", std::sqrt(2.0)},
        {"INTPOWER(2,-2.7)", 0.25},
        {"INTPOWER(3,0.5)", 1},
        {"(-1)^2147483647", -1},
        {"0.5^2000", 0},
        // DIV and MOD: operands truncated first, sign of the dividend
        {"8DIV3", 2},
        {"-8DIV3", -2},
        {"-8MOD3", -2},
        {"8MOD-3", 2},
        {"7.9DIV2", 3},
        {"-7.9MOD2", -1},
        {"-9223372036854775808DIV-1", 9223372036854775808.0},
        // functions at their edges
        {"HEAV(0)", 1},
        {"HEAV(-1)", 0},
        {"SIGN(0)", 0},
        {"SIGN(-4)", -1},
        {"ZERO(0)", 0},
        {"ZERO(-3)", 1},
        {"CEIL(2.5)", 3},
        {"CEIL(-2.5)", -2},
        {"FLOOR(-2.5)", -3},
        {"FLOOR(3)", 3},
        {"TRUNC(-2.7)", -2},
        {"INT(-2.7)", -2},
        {"ABS(-3)", 3},
        {"SQR(-3)", 9},
        {"SQRT(16)", 4},
        {"MAX(1,2)", 2},
        {"MIN(1,2)", 1},
        {"ARG(1,1)", std::numbers::pi / 4},
        {"ARG(-1,-1)", 5 * std::numbers::pi / 4},
        {"ARG(0,0)", -std::numbers::pi / 2},
        {"ARG(0,2)", std::numbers::pi / 2},
        {"ARCCOS(-1)", std::numbers::pi},
        {"ARCCOS(1)", 0},
        {"ARCCOS(0)", std::numbers::pi / 2},
        {"SIN(0)", 0},
        {"COS(0)", 1},
        {"SIN(1E19)", 0},
        {"COS(-1E19)", 0},
        {"ARCTAN(1)", std::numbers::pi / 4},
        {"EXP(0)", 1},
        {"LN(1)", 0},
        {"SINH(0)", 0},
        {"COSH(0)", 1},
        {"LOGN(8,2)", 3},
        {"PH(0)", 0},
        {"RND(0.9)", 0},
    };
    for (const ValueCase& c : cases) {
        const Outcome o = Evaluate(c.formula);
        ASSERT_TRUE(o.value.has_value()) << c.formula << ": " << o.errorClass << " " << o.message;
        EXPECT_DOUBLE_EQ(*o.value, c.expected) << c.formula;
    }
}

TEST(Evaluation, StoredFactorsOfTheLogarithms) {
    // The factors are stored constants, not 1/ln 10 and 1/ln 2.
    EXPECT_NEAR(*Evaluate("LOG10(1000)").value, 3.00000000000033, 1e-14);
    EXPECT_NE(*Evaluate("LOG10(1000)").value, 3.0);
    EXPECT_NEAR(*Evaluate("LOG2(8)").value, 3.000000000023, 1e-12);
    EXPECT_NEAR(*Evaluate("PH(1)").value, (std::numbers::pi / 2 - 2) * 2 * std::numbers::pi, 1e-12);
}

TEST(Evaluation, ExactSpecialValues) {
    // Stored as the 8-byte values, not computed.
    EXPECT_EQ(*Evaluate("ARCCOS(-1)").value, std::numbers::pi);
    EXPECT_EQ(*Evaluate("ARCCOS(1)").value, 0.0);
    EXPECT_EQ(*Evaluate("ARG(0,1)").value, std::numbers::pi / 2);
}

TEST(Evaluation, RoundingOncePerOperation) {
    // Sums group to the right: x+1+1 is x+(1+1).
    EXPECT_EQ(*Evaluate("x+1+1", {{"x", 9007199254740992.0}}).value, 9007199254740994.0);
    // Each operation rounds its result to 8 bytes: 2^53+1 becomes 2^53 before the 1 is taken off.
    EXPECT_EQ(*Evaluate("(x+1)-1", {{"x", 9007199254740992.0}}).value, 9007199254740991.0);
    // X^3 rounds once, X*X*X twice.
    const double x = 1.0000001;
    const long double wide = x;
    EXPECT_EQ(*Evaluate("x^3", {{"x", x}}).value, static_cast<double>(wide * wide * wide));
    EXPECT_EQ(*Evaluate("x*x*x", {{"x", x}}).value,
              static_cast<double>(wide * static_cast<double>(wide * wide)));
    // Integer power rounds after every multiplication.
    double stepwise = x;
    for (int i = 1; i < 5; ++i)
        stepwise = static_cast<double>(static_cast<long double>(stepwise) * x);
    EXPECT_EQ(*Evaluate("x^5", {{"x", x}}).value, stepwise);
}

struct ErrorCase {
    const char* formula;
    const char* errorClass;
    const char* message;
};

TEST(Evaluation, Errors) {
    static const std::string kTooLong(10001, '1');
    const ErrorCase cases[] = {
        // evaluation errors
        {"1/0", "EZeroDivide", "Floating point division by zero"},
        {"0/0", "EInvalidOp", "Invalid floating point operation"},
        {"SQRT(-1)", "EInvalidOp", "Invalid floating point operation"},
        {"LN(-1)", "EInvalidOp", "Invalid floating point operation"},
        {"LN(0)", "EZeroDivide", "Floating point division by zero"},
        {"LOG10(0)", "EZeroDivide", "Floating point division by zero"},
        {"LOG2(-2)", "EInvalidOp", "Invalid floating point operation"},
        {"ARCCOS(2)", "EInvalidOp", "Invalid floating point operation"},
        {"ARCCOS(-1.5)", "EInvalidOp", "Invalid floating point operation"},
        {"EXP(1000)", "EOverflow", "Floating point overflow"},
        {"1E200*1E200", "EOverflow", "Floating point overflow"},
        {"SINH(1E5)", "EOverflow", "Floating point overflow"},
        {"COSH(-1E5)", "EOverflow", "Floating point overflow"},
        {"SQR(1E200)", "EOverflow", "Floating point overflow"},
        {"10^400", "EOverflow", "Floating point overflow"},
        {"10^-400", "EOverflow", "Floating point overflow"},
        {"5DIV0", "EDivByZero", "Division by zero"},
        {"5MOD0.5", "EDivByZero", "Division by zero"},
        {"1E19DIV2", "EInvalidOp", "Invalid floating point operation"},
        {"2MOD-1E19", "EInvalidOp", "Invalid floating point operation"},
        {"0^-1", "EZeroDivide", "Floating point division by zero"},
        {"INTPOWER(0,-2)", "EZeroDivide", "Floating point division by zero"},
        {"(-2)^(2)", "EInvalidOp", "Invalid floating point operation"},
        {"POWER(-2,2)", "EInvalidOp", "Invalid floating point operation"},
        {"COTAN(0)", "EZeroDivide", "Floating point division by zero"},
        {"TAN(1E19)", "EInvalidOp", "Invalid floating point operation"},
        {"COTAN(1E19)", "EInvalidOp", "Invalid floating point operation"},
        {"LOGN(2,1)", "EZeroDivide", "Floating point division by zero"},
        {"LOGN(1,1)", "EInvalidOp", "Invalid floating point operation"},
        {"LOGN(0,2)", "EZeroDivide", "Floating point division by zero"},
        {"LOGN(-1,0)", "EInvalidOp", "Invalid floating point operation"},
        {"LOGN(2,-1)", "EInvalidOp", "Invalid floating point operation"},
        // literals out of range: not formula errors
        {"1E400", "EOverflow", "Floating point overflow"},
        {"X^1E19", "EInvalidOp", "Invalid floating point operation"},
        // compile errors
        {"X1+", "ESyntaxError", "Error parsing expression:\rX1+"},
        {"   ", "ESyntaxError", "Error parsing expression:\r"},
        {"a b", "EExpressionHasBlanks", "Expression has blanks"},
        {"(A+B", "EMissMatchingBracket", "Missing brackets in expression (\")\")"},
        {"A+B)", "EMissMatchingBracket", "Missing brackets in expression (\"(\")"},
        {")A(", "ESyntaxError", "Error parsing expression:\r)A("},
        {"A^B^C", "ESyntaxError", "Error parsing expression:\rA^B\rC"},
        {"2X", "ESyntaxError", "Error parsing expression:\r2X"},
        {"X(2)", "ESyntaxError", "Error parsing expression:\rX(2)"},
        {"SIN X", "EExpressionHasBlanks", "Expression has blanks"},
        {"MAX(A)", "ESyntaxError", "Error parsing expression:\rMAX(A)"},
        {"MAX(,B)", "ESyntaxError", "Error parsing expression:\rMAX(,B)"},
        {"MAX(A,)", "ESyntaxError", "Error parsing expression:\rMAX(A,)"},
        {"A+-B", "ESyntaxError", "Error parsing expression:\rA+\rB"},
        {"A*-B", "ESyntaxError", "Error parsing expression:\rA\r-B"},
        {"A^-B", "ESyntaxError", "Error parsing expression:\rA\r-B"},
        {"1E", "ESyntaxError", "Error parsing expression:\r1E"},
        {"Q+1", "ESyntaxError", "Error parsing expression:\rQ\r1"},
        {"SIN(", "EMissMatchingBracket", "Missing brackets in expression (\")\")"},
        {"SIN(X", "EMissMatchingBracket", "Missing brackets in expression (\")\")"},
        {"FOO(X)", "ESyntaxError", "Error parsing expression:\rFOO(X)"},
        {"SIN(X,Y)", "ESyntaxError", "Error parsing expression:\rX,Y\r "},
        {"X+X+X+X+X+X+X+X+X+X+X+X+X+X+X+X+X+X+X+X+X+X", "ETooManyNestings",
         "Expression contains too many nestings"},
        {kTooLong.c_str(), "EExpressionTooComplex", "Expression is too complex"},
    };
    for (const ErrorCase& c : cases) {
        const Outcome o = Evaluate(c.formula, {{"x1", 1}});
        EXPECT_FALSE(o.value.has_value()) << c.formula << " gave " << o.value.value_or(0);
        EXPECT_EQ(o.errorClass, c.errorClass) << c.formula;
        EXPECT_EQ(o.message, c.message) << c.formula;
    }
}

TEST(Evaluation, SumOfTwentyOneVariablesCompiles) {
    std::string formula = "X";
    for (int i = 0; i < 20; ++i)
        formula += "+X";
    EXPECT_EQ(*Evaluate(formula, {{"x", 1}}).value, 21);
}

TEST(Evaluation, FiftyOperationsPerLevel) {
    // Fifty operations in one level fit; the fifty-first does not.
    auto sumOfProducts = [](int products) {
        // (X*X)+(X*X) ... grouped so that the products share a level.
        std::string f;
        std::vector<std::string> terms(static_cast<size_t>(products), "X*X");
        while (terms.size() > 1) {
            std::vector<std::string> next;
            for (size_t i = 0; i + 1 < terms.size(); i += 2)
                next.push_back("(" + terms[i] + ")+(" + terms[i + 1] + ")");
            if (terms.size() % 2) next.push_back(terms.back());
            terms = next;
        }
        return terms[0];
    };
    EXPECT_EQ(*Evaluate(sumOfProducts(32), {{"x", 2}}).value, 128);
    const Outcome tooWide = Evaluate(sumOfProducts(64), {{"x", 2}});
    EXPECT_EQ(tooWide.errorClass, "EExpressionTooComplex");
    EXPECT_EQ(tooWide.message, "Expression is too complex");
}

TEST(Evaluation, RandomFunctionsDrawFromTheSharedGenerator) {
    SetRandSeed(0);
    EXPECT_EQ(*Evaluate("RANDOM(5)").value, 1.0 / 4294967296.0);
    SetRandSeed(0);
    const double first = *Evaluate("RND(1)").value;
    EXPECT_EQ(first, 1.0 / 4294967296.0);
    for (int i = 0; i < 100; ++i) {
        const double r = *Evaluate("RANDOM(0)+RND(1)").value;
        EXPECT_GE(r, 0);
        EXPECT_LT(r, 2);
    }
    // Draws follow the list order, deepest level first: the call inside the
    // product runs before the one on the left.
    SetRandSeed(7);
    const double a = static_cast<double>(NextRandom()), b = static_cast<double>(NextRandom());
    SetRandSeed(7);
    EXPECT_EQ(*Evaluate("RANDOM(0)-2*RANDOM(0)").value, b - 2 * a);
}

TEST(Evaluation, FailingOperationLeavesNoNonFiniteCellAndTheNextRunRecovers) {
    TParser parser;
    double* x = parser.StoreVariable("x", 0);
    parser.SetExpression("1/x+1");
    EXPECT_THROW(parser.Value(), EZeroDivide);
    for (const OperationRecord& op : parser.Operations())
        EXPECT_TRUE(std::isfinite(*op.Output));
    *x = 4;
    EXPECT_EQ(parser.Value(), 1.25L);
}

} // namespace
} // namespace xtq

namespace xtq {
namespace {

std::string Repeat(const std::string& unit, int count, const std::string& separator) {
    std::string s = unit;
    for (int i = 1; i < count; ++i)
        s += separator + unit;
    return s;
}

TEST(Evaluation, LongTextsEndInAnAnswer) {
    // Shapes whose plain rules take exponential time; each gets its exact answer.
    const std::string deepBrackets = std::string(4999, '(') + "x" + std::string(4999, ')');
    EXPECT_EQ(*Evaluate(deepBrackets, {{"x", 5}}).value, 5);
    for (const std::string& f :
         {Repeat("x", 4000, "-"), Repeat("x", 4000, "/"), Repeat("x*x", 2000, "-"),
          Repeat("x^2", 2000, "-"), Repeat("SIN(x)", 1000, "+")}) {
        const Outcome o = Evaluate(f, {{"x", 1}});
        EXPECT_EQ(o.errorClass, "ETooManyNestings") << f.substr(0, 20);
    }
    const Outcome failing = Evaluate(Repeat("x", 4000, "+") + "+", {{"x", 1}});
    EXPECT_EQ(failing.errorClass, "ESyntaxError");
    const Outcome unary = Evaluate(Repeat("x", 3000, "*-"), {{"x", 1}});
    EXPECT_EQ(unary.errorClass, "ESyntaxError");
    std::string nestedMax = "x";
    for (int i = 0; i < 1400; ++i)
        nestedMax = "MAX(" + nestedMax + ",x)";
    EXPECT_EQ(Evaluate(nestedMax, {{"x", 1}}).errorClass, "ETooManyNestings");
}

} // namespace
} // namespace xtq
