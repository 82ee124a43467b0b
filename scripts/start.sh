#!/usr/bin/env bash
# Installs what is missing, builds, lays out the installation folder
# build/install (SysFiles/ with XTQ, CDSTem.cds and later Zelmora.opt; the
# example documents above it) and starts XTQ from it.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build -DXTQ_WERROR=ON -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j"$(nproc)" --target XTQ
prefix=$PWD/build/install
cmake --install build --prefix "$prefix" >/dev/null
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No display here: XTQ is installed in $prefix; start $prefix/SysFiles/XTQ on a desktop (or see scripts/screenshot.sh)."
  exit 0
fi
exec "$prefix/SysFiles/XTQ"
