#!/usr/bin/env bash
# Redraws the pictures in docs/ from the sample client: runs the depreciation report, an
# amortization schedule and Form 4562 on a copy of examples/SAMPLE through the host's scripted
# backend (the printer choice cancelled: the printer file stays in the client directory) and
# renders page 1 of each. BUILD_DIR names a build to use (default build/).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
build=${BUILD_DIR:-build}
[ -f "$build/CMakeCache.txt" ] || cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DDP_TESTS=OFF >/dev/null
cmake --build "$build" -j2 --target dphost veldro devpick listout veldro-render
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp -r examples/SAMPLE "$work/SAMPLE"
cp data/*.tbl "$work/"
host=$(realpath "$build/suite/dphost")
render=$build/suite/render/veldro-render
# Runs the host on the sample with a script whose printer choice is cancelled.
run() {
  printf '%s\n' "$@" > "$work/run.script"
  (cd "$work" && "$host" --script run.script --transcript transcript.txt SAMPLE)
}
run "click 403" "click 301" "printer cancel" "click 409"
"$render" "$work/SAMPLE/report.txt" -o docs/depreciation-report.png --dpi 110
run "click 406" "type 201 Delivery van - First National" "type 202 25000" "type 203 7.5" "type 204 60" \
    "type 205 U" "type 206 030124" "type 207 6" "type 208 1" "type 209 60" "type 210 0" "click 194" \
    "printer cancel" "click 199" "click 409"
"$render" "$work/SAMPLE/report.txt" -o docs/amortization-schedule.png --dpi 110
run "click 407" "printer cancel" "click 409"
"$render" "$work/SAMPLE/T4562.FRM" -o docs/form4562.png --dpi 110
echo "docs/depreciation-report.png docs/amortization-schedule.png docs/form4562.png written"
