#pragma once
// The result of a regression run as a value: the fit, the data it was made
// from, the fitted value and relative error of every point and the figures
// of the whole fit. The texts the run shows are made from it; what comes
// after the run (statistics, pictures, prediction) reads it.

#include "core/Extended.h"
#include "regression/LeastSquareFit.h"
#include "regression/ModelFit.h"

#include <cstddef>
#include <vector>

namespace xtq {

struct TFitResult {
    TModelFit Fit;
    // The data matrix of the run: n+1 columns of m values, X1 .. Xn then Y.
    TMatrix Data;
    // The fitted formula evaluated at every point (0 everywhere after a
    // singular system).
    TVector Fitted;
    // (F - Y) * 100 / Y of every point, rounded to double; 0 where Y is 0.
    std::vector<double> Errors;
    Extended Correlation = 0;
    double MaxError = 0;
    double MeanError = 0;

    std::size_t PointCount() const { return Fitted.size(); }
    int VariableCount() const { return Data.empty() ? 0 : static_cast<int>(Data.size()) - 1; }
    const TVector& Measured() const { return Data.back(); }
};

} // namespace xtq
