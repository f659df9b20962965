#!/usr/bin/env bash
# Builds the fuzz targets with clang and runs each over its seed corpus:
# scripts/fuzz.sh [SECONDS_PER_TARGET] [TARGET...]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-20}
# A fixed seed keeps the test run repeatable; QTE_FUZZ_SEED=0 explores.
seed=${QTE_FUZZ_SEED:-1}
shift || true
dir=build-fuzz
CXX=clang++ cmake -S . -B "$dir" -G Ninja -DQTE_FUZZ=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$dir" --parallel "$(nproc)"
targets=("$@")
if [ "${#targets[@]}" -eq 0 ]; then
  for f in fuzz/*_fuzz.cpp; do
    [ -e "$f" ] || continue
    targets+=("$(basename "$f" .cpp)")
  done
fi
status=0
for t in "${targets[@]}"; do
  name=${t%_fuzz}
  corpus="fuzz/corpus/$name"
  work=$(mktemp -d)
  [ -d "$corpus" ] && cp -r "$corpus"/. "$work"/
  dict=()
  [ -f "fuzz/$name.dict" ] && dict=(-dict="fuzz/$name.dict")
  echo "== $t for ${seconds}s"
  if ! "$dir/$t" "$work" "${dict[@]}" -max_total_time="$seconds" -seed="$seed" -timeout=10 -rss_limit_mb=2048 \
       -print_final_stats=1 -artifact_prefix="$dir/$t-" 2>"$dir/$t.log"; then
    echo "FAILED: $t (see $dir/$t.log)"
    tail -40 "$dir/$t.log"
    status=1
  fi
  grep -E 'stat::number_of_executed_units|stat::average_exec_per_sec' "$dir/$t.log" || true
  rm -rf "$work"
done
exit $status
