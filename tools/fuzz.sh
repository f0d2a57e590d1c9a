#!/usr/bin/env bash
# Runs one libFuzzer target for as long as asked: tools/fuzz.sh TARGET SECONDS
# (TARGET as in tests/fuzz: emulator, control_line, command_line, settings_file, trace_file; the
# "_fuzz" ending may be given). New inputs collect in build-fuzz/corpus/TARGET, the seeds of
# tests/fuzz/corpus/TARGET are read beside them; a crash or sanitizer report fails.
set -euo pipefail
cd "$(dirname "$0")/.."
if [ $# -ne 2 ]; then
    echo "usage: tools/fuzz.sh TARGET SECONDS" >&2
    exit 2
fi
target=${1%_fuzz}_fuzz
seconds=$2
CC=clang CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DVORTA_FUZZ=ON >/dev/null
cmake --build build-fuzz -j "$(nproc)" --target "$target" >/dev/null
mkdir -p "build-fuzz/corpus/$target" "build-fuzz/crashes/$target"
export QT_QPA_PLATFORM=offscreen
build-fuzz/tests/fuzz/"$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
    -artifact_prefix="build-fuzz/crashes/$target/" "build-fuzz/corpus/$target" "tests/fuzz/corpus/$target"
