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

scripts/build.sh build
ctest --test-dir build --output-on-failure --parallel "$(nproc)"
scripts/tidy.sh build

# Every reader under libFuzzer, briefly, over its seed corpus.
scripts/fuzz.sh "${QTE_FUZZ_SECONDS:-20}"

scripts/build.sh build-asan -DCMAKE_BUILD_TYPE=Debug -DQTE_SANITIZE=ON -DQTE_BUILD_BENCH=OFF
ctest --test-dir build-asan --output-on-failure --parallel "$(nproc)"

# The playback tests once more under ThreadSanitizer.
scripts/tsan.sh build-tsan
