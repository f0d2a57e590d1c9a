#!/usr/bin/env bash
# Fuzzes reception and dispatch for about a minute: any crash or sanitizer report fails.
set -euo pipefail
cd "$(dirname "$0")/.."
CC=clang CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVORTA_FUZZ=ON >/dev/null
cmake --build build-fuzz -j "$(nproc)" --target emulator_fuzz
mkdir -p build-fuzz/corpus
build-fuzz/tests/fuzz/emulator_fuzz -max_total_time="${VORTA_FUZZ_SECONDS:-60}" -timeout=10 -rss_limit_mb=2048 \
    -print_final_stats=1 build-fuzz/corpus
