#include "regression/LeastSquareFit.h"

#include "regression/FloatCheck.h"

#include <cmath>
#include <cstddef>

namespace xtq {
using detail::Checked;

namespace {

void CheckShape(const TMatrix& matrix) {
    const std::size_t columns = matrix[0].size();
    if (columns == 0 || matrix.size() != columns - 1)
        throw ERegressionError("GaussJordan: the matrix must have N rows of N+1 columns");
    for (const auto& row : matrix)
        if (row.size() != columns)
            throw ERegressionError("GaussJordan: the matrix must have N rows of N+1 columns");
}

// The elimination of GaussJordan. When `inverse` is given (N rows of N
// columns, the identity at the start), every row operation is made on it as
// well, so that it ends as the inverse of the left block; the operations on
// the augmented matrix, and so its digits, are the same either way.
bool Eliminate(TMatrix& matrix, TMatrix* inverse) {
    const std::size_t n = matrix[0].size() - 1;
    // inverse row q := inverse row q - inverse row i * f (or + repair / pivot).
    const auto combine = [inverse](std::size_t q, std::size_t i, Extended f) {
        if (inverse == nullptr) return;
        std::vector<Extended>& target = (*inverse)[q];
        const std::vector<Extended>& source = (*inverse)[i];
        for (std::size_t j = 0; j < target.size(); ++j)
            target[j] = target[j] - source[j] * f;
    };
    for (std::size_t i = 0; i < n; ++i) {
        std::vector<Extended>& pivotRow = matrix[i];

        if (pivotRow[i] == 0) {
            if (i + 1 >= n) return false;
            std::size_t k = i + 1;
            while (k < n && matrix[k][i] == 0)
                ++k;
            if (k == n) return false;
            // Row k divided by its entry in column i is added to the pivot
            // row; row k itself stays as it is.
            const std::vector<Extended>& repairRow = matrix[k];
            const Extended divisor = repairRow[i];
            for (std::size_t j = 0; j <= n; ++j)
                pivotRow[j] = Checked(repairRow[j] / divisor + pivotRow[j]);
            if (inverse != nullptr) {
                std::vector<Extended>& target = (*inverse)[i];
                const std::vector<Extended>& source = (*inverse)[k];
                for (std::size_t j = 0; j < n; ++j)
                    target[j] = source[j] / divisor + target[j];
            }
        }

        if (pivotRow[i] != 1) {
            const Extended r = Checked(1 / pivotRow[i]);
            pivotRow[i] = 1;
            for (std::size_t j = i + 1; j <= n; ++j)
                pivotRow[j] = Checked(pivotRow[j] * r);
            if (inverse != nullptr)
                for (Extended& entry : (*inverse)[i])
                    entry = entry * r;
        }

        for (std::size_t q = 0; q < n; ++q) {
            if (q == i) continue;
            std::vector<Extended>& row = matrix[q];
            const Extended f = row[i];
            if (f == 0) continue;
            for (std::size_t j = i; j <= n; ++j)
                row[j] = Checked(row[j] - pivotRow[j] * f);
            combine(q, i, f);
        }
    }
    return true;
}

} // namespace

bool GaussJordan(TMatrix& matrix) {
    if (matrix.empty()) return true;
    CheckShape(matrix);
    return Eliminate(matrix, nullptr);
}

TLeastSquareFit::TLeastSquareFit(int n) : n_(n) {
    if (n < 1) throw ERegressionError("TLeastSquareFit: at least one coefficient is needed");
    matrix_.assign(static_cast<std::size_t>(n),
                   std::vector<Extended>(static_cast<std::size_t>(n) + 1, 0));
}

void TLeastSquareFit::AddRow(const Extended* row) {
    if (solved_) throw ERegressionError("TLeastSquareFit: rows added after Solve");
    const std::size_t n = matrix_.size();
    for (std::size_t i = 0; i < n; ++i) {
        Extended* entry = matrix_[i].data();
        const Extended ti = row[i];
        for (std::size_t j = i; j <= n; ++j)
            entry[j] = Checked(entry[j] + ti * row[j]);
    }
}

void TLeastSquareFit::AddRow(std::span<const Extended> row) {
    if (row.size() < matrix_.size() + 1)
        throw ERegressionError("TLeastSquareFit: a design row needs n+1 values");
    AddRow(row.data());
}

namespace {

// Adds `count` design rows to the upper triangle and the right-hand column:
// term(r, j) is term j of row r, measured(r) its measured value. Once a sum
// is beyond the range it stays so (or becomes NaN), so one check after the
// rows finds it; for a single row that is the check of AddRow. Four sums of
// a matrix row at a time, each with its additions in row order, so that the
// processor can overlap them; every sum is that of adding row by row.
template <typename Term, typename Measured>
void AccumulateRows(TMatrix& matrix, std::size_t count, const Term& term,
                    const Measured& measured) {
    const std::size_t n = matrix.size();
    for (std::size_t i = 0; i < n; ++i) {
        Extended* entry = matrix[i].data();
        std::size_t j = i;
        for (; j + 4 <= n; j += 4) {
            Extended s0 = entry[j];
            Extended s1 = entry[j + 1];
            Extended s2 = entry[j + 2];
            Extended s3 = entry[j + 3];
            for (std::size_t r = 0; r < count; ++r) {
                const Extended t = term(r, i);
                s0 = s0 + t * term(r, j);
                s1 = s1 + t * term(r, j + 1);
                s2 = s2 + t * term(r, j + 2);
                s3 = s3 + t * term(r, j + 3);
            }
            entry[j] = Checked(s0);
            entry[j + 1] = Checked(s1);
            entry[j + 2] = Checked(s2);
            entry[j + 3] = Checked(s3);
        }
        for (; j < n; ++j) {
            Extended sum = entry[j];
            for (std::size_t r = 0; r < count; ++r)
                sum = sum + term(r, i) * term(r, j);
            entry[j] = Checked(sum);
        }
        Extended sum = entry[n];
        for (std::size_t r = 0; r < count; ++r)
            sum = sum + term(r, i) * measured(r);
        entry[n] = Checked(sum);
    }
}

} // namespace

void TLeastSquareFit::AddRows(std::span<const Extended> rows) {
    if (solved_) throw ERegressionError("TLeastSquareFit: rows added after Solve");
    const std::size_t n = matrix_.size();
    const std::size_t width = n + 1;
    if (rows.size() % width != 0)
        throw ERegressionError("TLeastSquareFit: design rows need n+1 values each");
    const Extended* first = rows.data();
    AccumulateRows(
        matrix_, rows.size() / width,
        [first, width](std::size_t r, std::size_t j) { return first[r * width + j]; },
        [first, width, n](std::size_t r) { return first[r * width + n]; });
}

void TLeastSquareFit::AddRows(std::span<const double> terms, std::span<const Extended> measured) {
    if (solved_) throw ERegressionError("TLeastSquareFit: rows added after Solve");
    const std::size_t n = matrix_.size();
    const std::size_t count = measured.size();
    if (terms.size() != count * n)
        throw ERegressionError("TLeastSquareFit: design rows need n term values each");
    const double* first = terms.data();
    const Extended* y = measured.data();
    AccumulateRows(
        matrix_, count,
        [first, n](std::size_t r, std::size_t j) {
            return static_cast<Extended>(first[r * n + j]);
        },
        [y](std::size_t r) { return y[r]; });
}

bool TLeastSquareFit::Solve(Extended* result) {
    const std::size_t n = matrix_.size();
    if (!solved_) {
        solved_ = true;
        for (std::size_t i = 1; i < n; ++i)
            for (std::size_t j = 0; j <= i; ++j)
                matrix_[i][j] = matrix_[j][i];
        inverse_.assign(n, std::vector<Extended>(n, 0));
        for (std::size_t i = 0; i < n; ++i)
            inverse_[i][i] = 1;
        solvedOk_ = Eliminate(matrix_, &inverse_);
        // An inverse with an entry beyond the range is of no use; the
        // coefficients, checked at every step, are not affected by it.
        bool finite = solvedOk_;
        for (const auto& row : inverse_)
            for (const Extended entry : row)
                finite = finite && std::isfinite(entry);
        if (!finite) inverse_.clear();
    }
    for (std::size_t j = 0; j < n; ++j)
        result[j] = matrix_[j][n];
    return solvedOk_;
}

bool TLeastSquareFit::Solve(std::span<Extended> result) {
    if (result.size() < matrix_.size())
        throw ERegressionError("TLeastSquareFit: the result needs n values");
    return Solve(result.data());
}

} // namespace xtq
