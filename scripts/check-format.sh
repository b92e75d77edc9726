#!/usr/bin/env bash
# Checks that every C++ file in the tree is as clang-format (.clang-format at
# the root) would write it; names the files that drift and exits 1.
#   scripts/check-format.sh          check
#   scripts/check-format.sh --fix    rewrite the drifting files in place
set -euo pipefail
cd "$(dirname "$0")/.."

format=$(command -v clang-format || command -v clang-format-14 || true)
if [ -z "$format" ]; then
  echo "check-format.sh: clang-format is not installed" >&2
  exit 1
fi

mapfile -d '' files < <(git ls-files -z -- '*.cpp' '*.h' 2>/dev/null ||
                        find text http analysis css app cli samples testing tests bench fuzz \
                             \( -name '*.cpp' -o -name '*.h' \) -print0)
if [ "${1:-}" = "--fix" ]; then
  "$format" -i "${files[@]}"
  exit 0
fi
drift=()
for f in "${files[@]}"; do
  "$format" --dry-run --Werror "$f" >/dev/null 2>&1 || drift+=("$f")
done
if [ ${#drift[@]} -ne 0 ]; then
  echo "check-format.sh: not as clang-format writes them (scripts/check-format.sh --fix):" >&2
  printf '  %s\n' "${drift[@]}" >&2
  exit 1
fi
echo "format: ${#files[@]} files as clang-format writes them"
