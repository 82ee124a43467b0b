// The Regress command Regress over the document model.

#include "document/RegressRun.h"

#include "core/Heartbeat.h"
#include "core/HugePages.h"
#include "core/IntegerText.h"
#include "core/Parts.h"
#include "document/CellConversion.h"
#include "document/Document.h"
#include "document/TextRules.h"
#include "formula/Errors.h"
#include "formula/Random.h"
#include "regression/Correlation.h"
#include "regression/FitResult.h"
#include "regression/ModelFit.h"
#include "regression/NumberText.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace xtq {
namespace {

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

// Tables of at least this many data rows are converted and written in
// parallel: the rows are cut into one part per processor, each done on a
// thread of its own, the first on the command's thread.
constexpr std::size_t kParallelRows = 20'000;

// The data rows [first, last) of part `part` of `parts`, counted from 1.
std::pair<int, int> PartRows(int rows, int part, int parts) {
    const auto [first, last] = PartRange(static_cast<std::size_t>(rows), part, parts);
    return {1 + static_cast<int>(first), 1 + static_cast<int>(last)};
}

// The relative error of a point in per cent, (F - Y) * 100 / Y, computed in
// extended and kept as a double; 0 where Y is 0. An error beyond the double
// range is an overflow, not an infinity passed for a result.
double RelativeError(Extended y, Extended f) {
    if (y == 0) return 0;
    const double error = static_cast<double>((f - y) * 100 / y);
    if (!std::isfinite(error)) throw EOverflow(kOverflowMessage);
    return error;
}

// The two result texts of one data row.
class TResultRow {
public:
    void Compute(Extended y, Extended f, double error) {
        AssignGeneralNumberText(fitted_, f);
        if (y != 0) {
            AssignFixedNumberText(errorText_, error);
        } else {
            errorText_ = "-";
        }
    }
    const std::string& Fitted() const { return fitted_; }
    const std::string& ErrorText() const { return errorText_; }

private:
    std::string fitted_;
    std::string errorText_;
};

// Result texts kept by a part that does not write the table itself: both
// texts of each row one after the other.
struct TResultTexts {
    std::string chars;
    std::vector<std::uint32_t> ends; // end of each text in chars

