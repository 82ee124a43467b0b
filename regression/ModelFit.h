#pragma once
// The model fit: the terms of a right-hand side evaluated at every data point,
// their least-squares coefficients, the fitted formula as a text the formula
// engine reads back, and that text evaluated at every data point.

#include "core/Extended.h"
#include "regression/LeastSquareFit.h"

#include <string>
#include <vector>

namespace xtq {

using TVector = std::vector<Extended>;

// Fits the right-hand side to the data matrix: n+1 columns of m values each,
// X1 .. Xn then the measured Y (n may be 0). Returns "Y`=" followed by the
// fitted formula, or an empty text when the least-squares system is singular
// or there are no data points. Replaces the result of the last fit at its
// start. Errors of the formula engine propagate; ERegressionError when the
// matrix has no Y column or columns of different lengths.
std::string FitFormula(const std::string& rightHandSide, const TMatrix& data);

// Evaluates a text returned by FitFormula (its first three characters are
// dropped) at every data point. An empty text gives 0 at every point; a matrix
// without data points gives an empty vector. Errors of the formula engine
// propagate.
TVector EvaluateFormula(const std::string& fitted, const TMatrix& data);

// The result of the last fit, one entry per term in term order: the display
// names of the constants and their coefficients. After a singular system the
// coefficients are those of the partly reduced matrix; without data points
// they are 0.
const std::vector<std::string>& ConstNames();
const TVector& ConstValues();

} // namespace xtq
