#!/usr/bin/env bash
# Runs libFuzzer targets for as long as asked: tools/fuzz.sh TARGET SECONDS
# (TARGET as in tests/fuzz: emulator, control_line, command_line, settings_file, trace_file; the
# "_fuzz" ending may be given; "all" runs every target, as many side by side as there are cores).
# New inputs collect in build-fuzz/corpus/TARGET, the seeds of tests/fuzz/corpus/TARGET are read
# beside them; a crash or sanitizer report fails.
set -euo pipefail
cd "$(dirname "$0")/.."
if [ $# -ne 2 ]; then
    echo "usage: tools/fuzz.sh TARGET|all SECONDS" >&2
    exit 2
fi
seconds=$2
if [ "$1" = all ]; then
    targets=()
    for source in tests/fuzz/*Fuzz.cpp; do
        # EmulatorFuzz.cpp gives emulator_fuzz, ControlLineFuzz.cpp control_line_fuzz.
        name=$(basename "$source" Fuzz.cpp)
        targets+=("$(echo "$name" | sed -E 's/([a-z])([A-Z])/\1_\2/g' | tr '[:upper:]' '[:lower:]')_fuzz")
    done
else
    targets=("${1%_fuzz}_fuzz")
fi
# Line tables are enough for a report's file and line; full debug information would triple the
# sanitized build's time.
CC=clang CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O2 -g1 -DNDEBUG" -DVORTA_FUZZ=ON >/dev/null
cmake --build build-fuzz -j "$(nproc)" --target "${targets[@]}" >/dev/null
export QT_QPA_PLATFORM=offscreen

run() {
    local target=$1
    mkdir -p "build-fuzz/corpus/$target" "build-fuzz/crashes/$target"
    build-fuzz/tests/fuzz/"$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
        -artifact_prefix="build-fuzz/crashes/$target/" "build-fuzz/corpus/$target" "tests/fuzz/corpus/$target"
}

if [ ${#targets[@]} -eq 1 ]; then
    run "${targets[0]}"
    exit
fi
# Side by side, each into a log of its own, shown whole when it ends.
logs=$(mktemp -d)
trap 'rm -rf "$logs"' EXIT
failed=0
next=0
declare -A running=()
while [ $next -lt ${#targets[@]} ] || [ ${#running[@]} -gt 0 ]; do
    if [ $next -lt ${#targets[@]} ] && [ ${#running[@]} -lt "$(nproc)" ]; then
        target=${targets[$next]}
        next=$((next + 1))
        run "$target" >"$logs/$target" 2>&1 &
        running[$!]=$target
        continue
    fi
    status=0
    wait -n -p done "${!running[@]}" || status=$?
    target=${running[$done]}
    unset "running[$done]"
    echo "== $target"
    grep -E '^(stat::|#[0-9]+ *DONE|==[0-9]+==|SUMMARY|INFO: Seed)' "$logs/$target" || true
    if [ $status -ne 0 ]; then
        echo "$target failed (status $status):"
        tail -n 60 "$logs/$target"
        failed=1
    fi
done
exit $failed
