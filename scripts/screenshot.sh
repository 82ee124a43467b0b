#!/usr/bin/env bash
# screenshot.sh [OUT.png]: builds and installs XTQ, starts it from the
# installation folder under a virtual X display (xvfb-run) and saves a
# screenshot of the screen with the window at its top-left corner.
# XTQ_BUILD_DIR names the build folder (default build).
set -euo pipefail
cd "$(dirname "$0")/.."
out=$(realpath -m "${1:-build/xtq-window.png}")
scripts/install-deps.sh
build=${XTQ_BUILD_DIR:-build}
cmake -S . -B "$build" -DXTQ_WERROR=ON -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -j"$(nproc)" --target XTQ
prefix=$PWD/$build/install
cmake --install "$build" --prefix "$prefix" >/dev/null
mkdir -p "$(dirname "$out")"
xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
  "$1/SysFiles/XTQ" & pid=$!
  sleep "${XTQ_SCREENSHOT_DELAY:-3}"
  import -window root "$2"
  kill "$pid"
  wait "$pid" 2>/dev/null || true
' screenshot "$prefix" "$out"
echo "screenshot: $out"
