#pragma once
// Correlation coefficient between measured and fitted values.

#include "core/Extended.h"
#include "regression/LeastSquareFit.h"

#include <span>

namespace xtq {

// Plain (signed) correlation coefficient of the pairs (Y, F): row 0 of the
// pair matrix holds the measured values, row 1 the fitted values. 0 when
// either row does not vary, and 0 for no pairs. Raises ERegressionError unless
// the matrix has two rows of one length, EOverflow when a sum leaves the
// extended range.
Extended Correlation(const TMatrix& pairs);
// The same for the measured and the fitted values in two arrays of one length.
Extended Correlation(std::span<const Extended> measured, std::span<const Extended> fitted);

} // namespace xtq
