#!/usr/bin/env bash
# Builds everything with AddressSanitizer and UndefinedBehaviorSanitizer and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
bash scripts/setup.sh
build=${BUILD_DIR:-build-test}
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Debug -DDP_SANITIZE=ON -DDP_TESTS=ON -DDP_BENCH=ON
cmake --build "$build" -j"$(nproc)"
cd "$build"
ASAN_OPTIONS=detect_leaks=0 ctest --output-on-failure -j"$(nproc)"

# One definition of every type: the module linked once more with link-time optimisation, where
# the linker compares the types of every unit and refuses two different ones of one name.
cd "$root"
cmake -S . -B build-odr -DCMAKE_BUILD_TYPE=Release -DDP_TESTS=OFF -DDP_ODR_CHECK=ON >/dev/null
cmake --build build-odr --target veldro -j"$(nproc)"
