#!/usr/bin/env bash
# Peak memory (maximum resident set size, /usr/bin/time -v) and times of
#   - xtq-cli regress on the document of 10^6 data points and two variables:
#     Open, Regress with the quadratic surface, the results printed, Save As;
#   - pandas.read_csv of the same numbers as CSV;
#   - numpy.linalg.lstsq on the design matrix of the same fit.
# Usage: bench/memory_peaks.sh [BUILD_DIR]   (default build-release)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-release}
bench="$build/bench/document_scale_bench"
cli="$build/app/xtq-cli"
python=/usr/bin/python3
folder=${TMPDIR:-/tmp}/xtq-scale-bench
document=$folder/points-1000000.rgs
csv=$folder/points-1000000.csv
saved=$folder/regressed.rgs

for program in "$bench" "$cli" /usr/bin/time; do
  if [ ! -x "$program" ]; then
    echo "memory_peaks: $program is missing (build first; /usr/bin/time is Debian's package time)" >&2
    exit 1
  fi
done
mkdir -p "$folder"
"$bench" --make_document="$document"
"$python" bench/pandas_read_csv.py "$document" "$csv" 1 >/dev/null

report=$(mktemp)
trap 'rm -f "$report" "$saved"' EXIT
# measure NAME COMMAND...: one line with the peak and the times of one run.
measure() {
  local name=$1
  shift
  /usr/bin/time -v -o "$report" "$@" >/dev/null
  awk -v name="$name" -F': ' '
    /Maximum resident set size/ { rss = $2 / 1024 }
    /Elapsed \(wall clock\)/ { n = split($2, t, ":"); wall = t[n] + (n > 1 ? 60 * t[n - 1] : 0) }
    /User time/ { user = $2 }
    /System time/ { sys = $2 }
    END { printf "%-48s peak %7.1f MiB   wall %6.2f s   user %5.2f s   system %5.2f s\n",
                 name, rss, wall, user, sys }' "$report"
}

measure "xtq-cli regress (Open, Regress, print, Save As)" "$cli" regress "$document" -o "$saved"
measure "pandas.read_csv" env -u OPENBLAS_CORETYPE -u OPENBLAS_L2_SIZE "$python" -c \
  "import pandas, sys; pandas.read_csv(sys.argv[1])" "$csv"
measure "numpy.linalg.lstsq (design matrix and fit)" env -u OPENBLAS_CORETYPE -u OPENBLAS_L2_SIZE \
  "$python" bench/numpy_lstsq.py 1000000 1
measure "python3 with numpy and pandas imported" env -u OPENBLAS_CORETYPE -u OPENBLAS_L2_SIZE \
  "$python" -c "import numpy, pandas"
