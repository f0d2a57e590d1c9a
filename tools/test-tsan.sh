#!/usr/bin/env bash
# Builds the serial port and reply line tests under ThreadSanitizer and runs them: the port's
# event thread, write thread and main-thread hand-over, and the reply pacer's thread beside the
# thread that queues its replies, must be free of data races.
set -euo pipefail
cd "$(dirname "$0")/.."
export QT_QPA_PLATFORM=offscreen
export TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1"
cmake -S . -B build-tsan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVORTA_TSAN=ON -DVORTA_BENCH=OFF >/dev/null
cmake --build build-tsan -j "$(nproc)" --target serial_tests line_tests
build-tsan/tests/serial_tests
build-tsan/tests/line_tests
