#!/usr/bin/env bash
# Installs what is missing, builds everything and runs all tests under Xvfb.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${BUILD_DIR:-$root/build}"
start=$(date +%s)
BUILD_DIR="$build" "$root/scripts/build.sh" -DPELMORA_BUILD_TESTS=ON
built=$(date +%s)
echo "build: $((built - start)) s"
cd "$build"
# -noreset: without it the X server resets whenever its last client leaves, and a test
# that connects at that moment fails to start.
xvfb-run -a -s "-screen 0 1600x1000x24 -noreset" \
  ctest --output-on-failure --parallel "$(nproc)" --timeout 300
echo "tests: $(( $(date +%s) - built )) s"
