#!/usr/bin/env bash
# Runs every libFuzzer target in a folder for a bounded number of inputs,
# each from its seed corpus under fuzz/corpus/<target> when there is one.
#   scripts/run-fuzz.sh build/fuzz/fuzz [runs]
set -euo pipefail
dir=${1:?usage: $0 FOLDER [runs]}
runs=${2:-20000}
root=$(cd "$(dirname "$0")/.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

status=0
count=0
for target in "$dir"/fuzz_*; do
  [ -x "$target" ] || continue
  name=$(basename "$target")
  corpus="$work/$name"
  mkdir -p "$corpus"
  [ -d "$root/fuzz/corpus/$name" ] && cp -r "$root/fuzz/corpus/$name/." "$corpus/"
  if "$target" -runs="$runs" -max_len=4096 -timeout=10 -rss_limit_mb=2048 \
       -artifact_prefix="$work/$name-" "$corpus" >"$work/$name.log" 2>&1; then
    echo "fuzz: $name passed ($runs runs)"
  else
    echo "fuzz: $name FAILED"; tail -n 40 "$work/$name.log"
    status=1
  fi
  count=$((count + 1))
done
[ "$count" -gt 0 ] || { echo "fuzz: no targets in $dir"; exit 1; }
echo "fuzz: $count targets, $([ $status -eq 0 ] && echo all passed || echo failures)"
exit $status
