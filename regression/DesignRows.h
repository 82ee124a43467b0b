#pragma once
// Internal to the regression library: design rows on their way to the
// least-squares solver, a block at a time.

#include "core/Extended.h"
#include "regression/LeastSquareFit.h"

#include <algorithm>
#include <cstddef>
#include <span>
#include <vector>

namespace xtq::detail {

// Collects design rows (the term values, then the measured value) and hands
// them to the solver `blockRows` at a time, or at Flush. The term values are
// kept as doubles, which the values of the formula engine are (it computes in
// cells of 8 bytes), so that the solver loads them faster. Should one not be
// a double, the rows from that one on are kept in extended precision, so the
// sums are always those of adding every row with TLeastSquareFit::AddRow.
class TDesignRows {
public:
    TDesignRows(TLeastSquareFit& solver, std::size_t terms, std::size_t blockRows)
        : solver_(solver), terms_(terms), blockRows_(std::max<std::size_t>(blockRows, 1)),
          narrow_(blockRows_ * terms), measured_(blockRows_) {}
    TDesignRows(const TDesignRows&) = delete;
    TDesignRows& operator=(const TDesignRows&) = delete;

    // The values of the next row, in order: each term's, then the measured one.
    void Term(std::size_t t, Extended value) {
        if (wide_.empty()) {
            const double narrow = static_cast<double>(value);
            if (static_cast<Extended>(narrow) == value) [[likely]] {
                narrow_[filled_ * terms_ + t] = narrow;
                return;
            }
            Widen(t);
        }
        wide_[filled_ * (terms_ + 1) + t] = value;
    }
    void Measured(Extended value) {
        if (wide_.empty()) {
            measured_[filled_] = value;
        } else {
            wide_[filled_ * (terms_ + 1) + terms_] = value;
        }
        if (++filled_ == blockRows_) Flush();
    }

    // Hands the complete rows collected so far to the solver.
    void Flush() {
        if (filled_ == 0) return;
        if (wide_.empty()) {
            solver_.AddRows(std::span<const double>(narrow_.data(), filled_ * terms_),
                            std::span<const Extended>(measured_.data(), filled_));
        } else {
            solver_.AddRows(std::span<const Extended>(wide_.data(), filled_ * (terms_ + 1)));
        }
        filled_ = 0;
    }

private:
    // From term t of the current row on, extended values.
    void Widen(std::size_t t) {
        const std::vector<Extended> head(
            narrow_.begin() + static_cast<std::ptrdiff_t>(filled_ * terms_),
            narrow_.begin() + static_cast<std::ptrdiff_t>(filled_ * terms_ + t));
        Flush();
        wide_.resize(blockRows_ * (terms_ + 1));
        std::copy(head.begin(), head.end(), wide_.begin());
    }

    TLeastSquareFit& solver_;
    std::size_t terms_;
    std::size_t blockRows_;
    std::size_t filled_ = 0;
    std::vector<double> narrow_;
    std::vector<Extended> measured_;
    std::vector<Extended> wide_; // in use once a term value was no double
};

} // namespace xtq::detail
