#!/usr/bin/env bash
# Takes docs/screenshot.png, the window after analysing a sample shop, and
# docs/screenshot-formatted.png, the same with the formatted view of the
# style sheet on; both shown on Xvfb. Needs xvfb-run (xvfb, xauth).
#   scripts/take-screenshot.sh [BUILD_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/run}
[ -f "$build/CMakeCache.txt" ] || cmake --preset default -B "$build" -DKESSRUNE_WERROR=OFF \
  -DKESSRUNE_TESTS=OFF -DKESSRUNE_BENCH=OFF >/dev/null
cmake --build "$build" -j 2 --target kessrune-screenshot
mkdir -p docs
# The analysis would add the sample's address to the user's own history.
config=$(mktemp -d)
trap 'rm -rf "$config"' EXIT
shoot() {
  XDG_CONFIG_HOME=$config xvfb-run -a -s "-screen 0 1024x768x24" \
    "$build/samples/kessrune-screenshot" "$@"
}
shoot docs/screenshot.png
shoot --formatted docs/screenshot-formatted.png
echo "docs/screenshot.png docs/screenshot-formatted.png"
