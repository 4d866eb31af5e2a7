#!/usr/bin/env bash
# Builds everything with AddressSanitizer and UndefinedBehaviorSanitizer and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
build=${BUILD_DIR:-build-test}
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Debug -DDP_SANITIZE=ON -DDP_TESTS=ON -DDP_BENCH=ON
cmake --build "$build" -j"$(nproc)"
cd "$build"
ASAN_OPTIONS=detect_leaks=0 ctest --output-on-failure -j"$(nproc)"
