#include "regression/ModelFit.h"

#include "formula/Errors.h"
#include "formula/FormulaParser.h"
#include "formula/Random.h"
#include "regression/FormulaSplit.h"
#include "regression/NumberText.h"

#include <cmath>
#include <cstdint>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace xtq {
namespace {

using Point = std::vector<Extended>; // x1 .. xn, then Y

// The data matrix (one column per variable, then Y) of the given points.
TMatrix Data(const std::vector<Point>& points, size_t variables) {
    TMatrix data(variables + 1);
    for (const Point& point : points)
        for (size_t c = 0; c <= variables; ++c)
            data[c].push_back(point.at(c));
    return data;
}

// The fit exactly as written down for it: one parser, every term compiled
// afresh at every data point after that point's variables are stored.
struct NaiveFit {
    TVector values;
    bool solved = false;
};

NaiveFit FitNaively(const std::string& rightHandSide, const TMatrix& data) {
    const size_t n = data.size() - 1;
    TFormulaTerms split;
    const int k = SplitTerms(rightHandSide, split);
    TParser parser;
    TLeastSquareFit solver(k);
    TVector row(static_cast<size_t>(k) + 1);
    for (size_t p = 0; p < data[0].size(); ++p) {
        for (size_t t = 0; t < split.Terms.size(); ++t) {
            for (size_t v = 0; v < n; ++v)
                parser.StoreVariable("x" + std::to_string(v + 1), data[v][p]);
            parser.SetExpression(split.Terms[t]);
            row[t] = parser.Value();
        }
        row[static_cast<size_t>(k)] = data[n][p];
        solver.AddRow(row.data());
    }
    NaiveFit result;
    result.values.resize(static_cast<size_t>(k));
    result.solved = solver.Solve(result.values.data());
    return result;
}

const TMatrix kLine = Data({{1, 3}, {2, 5}, {3, 7}}, 1);

TEST(FitFormula, LineThroughThreePoints) {
    const TModelFit fit = FitFormula("a+b*x1", kLine);
    EXPECT_TRUE(fit.Solved);
    EXPECT_EQ(fit.Text, "Y`=1+2*x1");
    EXPECT_EQ(fit.ConstNames, (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(fit.Terms, (std::vector<std::string>{"1", "x1"}));
    EXPECT_EQ(fit.ConstValues, (TVector{1, 2}));
    EXPECT_EQ(EvaluateFormula("Y`=1+2*x1", kLine), (TVector{3, 5, 7}));
    // Variable names ignore letter case.
    EXPECT_EQ(FitFormula("a+b*X1", kLine).Text, "Y`=1+2*X1");
}

TEST(FitFormula, LoneConstantGivesTheMean) {
    const TMatrix data = Data({{0, 1}, {0, 2}, {0, 4}}, 1);
    // Three rows: the sum 7 times the reciprocal of 3.
    const volatile Extended three = 3;
    const std::string mean = "Y`=" + GeneralNumberText(7 * (1 / three));
    EXPECT_EQ(FitFormula("a", data).Text, mean);
    const TModelFit empty = FitFormula("", data);
    EXPECT_EQ(empty.Text, mean);
    EXPECT_EQ(empty.ConstNames, (std::vector<std::string>{""}));
    // No variables at all.
    EXPECT_EQ(FitFormula("a", TMatrix{{1, 2, 4}}).Text, mean);
}

TEST(FitFormula, SingularSystemGivesAnEmptyTextAndZeroFittedValues) {
    const TMatrix onePoint = Data({{1, 3}}, 1);
    const TModelFit fit = FitFormula("a+b*x1", onePoint);
    EXPECT_FALSE(fit.Solved);
    EXPECT_EQ(fit.Text, "");
    EXPECT_EQ(fit.ConstValues, (TVector{3, 0}));
    EXPECT_TRUE(fit.NormalInverse.empty());
    EXPECT_EQ(EvaluateFormula("", kLine), (TVector{0, 0, 0}));

    const std::vector<std::string> singular = {
        "a+b*x1+x1",   // a term without constant duplicates the lone constant
        "a+b*x",       // X is the parser's own variable, always 0
        "a+b*",        // an empty expression is 0 everywhere
        "a+",          // two lone constants
        "a+b*x1+c*x1", // two equal columns
    };
    for (const std::string& rightHandSide : singular) {
        SCOPED_TRACE(rightHandSide);
        EXPECT_EQ(FitFormula(rightHandSide, kLine).Text, "");
    }
}

TEST(FitFormula, TheNormalInverseComesWithTheCoefficients) {
    // x = 1, 2, 3 and a lone constant: the cross products are [[3, 6], [6, 14]],
    // whose inverse is [[7/3, -1], [-1, 1/2]].
    const TModelFit fit = FitFormula("a+b*x1", kLine);
    ASSERT_EQ(fit.NormalInverse.size(), 2u);
    EXPECT_NEAR(static_cast<double>(fit.NormalInverse[0][0]), 7.0 / 3, 1e-17);
    EXPECT_NEAR(static_cast<double>(fit.NormalInverse[0][1]), -1, 1e-17);
    EXPECT_NEAR(static_cast<double>(fit.NormalInverse[1][0]), -1, 1e-17);
    EXPECT_NEAR(static_cast<double>(fit.NormalInverse[1][1]), 0.5, 1e-17);
}

struct KnownFit {
    std::string rightHandSide;
    std::vector<Point> points;
    size_t variables;
    std::string text;
};

// Points on y = f(x) for integer x from -3 to 4 (8 points).
std::vector<Point> OnCurve(Extended (*f)(Extended)) {
    std::vector<Point> points;
    for (int x = -3; x <= 4; ++x)
        points.push_back({Extended(x), f(Extended(x))});
    return points;
}

// Points on z = f(x1, x2) over a 5 x 5 grid.
std::vector<Point> OnSurface(Extended (*f)(Extended, Extended)) {
    std::vector<Point> points;
    for (int x1 = -2; x1 <= 2; ++x1)
        for (int x2 = -1; x2 <= 3; ++x2)
            points.push_back({Extended(x1), Extended(x2), f(Extended(x1), Extended(x2))});
    return points;
}

TEST(FitFormula, FitsWithAnExactAnswer) {
    const std::vector<KnownFit> cases = {
        {"a+b*x1", OnCurve([](Extended x) { return 2 - x / 2; }), 1, "Y`=2-0.5*x1"},
        {"a+b*x1+c*x1^2", OnCurve([](Extended x) { return 1 - 2 * x + 3 * x * x; }), 1,
         "Y`=1-2*x1+3*x1^2"},
        {"a+b*x1+c*x1^2+d*x1^3",
         OnCurve([](Extended x) { return -4 + x + 0.5L * x * x - 0.25L * x * x * x; }), 1,
         "Y`=-4+1*x1+0.5*x1^2-0.25*x1^3"},
        {"a+b*x1+c*x1^2+d*x1^3+e*x1^4", OnCurve([](Extended x) {
             return 7 - 3 * x + 2 * x * x + x * x * x - 0.125L * x * x * x * x;
         }),
         1, "Y`=7-3*x1+2*x1^2+1*x1^3-0.125*x1^4"},
        {"a+b*x1+c*x1^2+d*x1^3+e*x1^4+f*x1^5", OnCurve([](Extended x) {
             return 1 + 2 * x - 3 * x * x + 4 * x * x * x - 5 * x * x * x * x +
                    6 * x * x * x * x * x;
         }),
         1, "Y`=1+2*x1-3*x1^2+4*x1^3-5*x1^4+6*x1^5"},
        {"a+b*x1+c*x2+d*x1^2+e*x2^2+f*x1*x2", OnSurface([](Extended x1, Extended x2) {
             return 1 + 2 * x1 - 3 * x2 + 0.5L * x1 * x1 + 4 * x2 * x2 - 1.5L * x1 * x2;
         }),
         2, "Y`=1+2*x1-3*x2+0.5*x1^2+4*x2^2-1.5*x1*x2"},
        {"a+b*x1+c*x2", OnSurface([](Extended x1, Extended x2) { return 10 - x1 + 0.75L * x2; }), 2,
         "Y`=10-1*x1+0.75*x2"},
        // A later lone constant is written with "*1"; a first term that is not
        // a lone constant keeps its expression.
        {"b*x1+a", OnCurve([](Extended x) { return 1 + 2 * x; }), 1, "Y`=2*x1+1*1"},
        {"b*x1^2+c*x1+a", OnCurve([](Extended x) { return -x * x + x / 2 + 3; }), 1,
         "Y`=-1*x1^2+0.5*x1+3*1"},
        // An expression with a "-" of its own is bracketed, a bracketed one is left as it is.
        {"a+b*x1-x2", OnSurface([](Extended x1, Extended x2) { return 1 + 2 * (x1 - x2); }), 2,
         "Y`=1+2*(x1-x2)"},
        {"a+b*(x1-x2)", OnSurface([](Extended x1, Extended x2) { return 1 + 2 * (x1 - x2); }), 2,
         "Y`=1+2*(x1-x2)"},
        {"a+b*-x1", OnCurve([](Extended x) { return 1 - 2 * x; }), 1, "Y`=1+2*(-x1)"},
    };
    for (const KnownFit& c : cases) {
        SCOPED_TRACE(c.rightHandSide);
        const TMatrix data = Data(c.points, c.variables);
        const std::string text = FitFormula(c.rightHandSide, data).Text;
        EXPECT_EQ(text, c.text);
        // The text read back gives the measured values.
        const TVector fitted = EvaluateFormula(text, data);
        ASSERT_EQ(fitted.size(), c.points.size());
        for (size_t p = 0; p < fitted.size(); ++p)
            EXPECT_NEAR(static_cast<double>(fitted[p]), static_cast<double>(data.back()[p]), 1e-12);
    }
}

TEST(FitFormula, TinyCoefficientIsWrittenInScientificNotationAndReadBack) {
    std::vector<Point> points;
    for (int x = 0; x <= 4000; x += 1000)
        points.push_back({Extended(x), 1.5L + 2.5e-5L * x});
    const TMatrix data = Data(points, 1);
    const std::string text = FitFormula("a+b*x1", data).Text;
    EXPECT_EQ(text, "Y`=1.5+2.5E-5*x1");
    const TVector fitted = EvaluateFormula(text, data);
    for (size_t p = 0; p < fitted.size(); ++p)
        EXPECT_EQ(fitted[p], Extended(1.5 + 2.5e-5 * (1000.0 * static_cast<double>(p)))) << p;

    // The sign of an exponent is no difference: such an expression stays as it is.
    std::vector<Point> scaled;
    for (int x = 0; x < 5; ++x)
        scaled.push_back({Extended(x), 1 + 2 * Extended(x * 1e-3)});
    EXPECT_EQ(FitFormula("a+b*x1*1E-3", Data(scaled, 1)).Text, "Y`=1+2*x1*1E-3");
}

TEST(FitFormula, FittedFormulaReadBackGivesTheFittedValues) {
    // Scattered points, so the fit is not exact.
    std::vector<Point> points;
    for (int p = 0; p < 40; ++p) {
        const Extended x1 = p * 0.37L - 3;
        const Extended x2 = std::sin(Extended(p));
        points.push_back({x1, x2, 2 + x1 - x2 * x2 + std::cos(Extended(3 * p))});
    }
    const TMatrix data = Data(points, 2);
    const std::string rightHandSide = "a+b*x1+c*x2+d*x1^2+e*x2^2+f*x1*x2";
    const TModelFit fit = FitFormula(rightHandSide, data);
    const std::string& text = fit.Text;
    ASSERT_FALSE(text.empty());
    const TVector fitted = EvaluateFormula(text, data);
    const TVector& c = fit.ConstValues;
    for (size_t p = 0; p < points.size(); ++p) {
        const double x1 = static_cast<double>(points[p][0]);
        const double x2 = static_cast<double>(points[p][1]);
        const Extended expected =
            c[0] + c[1] * x1 + c[2] * x2 + c[3] * (x1 * x1) + c[4] * (x2 * x2) + c[5] * (x1 * x2);
        EXPECT_NEAR(static_cast<double>(fitted[p]), static_cast<double>(expected), 1e-13) << p;
    }
}

TEST(FitFormula, CompilingOnceKeepsTheValuesAndTheRandomDraws) {
    std::vector<Point> points;
    for (int p = 0; p < 60; ++p) {
        const Extended x1 = p / 7.0L + 0.1L;
        points.push_back({x1, 1 / x1, std::exp(-x1) + p % 5});
    }
    const TMatrix data = Data(points, 2);
    const std::vector<std::string> formulas = {
        "a+b*x1+c*x2+d*x1^2+e*x2^2+f*x1*x2",
        "a+b*RANDOM(x1)+c*x1*RND(10*x2)+d*RANDOM(0)*RANDOM(1)",
        "a+b*SIN(x1)+c*LN(x2)+d*x1^2.5",
    };
    for (const std::string& rightHandSide : formulas) {
        SCOPED_TRACE(rightHandSide);
        SetRandSeed(20240601);
        const NaiveFit naive = FitNaively(rightHandSide, data);
        const std::uint32_t seedAfterNaive = RandSeed();
        SetRandSeed(20240601);
        const TModelFit fit = FitFormula(rightHandSide, data);
        EXPECT_EQ(RandSeed(), seedAfterNaive);
        EXPECT_EQ(fit.Solved, naive.solved);
        EXPECT_EQ(fit.ConstValues, naive.values); // bit for bit
    }
}

TEST(FitFormula, EngineErrorsPropagateInTheOrderOfTheTermByTermEvaluation) {
    // The second term divides by zero at the first point before the third
    // term, which names an undefined variable, is ever compiled.
    const TMatrix zeroFirst = Data({{0, 1}, {1, 2}, {2, 3}}, 1);
    EXPECT_THROW(FitFormula("a+b*1/x1+c*x9", zeroFirst), EZeroDivide);
    EXPECT_THROW(FitFormula("a+b*x1+c*x9", zeroFirst), ESyntaxError);
    // Zero at a later point: the error comes from the evaluation there.
    const TMatrix zeroLater = Data({{1, 1}, {0, 2}, {2, 3}}, 1);
    EXPECT_THROW(FitFormula("a+b*1/x1", zeroLater), EZeroDivide);
    EXPECT_THROW(FitFormula("a+b*(x1", kLine), EMissMatchingBracket);
    EXPECT_THROW(FitFormula("a+b*x1 *x1", kLine), EExpressionHasBlanks);
}

TEST(FitFormula, VariableValueBeyondTheDoubleRangeOverflowsAsWhenStored) {
    for (size_t bad = 0; bad < 3; ++bad) {
        SCOPED_TRACE(bad);
        TMatrix data = Data({{1, 1, 3}, {2, 1, 5}, {3, 2, 7}}, 2);
        data[1][bad] = 1e400L;
        try {
            FitFormula("a+b*x1", data); // x2 is stored although no term names it
            FAIL() << "no overflow";
        } catch (const EOverflow& e) {
            EXPECT_STREQ(e.what(), kOverflowMessage);
        }
        EXPECT_THROW(EvaluateFormula("Y`=1+2*x1", data), EOverflow);
    }
    // The measured value is not a variable and takes the extended range.
    TMatrix wide = Data({{1, 1e400L}, {2, 2e400L}}, 1);
    EXPECT_NO_THROW(FitFormula("b*x1", wide));
}

TEST(FitFormula, SumWithAHugeMeasuredValueOverflowsAtItsRow) {
    // Row 3's x1 * Y leaves the extended range: the fit ends there, after
    // drawing one random number for each of rows 1 to 3.
    const TMatrix data = Data({{1, 2}, {2, 3}, {100, 1e4931L}, {3, 4}, {4, 5}}, 1);
    SetRandSeed(7);
    EXPECT_THROW(FitFormula("a+b*x1+c*random(1)", data), EOverflow);
    const std::uint32_t after = RandSeed();
    SetRandSeed(7);
    for (int draw = 0; draw < 3; ++draw)
        NextRandom();
    EXPECT_EQ(after, RandSeed());

    // Measured values that large without an overflow fit as always.
    const TMatrix huge = Data({{1, 3e4700L}, {2, 5e4700L}, {3, 7e4700L}}, 1);
    const std::string text = FitFormula("a+b*x1", huge).Text;
    EXPECT_EQ(text, "Y`=1E4700+2E4700*x1");
}

TEST(EvaluateFormula, ManyPointsGiveTheValuesAndTheFirstErrorOfOneByOne) {
    // 50,000 points, evaluated in parts: the values of a single parser going
    // point by point, and the error of the first point that fails.
    constexpr size_t kPoints = 50'000;
    TMatrix data(3, TVector(kPoints));
    for (size_t p = 0; p < kPoints; ++p) {
        data[0][p] = static_cast<Extended>(p) / 7;
        data[1][p] = static_cast<Extended>(p);
    }
    const std::string fitted = "Y`=1.5+2*x1^2-sin(x1)/3+0.25*x2";
    const TVector values = EvaluateFormula(fitted, data);
    TParser parser;
    parser.StoreVariable("x1", data[0][0]);
    parser.StoreVariable("x2", data[1][0]);
    parser.SetExpression(fitted.substr(3));
    for (size_t p = 0; p < kPoints; ++p) {
        parser.StoreVariable("x1", data[0][p]);
        parser.StoreVariable("x2", data[1][p]);
        ASSERT_EQ(values[p], parser.Value()) << p;
    }
    // 1/0 at point 20,000; exp overflows from point 29,710 on.
    EXPECT_THROW(EvaluateFormula("Y`=1/(x2-20000)+exp(x2-29000)", data), EZeroDivide);
    EXPECT_THROW(EvaluateFormula("Y`=1+exp(x2-29000)", data), EOverflow);
    // Random numbers are drawn point by point, as by a single parser.
    TParser single;
    single.StoreVariable("x1", data[0][0]);
    single.SetExpression("x1+random(1)");
    SetRandSeed(11);
    TVector expected;
    for (size_t p = 0; p < kPoints; ++p) {
        single.StoreVariable("x1", data[0][p]);
        expected.push_back(single.Value());
    }
    const std::uint32_t after = RandSeed();
    SetRandSeed(11);
    EXPECT_EQ(EvaluateFormula("Y`=x1+random(1)", data), expected);
    EXPECT_EQ(RandSeed(), after);
}

TEST(FitFormula, BlankAfterTheStarFitsButTheFittedFormulaDoesNotRead) {
    const std::string text = FitFormula("a+b* x1", kLine).Text;
    EXPECT_EQ(text, "Y`=1+2* x1");
    EXPECT_THROW(EvaluateFormula(text, kLine), EExpressionHasBlanks);
}

TEST(FitFormula, NoDataPointsIsAFailedFitWithoutCompiling) {
    const TMatrix empty(2); // x1 and Y, no points
    const TModelFit fit = FitFormula("a+b*x1", empty);
    EXPECT_EQ(fit.Text, "");
    EXPECT_EQ(fit.ConstNames, (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(fit.ConstValues, (TVector{0, 0}));
    EXPECT_EQ(FitFormula("a+b*x9+(", empty).Text, "");
    EXPECT_TRUE(EvaluateFormula("Y`=1+2*x9", empty).empty());
}

TEST(FitFormula, DataMatrixWithoutYColumnOrWithRaggedColumnsIsRefused) {
    EXPECT_THROW(FitFormula("a", TMatrix{}), ERegressionError);
    EXPECT_THROW(EvaluateFormula("Y`=1", TMatrix{}), ERegressionError);
    const TMatrix ragged = {{1, 2, 3}, {3, 5}};
    EXPECT_THROW(FitFormula("a+b*x1", ragged), ERegressionError);
    EXPECT_THROW(EvaluateFormula("Y`=1+2*x1", ragged), ERegressionError);
}

TEST(EvaluateFormula, DropsThePrefixAndEvaluatesAtEveryPoint) {
    EXPECT_EQ(EvaluateFormula("Y`=x1*x1", kLine), (TVector{1, 4, 9}));
    EXPECT_EQ(EvaluateFormula("Y`", kLine), (TVector{0, 0, 0}));
    EXPECT_EQ(EvaluateFormula("Y`=2", TMatrix{{7, 8}}), (TVector{2, 2}));
    EXPECT_THROW(EvaluateFormula("Y`=1/(x1-2)", kLine), EZeroDivide);
}

} // namespace
} // namespace xtq
