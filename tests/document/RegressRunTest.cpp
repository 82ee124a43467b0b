#include "document/RegressRun.h"

#include "core/CNumber.h"
#include "document/Document.h"
#include "formula/Errors.h"
#include "regression/NumberText.h"
#include "tests/document/DocumentTesting.h"

#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>
#include <string>

namespace xtq {
namespace {

using testing::DataColumn;
using testing::Texts;
using testing::TypeData;

class RegressRun : public ::testing::Test {
protected:
    TRegressDocument doc;

    void Define(const char* right,
                std::initializer_list<std::pair<const char*, const char*>> aliases = {}) {
        doc.SetText(TField::RightSide, right);
        for (const auto& [key, value] : aliases)
            doc.Aliases().Append(key, value);
    }
    int FittedCol() const { return doc.Table().ColCount() - 2; }
    int ErrorCol() const { return doc.Table().ColCount() - 1; }
};

TEST_F(RegressRun, StraightLineThroughThreePoints) {
    Define("a+b*x1", {{"x1", "x"}});
    TypeData(doc, 1, {{"1", "3"}, {"2", "5"}, {"3", "7"}});
    EXPECT_EQ(doc.Regress(), TRegressOutcome::Done);
    EXPECT_EQ(DataColumn(doc, 3), (Texts{"3", "5", "7"}));
    EXPECT_EQ(DataColumn(doc, 4), (Texts{"0.000000", "0.000000", "0.000000"}));
    EXPECT_EQ(doc.Text(TField::Correlation), "1.000000");
    EXPECT_EQ(doc.Text(TField::MaxError), "0.000000");
    EXPECT_EQ(doc.Text(TField::MeanError), "0.000000");
    EXPECT_EQ(doc.Text(TField::Coefficients),
              "a=1" + std::string(24, ' ') + "b=2" + std::string(24, ' '));
    EXPECT_EQ(doc.Text(TField::FittedFormula), "Y=1+2.x");
    EXPECT_EQ(doc.Text(TField::StatusMessage), "");
}

TEST_F(RegressRun, KeepsTheFitAsAValueBesideItsTexts) {
    Define("a+b*x1");
    TypeData(doc, 1, {{"1", "3"}, {"2", "5"}, {"4", "8"}});
    EXPECT_EQ(doc.LastFit(), nullptr);
    ASSERT_EQ(doc.Regress(), TRegressOutcome::Done);
    const TFitResult* fit = doc.LastFit();
    ASSERT_NE(fit, nullptr);
    EXPECT_EQ(fit->Fit.ConstNames, (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(fit->Fit.Terms, (std::vector<std::string>{"1", "x1"}));
    EXPECT_EQ(fit->PointCount(), 3u);
    EXPECT_EQ(fit->VariableCount(), 1);
    EXPECT_EQ(fit->Measured(), (TVector{3, 5, 8}));
    // The texts shown are those of the values kept: the least-squares line
    // through (1, 3), (2, 5), (4, 8) is 3/2 + 23/14 x.
    const double x[] = {1, 2, 4};
    for (size_t p = 0; p < 3; ++p) {
        EXPECT_EQ(doc.Table().Cell(3, static_cast<int>(p) + 1), GeneralNumberText(fit->Fitted[p]));
        EXPECT_NEAR(static_cast<double>(fit->Fitted[p]), 1.5 + 23.0 / 14 * x[p], 1e-13);
    }
    EXPECT_NEAR(fit->Errors[0], (1.5 + 23.0 / 14 - 3) * 100 / 3, 1e-12);
    EXPECT_EQ(doc.Text(TField::MaxError), FixedNumberText(fit->MaxError));
    EXPECT_EQ(doc.Text(TField::Correlation), FixedNumberText(fit->Correlation));
    ASSERT_EQ(fit->Fit.NormalInverse.size(), 2u);

    // A run that stops at a bad value keeps it; New drops it.
    doc.Table().SetCell(1, 2, "x");
    EXPECT_EQ(doc.Regress(), TRegressOutcome::IncompleteData);
    EXPECT_EQ(doc.LastFit(), fit);
    doc.NewDocument("/tmp/new.rgs");
    EXPECT_EQ(doc.LastFit(), nullptr);
}

TEST_F(RegressRun, AnErrorBeyondTheDoubleRangeOverflowsWithTheTableAsItWas) {
    // A measured value of 1E-320 fitted by 1: the error is about 1E324 per
    // cent, which no double holds.
    Define("a");
    TypeData(doc, 0, {{"1E-320"}, {"2"}});
    doc.Table().SetCell(2, 1, "old");
    EXPECT_THROW(doc.Regress(), EOverflow);
    EXPECT_EQ(doc.Table().Cell(2, 1), "old");
    EXPECT_EQ(doc.Text(TField::MaxError), "0.00");
    EXPECT_EQ(doc.LastFit(), nullptr);
}

TEST_F(RegressRun, PerRowErrorsAndTheirStatistics) {
    // A lone constant fits the mean: 3 for the measured values 4 and 2.
    Define("a");
    TypeData(doc, 0, {{"4"}, {"2"}});
    doc.SetText(TField::LeftName, "Z");
    ASSERT_EQ(doc.Regress(), TRegressOutcome::Done);
    EXPECT_EQ(DataColumn(doc, FittedCol()), (Texts{"3", "3"}));
    EXPECT_EQ(DataColumn(doc, ErrorCol()), (Texts{"-25.000000", "50.000000"}));
    EXPECT_EQ(doc.Text(TField::MaxError), "50.000000");
    EXPECT_EQ(doc.Text(TField::MeanError), "37.500000");
    EXPECT_EQ(doc.Text(TField::Correlation), "0.000000"); // the fitted values do not vary
    EXPECT_EQ(doc.Text(TField::FittedFormula), "Z=3");
}

TEST_F(RegressRun, MeasuredZeroShowsADashAndStillCountsInTheMean) {
    Define("a");
    TypeData(doc, 0, {{"4"}, {"0"}, {"2"}});
    ASSERT_EQ(doc.Regress(), TRegressOutcome::Done);
    EXPECT_EQ(DataColumn(doc, FittedCol()), (Texts{"2", "2", "2"}));
    EXPECT_EQ(DataColumn(doc, ErrorCol()), (Texts{"-50.000000", "-", "0.000000"}));
    EXPECT_EQ(doc.Text(TField::MaxError), "50.000000");
    EXPECT_EQ(doc.Text(TField::MeanError), "16.666670"); // 50 / 3 in double, seven digits
}

TEST_F(RegressRun, ValueThatIsNoNumberStopsTheRun) {
    Define("a+b*x1");
    TypeData(doc, 1, {{"1", "3"}, {"2", "5"}, {"3", "7"}});
    ASSERT_EQ(doc.Regress(), TRegressOutcome::Done);
    doc.Table().SetCol(1);
    doc.Table().SetRow(1);
    for (const char* bad : {"seven", "", "7,0", "1 000", "\t7"}) {
        doc.Table().SetCell(2, 3, bad);
        EXPECT_EQ(doc.Regress(), TRegressOutcome::IncompleteData) << bad;
        EXPECT_EQ(doc.Text(TField::StatusMessage), "数据不完整。数据点：3");
        EXPECT_EQ(doc.Table().Col(), 2);
        EXPECT_EQ(doc.Table().Row(), 3);
        // The results of the run before stay.
        EXPECT_EQ(DataColumn(doc, 3), (Texts{"3", "5", "7"}));
        EXPECT_EQ(doc.Text(TField::Correlation), "1.000000");
        EXPECT_EQ(doc.Text(TField::FittedFormula), "Y=1+2.x1");
    }
    // A later good run does not clear the message.
    doc.Table().SetCell(2, 3, " 7 ");
    EXPECT_EQ(doc.Regress(), TRegressOutcome::Done);
    EXPECT_EQ(doc.Text(TField::StatusMessage), "数据不完整。数据点：3");
}

TEST_F(RegressRun, NoDataPoints) {
    Define("a+b*x1");
    doc.SetText(TField::DataPointCount, "0");
    doc.SetText(TField::Correlation, "kept");
    EXPECT_EQ(doc.Regress(), TRegressOutcome::IncompleteData);
    EXPECT_EQ(doc.Text(TField::StatusMessage), "数据不完整。数据点：1");
    EXPECT_EQ(doc.Text(TField::Correlation), "kept");
    EXPECT_EQ(doc.Text(TField::FittedFormula), "");
}

TEST_F(RegressRun, SingularSystemSaysSo) {
    Define("a+b*x1");
    // x1 never varies, so its constant cannot be told from the lone one (four
    // rows keep the elimination exact).
    TypeData(doc, 1, {{"2", "1"}, {"2", "0"}, {"2", "3"}, {"2", "4"}});
    doc.SetText(TField::Coefficients, "old");
    EXPECT_EQ(doc.Regress(), TRegressOutcome::Singular);
    EXPECT_EQ(doc.Text(TField::FittedFormula), "");
    EXPECT_EQ(doc.Text(TField::Coefficients), "");
    EXPECT_EQ(DataColumn(doc, 3), (Texts{"0", "0", "0", "0"}));
    EXPECT_EQ(DataColumn(doc, 4), (Texts{"-100.000000", "-", "-100.000000", "-100.000000"}));
    EXPECT_EQ(doc.Text(TField::MaxError), "100.000000");
    EXPECT_EQ(doc.Text(TField::MeanError), "75.000000");
    EXPECT_EQ(doc.Text(TField::Correlation), "0.000000");
    EXPECT_EQ(doc.Text(TField::StatusMessage), kSingularFitMessage);
    // A good run afterwards takes the message back.
    doc.Table().SetCell(1, 1, "1");
    EXPECT_EQ(doc.Regress(), TRegressOutcome::Done);
    EXPECT_EQ(doc.Text(TField::StatusMessage), "");
}

TEST_F(RegressRun, TooFewPointsAreSingularToo) {
    Define("a+b*x1");
    TypeData(doc, 1, {{"1", "5"}});
    EXPECT_EQ(doc.Regress(), TRegressOutcome::Singular);
}

TEST_F(RegressRun, FormulaErrorPropagatesAndChangesNoResult) {
    Define("a+b*x1");
    TypeData(doc, 1, {{"1", "3"}, {"2", "5"}, {"3", "7"}});
    ASSERT_EQ(doc.Regress(), TRegressOutcome::Done);
    doc.SetText(TField::RightSide, "a+b*q1");
    EXPECT_THROW(doc.Regress(), EMathParserError);
    EXPECT_EQ(DataColumn(doc, 3), (Texts{"3", "5", "7"}));
    EXPECT_EQ(doc.Text(TField::FittedFormula), "Y=1+2.x1");
}

TEST_F(RegressRun, DisplayFormIsTextual) {
    Define("a+b*x1", {{"x1", "x"}, {"y`", "w"}});
    TypeData(doc, 1, {{"1", "2.5"}, {"2", "3"}, {"3", "3.5"}});
    ASSERT_EQ(doc.Regress(), TRegressOutcome::Done);
    // The alias row for Y` replaces it before the left-side name does; the
    // decimal point and the multiplication sign both show as ".".
    EXPECT_EQ(doc.Text(TField::FittedFormula), "w=2+0.5.x");
}

TEST_F(RegressRun, HeaderRowWithoutMeasuredColumnStopsBeforeWriting) {
    Define("a+b*x1");
    TypeData(doc, 1, {{"1", "3"}, {"2", "5"}});
    doc.Table().SetCell(2, 0, "X2"); // as a hand-made file could hold it
    EXPECT_EQ(doc.Regress(), TRegressOutcome::IncompleteData);
    EXPECT_EQ(doc.Text(TField::StatusMessage), kNoMeasuredColumnMessage);
    EXPECT_EQ(DataColumn(doc, 3), (Texts{"", ""}));
}

TEST(CoefficientLine, PaddingOfNamesAndValues) {
    EXPECT_EQ(CoefficientLine({"a", "b"}, {1.5L, -2.0L}),
              "a=1.5" + std::string(22, ' ') + "b=-2" + std::string(23, ' '));
    EXPECT_EQ(CoefficientLine({""}, {3.0L}), " =3" + std::string(24, ' '));
    EXPECT_EQ(CoefficientLine({"b11"}, {1.0L / 3}), "b11=0.333333333333333" + std::string(8, ' '));
    EXPECT_EQ(CoefficientLine({}, {}), "");
    const std::string longValue = "-1.23456789012345E-100";
    EXPECT_EQ(CoefficientLine({"c"}, {-1.23456789012345e-100L}), "c=" + longValue + "   ");
}

TEST_F(RegressRun, LargeTablesGiveEveryRowItsOwnResults) {
    // 50,001 rows: converted and written in parts. Every row's fitted value
    // and error are those of its own data, and the statistics those of all
    // rows in order.
    constexpr int kRows = 50'001;
    doc.SetText(TField::DataPointCount, std::to_string(kRows));

    // Points on the line y = 2x + 1 (x = (row - 7) / 2, all exact): the fit
    // is exact, every row's fitted value is its own measured value, and row
    // 6 (y = 0) shows the dash with its fitted value 0.
    Define("a+b*x1");
    for (int row = 1; row <= kRows; ++row) {
        doc.Table().SetCell(1, row, GeneralNumberText((row - 7) / 2.0L));
        doc.Table().SetCell(2, row, std::to_string(row - 6));
    }
    ASSERT_EQ(doc.Regress(), TRegressOutcome::Done);
    EXPECT_EQ(doc.Text(TField::FittedFormula), "Y=1+2.x1");
    for (int row = 1; row <= kRows; ++row) {
        ASSERT_EQ(doc.Table().Cell(3, row), std::to_string(row - 6)) << row;
        ASSERT_EQ(doc.Table().Cell(4, row), row == 6 ? "-" : "0.000000") << row;
    }

    // A lone constant over scattered measured values, one of them 0: the
    // constant is their sum times the reciprocal of the count (the one pivot
    // of the elimination), the fitted formula its 15-digit text, and every
    // row's error (F - Y) * 100 / Y of its own Y.
    Define("a");
    std::vector<Extended> measured(kRows);
    Extended sum = 0;
    for (int row = 1; row <= kRows; ++row) {
        measured[row - 1] = row == 7 ? 0 : (row * 7919) % 10007 + 1;
        sum += measured[row - 1];
        doc.Table().SetCell(2, row, GeneralNumberText(measured[row - 1]));
    }
    ASSERT_EQ(doc.Regress(), TRegressOutcome::Done);
    const volatile Extended count = kRows;
    const std::string constant = GeneralNumberText(sum * (1 / count));
    EXPECT_EQ(doc.Text(TField::FittedFormula), "Y=" + constant);
    const Extended fitted = static_cast<double>(StrToExtendedC(constant.c_str()));
    double maximum = 0;
    double mean = 0;
    for (int row = 1; row <= kRows; ++row) {
        const Extended y = measured[row - 1];
        ASSERT_EQ(doc.Table().Cell(3, row), constant) << row;
        const double e = y != 0 ? static_cast<double>((fitted - y) * 100 / y) : 0;
        ASSERT_EQ(doc.Table().Cell(4, row), y != 0 ? FixedNumberText(e) : "-") << row;
        maximum = std::max(maximum, std::fabs(e));
        mean = mean + std::fabs(e) / kRows;
    }
    EXPECT_EQ(doc.Text(TField::MaxError), FixedNumberText(maximum));
    EXPECT_EQ(doc.Text(TField::MeanError), FixedNumberText(mean));

    // The first cell that is not a number, wherever the parts begin.
    for (const int row : {kRows, kRows / 2 + 1, kRows / 2, 2}) {
        doc.Table().SetCell(2, row, "n/a");
        EXPECT_EQ(doc.Regress(), TRegressOutcome::IncompleteData);
        EXPECT_EQ(doc.Text(TField::StatusMessage), "数据不完整。数据点：" + std::to_string(row));
        EXPECT_EQ(doc.Table().Row(), row);
        EXPECT_EQ(doc.Table().Col(), 2);
    }
}

} // namespace
} // namespace xtq
