#!/usr/bin/env bash
# Opens the depreciation menu in this terminal on the bundled sample client. A build tree that
# is already there is used (the one scripts/test.sh made, else an earlier run's build/), with
# only the programs the menu needs brought up to date; without one, build/ is made. Build
# output goes to a log, so the screen holds nothing of it when the program ends. The sample is
# copied beside the build first, so the checked-in files stay as they are.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh

dir=build
for candidate in build-test build; do
  if [ -f "$candidate/CMakeCache.txt" ]; then dir=$candidate; break; fi
done
mkdir -p "$dir"
log="$dir/run-sample.log"
# A one-line note while the build runs, cut to the terminal's width so that it can be wiped.
note() {
  if [ -t 1 ]; then
    local width; width=$(tput cols 2>/dev/null || echo 80)
    printf '\r\033[K%.*s' $((width - 1)) "$1"
  fi
}

note "run-sample: building in $dir/ (log: $log)"
if ! { { [ -f "$dir/CMakeCache.txt" ] || cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DDP_TESTS=OFF; } &&
       cmake --build "$dir" --target dphost veldro veldro-cli devpick listout -j"$(nproc)"; } >"$log" 2>&1; then
  note ""
  tail -n 30 "$log" >&2
  echo "run-sample: the build failed; the whole output is in $log" >&2
  exit 1
fi
note ""

mkdir -p "$dir/sample"
rm -rf "$dir/sample/SAMPLE"
cp -r examples/SAMPLE "$dir/sample/SAMPLE"
cp data/*.tbl data/writeup.txt "$dir/sample/"
cd "$dir/sample"
# The build tree keeps the suite's printer libraries in folders of their own.
export DP_SUITE_LIBDIR="$PWD/../suite/devpick:$PWD/../suite/listout"
# A build with the sanitizers would report its leaks over the terminal when the program ends.
export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=0}"
exec ../suite/dphost SAMPLE