    void Add(std::string_view text) {
        chars += text;
        ends.push_back(static_cast<std::uint32_t>(chars.size()));
    }
    std::string_view Text(size_t index) const {
        const size_t begin = index == 0 ? 0 : ends[index - 1];
        return std::string_view(chars).substr(begin, ends[index] - begin);
    }
};

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

TRegressOutcome TRegressDocument::RunRegression() {
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
        SetText(TField::StatusMessage, std::string(kIncompleteDataMessage) + "1");
        return TRegressOutcome::IncompleteData;
    }
    // The results must not overwrite the data: the measured values have to
    // stand left of the two result columns (a header row that does not match
    // the variable count, as a hand-made file may hold, breaks this).
    if (measured >= fittedCol) {
        SetText(TField::StatusMessage, kNoMeasuredColumnMessage);
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
    // Each part finds the first cell of its rows that is not a number; the
    // first part that has one has the table's first.
    const int parts = PartCount(static_cast<std::size_t>(m), kParallelRows);
    std::vector<std::pair<int, int>> bad(static_cast<size_t>(parts), {0, 0}); // column, row
    ForEachPart(parts, [&](int part) {
        const auto [first, last] = PartRows(m, part, parts);
        for (int row = first; row < last; ++row) {
            if (row % kProgressRows == 0) {
                if (part == 0) {
                    Beat(static_cast<std::uint64_t>(row), static_cast<std::uint64_t>(last));
                } else {
                    Beat();
                }
            }
            for (int col = 1; col <= measured; ++col) {
                Extended value;
                if (!TryCellToExtended(table.Cell(col, row), value)) {
                    bad[static_cast<size_t>(part)] = {col, row};
                    return;
                }
                data[col - 1][row - 1] = value;
            }
        }
    });
    for (const auto& [col, row] : bad) {
        if (row == 0) continue;
        SetText(TField::StatusMessage, kIncompleteDataMessage + IntToStr(row));
        table.SetCol(col);
        table.SetRow(row);
        return TRegressOutcome::IncompleteData;
    }

    // 4. and 5. The fit and the fitted values.
    meter.Stage(25, 55);
    auto result = std::make_unique<TFitResult>();
    result->Fit = FitFormula(Text(TField::RightSide), data);
    const bool singular = !result->Fit.Solved;
    const std::string shownBefore = Text(TField::FittedFormula);
    SetText(TField::FittedFormula, result->Fit.Text);
    meter.Stage(55, 62);
    try {
        result->Fitted = EvaluateFormula(Text(TField::FittedFormula), data);
    } catch (const ECommandCancelled&) {
        // A stopped run leaves every text as it was.
        SetText(TField::FittedFormula, shownBefore);
        throw;
    }
    const TVector& values = result->Fitted;

    // 6. Per-row results; the errors in double, all of them before any text
    // is written, so that an error beyond the range ends the run with the
    // table as it was. The pairs of measured and fitted values are the Y
    // column and the fitted values themselves. The first part writes its
    // rows at once, the others keep their texts until it is done (the table
    // is written from this thread only); the maximum and the mean are then
    // taken row by row.
    std::vector<double>& errors = result->Errors;
    ReserveLarge(errors, static_cast<size_t>(m));
    errors.resize(static_cast<size_t>(m));
    ForEachPart(parts, [&](int part) {
        const auto [first, last] = PartRange(static_cast<size_t>(m), part, parts);
        for (size_t p = first; p < last; ++p)
            errors[p] = RelativeError(data[n][p], values[p]);
    });
    // Writing the results is not stopped halfway.
    meter.Stage(62, 100);
    {
        TTableUpdate update(table);
        std::vector<TResultTexts> kept(static_cast<size_t>(parts));
        ForEachPart(parts, [&](int part) {
            const auto [first, last] = PartRows(m, part, parts);
            TResultRow rowTexts;
            TResultTexts& texts = kept[static_cast<size_t>(part)];
            if (part > 0) {
                // Two texts of up to about 24 characters for each row.
                const auto rows = static_cast<size_t>(last - first);
                ReserveLarge(texts.chars, 40 * rows);
                ReserveLarge(texts.ends, 2 * rows);
            }
            for (int row = first; row < last; ++row) {
                rowTexts.Compute(data[n][row - 1], values[row - 1], errors[row - 1]);
                if (part > 0) {
                    texts.Add(rowTexts.Fitted());
                    texts.Add(rowTexts.ErrorText());
                    continue;
                }
                if (row % kProgressRows == 0)
                    meter.Advance(static_cast<std::uint64_t>(row), static_cast<std::uint64_t>(m));
                table.SetCell(fittedCol, row, rowTexts.Fitted());
                table.SetCell(errorCol, row, rowTexts.ErrorText());
            }
        });
        for (int part = 1; part < parts; ++part) {
            const TResultTexts& texts = kept[static_cast<size_t>(part)];
            const int first = PartRows(m, part, parts).first;
            for (size_t i = 0; 2 * i < texts.ends.size(); ++i) {
                const int row = first + static_cast<int>(i);
                if (row % kProgressRows == 0)
                    meter.Advance(static_cast<std::uint64_t>(row), static_cast<std::uint64_t>(m));
                table.SetCell(fittedCol, row, texts.Text(2 * i));
                table.SetCell(errorCol, row, texts.Text(2 * i + 1));
            }
        }
    }
    double maximum = 0;
    double mean = 0;
    for (double e : errors) {
        e = std::fabs(e);
        if (e > maximum) maximum = e;
        mean = mean + e / static_cast<double>(m);
    }

    // 7. The statistics.
    result->Correlation = Correlation(data[n], values);
    result->MaxError = maximum;
    result->MeanError = mean;
    SetText(TField::Correlation, FixedNumberText(result->Correlation));
    SetText(TField::MaxError, FixedNumberText(maximum));
    SetText(TField::MeanError, FixedNumberText(mean));

    // 8. The coefficient list; after a singular system the values mean nothing.
    SetText(TField::Coefficients,
            singular ? std::string()
                     : CoefficientLine(result->Fit.ConstNames, result->Fit.ConstValues));

    // 9. The display form of the fitted formula.
    const std::string& raw = Text(TField::FittedFormula);
    if (!IsBlankText(raw)) {
        std::string display = ReplaceChar(SubstituteAliases(raw, aliases_), '*', '.');
        SetText(TField::FittedFormula, ReplaceAllIgnoreCase(display, "Y`", Text(TField::LeftName)));
    }

    result->Data = std::move(data);
    SetLastFit(std::move(result));

    if (singular) {
        SetText(TField::StatusMessage, kSingularFitMessage);
        return TRegressOutcome::Singular;
    }
    // A successful run leaves the status panel alone, except that it takes back
    // the failure message of an earlier run, which would now mislead.
    if (Text(TField::StatusMessage) == kSingularFitMessage) SetText(TField::StatusMessage, "");
    return TRegressOutcome::Done;
}

} // namespace xtq
