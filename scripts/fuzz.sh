#!/usr/bin/env bash
# fuzz.sh [SECONDS] [TARGET...]: builds the fuzz targets (clang, libFuzzer,
# AddressSanitizer and UndefinedBehaviorSanitizer) into build-fuzz and runs
# each target for SECONDS (default 600) over its corpus, as many at a time as
# the machine has cores. Every target by default: formula document
# recent_files library cell gbk.
#
# The seeds are fuzz/corpus/TARGET; what a run learns goes to
# build-fuzz/corpus/TARGET, crashes, hangs (an input over 1 s) and leaks to
# build-fuzz/findings/TARGET, the output to build-fuzz/logs/TARGET.log.
# Prints the executions of every target and fails when any target found
# something. The documented run is `scripts/fuzz.sh 600` (docs/reliability.md).
# XTQ_FUZZ_JOBS sets how many targets run at a time, XTQ_FUZZ_TIMEOUT the
# seconds after which one input counts as a hang (1).
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-600}
shift || true
targets=("$@")
((${#targets[@]})) || targets=(formula document recent_files library cell gbk)
jobs=${XTQ_FUZZ_JOBS:-$(nproc)}
timeout=${XTQ_FUZZ_TIMEOUT:-1}

scripts/install-deps.sh
cmake -S fuzz -B build-fuzz -DCMAKE_CXX_COMPILER=clang++-14 -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build-fuzz -j"$(nproc)" --target "${targets[@]/%/_fuzz}"

# The longest input each target tries: formulas beyond the compiler's guard
# of 10,000 characters; files a few pages long; cells a line long.
max_len() {
  case $1 in
    formula) echo 12000 ;;
    document | library) echo 8192 ;;
    cell) echo 1024 ;;
    *) echo 4096 ;;
  esac
}

run() {
  local t=$1
  mkdir -p "build-fuzz/corpus/$t" "build-fuzz/findings/$t" build-fuzz/logs
  # A non-zero exit is a finding; it is reported from the findings folder.
  "build-fuzz/${t}_fuzz" "build-fuzz/corpus/$t" "fuzz/corpus/$t" \
    -max_total_time="$seconds" -timeout="$timeout" -rss_limit_mb=2048 -max_len="$(max_len "$t")" \
    -print_final_stats=1 -artifact_prefix="build-fuzz/findings/$t/" \
    >"build-fuzz/logs/$t.log" 2>&1 || true
}

running=0
for t in "${targets[@]}"; do
  run "$t" &
  running=$((running + 1))
  if ((running >= jobs)); then
    wait -n
    running=$((running - 1))
  fi
done
wait

status=0
printf '%-13s %12s %8s %10s %s\n' target executions seconds exec/s findings
for t in "${targets[@]}"; do
  log="build-fuzz/logs/$t.log"
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  secs=$(sed -n 's/^Done [0-9]* runs in \([0-9]*\) second.*/\1/p' "$log" | tail -1)
  rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log" | tail -1)
  found=$(find "build-fuzz/findings/$t" -type f | wc -l)
  printf '%-13s %12s %8s %10s %s\n' "$t" "${runs:-?}" "${secs:-?}" "${rate:-?}" "$found"
  if ((found > 0)) || [ -z "$runs" ]; then
    status=1
    echo "  see $log and build-fuzz/findings/$t/" >&2
  fi
done
exit $status
