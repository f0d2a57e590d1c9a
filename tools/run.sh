#!/usr/bin/env bash
# Builds the program and starts it; arguments go to the program.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/install-deps.sh
cmake -S . -B build-release -DCMAKE_BUILD_TYPE=Release -DVORTA_BENCH=OFF >/dev/null
cmake --build build-release -j "$(nproc)" --target vorta-tester
exec build-release/app/vorta-tester "$@"
