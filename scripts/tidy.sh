#!/usr/bin/env bash
# clang-tidy with the committed .clang-tidy over every source in src/, using
# the compile commands of a configured build; fails on any warning.
# scripts/tidy.sh [BUILD_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
dir=${1:-build}
if ! command -v clang-tidy >/dev/null; then
  echo "clang-tidy is not installed (scripts/setup.sh installs it)" >&2
  exit 1
fi
out=$(git ls-files 'src/*.cpp' | xargs -P"$(nproc)" -n4 clang-tidy -p "$dir" --quiet 2>/dev/null |
      grep -E "warning:|error:" | sort -u || true)
if [ -n "$out" ]; then
  echo "$out"
  echo "clang-tidy: $(echo "$out" | wc -l) findings"
  exit 1
fi
echo "clang-tidy: nothing to report"
