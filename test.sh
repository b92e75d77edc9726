#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test:
#   1. the full build (GCC) and all tests through CTest;
#   2. the core again under AddressSanitizer and UndefinedBehaviorSanitizer;
#   3. each fuzz target (clang, libFuzzer) for a bounded number of inputs;
#   4. the C++ sources as clang-format writes them.
# Exits non-zero on the first failure.
set -euo pipefail
cd "$(dirname "$0")"

scripts/install-deps.sh test
jobs=$(nproc)

echo "== build and test (default)"
cmake --preset default >/dev/null
cmake --build --preset default -j "$jobs"
ctest --preset default

echo "== core under AddressSanitizer and UndefinedBehaviorSanitizer"
cmake --preset asan >/dev/null
cmake --build --preset asan -j "$jobs"
ctest --preset asan

echo "== fuzz targets"
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j "$jobs"
scripts/run-fuzz.sh build/fuzz/fuzz "${KESSRUNE_FUZZ_RUNS:-20000}"

echo "== formatting"
scripts/check-format.sh
