// The Regress command SBRegressClick over the document model.

#include "document/RegressRun.h"

#include "document/CellConversion.h"
#include "document/Document.h"
#include "document/TextRules.h"
#include "formula/Random.h"
#include "regression/Correlation.h"
#include "regression/HugePages.h"
#include "regression/ModelFit.h"
#include "regression/NumberText.h"

#include <charconv>
#include <cmath>
#include <cstdint>

namespace xtq {
namespace {

std::string Decimal(int value) {
    char text[16];
    const auto result = std::to_chars(text, text + sizeof text, value);
    return std::string(text, result.ptr);
}

// Pads on the right with blanks to `width` characters; longer texts stay whole.
void AppendPadded(std::string& out, std::string_view text, size_t width) {
    out.append(text);
    size_t characters = 0;
    for (const char c : text)
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++characters;
    if (characters < width) out.append(width - characters, ' ');
}

// Data rows between two progress steps.
constexpr int kProgressRows = 1 << 14;

} // namespace

std::string CoefficientLine(const std::vector<std::string>& names,
                            const std::vector<Extended>& values) {
    std::string line;
    const size_t count = std::min(names.size(), values.size());
    for (size_t i = 0; i < count; ++i) {
        AppendPadded(line, names[i], 1);
        line += '=';
        AppendPadded(line, GeneralNumberText(values[i]), 25);
    }
    return line;
}

TRegressOutcome TRegressDocument::Regress() {
    TDataTable& table = table_;
    TProgressMeter noProgress(nullptr);
    TProgressMeter& meter = meter_ != nullptr ? *meter_ : noProgress;

    // 1. The variable columns: the run of headers from column 1 that begin with "X".
    int n = 0;
    for (int col = 1; col <= table.ColCount() - 1; ++col) {
        const std::string_view header = table.Cell(col, 0);
        if (header.empty() || header.front() != 'X') break;
        ++n;
    }
    const int m = table.RowCount() - 1;
    const int measured = n + 1;
    const int fittedCol = table.ColCount() - 2;
    const int errorCol = table.ColCount() - 1;

    // 2. Fresh random numbers for every run.
    Randomize();

    // Without a data point there is nothing to fit.
    if (m < 1) {
        SetText(TField::StatusPanel0, std::string(kIncompleteDataMessage) + "1");
        return TRegressOutcome::IncompleteData;
    }
    // The results must not overwrite the data: the measured values have to
    // stand left of the two result columns (a header row that does not match
    // the variable count, as a hand-made file may hold, breaks this).
    if (measured >= fittedCol) {
        SetText(TField::StatusPanel0, kNoMeasuredColumnMessage);
        return TRegressOutcome::IncompleteData;
    }

    // 3. The cells as numbers, row by row.
    // The shares of the progress follow the time the steps take.
    meter.Stage(0, 25);
    TMatrix data(static_cast<size_t>(n) + 1);
    for (TVector& column : data) {
        ReserveLarge(column, static_cast<size_t>(m));
        column.resize(static_cast<size_t>(m));
    }
    for (int row = 1; row <= m; ++row) {
        if (row % kProgressRows == 0)
            meter.Advance(static_cast<std::uint64_t>(row), static_cast<std::uint64_t>(m));
        for (int col = 1; col <= measured; ++col) {
            Extended value;
            if (!TryCellToExtended(table.Cell(col, row), value)) {
                SetText(TField::StatusPanel0, kIncompleteDataMessage + Decimal(row));
                table.SetCol(col);
                table.SetRow(row);
                return TRegressOutcome::IncompleteData;
            }
            data[col - 1][row - 1] = value;
        }
    }

    // 4. and 5. The fit and the fitted values.
    meter.Stage(25, 55);
    const std::string fitted = FitFormula(Text(TField::EditEqual), data);
    const bool singular = fitted.empty();
    SetText(TField::MemoResult, fitted);
    meter.Stage(55, 62);
    const TVector values = EvaluateFormula(Text(TField::MemoResult), data);
    meter.Stage(62, 100);

    // 6. Per-row results; the errors in double. The pairs of measured and
    // fitted values are the Y column and the fitted values themselves.
    double maximum = 0;
    double mean = 0;
    {
        TTableUpdate update(table);
        for (int row = 1; row <= m; ++row) {
            if (row % kProgressRows == 0)
                meter.Advance(static_cast<std::uint64_t>(row), static_cast<std::uint64_t>(m));
            const Extended y = data[n][row - 1];
            const Extended f = values[row - 1];
            table.SetCell(fittedCol, row, GeneralNumberText(f));
            double e = 0;
            if (y != 0) {
                e = static_cast<double>((f - y) * 100 / y);
                table.SetCell(errorCol, row, FixedNumberText(e));
            } else {
                table.SetCell(errorCol, row, "-");
            }
            e = std::fabs(e);
            if (e > maximum) maximum = e;
            mean = mean + e / static_cast<double>(m);
        }
    }

    // 7. The statistics.
    SetText(TField::LabelR, FixedNumberText(Correlation(data[n], values)));
    SetText(TField::Labelem, FixedNumberText(maximum));
    SetText(TField::Labelea, FixedNumberText(mean));

    // 8. The coefficient list; after a singular system the values mean nothing.
    SetText(TField::MemoCoefs,
            singular ? std::string() : CoefficientLine(ConstNames(), ConstValues()));

    // 9. The display form of the fitted formula.
    const std::string& result = Text(TField::MemoResult);
    if (!IsBlankText(result)) {
        std::string display = ReplaceChar(SubstituteAliases(result, aliases_), '*', '.');
        SetText(TField::MemoResult, ReplaceAllIgnoreCase(display, "Y`", Text(TField::EditFd)));
    }

    if (singular) {
        SetText(TField::StatusPanel0, kSingularFitMessage);
        return TRegressOutcome::Singular;
    }
    // A successful run leaves the status panel alone, except that it takes back
    // the failure message of an earlier run, which would now mislead.
    if (Text(TField::StatusPanel0) == kSingularFitMessage) SetText(TField::StatusPanel0, "");
    return TRegressOutcome::Done;
}

} // namespace xtq
