#!/usr/bin/env bash
# Fuzzes every parser briefly, about 20 s a target: any crash or sanitizer report fails.
# tools/fuzz.sh runs one target for longer.
set -euo pipefail
cd "$(dirname "$0")/.."
for source in tests/fuzz/*Fuzz.cpp; do
    name=$(basename "$source" Fuzz.cpp)
    # EmulatorFuzz.cpp gives emulator_fuzz, ControlLineFuzz.cpp control_line_fuzz.
    target=$(echo "$name" | sed -E 's/([a-z])([A-Z])/\1_\2/g' | tr '[:upper:]' '[:lower:]')_fuzz
    echo "== $target"
    bash tools/fuzz.sh "$target" "${VORTA_FUZZ_SECONDS:-20}"
done
