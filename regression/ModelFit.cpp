#include "regression/ModelFit.h"

#include "core/AsciiCase.h"
#include "core/Heartbeat.h"
#include "core/HugePages.h"
#include "core/Parts.h"
#include "formula/Errors.h"
#include "formula/FormulaParser.h"
#include "regression/DesignRows.h"
#include "regression/FormulaSplit.h"
#include "regression/NumberText.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <memory>
#include <span>

namespace xtq {
namespace {

// Number of data points; the matrix must hold the Y column and columns of one length.
std::size_t PointCount(const TMatrix& data) {
    if (data.empty()) throw ERegressionError("The data matrix has no column of measured values");
    const std::size_t m = data[0].size();
    for (const auto& column : data)
        if (column.size() != m)
            throw ERegressionError("The columns of the data matrix differ in length");
    return m;
}

std::vector<std::string> VariableNames(std::size_t n) {
    std::vector<std::string> names;
    names.reserve(n);
    for (std::size_t v = 1; v <= n; ++v)
        names.push_back("x" + std::to_string(v));
    return names;
}

// A data value as StoreVariable puts it into a cell: rounded to 8 bytes, with
// the same errors for a value that no cell can hold.
double CellValue(Extended value) {
    if (std::isnan(value)) throw EInvalidOp(kInvalidOpMessage);
    const double rounded = static_cast<double>(value);
    if (std::isinf(rounded)) throw EOverflow(kOverflowMessage);
    return rounded;
}

// Points from which the fitted formula is evaluated in parts.
constexpr std::size_t kParallelPoints = 20'000;

// True when the text may name one of the functions that draw from the
// program-wide pseudo-random generator (RND, RANDOM; letter case ignored):
// their draws must come in point order.
bool DrawsRandomNumbers(const std::string& expression) {
    const std::string upper = UpperAscii(expression);
    return upper.find("RND") != std::string::npos || upper.find("RANDOM") != std::string::npos;
}

// Points between two beats of a long fit or evaluation.
constexpr std::size_t kBeatPoints = 1024;

// Rows handed to the solver at once when the sums cannot overflow.
constexpr std::size_t kBlockRows = 64;

// True when no sum of the normal equations can leave the extended range. Term
// values are finite doubles (the formula engine raises for anything else), so
// a sum of products of two of them stays below m * DBL_MAX^2, far inside the
// range; a product with a measured value Y stays below DBL_MAX * |Y|, and m of
// them, for m < 2^60 and |Y| <= 1E4600, below 2E4926.
bool SumsStayInRange(const TVector& measured) {
    if (measured.size() >= (std::size_t{1} << 60)) return false;
    for (const Extended y : measured)
        if (!(std::fabs(y) <= 1e4600L)) return false;
    return true;
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// Letters, digits, "_" and "." (ASCII only, whatever the locale).
bool IsNameCharacter(char c) {
    return IsDigit(c) || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' || c == '.';
}

// True when the "-" at `pos` is the sign of a number's exponent (2.5E-5): it
// follows an E that ends a run of name characters starting with a digit or ".".
bool IsExponentSign(const std::string& text, std::size_t pos) {
    if (pos < 2 || (text[pos - 1] != 'E' && text[pos - 1] != 'e')) return false;
    std::size_t start = pos - 1;
    while (start > 0 && IsNameCharacter(text[start - 1]))
        --start;
    const char first = text[start];
    return first == '.' || IsDigit(first);
}

// A term's expression as it follows "coefficient*" in the fitted formula. The
// product binds tighter than a difference and takes no negation on its right,
// so an expression with a "-" of its own at bracket depth 0 (x1-x2, -x1) is
// bracketed; without the brackets 2*x1-x2 would read as (2*x1)-x2 although
// the fit was made for 2*(x1-x2). Every other expression is written as it is.
std::string Factor(const std::string& expression) {
    int depth = 0;
    for (std::size_t i = 0; i < expression.size(); ++i) {
        const char c = expression[i];
        if (c == '(') {
            ++depth;
        } else if (c == ')') {
            --depth;
        } else if (c == '-' && depth == 0 && !IsExponentSign(expression, i)) {
            return "(" + expression + ")";
        }
    }
    return expression;
}

std::string FittedText(const std::vector<std::string>& terms, const TVector& values) {
    std::string text = "Y`=";
    for (std::size_t t = 0; t < terms.size(); ++t) {
        if (t > 0 && values[t] >= 0) text += '+';
        text += GeneralNumberText(values[t]);
        // A lone constant in first place is written as the bare coefficient;
        // any other first term keeps its expression, or its values would be
        // lost from the fitted formula.
        if (t > 0 || terms[0] != "1") {
            text += '*';
            text += Factor(terms[t]);
        }
    }
    return text;
}

} // namespace

TModelFit FitFormula(const std::string& rightHandSide, const TMatrix& data) {
    const std::size_t m = PointCount(data);
    const std::size_t n = data.size() - 1;

    TFormulaTerms split;
    const int termCount = SplitTerms(rightHandSide, split);
    const std::size_t k = static_cast<std::size_t>(termCount);
    TModelFit fit;
    fit.ConstNames = std::move(split.ConstNames);
    fit.Terms = std::move(split.Terms);
    TVector& values = fit.ConstValues;
    values.assign(k, 0);
    if (m == 0) return fit;

    // Every term is compiled once, into a parser of its own, at the moment the
    // term-by-term evaluation first needs it (data point 0, after that point's
    // variables are stored); later points only store their values into the
    // cells StoreVariable returned. The stored values, the order of the
    // evaluations (point by point, term by term) and so the pseudo-random
    // draws and the first error raised are those of compiling every term
    // afresh at every point.
    const std::vector<std::string> names = VariableNames(n);
    std::vector<std::unique_ptr<TParser>> parsers;
    parsers.reserve(k);
    std::vector<double*> cells(k * n);
    TLeastSquareFit solver(termCount);

    // Design rows go to the solver in blocks when no sum can leave the
    // extended range: then no row raises there, and a block gives the sums of
    // adding its rows one by one. Otherwise each row is added as soon as it
    // is evaluated, so that the first overflow ends the fit at that row.
    detail::TDesignRows rows(solver, k, SumsStayInRange(data[n]) ? kBlockRows : 1);

    for (std::size_t t = 0; t < k; ++t) {
        TParser& parser = *parsers.emplace_back(std::make_unique<TParser>());
        for (std::size_t v = 0; v < n; ++v)
            cells[t * n + v] = parser.StoreVariable(names[v], data[v][0]);
        parser.SetExpression(fit.Terms[t]);
        rows.Term(t, parser.Value());
    }
    rows.Measured(data[n][0]);

    for (std::size_t p = 1; p < m; ++p) {
        if (p % kBeatPoints == 0) Beat(p, m);
        for (std::size_t v = 0; v < n; ++v) {
            const double value = CellValue(data[v][p]);
            for (std::size_t t = 0; t < k; ++t)
                *cells[t * n + v] = value;
        }
        for (std::size_t t = 0; t < k; ++t)
            rows.Term(t, parsers[t]->Value());
        rows.Measured(data[n][p]);
    }
    rows.Flush();

    if (!solver.Solve(values.data())) return fit;
    fit.Solved = true;
    fit.Text = FittedText(fit.Terms, values);
    fit.NormalInverse = solver.Inverse();
    return fit;
}

TVector EvaluateFormula(const std::string& fitted, const TMatrix& data) {
    const std::size_t m = PointCount(data);
    const std::size_t n = data.size() - 1;
    if (m == 0) return {};

    const std::vector<std::string> names = VariableNames(n);
    const std::string expression = fitted.size() > 3 ? fitted.substr(3) : std::string();
    // A parser compiled with point 0's values stored, as step 2 and 3 say.
    const auto compiled = [&](TParser& parser, std::vector<double*>& cells) {
        for (std::size_t v = 0; v < n; ++v)
            cells[v] = parser.StoreVariable(names[v], data[v][0]);
        parser.SetExpression(expression);
    };
    TParser parser;
    std::vector<double*> cells(n);
    compiled(parser, cells);

    TVector result;
    ReserveLarge(result, m);
    result.resize(m);
    // Without random numbers every point's value depends on that point alone,
    // so the points may be evaluated in parts, each with a parser of its own;
    // the first error in point order is the one raised, as it is one by one.
    const int parts = DrawsRandomNumbers(expression) ? 1 : PartCount(m, kParallelPoints);
    ForEachPart(parts, [&](int part) {
        TParser own;
        std::vector<double*> ownCells(n);
        if (part > 0) compiled(own, ownCells);
        TParser& evaluator = part > 0 ? own : parser;
        const std::vector<double*>& variables = part > 0 ? ownCells : cells;
        const auto [first, last] = PartRange(m, part, parts);
        for (std::size_t p = first; p < last; ++p) {
            if (p % kBeatPoints == 0) Beat(part == 0 ? p - first : 0, part == 0 ? last - first : 0);
            for (std::size_t v = 0; v < n; ++v)
                *variables[v] = CellValue(data[v][p]);
            result[p] = evaluator.Value();
        }
    });
    return result;
}

} // namespace xtq
