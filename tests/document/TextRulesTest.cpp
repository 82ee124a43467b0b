#include "document/TextRules.h"

#include "document/AliasList.h"

#include <gtest/gtest.h>

namespace xtq {
namespace {

TEST(TextRules, ReplaceAllIgnoreCase) {
    struct Case {
        const char* text;
        const char* pattern;
        const char* replacement;
        const char* result;
    };
    const Case cases[] = {
        {"a+b*x1", "x1", "x", "a+b*x"}, {"a+b*X1", "x1", "x", "a+b*x"}, // letter case ignored
        {"x10+x1", "x1", "x", "x0+x"},                                  // textual: x10 becomes x0
        {"aaa", "aa", "b", "ba"},                                       // left to right, no overlap
        {"x1", "x1", "x1x1", "x1x1"}, // the inserted text is not searched again
        {"abc", "", "z", "abc"},      // an empty pattern replaces nothing
        {"ab", "abc", "z", "ab"},       {"Y`=1", "y`", "Z", "Z=1"},
        {" Y。 ", "y。", "名", " 名 "}, {"变量x1变量", "X1", "甲", "变量甲变量"},
        {"Éé", "é", "e", "Ée"}, // only A-Z fold
    };
    for (const Case& c : cases)
        EXPECT_EQ(ReplaceAllIgnoreCase(c.text, c.pattern, c.replacement), c.result) << c.text;
}

TEST(TextRules, BlankText) {
    EXPECT_TRUE(IsBlankText(""));
    EXPECT_TRUE(IsBlankText(" \t\r\n\x01"));
    EXPECT_FALSE(IsBlankText("  a"));
    EXPECT_FALSE(IsBlankText("\x7F"));
    EXPECT_FALSE(IsBlankText("　")); // the ideographic space is a character
}

class SubstituteAliasesTest : public ::testing::Test {
protected:
    TAliasList aliases;
    std::string Substitute(const char* text) { return SubstituteAliases(text, aliases); }
};

TEST_F(SubstituteAliasesTest, RowsApplyInListOrderOnEachOthersResult) {
    aliases.Append("x1", "x");
    aliases.Append("x2", "y");
    EXPECT_EQ(Substitute("a+b*x1+c*x2"), "a+b*x+c*y");
    aliases.Append("x", "u"); // works on the result of the rows before it
    EXPECT_EQ(Substitute("a+b*x1+c*x2"), "a+b*u+c*y");
}

TEST_F(SubstituteAliasesTest, EmptyAndBlankRows) {
    aliases.Append("", "v");   // empty key: replaces nothing
    aliases.Append(" ", " ");  // key and value blank: skipped
    aliases.Append("x2", "");  // empty value removes the key's text
    aliases.Append("X1", " "); // value of blanks, key not blank: applies
    EXPECT_EQ(Substitute("a + b*x1+c*x2"), "a + b* +c*");
}

TEST_F(SubstituteAliasesTest, NumbersContainingTheKeyChange_too) {
    aliases.Append("1", "one");
    EXPECT_EQ(Substitute("1.5+x1"), "one.5+xone");
}

} // namespace
} // namespace xtq
