#!/usr/bin/env bash
# Redraws the pictures in docs/ from the sample client: runs the depreciation report and Form
# 4562 on a copy of examples/SAMPLE through the host's scripted backend (the printer choice is
# cancelled; the printer files stay in the client directory), and renders page 1 of each, with
# the amortization schedule of the golden file tests/golden/amort/one_unknown_extras.txt.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DDP_TESTS=OFF >/dev/null
cmake --build build -j2 --target dphost veldro devpick listout veldro-render
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp -r examples/SAMPLE "$work/SAMPLE"
cp data/*.tbl "$work/"
cat > "$work/run.script" <<SCRIPT
click 403
click 301
printer cancel
click 407
printer cancel
click 409
SCRIPT
(cd "$work" && "$OLDPWD/build/suite/dphost" --script run.script --transcript transcript.txt SAMPLE)
render=build/suite/render/veldro-render
"$render" "$work/SAMPLE/report.txt" -o docs/depreciation-report.png --dpi 110
"$render" tests/golden/amort/one_unknown_extras.txt -o docs/amortization-schedule.png --dpi 110
"$render" "$work/SAMPLE/T4562.FRM" -o docs/form4562.png --dpi 110
echo "docs/depreciation-report.png docs/amortization-schedule.png docs/form4562.png written"
