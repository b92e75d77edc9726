#!/usr/bin/env bash
# Takes docs/screenshot.png: the window after analysing a sample shop, shown
# on Xvfb. Needs xvfb-run (xvfb, xauth).
#   scripts/take-screenshot.sh [BUILD_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/run}
[ -f "$build/CMakeCache.txt" ] || cmake --preset default -B "$build" -DKESSRUNE_WERROR=OFF \
  -DKESSRUNE_TESTS=OFF -DKESSRUNE_BENCH=OFF >/dev/null
cmake --build "$build" -j 2 --target kessrune-screenshot
mkdir -p docs
xvfb-run -a -s "-screen 0 1024x768x24" "$build/samples/kessrune-screenshot" docs/screenshot.png
echo "docs/screenshot.png"
