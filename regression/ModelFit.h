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

// A fit of a right-hand side, one entry per term in term order.
struct TModelFit {
    // The display names of the constants and the terms' expressions ("1" for
    // a lone constant), as the decomposition gives them.
    std::vector<std::string> ConstNames;
    std::vector<std::string> Terms;
    // The coefficients. After a singular system they are those of the partly
    // reduced matrix and mean nothing; without data points they are 0.
    TVector ConstValues;
    // False for a singular system and for a fit without data points.
    bool Solved = false;
    // "Y`=" followed by the fitted formula; empty unless Solved.
    std::string Text;
    // The inverse of the normal matrix (the design's cross products), k x k,
    // from the elimination that gave the coefficients; empty unless Solved
    // (and when an entry is beyond the extended range).
    TMatrix NormalInverse;
};

// Fits the right-hand side to the data matrix: n+1 columns of m values each,
// X1 .. Xn then the measured Y (n may be 0). Errors of the formula engine
// propagate; ERegressionError when the matrix has no Y column or columns of
// different lengths.
TModelFit FitFormula(const std::string& rightHandSide, const TMatrix& data);

// Evaluates a text returned by FitFormula (its first three characters are
// dropped) at every data point. An empty text gives 0 at every point; a matrix
// without data points gives an empty vector. Errors of the formula engine
// propagate.
TVector EvaluateFormula(const std::string& fitted, const TMatrix& data);

} // namespace xtq
