// Document files as other people send them: Open reads them, Save writes what
// was read, and opening that file again must give the same document, whether
// the first reading ended normally or at an error.

#include "core/IntegerText.h"
#include "document/Document.h"
#include "fuzz/FuzzSupport.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace {

using namespace xtq;
using xtq::fuzz::Check;

// A few bytes can claim a million rows of a hundred columns: the count rule
// then numbers a million rows (0.5 s under the sanitizers, a twentieth of it
// without) and a save writes a hundred million lines. Both are legitimate
// work, measured by the limits tests (tests/document/limits_test.cpp); here a
// document with any integer line above 100,000 is left out, and tables beyond
// 200,000 cells are read but not written.
constexpr int kMaxCountLine = 100000;
constexpr long long kMaxCellsToWrite = 200000;

bool ClaimsAHugeTable(std::string_view bytes) {
    size_t start = 0;
    while (start < bytes.size()) {
        size_t end = bytes.find('\n', start);
        if (end == std::string_view::npos) end = bytes.size();
        std::string_view line = bytes.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        int value = 0;
        if (TryStrToInt(line, value) && value > kMaxCountLine) return true;
        start = end + 1;
    }
    return false;
}

const TField kSavedFields[] = {
    TField::LeftName,      TField::LeftNameMirror, TField::RightSide, TField::DisplayedFormula,
    TField::VariableCount, TField::Correlation,    TField::MaxError,  TField::MeanError,
    TField::Coefficients,  TField::FittedFormula};

std::string Decimal(long long value) {
    return std::to_string(value);
}

// Every item that Save writes, as the window shows it.
void ExpectSameDocument(const TRegressDocument& first, const TRegressDocument& second) {
    for (TField field : kSavedFields)
        Check(first.Text(field) == second.Text(field),
              "field " + Decimal(static_cast<int>(field)) + " read back as \"" +
                  second.Text(field) + "\" instead of \"" + first.Text(field) + "\"");
    // The data-point count comes from the table's rows on reading.
    Check(second.Text(TField::DataPointCount) == Decimal(first.Table().RowCount() - 1),
          "the data-point count does not follow the rows");
    Check(first.Aliases().Rows() == second.Aliases().Rows(), "the alias list read back differs");
    const TDataTable& a = first.Table();
    const TDataTable& b = second.Table();
    Check(a.RowCount() == b.RowCount() && a.ColCount() == b.ColCount(),
          "the table counts read back differ");
    for (int row = 0; row < a.RowCount(); ++row)
        for (int col = 0; col < a.ColCount(); ++col)
            Check(a.Cell(col, row) == b.Cell(col, row),
                  "cell (" + Decimal(col) + ", " + Decimal(row) + ") read back differs");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
    static const xtq::fuzz::ScratchFile input("document.rgs");
    static const xtq::fuzz::ScratchFile saved("saved.rgs");
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    if (ClaimsAHugeTable(bytes)) return 0;
    xtq::fuzz::WriteFile(input.Path(), bytes);

    TRegressDocument first;
    try {
        first.ReadDocument(input.Path());
    } catch (const Exception&) {
        // A count line that is no integer, a count beyond the maximum, a
        // duplicate alias key: what was read before stays applied.
    }
    const long long cells =
        static_cast<long long>(first.Table().RowCount()) * first.Table().ColCount();
    if (cells > kMaxCellsToWrite) return 0;

    // Everything that was read can be written: the codec keeps bytes that are
    // no GBK, and no line holds a line feed.
    try {
        first.WriteDocument(saved.Path());
    } catch (const Exception& e) {
        xtq::fuzz::Broken(std::string("a document that was read cannot be saved: ") +
                          e.className() + ": " + e.what());
    }
    TRegressDocument second;
    try {
        second.ReadDocument(saved.Path());
    } catch (const Exception& e) {
        xtq::fuzz::Broken(std::string("a saved document cannot be opened: ") + e.className() +
                          ": " + e.what());
    }
    ExpectSameDocument(first, second);

    // From then on the file is stable: saving what was read back and reading
    // and saving that once more gives the very same bytes.
    second.WriteDocument(saved.Path());
    const std::string once = xtq::fuzz::ReadFile(saved.Path());
    TRegressDocument third;
    third.ReadDocument(saved.Path());
    third.WriteDocument(saved.Path());
    Check(xtq::fuzz::ReadFile(saved.Path()) == once, "saving a saved document changed it");
    return 0;
}
