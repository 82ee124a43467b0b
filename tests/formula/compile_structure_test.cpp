// The compiled list itself: codes in list order and the cells they share.

#include "formula/FormulaParser.h"

#include <cmath>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace xtq {
namespace {

std::vector<int> Codes(const TParser& parser) {
    std::vector<int> codes;
    for (const OperationRecord& op : parser.Operations())
        codes.push_back(op.Code);
    return codes;
}

class CompileStructure : public ::testing::Test {
protected:
    CompileStructure() {
        x = parser.StoreVariable("x", 2);
        y = parser.StoreVariable("y", 3);
    }
    TParser parser;
    double* x;
    double* y;
};

TEST_F(CompileStructure, VariableAndBracketsArePassThrough) {
    for (const char* f : {"X", "((X))", "((((x))))"}) {
        parser.SetExpression(f);
        ASSERT_EQ(Codes(parser), std::vector<int>{0}) << f;
        const OperationRecord& op = parser.Operations()[0];
        EXPECT_EQ(op.Operand1, x);
        EXPECT_EQ(op.Output, x);
    }
}

TEST_F(CompileStructure, ConstantsAreCellsWithoutFolding) {
    parser.SetExpression("-5");
    ASSERT_EQ(Codes(parser), std::vector<int>{0});
    EXPECT_EQ(*parser.Operations()[0].Output, -5);
    parser.SetExpression("-(5)");
    EXPECT_EQ(Codes(parser), std::vector<int>{2});
    parser.SetExpression("-X");
    EXPECT_EQ(Codes(parser), std::vector<int>{2});
    parser.SetExpression("2*3");
    ASSERT_EQ(Codes(parser), std::vector<int>{5});
    EXPECT_EQ(*parser.Operations()[0].Operand1, 2);
    EXPECT_EQ(*parser.Operations()[0].Operand2, 3);
}

TEST_F(CompileStructure, PowerCodes) {
    struct Case {
        const char* formula;
        int code;
    };
    const Case cases[] = {{"X^2", 11},          {"X^3", 12},         {"X^4", 13},
                          {"X^5", 9},           {"X^0", 9},          {"X^-1", 9},
                          {"X^2.5", 10},        {"X^Y", 10},         {"X^(2)", 10},
                          {"X^PI", 10},         {"X^2147483647", 9}, {"X^2147483648", 10},
                          {"X^-2147483648", 9}, {"X^2.0", 11}};
    for (const Case& c : cases) {
        parser.SetExpression(c.formula);
        EXPECT_EQ(Codes(parser), std::vector<int>{c.code}) << c.formula;
    }
    parser.SetExpression("X^2");
    EXPECT_EQ(parser.Operations()[0].Operand2, nullptr); // the exponent is dropped
}

TEST_F(CompileStructure, DeepestLevelFirstAndOutputsFeedTheirConsumers) {
    // X*Y+SIN(X-Y): the sum at level 1; product and call at level 2; difference at level 3.
    parser.SetExpression("X*Y+SIN(X-Y)");
    ASSERT_EQ(Codes(parser), (std::vector<int>{4, 5, 14, 3}));
    const auto& ops = parser.Operations();
    EXPECT_EQ(ops[0].Operand1, x);
    EXPECT_EQ(ops[0].Operand2, y);
    EXPECT_EQ(ops[2].Operand1, ops[0].Output); // the call reads the difference
    EXPECT_EQ(ops[3].Operand1, ops[1].Output); // the sum reads the product ...
    EXPECT_EQ(ops[3].Operand2, ops[2].Output); // ... and the call
    for (size_t i = 0; i + 1 < ops.size(); ++i)
        EXPECT_EQ(ops[i].Next, &ops[i + 1]);
    EXPECT_EQ(ops.back().Next, nullptr);
    EXPECT_DOUBLE_EQ(static_cast<double>(parser.Value()), 6 + std::sin(-1.0));
}

TEST_F(CompileStructure, GroupingFollowsTheSideRules) {
    // Left grouping: (X-Y)-X puts the inner difference one level deeper.
    parser.SetExpression("X-Y-X");
    ASSERT_EQ(Codes(parser), (std::vector<int>{4, 4}));
    EXPECT_EQ(parser.Operations()[1].Operand1, parser.Operations()[0].Output);
    // Right grouping: X+(Y+X).
    parser.SetExpression("X+Y+X");
    ASSERT_EQ(Codes(parser), (std::vector<int>{3, 3}));
    EXPECT_EQ(parser.Operations()[1].Operand2, parser.Operations()[0].Output);
    // Positions in a level follow the operator terms from left to right.
    parser.SetExpression("(X-Y)*(X/Y)");
    ASSERT_EQ(Codes(parser), (std::vector<int>{4, 6, 5}));
    parser.SetExpression("MAX(MIN(X,Y),X)");
    ASSERT_EQ(Codes(parser), (std::vector<int>{15, 15}));
    EXPECT_EQ(parser.Value(), 2);
}

} // namespace
} // namespace xtq
