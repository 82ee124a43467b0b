#!/usr/bin/env bash
# Fits the quadratic surface on 10^6 points with our regression engine and with
# numpy.linalg.lstsq on the same design matrix, in one run, and prints the
# ratio of the times (best of several runs each).
# Usage: bench/fit_vs_numpy.sh [BUILD_DIR]   (default build-release)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-release}
bench="$build/bench/fit_bench"
points=1000000
repeats=5
python=/usr/bin/python3
[ -x "$python" ] || python=python3

if [ ! -x "$bench" ]; then
  echo "fit_vs_numpy: $bench is missing; build first (scripts/bench.sh does)" >&2
  exit 1
fi
if ! "$python" -c 'import numpy' 2>/dev/null; then
  echo "fit_vs_numpy: numpy is missing for $python (Debian package python3-numpy)" >&2
  exit 1
fi

json=$(mktemp)
trap 'rm -f "$json"' EXIT
"$bench" --benchmark_filter="^BM_(Fit|FitAndEvaluate)/$points\$" \
  --benchmark_repetitions=$repeats --benchmark_out="$json" --benchmark_out_format=json >/dev/null 2>&1

# numpy's BLAS is timed as it runs here by default, without the OpenBLAS
# overrides of this machine.
numpy_out=$(env -u OPENBLAS_CORETYPE -u OPENBLAS_L2_SIZE "$python" bench/numpy_lstsq.py $points $repeats)
echo "$numpy_out"

"$python" - "$json" "$numpy_out" <<'PY'
import json, sys
runs = json.load(open(sys.argv[1]))["benchmarks"]
scale = {"ns": 1e-9, "us": 1e-6, "ms": 1e-3, "s": 1.0}
best = {}
for run in runs:
    if run.get("run_type") != "iteration":
        continue
    name = run["run_name"]
    seconds = run["real_time"] * scale[run["time_unit"]]
    best[name] = min(best.get(name, seconds), seconds)
values = dict(line.split("=", 1) for line in sys.argv[2].splitlines() if "_seconds=" in line)
lstsq = float(values["lstsq_seconds"])
design = float(values["design_seconds"])
fit = best["BM_Fit/1000000"]
both = best["BM_FitAndEvaluate/1000000"]
print("FitFormula 10^6 points: {:.1f} ms; with EvaluateFormula: {:.1f} ms".format(fit * 1e3, both * 1e3))
print("ratio FitFormula / numpy.linalg.lstsq: {:.2f}".format(fit / lstsq))
print("ratio FitFormula / (numpy design matrix + lstsq): {:.2f}".format(fit / (design + lstsq)))
PY
