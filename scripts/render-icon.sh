#!/usr/bin/env bash
# Renders the program icon app/icons/kessrune.svg to the 256 x 256 PNG (with
# alpha) that the window and the desktop use. Needs rsvg-convert (librsvg2-bin).
set -euo pipefail
cd "$(dirname "$0")/.."
rsvg-convert --width 256 --height 256 --format png \
  --output app/icons/kessrune.png app/icons/kessrune.svg
echo "app/icons/kessrune.png"
