#!/usr/bin/env python3
"""Times numpy.linalg.lstsq on the design matrix of the quadratic surface
a+b*x1+c*x2+d*x1^2+e*x2^2+f*x1*x2, built from the same points as
bench/fit_bench.cpp.

Usage: numpy_lstsq.py [POINTS] [REPEATS]
Prints one line per measurement and, last, "lstsq_seconds=S" with the best time.
"""

import sys
import time

import numpy as np


def surface_points(m):
    p = np.arange(m, dtype=np.int64)
    x1 = (p % 1009).astype(np.float64) / 101.0 - 5.0
    x2 = (p % 997).astype(np.float64) / 97.0 - 5.0
    y = (1.5 + 2 * x1 - 3 * x2 + 0.25 * x1 * x1 + 4 * x2 * x2 - 1.5 * x1 * x2
         + 0.1 * np.sin(p.astype(np.float64)))
    return x1, x2, y


def design(x1, x2):
    return np.column_stack([np.ones_like(x1), x1, x2, x1 * x1, x2 * x2, x1 * x2])


def best_of(repeats, work):
    best = float("inf")
    result = None
    for _ in range(repeats):
        start = time.perf_counter()
        result = work()
        best = min(best, time.perf_counter() - start)
    return best, result


def main():
    m = int(sys.argv[1]) if len(sys.argv) > 1 else 1_000_000
    repeats = int(sys.argv[2]) if len(sys.argv) > 2 else 5
    x1, x2, y = surface_points(m)
    a = design(x1, x2)

    try:
        from threadpoolctl import threadpool_info
        pools = threadpool_info()
        for pool in pools:
            print("blas: {} {} kernel={} threads={}".format(
                pool.get("internal_api"), pool.get("version"),
                pool.get("architecture"), pool.get("num_threads")))
        if not pools:
            print("blas: no threaded BLAS found (reference BLAS and LAPACK, one thread)")
    except ImportError:
        print("blas: (threadpoolctl not installed)")

    build, _ = best_of(repeats, lambda: design(x1, x2))
    solve, (coefficients, *_) = best_of(repeats, lambda: np.linalg.lstsq(a, y, rcond=None))
    print("numpy {} points={}: design matrix {:.1f} ms, lstsq {:.1f} ms (best of {})".format(
        np.__version__, m, build * 1e3, solve * 1e3, repeats))
    print("coefficients: " + " ".join("{:.15g}".format(c) for c in coefficients))
    print("lstsq_seconds={:.6f}".format(solve))
    print("design_seconds={:.6f}".format(build))


if __name__ == "__main__":
    main()
