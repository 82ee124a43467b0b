#include "regression/Correlation.h"

#include "formula/Errors.h"

#include <cmath>
#include <gtest/gtest.h>

namespace xtq {
namespace {

TEST(Correlation, SignedCoefficient) {
    EXPECT_EQ(Correlation({{3, 5, 7}, {3, 5, 7}}), 1);
    EXPECT_EQ(Correlation({{3, 5, 7}, {7, 5, 3}}), -1);
    // Y = 1, 2, 3 against F = 1, 3, 2: Syf = 1, Syy = Sff = 2.
    EXPECT_EQ(Correlation({{1, 2, 3}, {1, 3, 2}}), 0.5L);
    // Scaling and shifting the fitted values leaves it unchanged.
    EXPECT_NEAR(static_cast<double>(Correlation({{1, 2, 4, 8}, {12, 14, 18, 26}})), 1, 1e-18);
}

TEST(Correlation, ZeroWhenNothingVariesOrNothingIsThere) {
    EXPECT_EQ(Correlation({{4, 3, 2}, {0, 0, 0}}), 0); // fitted values of a failed fit
    EXPECT_EQ(Correlation({{2, 2, 2}, {1, 2, 3}}), 0);
    EXPECT_EQ(Correlation({{5}, {7}}), 0);
    EXPECT_EQ(Correlation({{}, {}}), 0);
}

TEST(Correlation, MisshapenPairsAndOverflow) {
    EXPECT_THROW(Correlation({{1, 2}}), ERegressionError);
    EXPECT_THROW(Correlation({{1, 2}, {1}}), ERegressionError);
    EXPECT_THROW(Correlation({{1e4000L, -1e4000L}, {1, 2}}), EOverflow);
}

} // namespace
} // namespace xtq
