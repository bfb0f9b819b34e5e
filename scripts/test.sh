#!/usr/bin/env bash
# Builds everything and runs every test, then every fuzz target briefly.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
jobs=$(nproc)
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPANTRELA_TESTS=ON -DPANTRELA_BENCH=ON >/dev/null
cmake --build build -j"$jobs"
(cd build && ctest --output-on-failure -j"$jobs" --timeout 600)
bash scripts/fuzz.sh "${PANTRELA_FUZZ_SECONDS:-5}"
