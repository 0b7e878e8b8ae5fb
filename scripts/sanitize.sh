#!/usr/bin/env bash
# Builds the whole project with AddressSanitizer and UndefinedBehaviorSanitizer into its own
# folder (build-sanitize/, or SANITIZE_BUILD_DIR) and runs every test there, each on an Xvfb
# display of its own.
# Any sanitizer report fails the test that triggered it.  Arguments go to ctest
# (for example -R test_platform_obj).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${SANITIZE_BUILD_DIR:-$root/build-sanitize}"
flags="-O1 -fno-omit-frame-pointer -fsanitize=address,undefined -fno-sanitize-recover=undefined"
start=$(date +%s)
BUILD_DIR="$build" "$root/scripts/build.sh" -DPELMORA_BUILD_TESTS=ON -DPELMORA_BUILD_BENCH=OFF \
  -DCMAKE_BUILD_TYPE=Release \
  "-DCMAKE_C_FLAGS_RELEASE=$flags" "-DCMAKE_CXX_FLAGS_RELEASE=$flags" \
  "-DCMAKE_EXE_LINKER_FLAGS=-fsanitize=address,undefined" \
  "-DCMAKE_SHARED_LINKER_FLAGS=-fsanitize=address,undefined"
built=$(date +%s)
echo "sanitized build: $((built - start)) s"
# Leaks are not checked: Qt, fontconfig and Mesa keep allocations to the end of the process
# on purpose.  halt_on_error makes the first report end the test with a failure.
export ASAN_OPTIONS="detect_leaks=0:halt_on_error=1:abort_on_error=0:detect_stack_use_after_return=0:${ASAN_OPTIONS:-}"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1:${UBSAN_OPTIONS:-}"
cd "$build"
# Instrumented tests run a few times slower: a longer limit than the plain suite's.
env -u DISPLAY -u WAYLAND_DISPLAY ctest --output-on-failure --parallel "$(nproc)" --timeout 900 "$@"
echo "sanitized tests: $(( $(date +%s) - built )) s"
