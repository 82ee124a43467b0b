#!/usr/bin/env bash
# startup-time.sh [RUNS]: builds and installs XTQ (Release), then starts
# build/install/SysFiles/XTQ RUNS times (default 5) under a virtual X display
# (xvfb-run) with the option --first-paint-exit, and prints for every run the time
# from the launch (just before exec) to the end of the window's first paint,
# and the time from the start of main to it. The shipped formula library is
# in SysFiles. XTQ_BUILD_DIR names the build folder (default build-release, as scripts/bench.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-5}
build=${XTQ_BUILD_DIR:-build-release}
if [ -z "${XTQ_NO_BUILD:-}" ]; then
  scripts/install-deps.sh
  cmake -S . -B "$build" -DXTQ_WERROR=ON -DCMAKE_BUILD_TYPE=Release >/dev/null
  cmake --build "$build" -j"$(nproc)" --target XTQ
fi
prefix=$PWD/$build/install
cmake --install "$build" --prefix "$prefix" >/dev/null
xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
  for i in $(seq "$2"); do
    launch=$(date +%s%N)
    out=$("$1/SysFiles/XTQ" --first-paint-exit)
    paint=$(sed -n "s/^first-paint-epoch-ns //p" <<<"$out")
    main=$(sed -n "s/^first-paint-since-main-us //p" <<<"$out")
    echo "run $i: launch to first paint $(( (paint - launch) / 1000000 )) ms (main to first paint $(( main / 1000 )) ms)"
  done
' startup "$prefix" "$runs"
