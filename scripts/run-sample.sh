#!/usr/bin/env bash
# Builds the programs and opens the depreciation menu in this terminal on the bundled sample
# client. The sample is copied to build/sample first, so the checked-in files stay as they are.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DDP_TESTS=OFF >/dev/null
cmake --build build -j"$(nproc)"
mkdir -p build/sample
rm -rf build/sample/SAMPLE
cp -r examples/SAMPLE build/sample/SAMPLE
cp data/*.tbl build/sample/ 2>/dev/null || true
cp data/writeup.txt build/sample/ 2>/dev/null || true
cd build/sample
# The build tree keeps the suite's printer libraries in folders of their own.
export DP_SUITE_LIBDIR="$PWD/../suite/devpick:$PWD/../suite/listout"
exec ../suite/dphost SAMPLE
