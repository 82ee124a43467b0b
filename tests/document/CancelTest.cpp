// Stopping a long command: Regress, Open and Save end with ECommandCancelled
// at the next beat after the request, and the document and its file are as
// they were before the command.

#include "core/Heartbeat.h"
#include "document/Document.h"
#include "tests/document/DocumentTesting.h"
#include "tests/storage/TempFolder.h"

#include <chrono>
#include <gtest/gtest.h>
#include <string>

namespace xtq {
namespace {

using testing::DataColumn;
using testing::TempFolder;
using testing::Texts;

// Asks for a stop at the first position the command reports.
class TStopAtOnce : public IProgress {
public:
    void ProgressPosition(int) override {
        ++positions;
        RequestStop();
    }
    int positions = 0;
};

class Cancel : public ::testing::Test {
protected:
    void SetUp() override { doc.SetProgress(&stop, std::chrono::milliseconds(0)); }

    void Fill(int rows) {
        doc.SetText(TField::RightSide, "a+b*x1+c*x1^2");
        doc.SetText(TField::DataPointCount, std::to_string(rows));
        for (int row = 1; row <= rows; ++row) {
            doc.Table().SetCell(1, row, std::to_string(row % 97));
            doc.Table().SetCell(2, row, std::to_string(row % 89 + 1));
        }
    }

    TRegressDocument doc;
    TStopAtOnce stop;
    TempFolder folder;
};

TEST_F(Cancel, ARegressStoppedLeavesEveryTextAndCellAsItWas) {
    Fill(40'000);
    doc.SetProgress(nullptr);
    ASSERT_EQ(doc.Regress(), TRegressOutcome::Done);
    const TFitResult* fit = doc.LastFit();
    const Texts fitted = DataColumn(doc, 3);
    const std::string formula = doc.Text(TField::FittedFormula);
    doc.Table().SetCell(2, 7, "1000"); // a change the stopped run must not show
    doc.SetProgress(&stop, std::chrono::milliseconds(0));

    EXPECT_THROW(doc.Regress(), ECommandCancelled);
    EXPECT_GT(stop.positions, 0);
    EXPECT_EQ(DataColumn(doc, 3), fitted);
    EXPECT_EQ(doc.Text(TField::FittedFormula), formula);
    EXPECT_EQ(doc.LastFit(), fit);
    EXPECT_FALSE(doc.Busy());
    // The request is gone with the command: the next run ends normally.
    doc.SetProgress(nullptr);
    EXPECT_EQ(doc.Regress(), TRegressOutcome::Done);
}

TEST_F(Cancel, ALongIntegerPowerAtOnePointStopsWithinItsMultiplications) {
    // 2,000,000,000 rounded multiplications take seconds; the stop comes
    // after the first million.
    doc.SetText(TField::RightSide, "a+b*x1^2000000000");
    doc.SetText(TField::DataPointCount, "2");
    doc.Table().SetCell(1, 1, "1.0000000001");
    doc.Table().SetCell(2, 1, "1");
    doc.Table().SetCell(1, 2, "1");
    doc.Table().SetCell(2, 2, "2");
    const auto start = std::chrono::steady_clock::now();
    EXPECT_THROW(doc.Regress(), ECommandCancelled);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
    EXPECT_EQ(doc.Table().Cell(3, 1), "");
}

TEST_F(Cancel, AnOpenStoppedLoadsNothing) {
    Fill(30'000);
    doc.SetProgress(nullptr);
    const std::string big = folder.File("big.rgs");
    doc.SaveDocumentAs(big);
    doc.NewDocument(folder.File("other.rgs"));
    doc.SetText(TField::RightSide, "a");
    doc.Table().SetCell(1, 1, "kept");
    const std::string title = doc.Text(TField::Title);

    doc.SetProgress(&stop, std::chrono::milliseconds(0));
    EXPECT_THROW(doc.OpenDocument(big), ECommandCancelled);
    EXPECT_EQ(doc.Text(TField::RightSide), "a");
    EXPECT_EQ(doc.Table().Cell(1, 1), "kept");
    EXPECT_EQ(doc.Table().RowCount(), 6);
    EXPECT_EQ(doc.Text(TField::Title), title);
}

TEST_F(Cancel, ASaveStoppedKeepsTheOldFile) {
    const std::string path = folder.File("doc.rgs");
    doc.SetProgress(nullptr);
    doc.SaveDocumentAs(path);
    const std::string before = testing::ReadBytes(path);
    Fill(30'000);
    doc.SetProgress(&stop, std::chrono::milliseconds(0));
    EXPECT_THROW(doc.SaveDocument(), ECommandCancelled);
    EXPECT_EQ(testing::ReadBytes(path), before);
    const std::string fresh = folder.File("fresh.rgs");
    EXPECT_THROW(doc.SaveDocumentAs(fresh), ECommandCancelled);
    EXPECT_FALSE(std::filesystem::exists(fresh));
    EXPECT_EQ(doc.Text(TField::FileName), path);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.Path()),
                            std::filesystem::directory_iterator()),
              1); // no temporary file is left
}

} // namespace
} // namespace xtq
