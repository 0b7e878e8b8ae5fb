#!/usr/bin/env bash
# Installs what is missing, builds, and runs the application.  Arguments go to the
# program (for example --screenshot shot.png).  Without a display it runs under Xvfb.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${BUILD_DIR:-$root/build}"
BUILD_DIR="$build" "$root/scripts/build.sh" -DPELMORA_BUILD_TESTS=OFF -DPELMORA_BUILD_BENCH=OFF
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1600x1000x24 -noreset" "$build/bin/pelmora" "$@"
fi
exec "$build/bin/pelmora" "$@"
