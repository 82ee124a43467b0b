// Fitting and evaluating the quadratic surface a+b*x1+c*x2+d*x1^2+e*x2^2+f*x1*x2
// on 10^4, 10^5 and 10^6 data points.
//
// The points are those bench/numpy_lstsq.py builds, so that fit_vs_numpy.sh
// compares the two on the same design matrix: x1 = (p mod 1009)/101 - 5,
// x2 = (p mod 997)/97 - 5, y a quadratic surface plus a wobble of sin(p).

#include "regression/LeastSquareFit.h"
#include "regression/ModelFit.h"

#include <benchmark/benchmark.h>
#include <cmath>
#include <cstddef>
#include <string>
#include <vector>

namespace {

const std::string kSurface = "a+b*x1+c*x2+d*x1^2+e*x2^2+f*x1*x2";

xtq::TMatrix SurfaceData(std::size_t m) {
    xtq::TMatrix data(3, xtq::TVector(m));
    for (std::size_t p = 0; p < m; ++p) {
        const double x1 = static_cast<double>(p % 1009) / 101.0 - 5.0;
        const double x2 = static_cast<double>(p % 997) / 97.0 - 5.0;
        data[0][p] = x1;
        data[1][p] = x2;
        data[2][p] = 1.5 + 2 * x1 - 3 * x2 + 0.25 * x1 * x1 + 4 * x2 * x2 - 1.5 * x1 * x2 +
                     0.1 * std::sin(static_cast<double>(p));
    }
    return data;
}

void BM_Fit(benchmark::State& state) {
    const xtq::TMatrix data = SurfaceData(static_cast<std::size_t>(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(xtq::FitFormula(kSurface, data));
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

void BM_Evaluate(benchmark::State& state) {
    const xtq::TMatrix data = SurfaceData(static_cast<std::size_t>(state.range(0)));
    const std::string fitted = xtq::FitFormula(kSurface, data).Text;
    for (auto _ : state)
        benchmark::DoNotOptimize(xtq::EvaluateFormula(fitted, data));
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

// What the regression run does with the formula: fit, then the fitted values.
void BM_FitAndEvaluate(benchmark::State& state) {
    const xtq::TMatrix data = SurfaceData(static_cast<std::size_t>(state.range(0)));
    for (auto _ : state) {
        const std::string fitted = xtq::FitFormula(kSurface, data).Text;
        benchmark::DoNotOptimize(xtq::EvaluateFormula(fitted, data));
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

// The solver's two kernels on the surface's design rows: term values as
// doubles with the measured values apart, and whole rows in extended.
void BM_AddRowsDouble(benchmark::State& state) {
    const std::size_t m = static_cast<std::size_t>(state.range(0));
    const xtq::TMatrix data = SurfaceData(m);
    std::vector<double> terms;
    for (std::size_t p = 0; p < m; ++p) {
        const double x1 = static_cast<double>(data[0][p]);
        const double x2 = static_cast<double>(data[1][p]);
        terms.insert(terms.end(), {1.0, x1, x2, x1 * x1, x2 * x2, x1 * x2});
    }
    for (auto _ : state) {
        xtq::TLeastSquareFit solver(6);
        solver.AddRows(terms, data[2]);
        benchmark::DoNotOptimize(solver.Matrix()[0][0]);
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

void BM_AddRowsExtended(benchmark::State& state) {
    const std::size_t m = static_cast<std::size_t>(state.range(0));
    const xtq::TMatrix data = SurfaceData(m);
    std::vector<xtq::Extended> rows;
    for (std::size_t p = 0; p < m; ++p) {
        const xtq::Extended x1 = data[0][p];
        const xtq::Extended x2 = data[1][p];
        rows.insert(rows.end(), {1, x1, x2, x1 * x1, x2 * x2, x1 * x2, data[2][p]});
    }
    for (auto _ : state) {
        xtq::TLeastSquareFit solver(6);
        solver.AddRows(rows);
        benchmark::DoNotOptimize(solver.Matrix()[0][0]);
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

BENCHMARK(BM_AddRowsDouble)->Arg(1'000'000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AddRowsExtended)->Arg(1'000'000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Fit)->RangeMultiplier(10)->Range(10'000, 1'000'000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Evaluate)
    ->RangeMultiplier(10)
    ->Range(10'000, 1'000'000)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FitAndEvaluate)
    ->RangeMultiplier(10)
    ->Range(10'000, 1'000'000)
    ->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
