#!/usr/bin/env bash
# Builds the libFuzzer targets of fuzz/ with clang, AddressSanitizer and
# UndefinedBehaviorSanitizer, seeds them with the files the annotation and model-file
# tests write, and runs each for a while.
# Usage: scripts/fuzz.sh [SECONDS_PER_TARGET]   (default 20; 0 builds only)
# With FUZZ_NO_INSTALL set, missing clang packages skip the run (exit 77) instead of
# being installed.
# A finding leaves its input in build-fuzz/artifacts/ and makes the script fail.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${FUZZ_BUILD_DIR:-$root/build-fuzz}"
seconds="${1:-20}"

# Needed only for fuzzing, not for the build or the tests.
OPTIONAL_PACKAGES=(clang libclang-rt-14-dev)
missing=()
for p in "${OPTIONAL_PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  if [ -n "${FUZZ_NO_INSTALL:-}" ]; then
    echo "Skipped: fuzzing needs ${missing[*]}" >&2
    exit 77
  fi
  if [ "$(id -u)" -eq 0 ]; then
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq && apt-get install -y -qq --no-install-recommends "${missing[@]}"
  else
    echo "Fuzzing needs: ${missing[*]} (sudo apt-get install ${missing[*]})" >&2
    exit 1
  fi
fi

launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
CC=clang CXX=clang++ cmake -S "$root/fuzz" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "${launcher[@]}" >/dev/null
cmake --build "$build" --parallel "${FUZZ_JOBS:-2}"
[ "$seconds" = 0 ] && exit 0

# Seeds: the committed ones, plus what the annotation and model-file tests write when their
# programs are built.
corpus="$build/corpus"
mkdir -p "$corpus" "$build/artifacts"
for kind in acsv fcsv xml; do
  mkdir -p "$corpus/$kind"
  cp -n "$root/fuzz/seeds/$kind/"* "$corpus/$kind/" 2>/dev/null || true
done
tests="${BUILD_DIR:-$root/build}/bin/test_gui_annotations"
if [ -x "$tests" ]; then
  PELMORA_FUZZ_SEEDS="$corpus" QT_QPA_PLATFORM=offscreen "$tests" --gtest_brief=1 >/dev/null 2>&1 || true
fi
mkdir -p "$corpus/model"
tests="${BUILD_DIR:-$root/build}/bin/test_platform_mrml"
if [ -x "$tests" ]; then
  PELMORA_FUZZ_SEEDS="$corpus" QT_QPA_PLATFORM=offscreen "$tests" --gtest_filter='HostileModelFiles.*' \
    --gtest_brief=1 >/dev/null 2>&1 || true
fi

status=0
run() {
  local target="$1" kind="$2"
  local log="$build/$target.log"
  echo "== $target ($seconds s)"
  # Leak reports from VTK's lazily created singletons are not findings of the readers.
  if ASAN_OPTIONS=detect_leaks=0 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
     "$build/$target" -max_total_time="$seconds" -print_final_stats=1 -timeout=10 -rss_limit_mb=2048 \
       -artifact_prefix="$build/artifacts/$target-" "$corpus/$kind" >"$log" 2>&1; then
    grep -E "^stat::number_of_executed_units|^Done" "$log" | tail -2 || true
  else
    echo "FINDING in $target: see $log and $build/artifacts/" >&2
    grep -E "ERROR|runtime error|SUMMARY" "$log" | head -5 >&2 || true
    status=1
  fi
}
run fuzz_annotation_list acsv
run fuzz_fiducial_list fcsv
run fuzz_scene_attributes xml
run fuzz_model_file model
exit $status
