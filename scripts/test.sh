#!/usr/bin/env bash
# Set-up, the layer and format checks, then build and run the whole suite
# twice, a normal build and one under AddressSanitizer and
# UndefinedBehaviorSanitizer; clang-tidy over src/, every fuzz target for a
# short while, and the playback tests under ThreadSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/check-layers.py
scripts/check-format.sh
export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$PWD/tests/lsan.supp:print_suppressions=0}

# Each step says how long it took, so that a slow one shows in CI's log.
step() {
  local start=$SECONDS
  "$@"
  echo "== ${*:1:2}: $((SECONDS - start)) s" >&2
}

step scripts/build.sh build
step ctest --test-dir build --output-on-failure --parallel "$(nproc)"
step scripts/tidy.sh build

# Every reader under libFuzzer, briefly, over its seed corpus.
step scripts/fuzz.sh "${QTE_FUZZ_SECONDS:-10}"

step scripts/build.sh build-asan -DCMAKE_BUILD_TYPE=Debug -DQTE_SANITIZE=ON -DQTE_BUILD_BENCH=OFF
step ctest --test-dir build-asan --output-on-failure --parallel "$(nproc)"

# The playback tests once more under ThreadSanitizer.
step scripts/tsan.sh build-tsan
