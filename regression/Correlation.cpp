#include "regression/Correlation.h"

#include "regression/FloatCheck.h"

#include <cmath>
#include <cstddef>

namespace xtq {

using detail::Checked;

Extended Correlation(const TMatrix& pairs) {
    if (pairs.size() != 2 || pairs[0].size() != pairs[1].size())
        throw ERegressionError("Correlation: the pair matrix needs two rows of one length");
    return Correlation(pairs[0], pairs[1]);
}

Extended Correlation(std::span<const Extended> y, std::span<const Extended> f) {
    if (y.size() != f.size())
        throw ERegressionError("Correlation: the measured and fitted values differ in number");
    const std::size_t m = y.size();
    // Without pairs there is nothing that varies, and no mean to form.
    if (m == 0) return 0;

    Extended sumY = 0;
    Extended sumF = 0;
    for (std::size_t i = 0; i < m; ++i) {
        sumY = Checked(sumY + y[i]);
        sumF = Checked(sumF + f[i]);
    }
    const Extended count = static_cast<Extended>(m);
    const Extended meanY = sumY / count;
    const Extended meanF = sumF / count;

    Extended syy = 0;
    Extended sff = 0;
    Extended syf = 0;
    for (std::size_t i = 0; i < m; ++i) {
        const Extended dy = Checked(y[i] - meanY);
        const Extended df = Checked(f[i] - meanF);
        syy = Checked(syy + dy * dy);
        sff = Checked(sff + df * df);
        syf = Checked(syf + df * dy);
    }
    if (sff == 0 || syy == 0) return 0;
    return syf / std::sqrt(Checked(std::fabs(sff * syy)));
}

} // namespace xtq
