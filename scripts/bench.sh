#!/usr/bin/env bash
# Builds in Release and runs every benchmark program under bench/ (under Xvfb when there
# is no display).  Prints each figure, the ratio of every benchmark to its baseline
# measured in the same run ("BM_X" against "BM_X_Baseline"), and the growth of the cost
# per item from the smallest to the largest size.
# Usage: scripts/bench.sh [FILTER-REGEX-ON-PROGRAM-NAME] [extra benchmark flags...]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${BUILD_DIR:-$root/build-bench}"
filter="${1:-.}"
shift || true
BUILD_DIR="$build" "$root/scripts/build.sh" -DPELMORA_BUILD_TESTS=OFF -DPELMORA_BUILD_BENCH=ON
out="$build/bench-results"
mkdir -p "$out"
run() {
  if [ -z "${DISPLAY:-}" ]; then
    xvfb-run -a -s "-screen 0 1600x1000x24 -noreset" "$@"
  else
    "$@"
  fi
}
for prog in "$build"/bench/bench_*; do
  [ -x "$prog" ] || continue
  name="$(basename "$prog")"
  [[ "$name" =~ $filter ]] || continue
  echo "== $name"
  run "$prog" --benchmark_out="$out/$name.json" --benchmark_out_format=json "$@" >/dev/null
  python3 "$root/scripts/bench_report.py" "$out/$name.json"
done
