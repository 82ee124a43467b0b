#include "regression/FormulaSplit.h"

#include <gtest/gtest.h>
#include <string>
#include <utility>
#include <vector>

namespace xtq {
namespace {

using Pairs = std::vector<std::pair<std::string, std::string>>; // (name, expression)

Pairs Split(const std::string& rightHandSide, int* count = nullptr) {
    TFormulaTerms lists;
    const int k = SplitTerms(rightHandSide, lists);
    if (count) *count = k;
    EXPECT_EQ(lists.Terms.size(), lists.ConstNames.size());
    Pairs pairs;
    for (size_t i = 0; i < lists.Terms.size(); ++i)
        pairs.emplace_back(lists.ConstNames[i], lists.Terms[i]);
    return pairs;
}

TEST(SplitTerms, RightHandSidesAndTheirTerms) {
    const std::vector<std::pair<std::string, Pairs>> cases = {
        {"a+b*x1", {{"a", "1"}, {"b", "x1"}}},
        {"a+b*x1+c*x2", {{"a", "1"}, {"b", "x1"}, {"c", "x2"}}},
        {"a+b*x1+c*x2+d*x1^2+e*x2^2+f*x1*x2",
         {{"a", "1"}, {"b", "x1"}, {"c", "x2"}, {"d", "x1^2"}, {"e", "x2^2"}, {"f", "x1*x2"}}},
        // A "+" inside brackets does not split.
        {"a01+b11*(x1+x2)", {{"a01", "1"}, {"b11", "(x1+x2)"}}},
        // Blanks stay where they are.
        {"a + b*x1", {{"a ", "1"}, {" b", "x1"}}},
        {"", {{"", "1"}}},
        {"a+", {{"a", "1"}, {"", "1"}}},
        {"+a+b*x1", {{"", "1"}, {"a", "1"}, {"b", "x1"}}},
        {"a++b*x1", {{"a", "1"}, {"", "1"}, {"b", "x1"}}},
        // A lone constant is named by its first three characters.
        {"abcd", {{"abc", "1"}}},
        {"b*", {{"b", ""}}},
        {"a+a*x1", {{"a", "1"}, {"a", "x1"}}},
        // Brackets are counted, not matched: the extra ")" stops the splitting.
        {"a+b*(x1+x2))+c*x2", {{"a", "1"}, {"b", "(x1+x2))+c*x2"}}},
        {"a+)b*x1+(c*x2+d", {{"a", "1"}, {")b", "x1+(c*x2"}, {"d", "1"}}},
        // Forms outside the convention pass through.
        {"a+x1*b", {{"a", "1"}, {"x1", "b"}}},
        {"a+a*b*x1", {{"a", "1"}, {"a", "b*x1"}}},
        {"a+b*x1+x2", {{"a", "1"}, {"b", "x1"}, {"x2", "1"}}},
        {"x1*x2", {{"x1", "x2"}}},
        {"a-b*x1", {{"a-b", "x1"}}},
        {"a+b*x1*1E+3", {{"a", "1"}, {"b", "x1*1E"}, {"3", "1"}}},
        // More than three characters before the first "*": the whole text is the name.
        {"a+ab12*x1", {{"a", "1"}, {"ab12", "x1"}}},
    };
    for (const auto& [rightHandSide, expected] : cases) {
        SCOPED_TRACE(rightHandSide);
        int count = 0;
        EXPECT_EQ(Split(rightHandSide, &count), expected);
        EXPECT_EQ(count, static_cast<int>(expected.size()));
    }
}

TEST(SplitTerms, NamesCountCharactersNotBytes) {
    // Three characters of a lone constant, whatever their width in UTF-8.
    EXPECT_EQ(Split("\xce\xb1\xce\xb2\xce\xb3\xce\xb4+b*x1"),
              (Pairs{{"\xce\xb1\xce\xb2\xce\xb3", "1"}, {"b", "x1"}}));
    EXPECT_EQ(Split("\xe7\xb3\xbb\xe6\x95\xb0\xe7\x94\xb2\xe4\xb9\x99"),
              (Pairs{{"\xe7\xb3\xbb\xe6\x95\xb0\xe7\x94\xb2", "1"}}));
    EXPECT_EQ(Split("\xce\xb1"), (Pairs{{"\xce\xb1", "1"}}));
}

TEST(SplitTerms, ReplacesTheListsOfAnEarlierDecomposition) {
    TFormulaTerms lists;
    EXPECT_EQ(SplitTerms("a+b*x1+c*x2+d*x1^2+e*x2^2", lists), 5);
    EXPECT_EQ(SplitTerms("a+b*x1", lists), 2);
    EXPECT_EQ(lists.Terms, (std::vector<std::string>{"1", "x1"}));
    EXPECT_EQ(lists.ConstNames, (std::vector<std::string>{"a", "b"}));
}

TEST(SplitTerm, SetsTheListsToTheTermNumber) {
    TFormulaTerms lists{{"1", "x1", "x2"}, {"a", "b", "c"}};
    SplitTerm("d*x1^2", 2, lists);
    EXPECT_EQ(lists.Terms, (std::vector<std::string>{"1", "x1^2"}));
    EXPECT_EQ(lists.ConstNames, (std::vector<std::string>{"a", "d"}));
    SplitTerm("e", 4, lists);
    EXPECT_EQ(lists.Terms, (std::vector<std::string>{"1", "x1^2", "", "1"}));
    EXPECT_EQ(lists.ConstNames, (std::vector<std::string>{"a", "d", "", "e"}));
}

} // namespace
} // namespace xtq
