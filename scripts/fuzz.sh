#!/usr/bin/env bash
# Builds the libFuzzer targets of fuzz/ with clang, AddressSanitizer and
# UndefinedBehaviorSanitizer, seeds them with the committed seeds, the kept findings and
# the files the annotation and model-file tests write, and runs each for a while.
# Usage: scripts/fuzz.sh [SECONDS_PER_TARGET]   (default 20; 0 builds only)
#        scripts/fuzz.sh --replay [RUNS_PER_TARGET]   (default 2000)
# Exploring runs at random for the time given. --replay, which the test suite runs, gives
# the same result for the same commit: every seed and every kept finding (fuzz/findings/)
# once, then a fixed number of runs from a fixed random seed, starting from the committed
# inputs only.
# With FUZZ_NO_INSTALL set, missing clang packages skip the run (exit 77) instead of
# being installed.
# A finding leaves its input in build-fuzz/artifacts/ and makes the script fail; keep it
# in fuzz/findings/<kind>/ once the reader is mended (model files under their own
# extension: the kind byte the target reads first is added here).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${FUZZ_BUILD_DIR:-$root/build-fuzz}"
replay=""
if [ "${1:-}" = "--replay" ]; then
  replay=1
  runs="${2:-2000}"
  seconds=1
else
  seconds="${1:-20}"
fi

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

# The committed inputs of each kind: seeds and kept findings. Model files are kept under
# their own extension; the target reads a kind byte first (vtp ply vtk obj stl, then the
# FreeSurfer surfaces).
committed="$build/committed"
rm -rf "$committed"
for kind in acsv fcsv xml model; do
  mkdir -p "$committed/$kind"
  for file in "$root/fuzz/seeds/$kind/"* "$root/fuzz/findings/$kind/"*; do
    [ -f "$file" ] || continue
    name="$(basename "$(dirname "$(dirname "$file")")")-$(basename "$file")"
    if [ "$kind" = model ]; then
      case "${file##*.}" in
        vtp) byte='\000' ;; ply) byte='\001' ;; vtk) byte='\002' ;; obj) byte='\003' ;; stl) byte='\004' ;;
        orig | white | pial | smoothwm | inflated | sphere) byte='\005' ;;
        *) continue ;;
      esac
      { printf "$byte"; cat "$file"; } >"$committed/$kind/$name"
    else
      cp "$file" "$committed/$kind/$name"
    fi
  done
done

# Seeds: the committed inputs, plus what the annotation and model-file tests write when
# their programs are built.
corpus="$build/corpus"
# A replay starts afresh, so that only this commit's inputs count.
[ -n "$replay" ] && rm -rf "$corpus"
mkdir -p "$corpus" "$build/artifacts"
# The targets' work folders go into one of the build's own, which goes when the script ends.
work_tmp="$build/tmp"
rm -rf "$work_tmp"
mkdir -p "$work_tmp"
trap 'rm -rf "$work_tmp"' EXIT
for kind in acsv fcsv xml model; do
  mkdir -p "$corpus/$kind"
  cp -n "$committed/$kind/"* "$corpus/$kind/" 2>/dev/null || true
done
tests="${BUILD_DIR:-$root/build}/bin/test_gui_annotations"
if [ -x "$tests" ]; then
  PELMORA_FUZZ_SEEDS="$corpus" QT_QPA_PLATFORM=offscreen "$tests" --gtest_brief=1 >/dev/null 2>&1 || true
fi
tests="${BUILD_DIR:-$root/build}/bin/test_platform_mrml"
if [ -x "$tests" ]; then
  PELMORA_FUZZ_SEEDS="$corpus" QT_QPA_PLATFORM=offscreen "$tests" --gtest_filter='HostileModelFiles*.*' \
    --gtest_brief=1 >/dev/null 2>&1 || true
fi

status=0
# A replay runs with the same addresses every time (hash orders of pointers, and so the
# paths taken, follow them), where the system lets it.
fixed=()
if [ -n "$replay" ] && setarch "$(uname -m)" -R true 2>/dev/null; then
  fixed=(setarch "$(uname -m)" -R)
fi
# Leak reports from VTK's lazily created singletons are not findings of the readers.
fuzz() {
  TMPDIR="$work_tmp" ASAN_OPTIONS=detect_leaks=0 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    "${fixed[@]}" "$@" -timeout=10 -rss_limit_mb=2048 -malloc_limit_mb=2048
}
finding() {
  echo "FINDING in $1: see $2 and $build/artifacts/" >&2
  grep -E "ERROR|runtime error|SUMMARY|Test unit written" "$2" | head -5 >&2 || true
  status=1
}
run() {
  local target="$1" kind="$2"
  local log="$build/$target.log"
  if [ -n "$replay" ]; then
    # Every input once: what is listed here passes or fails alike on every run.
    local inputs=("$corpus/$kind/"*)
    echo "== $target: ${#inputs[@]} inputs, then $runs runs from seed 1"
    if ! fuzz "$build/$target" -runs=1 -artifact_prefix="$build/artifacts/$target-" "${inputs[@]}" >"$log" 2>&1; then
      finding "$target" "$log"
      return
    fi
    local explore="$build/explore/$kind"
    rm -rf "$explore"
    mkdir -p "$explore"
    cp "$committed/$kind/"* "$explore/" 2>/dev/null || true
    if fuzz "$build/$target" -seed=1 -runs="$runs" -reload=0 -print_final_stats=1 \
         -artifact_prefix="$build/artifacts/$target-" "$explore" >>"$log" 2>&1; then
      grep -aE "DONE" "$log" | tail -1 || true
    else
      finding "$target" "$log"
    fi
    return
  fi
  echo "== $target ($seconds s)"
  if fuzz "$build/$target" -max_total_time="$seconds" -print_final_stats=1 \
       -artifact_prefix="$build/artifacts/$target-" "$corpus/$kind" >"$log" 2>&1; then
    grep -E "^stat::number_of_executed_units|^Done" "$log" | tail -2 || true
  else
    finding "$target" "$log"
  fi
}
run fuzz_annotation_list acsv
run fuzz_fiducial_list fcsv
run fuzz_scene_attributes xml
run fuzz_model_file model
exit $status
