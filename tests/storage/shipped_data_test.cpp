// The formula library and sample documents an installation ships with: the
// files in data/ are what the generator writes, the library is well formed,
// and every formula fits its sample document.

#include "document/AliasDecoding.h"
#include "document/Document.h"
#include "document/FormulaLibrary.h"
#include "regression/Correlation.h"
#include "regression/ModelFit.h"
#include "storage/DocumentFile.h"
#include "tests/storage/TempFolder.h"
#include "tests/storage/shipped_data.h"

#include <charconv>
#include <cmath>
#include <filesystem>
#include <gtest/gtest.h>
#include <set>
#include <string>
#include <vector>

namespace xtq {
namespace {

using shipped::ShippedFormulas;
using shipped::TShippedFormula;
using testing::ReadBytes;
using testing::TempFolder;

const std::filesystem::path kDataFolder = XTQ_DATA_DIR;

std::string ShippedLibraryPath() {
    return (kDataFolder / shipped::kLibraryPath).string();
}

TEST(ShippedData, IsWhatTheGeneratorWrites) {
    TempFolder folder;
    shipped::WriteShippedData(folder.Path().string());
    std::set<std::string> written;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder.Path())) {
        if (!entry.is_regular_file()) continue;
        const std::string relative = std::filesystem::relative(entry.path(), folder.Path());
        written.insert(relative);
        EXPECT_EQ(ReadBytes((kDataFolder / relative).string()), ReadBytes(entry.path().string()))
            << relative << " differs from the generator: run xtq-make-shipped-data data";
    }
    // No stale sample document is left in the data folder.
    for (const auto& entry : std::filesystem::directory_iterator(kDataFolder)) {
        if (entry.path().extension() == ".rgs") {
            EXPECT_TRUE(written.count(entry.path().filename().string()))
                << entry.path() << " is not written by the generator";
        }
    }
}

// The highest n of the variables x1 .. xn that a formula names.
int HighestVariable(const std::string& formula) {
    int highest = 0;
    for (size_t i = 0; i + 1 < formula.size(); ++i) {
        if ((formula[i] == 'x' || formula[i] == 'X') && formula[i + 1] >= '1' &&
            formula[i + 1] <= '9') {
            highest = std::max(highest, formula[i + 1] - '0');
        }
    }
    return highest;
}

TEST(ShippedLibrary, HoldsWellFormedFormulasInTheirOrder) {
    TFormulaLibrary library;
    library.LoadFromFile(ShippedLibraryPath());
    ASSERT_GE(library.RecordCount(), 15);
    ASSERT_LE(library.RecordCount(), 25);
    for (int i = 0; i < library.RecordCount(); ++i) {
        const TFormulaRecord& r = library.Record(i);
        SCOPED_TRACE(r.TemNo + " " + r.TemFormula);
        // Numbers of equal length, so the text order is the numeric order.
        EXPECT_EQ(r.TemNo, (i < 9 ? "0" : "") + std::to_string(i + 1));
        EXPECT_FALSE(r.TemFx.empty());
        ASSERT_TRUE(r.TemVn.has_value());
        EXPECT_EQ(*r.TemVn, HighestVariable(r.TemFormula));
        // One alias for each variable, keyed x1 .. xn.
        const TAliasRows aliases = DecodeAliases(r.TemAlias);
        ASSERT_EQ(static_cast<int>(aliases.size()), *r.TemVn);
        for (size_t k = 0; k < aliases.size(); ++k) {
            EXPECT_EQ(aliases[k].Key, "x" + std::to_string(k + 1));
            EXPECT_EQ(aliases[k].Value.size(), 1u);
        }
    }
}

TEST(ShippedLibrary, StartsWithTheManualsExamples) {
    TFormulaLibrary library;
    library.LoadFromFile(ShippedLibraryPath());
    const TFormulaRecord expected[] = {
        {"01", "y", "a+b*x1", 1, "x1=x"},
        {"02", "z", "a+b*x1+c*x2", 2, "x1=x,x2=y"},
        {"03", "z", "a+b*x1+c*x2+d*x1^2+e*x2^2+f*x1*x2", 2, "x1=x,x2=y"},
    };
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(library.Record(i), expected[i]);
}

// Collects what a document file holds.
struct DocumentContents : TDocumentFileSink {
    std::vector<std::string> texts = std::vector<std::string>(11);
    TAliasRows aliases;
    int rows = 0;
    int cols = 0;
    std::vector<std::vector<std::string>> cells;

