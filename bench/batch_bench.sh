#!/usr/bin/env bash
# Many shops at once: 200 generated sample shops, 20 ms added to each new
# connection and 5 ms to each response, analysed three ways over the same
# list, side by side:
#   batch       kessrune-cli --jobs 8 --input LIST
#   xargs       xargs -P 8 -n 1 kessrune-cli < LIST
#   sequential  one kessrune-cli after another
# Prints the time, the connections the server accepted and the peak memory
# (/usr/bin/time -f %M: the largest process) of each, then the ratios against
# their bars (batch/xargs at most 0.6, batch/sequential at most 0.2). Exits 1
# when a ratio is over its bar, 2 when something is missing.
#   bench/batch_bench.sh [BUILD]   default: build/default
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(realpath "${1:-build/default}")
cli=$build/cli/kessrune-cli
samples=$build/samples/kessrune-samples
shops=${KESSRUNE_BENCH_SHOPS:-200}
for f in "$cli" "$samples"; do
  [ -x "$f" ] || { echo "batch_bench.sh: no $f; build it first" >&2; exit 2; }
done
[ -x /usr/bin/time ] || { echo "batch_bench.sh: needs /usr/bin/time (package time)" >&2; exit 2; }

dir=$(mktemp -d)
server=
cleanup() {
  if [ -n "$server" ]; then kill "$server" 2>/dev/null || true; fi
  wait 2>/dev/null || true
  rm -rf "$dir"
}
trap cleanup EXIT

# A fresh server for each way, so that each count of connections is its own.
start_server() {
  "$samples" --shops "$shops" --connection-delay-ms 20 --response-delay-ms 5 \
    >"$dir/server.out" 2>"$dir/server.err" &
  server=$!
  for _ in $(seq 100); do
    grep -q 'gen' "$dir/server.out" 2>/dev/null && break
    sleep 0.05
  done
  grep -o 'http://127[^ ]*/gen[0-9]*\.[a-z]*\.com/' "$dir/server.out" >"$dir/list"
  [ "$(wc -l <"$dir/list")" -eq "$shops" ] || { echo "batch_bench.sh: the server gave no list" >&2; exit 2; }
}
stop_server() {
  kill -TERM "$server"
  wait "$server" 2>/dev/null || true
  server=
  grep -o '[0-9]* connections accepted' "$dir/server.err" | grep -o '^[0-9]*'
}

# measure NAME COMMAND...: seconds, connections, peak KiB; checks every shop came out.
measure() {
  local name=$1
  shift
  start_server
  local started ended
  started=$(date +%s.%N)
  /usr/bin/time -o "$dir/time" -f %M "$@" >"$dir/out" 2>/dev/null || true
  ended=$(date +%s.%N)
  local connections
  connections=$(stop_server)
  local seconds
  seconds=$(echo "$ended - $started" | bc -l)
  printf '%-11s %7.2f s  %5s connections  %7s KiB peak\n' "$name" "$seconds" "$connections" \
    "$(tail -1 "$dir/time")"
  echo "$seconds" >"$dir/$name.seconds"
}

measure batch "$cli" --jobs 8 --input "$dir/list"
[ "$(grep -c '^ok ' "$dir/out")" -eq "$shops" ] || { echo "batch_bench.sh: batch: not every shop ok" >&2; exit 1; }
measure xargs sh -c 'xargs -P 8 -n 1 "$0" <"$1"' "$cli" "$dir/list"
measure sequential sh -c 'while read -r a; do "$0" "$a"; done <"$1"' "$cli" "$dir/list"

status=0
ratio() {
  local name=$1 over=$2 bar=$3 r
  r=$(echo "$(cat "$dir/batch.seconds") / $(cat "$dir/$over.seconds")" | bc -l)
  printf '%-24s %.3f  (bar %s)\n' "$name" "$r" "$bar"
  if [ "$(echo "$r > $bar" | bc -l)" -eq 1 ]; then status=1; fi
}
ratio "batch / xargs -P 8" xargs 0.6
ratio "batch / sequential" sequential 0.2
exit $status
