#!/usr/bin/env bash
# Fails when a C++ file differs from what clang-format makes of it
# (.clang-format). scripts/check-format.sh --fix rewrites them instead.
set -euo pipefail
cd "$(dirname "$0")/.."
if ! command -v clang-format >/dev/null; then
  echo "clang-format is not installed (scripts/setup.sh installs it)" >&2
  exit 1
fi
mapfile -t files < <(git ls-files -- 'src/*.cpp' 'src/*.h' 'tests/*.cpp' 'tests/*.h' 'bench/*.cpp' 'fuzz/*.cpp' 'fuzz/*.h' 'tools/*.cpp' ':!tests/*/data/*' ':!fuzz/corpus/*')
if [ "${1:-}" = "--fix" ]; then
  clang-format -i "${files[@]}"
  exit 0
fi
if ! clang-format --dry-run -Werror "${files[@]}" 2>/tmp/check-format.$$; then
  grep -E '^[^ ].*: error:' /tmp/check-format.$$ | cut -d: -f1 | sort -u | sed 's/^/not formatted: /'
  rm -f /tmp/check-format.$$
  echo "check-format: run scripts/check-format.sh --fix"
  exit 1
fi
rm -f /tmp/check-format.$$
echo "check-format: every file is formatted"
