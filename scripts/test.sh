#!/usr/bin/env bash
# Installs what is missing, builds with warnings as errors, runs every test,
# then builds with AddressSanitizer and UndefinedBehaviorSanitizer and runs
# every test again, and runs each fuzz target for a short while over its
# corpus (XTQ_FUZZ_SECONDS, 30 by default; 0 leaves the fuzzing out).
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

# The fuzz smoke run: clang, libFuzzer and both sanitizers; any crash, leak,
# sanitizer report or input slower than 3 s fails the run (the long run of
# docs/reliability.md holds every input to 1 s; a shared CI machine may be
# slower by half).
seconds=${XTQ_FUZZ_SECONDS:-30}
if ((seconds > 0)); then
  XTQ_FUZZ_TIMEOUT=${XTQ_FUZZ_TIMEOUT:-3} scripts/fuzz.sh "$seconds"
fi
