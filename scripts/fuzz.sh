#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for a few seconds.
# Usage: scripts/fuzz.sh [SECONDS]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-5}
if ! ls fuzz/fuzz_*.cpp >/dev/null 2>&1; then exit 0; fi
CC=clang CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DPANTRELA_TESTS=OFF -DPANTRELA_FUZZ=ON \
  -DCMAKE_CXX_FLAGS="-fsanitize=fuzzer-no-link,address,undefined" >/dev/null
targets=$(cd fuzz && ls fuzz_*.cpp | sed 's/\.cpp$//')
cmake --build build-fuzz -j"$(nproc)" --target $targets
mkdir -p build-fuzz/corpus
for t in $targets; do
  mkdir -p "build-fuzz/corpus/$t"
  seeds=()
  [ -d "fuzz/seeds/$t" ] && seeds=("fuzz/seeds/$t")
  echo "fuzz: $t for ${seconds}s"
  "build-fuzz/fuzz/$t" -max_total_time="$seconds" -rss_limit_mb=2048 -max_len=65536 \
    "build-fuzz/corpus/$t" "${seeds[@]}" 2>build-fuzz/$t.log || { tail -50 build-fuzz/$t.log; exit 1; }
done