    void ReadText(TDocumentLine line, std::string_view text) override {
        texts[static_cast<size_t>(line)] = text;
    }
    void ClearAliases() override { aliases.clear(); }
    void ReadAlias(std::string_view key, std::string_view value) override {
        AppendAliasRow(aliases, {std::string(key), std::string(value)});
    }
    void ReadRowCount(int r) override { rows = r; }
    void ReadColCount(int c) override {
        cols = c;
        cells.assign(static_cast<size_t>(rows), std::vector<std::string>(static_cast<size_t>(c)));
    }
    void ReadCell(int col, int row, std::string_view text) override {
        cells[static_cast<size_t>(row)][static_cast<size_t>(col)] = text;
    }
};

Extended Number(const std::string& text) {
    Extended value = 0;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    EXPECT_TRUE(result.ec == std::errc() && result.ptr == text.data() + text.size()) << text;
    return value;
}

TEST(ShippedDocuments, EveryFormulaFitsItsSampleDocument) {
    for (const TShippedFormula& f : ShippedFormulas()) {
        SCOPED_TRACE(f.DocumentName);
        DocumentContents doc;
        ReadDocumentFile((kDataFolder / f.DocumentName).string(), doc);
        const int n = *f.Record.TemVn;
        EXPECT_EQ(doc.texts[1], f.Record.TemFx);
        EXPECT_EQ(doc.texts[2], f.Record.TemFormula);
        EXPECT_EQ(doc.texts[5], std::to_string(n));
        EXPECT_EQ(doc.aliases, DecodeAliases(f.Record.TemAlias));
        ASSERT_EQ(doc.cols, n + 4);
        const int m = doc.rows - 1;
        ASSERT_GT(m, static_cast<int>(f.Coefficients.size()));
        EXPECT_EQ(doc.texts[4], std::to_string(m));
        EXPECT_EQ(doc.cells[0][static_cast<size_t>(n) + 1], " Y。 ");

        // The data matrix as the Regress command builds it: X1 .. Xn, then Y.
        TMatrix data(static_cast<size_t>(n) + 1);
        for (int row = 1; row <= m; ++row) {
            for (int col = 1; col <= n + 1; ++col) {
                data[static_cast<size_t>(col) - 1].push_back(
                    Number(doc.cells[static_cast<size_t>(row)][static_cast<size_t>(col)]));
            }
        }
        const TModelFit fit = FitFormula(doc.texts[2], data);
        const std::string& fitted = fit.Text;
        ASSERT_FALSE(fitted.empty()) << "singular system";
        const TVector values = EvaluateFormula(fitted, data);
        const TMatrix pairs{data[static_cast<size_t>(n)], values};
        EXPECT_GT(Correlation(pairs), 0.999L);

        // The constants come out near those the data were made with.
        const TVector& constants = fit.ConstValues;
        ASSERT_EQ(constants.size(), f.Coefficients.size());
        for (size_t k = 0; k < constants.size(); ++k) {
            const double made = f.Coefficients[k];
            EXPECT_NEAR(static_cast<double>(constants[k]), made, 0.05 + 0.05 * std::fabs(made))
                << "constant " << k;
        }
    }
}

TEST(ShippedDocuments, EveryDocumentRegressesWithTheRegressCommand) {
    size_t documents = 0;
    for (const auto& entry : std::filesystem::directory_iterator(kDataFolder)) {
        if (entry.path().extension() != ".rgs") continue;
        ++documents;
        SCOPED_TRACE(entry.path().filename().string());
        TRegressDocument doc;
        doc.OpenDocument(entry.path().string());
        const std::string displayed = doc.Text(TField::DisplayedFormula);
        // Leaving the formula page shows the same displayed formula the file
        // holds, and runs Regress.
        ASSERT_TRUE(doc.ApplyDefinition());
        EXPECT_EQ(doc.Text(TField::DisplayedFormula), displayed);
        EXPECT_EQ(doc.Regress(), TRegressOutcome::Done);
        EXPECT_GT(Number(doc.Text(TField::Correlation)), 0.999L);
        EXPECT_LT(Number(doc.Text(TField::MaxError)), 1.0L); // per cent
        EXPECT_FALSE(doc.Text(TField::Coefficients).empty());
    }
    EXPECT_EQ(documents, ShippedFormulas().size());
}

} // namespace
} // namespace xtq
