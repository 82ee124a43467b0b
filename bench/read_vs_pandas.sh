#!/usr/bin/env bash
# Opens the document of 10^6 data points and two variables (six million
# cells) with the document model, and reads the same numbers as CSV with
# pandas.read_csv, in one run; prints the best times of each and their ratio.
# Usage: bench/read_vs_pandas.sh [BUILD_DIR]   (default build-release)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-release}
bench="$build/bench/document_scale_bench"
repeats=5
python=/usr/bin/python3
folder=${TMPDIR:-/tmp}/xtq-scale-bench
document=$folder/points-1000000.rgs
csv=$folder/points-1000000.csv

if [ ! -x "$bench" ]; then
  echo "read_vs_pandas: $bench is missing; build first (scripts/bench.sh does)" >&2
  exit 1
fi
if ! "$python" -c 'import pandas' 2>/dev/null; then
  echo "read_vs_pandas: pandas is missing for $python (Debian package python3-pandas)" >&2
  exit 1
fi

json=$(mktemp)
trap 'rm -f "$json"' EXIT
# The benchmark writes the document into $folder first.
TMPDIR=${TMPDIR:-/tmp} "$bench" --benchmark_filter='^BM_Open/1000000/' \
  --benchmark_repetitions=$repeats --benchmark_out="$json" --benchmark_out_format=json >/dev/null 2>&1

pandas_out=$(env -u OPENBLAS_CORETYPE -u OPENBLAS_L2_SIZE "$python" bench/pandas_read_csv.py \
  "$document" "$csv" $repeats)
echo "$pandas_out"

"$python" - "$json" "$pandas_out" "$document" <<'PY'
import json, os, sys
runs = json.load(open(sys.argv[1]))["benchmarks"]
scale = {"ns": 1e-9, "us": 1e-6, "ms": 1e-3, "s": 1.0}
best = None
for run in runs:
    if run.get("run_type") != "iteration":
        continue
    wall = run["real_time"] * scale[run["time_unit"]]
    cpu = run["cpu_time"] * scale[run["time_unit"]]
    if best is None or wall < best[0]:
        best = (wall, cpu)
values = dict(line.split("=", 1) for line in sys.argv[2].splitlines() if "=" in line)
pandas_wall = float(values["read_csv_seconds"])
pandas_cpu = float(values["read_csv_cpu_seconds"])
print("Open 10^6 points ({:.1f} MB .rgs): {:.1f} ms (CPU {:.1f} ms)".format(
    os.path.getsize(sys.argv[3]) / 1e6, best[0] * 1e3, best[1] * 1e3))
print("pandas.read_csv of the same numbers ({:.1f} MB CSV): {:.1f} ms (CPU {:.1f} ms)".format(
    int(values["csv_bytes"]) / 1e6, pandas_wall * 1e3, pandas_cpu * 1e3))
print("ratio Open / pandas.read_csv: {:.2f} (wall), {:.2f} (CPU)".format(
    best[0] / pandas_wall, best[1] / pandas_cpu))
PY
