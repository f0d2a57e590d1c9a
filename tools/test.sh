#!/usr/bin/env bash
# Builds and runs every test: once plainly, once under AddressSanitizer and
# UndefinedBehaviorSanitizer, then the extra runs (fuzzing, thread sanitizer).
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/install-deps.sh

jobs=$(nproc)
export QT_QPA_PLATFORM=offscreen

run_suite() {
    local dir=$1
    cmake --build "$dir" -j "$jobs"
    ctest --test-dir "$dir" --output-on-failure -j "$jobs" --timeout 300
}

# The release build the package is made of, the benchmarks beside it; tools/test-package.sh
# packs it without building again.
echo "== plain build and tests"
source tools/release-configure.sh
configure_release build-package -DVORTA_BENCH=ON
run_suite build-package

# Optimised lightly and with line tables only: a report still names file and line, and the
# build takes half the time of a full -O2 -g one.
echo "== AddressSanitizer + UndefinedBehaviorSanitizer"
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export LSAN_OPTIONS=suppressions=$PWD/tools/lsan.supp
cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g1 -DNDEBUG" \
      -DVORTA_SANITIZE=ON -DVORTA_BENCH=OFF >/dev/null
run_suite build-asan

for extra in tools/test-*.sh; do
    [ -e "$extra" ] || continue
    echo "== $extra"
    bash "$extra"
done
echo "all test runs passed"
