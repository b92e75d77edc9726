#!/usr/bin/env bash
# Builds Kessrune (the window and kessrune-cli) and opens its window.
#   ./run.sh           the window
#   ./run.sh --demo    the window, beside a server of sample shops on 127.0.0.1
#                      (their addresses are printed; paste one into the window)
# Needs a desktop; to try it headless: xvfb-run ./run.sh
set -euo pipefail
cd "$(dirname "$0")"

usage() { sed -n '2,6s/^# \{0,1\}//p' "$0"; }
demo=0
case "${1:-}" in
  "") ;;
  --demo) demo=1 ;;
  -h | --help) usage; exit 0 ;;
  *) usage >&2; exit 2 ;;
esac

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "run.sh: no display to open the window on; run it on a desktop, or try it headless with: xvfb-run ./run.sh" >&2
  exit 1
fi

scripts/install-deps.sh run

build=build/run
cmake --preset default -B "$build" -DKESSRUNE_WERROR=OFF -DKESSRUNE_TESTS=OFF \
  -DKESSRUNE_BENCH=OFF >/dev/null
# The command line comes along: build/run/cli/kessrune-cli.
targets=(kessrune kessrune-cli)
if [ "$demo" -eq 1 ]; then
  targets+=(kessrune-samples)
fi
cmake --build "$build" -j "$(nproc)" --target "${targets[@]}"
echo "Built $build/app/kessrune and $build/cli/kessrune-cli (cmake --install $build puts both on the PATH)."

if [ "$demo" -eq 1 ]; then
  log=$(mktemp)
  "$build/samples/kessrune-samples" >"$log" 2>&1 &
  server=$!
  trap 'kill "$server" 2>/dev/null; wait "$server" 2>/dev/null; rm -f "$log"' EXIT
  for _ in $(seq 50); do
    [ -s "$log" ] && grep -q 'http://' "$log" && break
    kill -0 "$server" 2>/dev/null || break
    sleep 0.1
  done
  if ! kill -0 "$server" 2>/dev/null; then
    cat "$log" >&2
    echo "run.sh: the sample-shop server did not start" >&2
    exit 1
  fi
  cat "$log"
  echo "Paste one of these addresses into the window and press 分析css; closing the window stops the server."
fi

"$build/app/kessrune"
