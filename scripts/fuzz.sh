#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for a few seconds.
# Usage: scripts/fuzz.sh [SECONDS]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-5}
if ! ls fuzz/fuzz_*.cpp >/dev/null 2>&1; then exit 0; fi
# -O1 with line tables only: quick to build, still fast to run and readable
# in a sanitizer report.
CC=clang CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=Fuzz \
  -DPANTRELA_TESTS=OFF -DPANTRELA_FUZZ=ON \
  -DCMAKE_C_FLAGS_FUZZ="-O1 -gline-tables-only" -DCMAKE_CXX_FLAGS_FUZZ="-O1 -gline-tables-only" \
  -DCMAKE_CXX_FLAGS="-fsanitize=fuzzer-no-link,address,undefined" >/dev/null
targets=$(cd fuzz && ls fuzz_*.cpp | sed 's/\.cpp$//')
cmake --build build-fuzz -j"$(nproc)" --target $targets
mkdir -p build-fuzz/corpus build-fuzz/artifacts
failed=()
for t in $targets; do
  mkdir -p "build-fuzz/corpus/$t"
  seeds=()
  [ -d "fuzz/seeds/$t" ] && seeds=("fuzz/seeds/$t")
  echo "fuzz: $t for ${seconds}s"
  if ! "build-fuzz/fuzz/$t" -max_total_time="$seconds" -rss_limit_mb=2048 -max_len=65536 \
      -artifact_prefix="build-fuzz/artifacts/$t-" \
      "build-fuzz/corpus/$t" "${seeds[@]}" >"build-fuzz/$t.log" 2>&1; then
    tail -40 "build-fuzz/$t.log"
    failed+=("$t")
  fi
done
if [ ${#failed[@]} -gt 0 ]; then
  echo "fuzz: failed: ${failed[*]} (inputs in build-fuzz/artifacts/)" >&2
  exit 1
fi
