#include "regression/LeastSquareFit.h"

#include "formula/Errors.h"
#include "regression/DesignRows.h"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>
#include <random>
#include <span>
#include <string>
#include <utility>
#include <vector>

namespace xtq {
namespace {

using Row = std::vector<Extended>;

TEST(LeastSquareFit, LineThroughThreePointsAccumulatesUpperTriangleOnly) {
    TLeastSquareFit fit(2);
    // Values past index n are ignored.
    for (const Row& row : {Row{1, 1, 3, 99}, Row{1, 2, 5, 99}, Row{1, 3, 7, 99}})
        fit.AddRow(row);

    const TMatrix& m = fit.Matrix();
    ASSERT_EQ(m.size(), 2u);
    EXPECT_EQ(m[0], (Row{3, 6, 15}));
    EXPECT_EQ(m[1], (Row{0, 14, 34})); // below the diagonal stays 0 until Solve

    Extended result[2] = {-1, -1};
    EXPECT_TRUE(fit.Solve(result));
    EXPECT_EQ(result[0], 1);
    EXPECT_EQ(result[1], 2);
}

TEST(LeastSquareFit, MemoryDoesNotGrowWithRows) {
    TLeastSquareFit fit(3);
    for (int p = 0; p < 1000; ++p)
        fit.AddRow(Row{1, Extended(p), Extended(p) * p, 2});
    ASSERT_EQ(fit.Matrix().size(), 3u);
    for (const Row& row : fit.Matrix())
        EXPECT_EQ(row.size(), 4u);
}

TEST(LeastSquareFit, SingleCoefficientMultipliesByTheReciprocal) {
    TLeastSquareFit fit(1);
    fit.AddRow(Row{3, 1});
    fit.AddRow(Row{0, 100}); // t = 0 contributes nothing
    Extended result = 0;
    EXPECT_TRUE(fit.Solve(&result));
    // 3 * (1/9) and 3/9 differ in the last bit of the extended significand.
    const volatile Extended nine = 9;
    const Extended reciprocal = 1 / nine;
    EXPECT_EQ(result, 3 * reciprocal);
    EXPECT_NE(result, Extended(3) / nine);
}

struct SingularCase {
    std::string name;
    int n;
    std::vector<Row> rows;
    Row expected; // the copy-out of the partly reduced matrix
};

TEST(LeastSquareFit, SingularSystemsAreFalseNotErrors) {
    const std::vector<SingularCase> cases = {
        // After the first pivot the second diagonal entry is exactly 0 with no row below.
        {"one row for two coefficients", 2, {{1, 2, 5}}, {5, 0}},
        {"fewer rows than coefficients", 3, {{1, 1, 1, 3}, {1, 2, 4, 5}}, {1, 2, 0}},
        {"term zero on every row", 2, {{1, 0, 3}, {1, 0, 5}}, {4, 0}},
        {"zero column first", 2, {{0, 1, 3}, {0, 2, 5}}, {0, 13}},
        {"two equal columns",
         3,
         {{1, 1, 0, 1}, {1, 1, 1, 3}, {1, 1, 2, 5}, {1, 1, 3, 7}},
         {4, 0, 10}},
        {"no rows at all", 2, {}, {0, 0}},
    };
    for (const SingularCase& c : cases) {
        SCOPED_TRACE(c.name);
        TLeastSquareFit fit(c.n);
        for (const Row& row : c.rows)
            fit.AddRow(row);
        Row result(static_cast<size_t>(c.n), -1);
        EXPECT_FALSE(fit.Solve(result));
        EXPECT_EQ(result, c.expected);
    }
}

TEST(GaussJordan, RepairsAZeroPivotFromTheFirstLowerRowWithANonZeroEntry) {
    TMatrix m = {{0, 1, 2}, {1, 1, 3}};
    EXPECT_TRUE(GaussJordan(m));
    EXPECT_EQ(m, (TMatrix{{1, 0, 1}, {0, 1, 2}}));

    // Row 1 has a zero in column 0 as well, so row 2 repairs row 0.
    TMatrix skip = {{0, 1, 1, 5}, {0, 2, 1, 7}, {1, 1, 1, 6}};
    EXPECT_TRUE(GaussJordan(skip));
    EXPECT_EQ(skip[0][3], 1);
    EXPECT_EQ(skip[1][3], 2);
    EXPECT_EQ(skip[2][3], 3);
}

TEST(GaussJordan, ZeroPivotsThatCannotBeRepaired) {
    TMatrix last = {{1, 1, 2}, {1, 1, 2}};
    EXPECT_FALSE(GaussJordan(last));
    EXPECT_EQ(last[1], (Row{0, 0, 0}));

    TMatrix noneBelow = {{1, 1, 1, 3}, {1, 1, 1, 3}, {0, 0, 1, 1}};
    EXPECT_FALSE(GaussJordan(noneBelow));
}

TEST(GaussJordan, AcceptsATinyPivotWithoutTolerance) {
    const Extended tiny = std::ldexp(Extended(1), -63);
    TMatrix m = {{1, 1, 1}, {1, 1 + tiny, 1 + tiny}};
    EXPECT_TRUE(GaussJordan(m));
    EXPECT_EQ(m[0][2], 0);
    EXPECT_EQ(m[1][2], 1);
}

TEST(GaussJordan, EmptyMatrixIsSolvedAndMisshapenMatricesAreRefused) {
    TMatrix empty;
    EXPECT_TRUE(GaussJordan(empty));
    for (TMatrix bad :
         {TMatrix{{}}, TMatrix{{1, 2}, {3, 4}}, TMatrix{{1, 2, 3}, {4, 5}}, TMatrix{{1, 2, 3}}}) {
        EXPECT_THROW(GaussJordan(bad), ERegressionError);
    }
}

TEST(LeastSquareFit, RangeFaultsRaiseInsteadOfPassingForAResult) {
    TLeastSquareFit sums(1);
    EXPECT_THROW(sums.AddRow(Row{1e3000L, 1e3000L}), EOverflow);

    // The reciprocal of the first pivot is fine, its product with the next entry is not.
    TMatrix elimination = {{1e-3000L, 1e3000L, 1}, {1, 1, 1}};
    EXPECT_THROW(GaussJordan(elimination), EOverflow);

    TLeastSquareFit invalid(1);
    EXPECT_THROW(invalid.AddRow(Row{std::numeric_limits<Extended>::quiet_NaN(), 1}), EInvalidOp);
}

TEST(LeastSquareFit, RowsInBlocksGiveTheSumsOfRowByRow) {
    // Values with all 64 significand bits used, so that any other order of
    // the additions would show in the last bits.
    std::mt19937_64 random(99);
    const auto value = [&] {
        return static_cast<Extended>(random()) / 18446744073709551616.0L *
               static_cast<Extended>(static_cast<int>(random() % 2001) - 1000);
    };
    constexpr int n = 5;
    Row rows;
    for (int r = 0; r < 1000 * (n + 1); ++r)
        rows.push_back(value());
    TLeastSquareFit single(n);
    for (int r = 0; r < 1000; ++r)
        single.AddRow(std::span<const Extended>(rows).subspan(r * (n + 1), n + 1));
    TLeastSquareFit blocks(n);
    const std::span<const Extended> all(rows);
    for (const auto& [first, count] : {std::pair{0, 1}, {1, 63}, {64, 0}, {64, 500}, {564, 436}})
        blocks.AddRows(all.subspan(first * (n + 1), count * (n + 1)));
    EXPECT_EQ(single.Matrix(), blocks.Matrix());

    EXPECT_THROW(blocks.AddRows(all.subspan(0, n)), ERegressionError);
    TLeastSquareFit sums(1);
    EXPECT_THROW(sums.AddRows(Row{1, 1, 1e3000L, 1e3000L}), EOverflow);
}

TEST(LeastSquareFit, DesignRowsOfDoublesAndOfExtendedValuesGiveTheSumsOfRowByRow) {
    // Terms that are doubles, then from row 37, term 2 on, one that is not:
    // the rows collected in blocks give the matrix of adding them one by one.
    std::mt19937_64 random(7);
    constexpr int n = 4;
    for (const bool widen : {false, true}) {
        TLeastSquareFit single(n);
        TLeastSquareFit blocks(n);
        detail::TDesignRows rows(blocks, n, 16);
        for (int r = 0; r < 100; ++r) {
            Row row;
            for (int t = 0; t < n; ++t) {
                Extended value =
                    static_cast<double>(static_cast<int>(random() % 20001) - 10000) / 7;
                if (widen && r >= 37 && t == 2) value /= 3.0L; // no double
                row.push_back(value);
                rows.Term(static_cast<std::size_t>(t), value);
            }
            const Extended y = static_cast<Extended>(random()) / 4096.0L;
            row.push_back(y);
            rows.Measured(y);
            single.AddRow(row);
        }
        rows.Flush();
        EXPECT_EQ(single.Matrix(), blocks.Matrix()) << widen;
    }
    TLeastSquareFit fit(2);
    EXPECT_THROW(fit.AddRows(std::vector<double>{1, 2, 3}, Row{1, 2}), ERegressionError);
}

TEST(LeastSquareFit, Misuse) {
    EXPECT_THROW(TLeastSquareFit(0), ERegressionError);

    TLeastSquareFit fit(2);
    EXPECT_THROW(fit.AddRow(Row{1, 2}), ERegressionError);
    fit.AddRow(Row{1, 1, 3});
    fit.AddRow(Row{1, 2, 5});
    Row small(1);
    EXPECT_THROW(fit.Solve(small), ERegressionError);

    Row result(2);
    EXPECT_TRUE(fit.Solve(result));
    EXPECT_THROW(fit.AddRow(Row{1, 3, 7}), ERegressionError);
    // A second Solve hands out the same result rather than reducing again.
    Row again(2);
    EXPECT_TRUE(fit.Solve(again));
    EXPECT_EQ(again, result);
}

} // namespace
} // namespace xtq
