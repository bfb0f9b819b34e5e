#!/usr/bin/env bash
# Builds everything (benchmarks included) and runs every test, then every
# fuzz target briefly. Ends with a non-zero status on any failure.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
jobs=$(nproc)
start=$SECONDS
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPANTRELA_TESTS=ON -DPANTRELA_BENCH=ON >/dev/null
cmake --build build -j"$jobs"
echo "test.sh: build done after $((SECONDS - start)) s"
(cd build && ctest --output-on-failure -j"$jobs" --timeout 600)
echo "test.sh: tests done after $((SECONDS - start)) s"
bash scripts/fuzz.sh "${PANTRELA_FUZZ_SECONDS:-5}"
echo "test.sh: fuzzing done after $((SECONDS - start)) s"
