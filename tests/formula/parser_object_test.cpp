// The parser object: variables, the formula's states, the error handler.

#include "formula/FormulaParser.h"

#include <cfloat>
#include <gtest/gtest.h>
#include <string>

namespace xtq {
namespace {

TEST(ParserObject, WithoutAFormulaTheValueIsZero) {
    TParser parser;
    EXPECT_EQ(parser.Value(), 0);
    parser.SetExpression("");
    EXPECT_EQ(parser.Value(), 0);
    EXPECT_FALSE(parser.CompileFailed());
    EXPECT_TRUE(parser.PascalNumberformat());
}

TEST(ParserObject, FailedCompileDropsThePreviousFormula) {
    TParser parser;
    parser.StoreVariable("x1", 3);
    parser.SetExpression("x1*2");
    EXPECT_EQ(parser.Value(), 6);
    EXPECT_THROW(parser.SetExpression("x1*"), ESyntaxError);
    EXPECT_TRUE(parser.CompileFailed());
    EXPECT_EQ(parser.Expression(), "x1*");
    EXPECT_EQ(parser.Value(), 0);
    EXPECT_TRUE(parser.Operations().empty());
    // An empty text leaves the flag as it was; the next compile clears it.
    parser.SetExpression("");
    EXPECT_TRUE(parser.CompileFailed());
    parser.SetExpression("x1");
    EXPECT_FALSE(parser.CompileFailed());
    EXPECT_EQ(parser.Value(), 3);
}

TEST(ParserObject, NamesIgnoreLetterCaseAndValuesNeedNoRecompile) {
    TParser parser;
    double* cell = parser.StoreVariable("x1", 3);
    EXPECT_EQ(parser.StoreVariable("X1", 3), cell);
    parser.SetExpression("X1*2");
    EXPECT_EQ(parser.Value(), 6);
    parser.StoreVariable("x1", 4);
    EXPECT_EQ(parser.Value(), 8);
    *cell = 5; // a store through the cell is all an update takes
    EXPECT_EQ(parser.Value(), 10);
    EXPECT_EQ(parser.Variables().count("X1"), 1u);
    EXPECT_EQ(parser.Variables().size(), 9u); // eight predefined and X1
}

TEST(ParserObject, PredefinedCells) {
    TParser parser;
    parser.SetExpression("X+Y");
    EXPECT_EQ(parser.Value(), 0);
    parser.StoreVariable("x", 3);
    EXPECT_EQ(parser.Value(), 3);
    EXPECT_EQ(parser.X(), 3);
    parser.SetY(2);
    EXPECT_EQ(parser.Value(), 5);
    // E alone is the variable, not a literal.
    parser.SetE(7);
    parser.SetExpression("E");
    EXPECT_EQ(parser.Value(), 7);
}

TEST(ParserObject, VariableNames) {
    struct Case {
        const char* name;
        const char* message; // nullptr: accepted
    };
    const Case cases[] = {
        {"1x", "1x"},     {"xdiv", "XDIV"}, {"modulus", "MODULUS"}, {"", ""},
        {"a-b", "a-b"},   {"_a1", nullptr}, {"Temp_2", nullptr},    {"x y", "x y"},
        {"Mod2", "MOD2"},
    };
    for (const Case& c : cases) {
        TParser parser;
        if (!c.message) {
            EXPECT_NO_THROW(parser.StoreVariable(c.name, 1)) << c.name;
            continue;
        }
        try {
            parser.StoreVariable(c.name, 1);
            ADD_FAILURE() << c.name << " was accepted";
        } catch (const EBadName& e) {
            EXPECT_STREQ(e.what(), c.message);
        }
        EXPECT_EQ(parser.Variables().size(), 8u) << c.name;
    }
}

TEST(ParserObject, StoringAValueBeyondTheCellRange) {
    TParser parser;
    EXPECT_THROW(parser.StoreVariable("big", LDBL_MAX), EOverflow);
    EXPECT_EQ(parser.Variables().count("BIG"), 0u);
    double* cell = parser.StoreVariable("big", 1);
    EXPECT_THROW(parser.StoreVariable("BIG", -1e400L), EOverflow);
    EXPECT_EQ(*cell, 1);
    // Rounding to 8 bytes happens on the way in.
    parser.StoreVariable("big", 1.0L + 1e-18L);
    EXPECT_EQ(*cell, 1.0);
}

TEST(ParserObject, UndefinedVariableIsASyntaxError) {
    TParser parser;
    EXPECT_THROW(parser.SetExpression("x7+1"), ESyntaxError);
}

TEST(ParserObject, ErrorHandlerTakesCompileErrors) {
    TParser parser;
    int calls = 0;
    TCustomParser* sender = nullptr;
    std::string message;
    parser.OnParserError = [&](TCustomParser& s, EMathParserError& e) {
        ++calls;
        sender = &s;
        message = e.what();
    };
    EXPECT_NO_THROW(parser.SetExpression("1+"));
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(sender, &parser);
    EXPECT_EQ(message, "Error parsing expression:\r1+");
    EXPECT_TRUE(parser.CompileFailed());
    EXPECT_EQ(parser.Value(), 0);
    // Errors outside the family still reach the assigner.
    EXPECT_THROW(parser.SetExpression("1E999"), EOverflow);
    EXPECT_FALSE(parser.CompileFailed());
    EXPECT_EQ(calls, 1);
}

TEST(ParserObject, WritingValueChangesNothing) {
    TParser parser;
    parser.StoreVariable("x1", 2);
    parser.SetExpression("x1+1");
    parser.SetValue(42);
    EXPECT_EQ(parser.Value(), 3);
    EXPECT_EQ(parser.Expression(), "x1+1");
}

TEST(ParserObject, ExpressionKeepsTheTextAsTyped) {
    TParser parser;
    parser.StoreVariable("x1", 2);
    parser.SetExpression("  Sin(x1) ");
    EXPECT_EQ(parser.Expression(), "  Sin(x1) ");
}

TEST(ParserObject, PascalNumberformatOff) {
    TParser parser;
    parser.SetPascalNumberformat(false);
    // In the "C" locale the separator is "." as well; an exponent may lack digits.
    parser.SetExpression("1.5E");
    EXPECT_EQ(parser.Value(), 1.5L);
    EXPECT_THROW(parser.SetExpression("E5"),
                 ESyntaxError); // a predefined E exists, but E5 does not
}

} // namespace
} // namespace xtq
