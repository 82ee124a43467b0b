#include "document/Document.h"

#include <gtest/gtest.h>
#include <vector>

namespace xtq {
namespace {

struct TFieldLog : TDocumentListener {
    std::vector<TField> fields;
    void FieldChanged(TField field) override { fields.push_back(field); }
};

TEST(Document, StartUpFields) {
    const TRegressDocument doc;
    EXPECT_EQ(doc.Text(TField::LeftName), "Y");
    EXPECT_EQ(doc.Text(TField::LeftNameMirror), "Y");
    EXPECT_EQ(doc.Text(TField::Correlation), "0.00");
    EXPECT_EQ(doc.Text(TField::MaxError), "0.00");
    EXPECT_EQ(doc.Text(TField::MeanError), "0.00");
    EXPECT_EQ(doc.Text(TField::Title), "Orvane(XTQ V1.1)-空白");
    EXPECT_EQ(doc.Text(TField::FileName), "");
    EXPECT_EQ(doc.Text(TField::RightSide), "");
    EXPECT_EQ(doc.Aliases().Count(), 0);
}

TEST(Document, LeftSideNameIsMirroredAndOnlyChangesRunRules) {
    TRegressDocument doc;
    TFieldLog log;
    doc.AddListener(&log);
    doc.SetText(TField::LeftName, "Y");
    doc.SetText(TField::DataPointCount, "5");
    EXPECT_TRUE(log.fields.empty());
    doc.SetText(TField::LeftName, "Z");
    EXPECT_EQ(doc.Text(TField::LeftNameMirror), "Z");
    EXPECT_EQ(log.fields, (std::vector<TField>{TField::LeftName, TField::LeftNameMirror}));
    doc.RemoveListener(&log);
}

TEST(Document, BlankLeftSideName) {
    TRegressDocument doc;
    EXPECT_FALSE(doc.LeftSideNameIsBlank());
    for (const char* text : {"", "   ", "\t"}) {
        doc.SetText(TField::LeftName, text);
        EXPECT_TRUE(doc.LeftSideNameIsBlank()) << text;
        EXPECT_EQ(doc.Text(TField::LeftName), text); // the text is not changed
    }
}

class HeaderDisplay : public ::testing::Test {
protected:
    TRegressDocument doc;
    std::vector<std::string> Shown() const {
        std::vector<std::string> texts;
        for (int col = 0; col < doc.Table().ColCount(); ++col)
            texts.push_back(doc.DisplayText(col, 0));
        return texts;
    }
};

using Texts = std::vector<std::string>;

TEST_F(HeaderDisplay, LeftSideNameAndAliases) {
    doc.SetText(TField::LeftName, "Z");
    doc.Aliases().Append("x1", "x");
    EXPECT_EQ(Shown(), (Texts{"", "x", " Z ", " Z` ", " e (%) "}));
    EXPECT_EQ(doc.HeaderPaintText(1), "x   ");
    // The stored texts stay.
    EXPECT_EQ(doc.Table().Cell(2, 0), " Y。 ");
    EXPECT_EQ(doc.Table().Cell(3, 0), " Y` ");
}

TEST_F(HeaderDisplay, ReplacementIsTextual) {
    doc.SetText(TField::VariableCount, "12");
    doc.Aliases().Append("x1", "x");
    EXPECT_EQ(doc.DisplayText(10, 0), "x0");
    EXPECT_EQ(doc.DisplayText(12, 0), "x2");
}

TEST_F(HeaderDisplay, EmptyKeyChangesNoHeader) {
    doc.Aliases().Append("", "v");
    EXPECT_EQ(Shown(), (Texts{"", "X1", " Y ", " Y` ", " e (%) "}));
}

TEST_F(HeaderDisplay, OnlyColumnsOneToTwenty) {
    doc.SetText(TField::VariableCount, "17");
    EXPECT_TRUE(TRegressDocument::HasHeaderDisplay(20, 0));
    EXPECT_EQ(doc.DisplayText(20, 0), " e (%) ");
    EXPECT_EQ(doc.DisplayText(18, 0), " Y ");
    doc.SetText(TField::VariableCount, "20");
    EXPECT_FALSE(TRegressDocument::HasHeaderDisplay(21, 0));
    EXPECT_EQ(doc.DisplayText(21, 0), " Y。 ");
    EXPECT_FALSE(TRegressDocument::HasHeaderDisplay(0, 0));
    EXPECT_FALSE(TRegressDocument::HasHeaderDisplay(1, 1));
    doc.Table().SetCell(1, 1, "Y。");
    EXPECT_EQ(doc.DisplayText(1, 1), "Y。");
}

TEST(HeaderMarker, BoxOfADefaultCell) {
    const TRect box = TRegressDocument::HeaderMarkerBox({100, 20, 164, 35});
    EXPECT_EQ(box.left, 141);
    EXPECT_EQ(box.right, 150);
    EXPECT_EQ(box.top, 23);
    EXPECT_EQ(box.bottom, 32);
}

TEST(ApplyDefinition, ShowsTheFormulaAndRuns) {
    TRegressDocument doc;
    doc.SetText(TField::RightSide, "a+b*x1+c*x2");
    doc.Aliases().Append("x1", "x");
    doc.Aliases().Append("x2", "y");
    EXPECT_TRUE(doc.ApplyDefinition());
    EXPECT_EQ(doc.Text(TField::DisplayedFormula), "a+b.x+c.y");
    EXPECT_EQ(doc.Text(TField::RightSide), "a+b*x1+c*x2");
    // The empty table stops the run at the first data point.
    EXPECT_EQ(doc.Text(TField::StatusMessage), "数据不完整。数据点：1");
}

TEST(ApplyDefinition, BlankRightSideDoesNothing) {
    TRegressDocument doc;
    doc.SetText(TField::DisplayedFormula, "kept");
    doc.SetText(TField::RightSide, "   ");
    EXPECT_FALSE(doc.ApplyDefinition());
    EXPECT_EQ(doc.Text(TField::DisplayedFormula), "kept");
    EXPECT_EQ(doc.Text(TField::StatusMessage), "");
}

TEST(NewDocument, EmptiesTheDocumentButNotTheNameOrHeaders) {
    TRegressDocument doc;
    TDataTable& table = doc.Table();
    doc.SetText(TField::LeftName, "Q");
    doc.SetText(TField::RightSide, "a+b*x1");
    doc.SetText(TField::DisplayedFormula, "a+b.x");
    doc.SetText(TField::Coefficients, "a=1");
    doc.SetText(TField::FittedFormula, "Q=1");
    doc.Aliases().Append("x1", "x");
    table.SetCell(1, 1, "3");
    table.SetCell(4, 5, "e");
    table.SetCell(0, 2, "moved");
    doc.NewDocument("/data/new.rgs");
    EXPECT_EQ(doc.Text(TField::FileName), "/data/new.rgs");
    EXPECT_EQ(doc.Text(TField::Title), "Orvane(XTQ V1.1)-/data/new.rgs");
    for (TField field :
         {TField::RightSide, TField::DisplayedFormula, TField::Coefficients, TField::FittedFormula,
          TField::Correlation, TField::MaxError, TField::MeanError})
        EXPECT_EQ(doc.Text(field), "");
    EXPECT_EQ(doc.Text(TField::LeftName), "Q");
    EXPECT_EQ(doc.Text(TField::LeftNameMirror), "Q");
    EXPECT_EQ(doc.Aliases().Count(), 0);
    EXPECT_EQ(table.RowCount(), 6);
    EXPECT_EQ(table.ColCount(), 5);
    EXPECT_EQ(table.Cell(1, 1), "");
    EXPECT_EQ(table.Cell(4, 5), "");
    EXPECT_EQ(table.Cell(0, 2), "2"); // numbered again although the count was 5 already
    EXPECT_EQ(table.Cell(1, 0), "X1");
}

TEST(NewDocument, TitleWithoutDashBecomesThePath) {
    TRegressDocument doc;
    doc.SetText(TField::Title, "XTQ");
    doc.NewDocument("/a/b.rgs");
    EXPECT_EQ(doc.Text(TField::Title), "/a/b.rgs");
    doc.NewDocument("/a/c-d.rgs");
    doc.NewDocument("/x.rgs");
    EXPECT_EQ(doc.Text(TField::Title), "/a/c-/x.rgs"); // up to the first "-"
}

TEST(NewDocument, DashesInThePathStayAfterTheFixedPart) {
    TRegressDocument doc;
    doc.NewDocument("/a/c-d.rgs");
    doc.NewDocument("/e-f.rgs");
    EXPECT_EQ(doc.Text(TField::Title), "Orvane(XTQ V1.1)-/e-f.rgs");
}

} // namespace
} // namespace xtq
