#!/usr/bin/env bash
# Builds Pantrela and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)" --target pantrela
exec ./build/src/app/pantrela "$@"
