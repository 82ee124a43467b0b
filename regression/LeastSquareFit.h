#pragma once
// Linear least squares through the normal equations: TLeastSquareFit
// accumulates the augmented normal matrix one design row at a time and solves
// it by Gauss-Jordan elimination without row exchanges.

#include "core/Exception.h"
#include "core/Extended.h"

#include <span>
#include <vector>

namespace xtq {

// Misuse of the regression routines: a matrix or an array of the wrong size,
// rows added to a solver that has already solved.
XTQ_DECLARE_ERROR(ERegressionError, Exception);

using TMatrix = std::vector<std::vector<Extended>>;

// Reduces the augmented system (N rows of N+1 columns) in place so that the
// left block becomes the identity and column N the solution. Pivots are taken
// on the diagonal in order; an exactly zero pivot is repaired from the first
// lower row with a non-zero entry in its column. Returns false when that is
// impossible (a singular system), leaving the partly reduced matrix. Raises
// EOverflow when an entry exceeds the extended range, ERegressionError when
// the matrix is not N rows of N+1 columns. An empty matrix is solved at once.
bool GaussJordan(TMatrix& matrix);

class TLeastSquareFit {
public:
    // n coefficients (n >= 1); the normal matrix n x (n+1) starts at 0.
    explicit TLeastSquareFit(int n);

    // Adds one design row: the n term values followed by the measured value.
    // Only the upper triangle and the right-hand column are accumulated.
    // Raises EOverflow when a sum leaves the extended range.
    void AddRow(const Extended* row);
    // As above; the span must hold at least n+1 values.
    void AddRow(std::span<const Extended> row);
    // Adds several design rows of n+1 values each, one after the other in the
    // span. Every entry gets exactly the sums that AddRow, row by row, gives;
    // each sum is kept in a register across the rows instead of in memory.
    // Raises EOverflow or EInvalidOp when a sum leaves the extended range (for
    // a single row exactly as AddRow; for several, which of the two and which
    // rows were added is unspecified), ERegressionError unless the span holds
    // whole rows.
    void AddRows(std::span<const Extended> rows);
    // As above for rows whose n term values are doubles: `terms` holds n
    // values for each row, `measured` the row's measured value. The sums are
    // those of AddRow with the term values widened.
    void AddRows(std::span<const double> terms, std::span<const Extended> measured);

    // Completes the matrix by symmetry, eliminates, and writes the n
    // coefficients into result (also after a failure, then taken from the
    // partly reduced matrix). Returns false for a singular system. A second
    // call only copies the same result out again.
    bool Solve(Extended* result);
    // As above; the span must hold at least n values.
    bool Solve(std::span<Extended> result);

    int Count() const { return n_; }
    const TMatrix& Matrix() const { return matrix_; }
    // After a successful Solve: the inverse of the normal matrix, n x n, from
    // the same row operations that gave the coefficients. Empty before Solve,
    // after a singular system, or when an entry is beyond the extended range.
    const TMatrix& Inverse() const { return inverse_; }

private:
    TMatrix matrix_;
    TMatrix inverse_;
    int n_;
    bool solved_ = false;
    bool solvedOk_ = false;
};

} // namespace xtq
