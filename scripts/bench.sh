#!/usr/bin/env bash
# Builds in Release and runs every benchmark program (and the peer scripts).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh build-release -DCMAKE_BUILD_TYPE=Release
for b in build-release/bench/*_bench; do
  echo "== $b"
  "$b" "$@"
done
for s in bench/*.sh; do
  [ -e "$s" ] || continue
  echo "== $s"
  bash "$s"
done
