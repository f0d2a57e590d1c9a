#!/usr/bin/env bash
# Builds and runs every test: once plainly, once under AddressSanitizer and
# UndefinedBehaviorSanitizer, then the extra runs (fuzzing, thread sanitizer).
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/install-deps.sh

jobs=$(nproc)
export QT_QPA_PLATFORM=offscreen

run_suite() {
    local dir=$1; shift
    cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
    cmake --build "$dir" -j "$jobs"
    ctest --test-dir "$dir" --output-on-failure -j "$jobs" --timeout 300
}

echo "== plain build and tests"
run_suite build-test -DVORTA_BENCH=ON

echo "== AddressSanitizer + UndefinedBehaviorSanitizer"
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export LSAN_OPTIONS=suppressions=$PWD/tools/lsan.supp
run_suite build-asan -DVORTA_SANITIZE=ON -DVORTA_BENCH=OFF

for extra in tools/test-*.sh; do
    [ -e "$extra" ] || continue
    echo "== $extra"
    bash "$extra"
done
echo "all test runs passed"
