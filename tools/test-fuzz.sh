#!/usr/bin/env bash
# Fuzzes every parser briefly, about 20 s a target: any crash or sanitizer report fails.
# tools/fuzz.sh runs one target for longer.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/fuzz.sh all "${VORTA_FUZZ_SECONDS:-20}"
