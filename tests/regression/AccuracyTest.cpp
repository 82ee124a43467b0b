// Accuracy of the 80-bit normal equations on ill-conditioned polynomial fits.
//
// The reference is an independent rendering of the same algorithm (normal
// equations accumulated in the same order, Gauss-Jordan without row exchanges)
// in 113-bit quadruple precision, on the very same design rows. Elimination
// without exchanges on a symmetric positive definite matrix is insensitive to
// the scaling of its columns, so what limits the 64-bit result is the
// condition number of the normal matrix scaled to a unit diagonal, kappa: the
// coefficients keep about -log10(kappa * 2^-64) digits, measured in the norm
// of that scaling.

#include "regression/LeastSquareFit.h"
#include "regression/ModelFit.h"

#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace xtq {
namespace {

__extension__ typedef __float128 Quad;

using DesignRows = std::vector<std::vector<double>>; // term values, then y

template <class Real>
std::vector<std::vector<Real>> NormalMatrix(const DesignRows& rows, size_t k) {
    std::vector<std::vector<Real>> m(k, std::vector<Real>(k + 1, Real(0)));
    for (const auto& row : rows)
        for (size_t i = 0; i < k; ++i)
            for (size_t j = i; j <= k; ++j)
                m[i][j] = m[i][j] + Real(row[i]) * Real(row[j]);
    for (size_t i = 1; i < k; ++i)
        for (size_t j = 0; j < i; ++j)
            m[i][j] = m[j][i];
    return m;
}

// The same elimination, written again for any real type.
template <class Real> std::vector<Real> SolveNormal(std::vector<std::vector<Real>> m) {
    const size_t n = m.size();
    for (size_t i = 0; i < n; ++i) {
        EXPECT_TRUE(m[i][i] != Real(0));
        if (m[i][i] != Real(1)) {
            const Real r = Real(1) / m[i][i];
            m[i][i] = Real(1);
            for (size_t j = i + 1; j <= n; ++j)
                m[i][j] = m[i][j] * r;
        }
        for (size_t q = 0; q < n; ++q) {
            const Real f = m[q][i];
            if (q == i || f == Real(0)) continue;
            for (size_t j = i; j <= n; ++j)
                m[q][j] = m[q][j] - m[i][j] * f;
        }
    }
    std::vector<Real> c(n);
    for (size_t i = 0; i < n; ++i)
        c[i] = m[i][n];
    return c;
}

// Condition number of the normal matrix scaled to a unit diagonal, from the
// eigenvalues of a cyclic Jacobi iteration; also gives the scale factors.
Extended ScaledCondition(const DesignRows& rows, size_t k, std::vector<Extended>& scale) {
    const auto q = NormalMatrix<Quad>(rows, k);
    scale.resize(k);
    for (size_t i = 0; i < k; ++i)
        scale[i] = std::sqrt(static_cast<Extended>(q[i][i]));
    std::vector<std::vector<Extended>> a(k, std::vector<Extended>(k));
    for (size_t i = 0; i < k; ++i)
        for (size_t j = 0; j < k; ++j)
            a[i][j] = static_cast<Extended>(q[i][j] / Quad(scale[i]) / Quad(scale[j]));
    for (int sweep = 0; sweep < 60; ++sweep) {
        for (size_t p = 0; p < k; ++p)
            for (size_t r = p + 1; r < k; ++r) {
                if (a[p][r] == 0) continue;
                const Extended theta = (a[r][r] - a[p][p]) / (2 * a[p][r]);
                const Extended t = std::copysign(Extended(1), theta) /
                                   (std::fabs(theta) + std::sqrt(theta * theta + 1));
                const Extended c = 1 / std::sqrt(t * t + 1);
                const Extended s = t * c;
                for (size_t i = 0; i < k; ++i) {
                    const Extended aip = a[i][p], air = a[i][r];
                    a[i][p] = c * aip - s * air;
                    a[i][r] = s * aip + c * air;
                }
                for (size_t i = 0; i < k; ++i) {
                    const Extended api = a[p][i], ari = a[r][i];
                    a[p][i] = c * api - s * ari;
                    a[r][i] = s * api + c * ari;
                }
            }
    }
    Extended largest = a[0][0], smallest = a[0][0];
    for (size_t i = 0; i < k; ++i) {
        largest = std::max(largest, a[i][i]);
        smallest = std::min(smallest, a[i][i]);
    }
    return largest / smallest;
}

// Error of c against the reference in the norm of the unit-diagonal scaling.
template <class Real>
Extended ScaledError(const std::vector<Real>& c, const std::vector<Quad>& reference,
                     const std::vector<Extended>& scale) {
    Extended error = 0, size = 0;
    for (size_t i = 0; i < c.size(); ++i) {
        const Quad difference = (Quad(c[i]) - reference[i]) * Quad(scale[i]);
        error = std::max(error, std::fabs(static_cast<Extended>(difference)));
        size = std::max(size, std::fabs(static_cast<Extended>(reference[i] * Quad(scale[i]))));
    }
    return error / size;
}

// Points x0, x0 + step, ... with powers up to the degree, and a measured value
// that no polynomial of that degree fits exactly.
DesignRows PolynomialRows(int degree, double x0, double step, int points) {
    DesignRows rows;
    for (int p = 0; p < points; ++p) {
        const double x = x0 + step * p;
        std::vector<double> row;
        double power = 1;
        for (int i = 0; i <= degree; ++i) {
            row.push_back(power);
            power *= x;
        }
        row.push_back(x + 1000 * std::sin(0.37 * p));
        rows.push_back(row);
    }
    return rows;
}

constexpr Extended kUnit = 0x1p-64L; // the unit roundoff of the 64-bit significand

struct Case {
    std::string name;
    int degree;
    double x0, step;
    int points;
    Extended digits; // digits the bound must at least promise
};

TEST(Accuracy, IllConditionedPolynomialsKeepTheDigitsTheNormalMatrixAllows) {
    const std::vector<Case> cases = {
        {"cubic on 1000 .. 1029", 3, 1000, 1, 30, 4},
        {"quintic on 100 .. 139", 5, 100, 1, 40, 5},
        {"sextic on 10 .. 49", 6, 10, 1, 40, 9},
        {"degree 7 on 1 .. 2.95", 7, 1, 0.05, 40, 6},
        {"quadratic on 1E5 .. 1E5+29", 2, 1e5, 1, 30, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const size_t k = static_cast<size_t>(c.degree) + 1;
        const DesignRows rows = PolynomialRows(c.degree, c.x0, c.step, c.points);

        TLeastSquareFit fit(static_cast<int>(k));
        for (const auto& row : rows) {
            const std::vector<Extended> wide(row.begin(), row.end());
            fit.AddRow(wide);
        }
        std::vector<Extended> ours(k);
        ASSERT_TRUE(fit.Solve(ours));

        std::vector<Extended> scale;
        const Extended kappa = ScaledCondition(rows, k, scale);
        const Extended bound = kappa * kUnit;
        EXPECT_LE(bound, std::pow(Extended(10), -c.digits))
            << "kappa " << static_cast<double>(kappa);

        const std::vector<Quad> reference = SolveNormal(NormalMatrix<Quad>(rows, k));
        const Extended error = ScaledError(ours, reference, scale);
        EXPECT_LE(error, bound) << "kappa " << static_cast<double>(kappa);

        // The same algorithm in double precision: up to eleven bits fewer.
        const Extended doubleError =
            ScaledError(SolveNormal(NormalMatrix<double>(rows, k)), reference, scale);
        EXPECT_GT(doubleError, 16 * error);
    }
}

TEST(Accuracy, CubicFitFarFromZeroThroughTheFormulaEngine) {
    // Integer x up to 1029: every power up to the cube is exact in a double,
    // so the engine's term values are those of the reference.
    const int points = 30;
    TMatrix data(2);
    DesignRows rows;
    for (int p = 0; p < points; ++p) {
        const double x = 1000 + p;
        const double y = x + 1000 * std::sin(0.37 * p);
        data[0].push_back(x);
        data[1].push_back(y);
        rows.push_back({1, x, x * x, x * x * x, y});
    }
    const TModelFit fit = FitFormula("a+b*x1+c*x1^2+d*x1^3", data);
    const std::string& text = fit.Text;
    ASSERT_FALSE(text.empty());

    std::vector<Extended> scale;
    const Extended bound = ScaledCondition(rows, 4, scale) * kUnit;
    const std::vector<Quad> reference = SolveNormal(NormalMatrix<Quad>(rows, 4));
    EXPECT_LE(ScaledError(fit.ConstValues, reference, scale), bound);

    // The fitted values are far better conditioned than the coefficients.
    const TVector fitted = EvaluateFormula(text, data);
    for (size_t p = 0; p < fitted.size(); ++p) {
        Quad exact = 0;
        for (size_t i = 0; i < 4; ++i)
            exact += reference[i] * Quad(rows[p][i]);
        EXPECT_NEAR(static_cast<double>(fitted[p]), static_cast<double>(exact), 1e-2) << p;
    }
}

} // namespace
} // namespace xtq
