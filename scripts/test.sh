#!/usr/bin/env bash
# Installs what is missing, builds with warnings as errors, runs every test,
# then builds with AddressSanitizer and UndefinedBehaviorSanitizer and runs
# every test again.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh

scripts/check-format.sh

scripts/build.sh build -DCMAKE_BUILD_TYPE=RelWithDebInfo
ctest --test-dir build --output-on-failure -j"$(nproc)"

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:strict_string_checks=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
scripts/build.sh build-asan -DCMAKE_BUILD_TYPE=Debug -DXTQ_SANITIZE=ON
ctest --test-dir build-asan --output-on-failure -j"$(nproc)"
