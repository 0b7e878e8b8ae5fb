#!/usr/bin/env bash
# Installs what is missing, builds everything and runs all tests, each on an Xvfb display of its own.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${BUILD_DIR:-$root/build}"
start=$(date +%s)
BUILD_DIR="$build" "$root/scripts/build.sh" -DPELMORA_BUILD_TESTS=ON
built=$(date +%s)
echo "build: $((built - start)) s"
cd "$build"
# Each test program starts an X server of its own (tests/support/OwnDisplay.h), so tests
# that use the clipboard, the keyboard focus or window activation cannot disturb each other.
# ctest itself gets no display: nothing it runs can reach one that other tests share.
env -u DISPLAY -u WAYLAND_DISPLAY ctest --output-on-failure --parallel "$(nproc)" --timeout 300
echo "tests: $(( $(date +%s) - built )) s"
