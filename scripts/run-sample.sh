#!/usr/bin/env bash
# Opens the depreciation menu in this terminal on the bundled sample client.
#
#   bash scripts/run-sample.sh            the sample client as the last run left it
#   bash scripts/run-sample.sh --fresh    the sample client started over from examples/SAMPLE
#
# A build tree that is already there is used (BUILD_DIR when set, else the one scripts/test.sh
# made, build-test/, else an earlier run's build/), with only the programs the menu needs and the
# tools beside it brought up to date; without one, build/ is made. Build output goes to a log, so
# the screen holds nothing of it when the program ends. The sample client lives in sample/SAMPLE
# of that tree (SAMPLE_DIR/SAMPLE when SAMPLE_DIR is set): it is copied from examples/SAMPLE only
# when it is not there yet, so the checked-in files stay as they are and what was done in one run
# is there in the next.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

fresh=0
for arg in "$@"; do
  case "$arg" in
    --fresh) fresh=1 ;;
    -h|--help) sed -n '2,5p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
    *) echo "run-sample: unknown option $arg (--fresh starts the sample client over)" >&2; exit 2 ;;
  esac
done

bash scripts/setup.sh

dir=${BUILD_DIR:-}
if [ -z "$dir" ]; then
  dir=build
  for candidate in build-test build; do
    if [ -f "$candidate/CMakeCache.txt" ]; then dir=$candidate; break; fi
  done
fi
mkdir -p "$dir"
dir=$(cd "$dir" && pwd)
log="$dir/run-sample.log"
# A one-line note while the build runs, cut to the terminal's width so that it can be wiped.
note() {
  if [ -t 1 ]; then
    local width; width=$(tput cols 2>/dev/null || echo 80)
    printf '\r\033[K%.*s' $((width - 1)) "$1"
  fi
}

# The host, the module, the suite's printer libraries, and for use on their own the renderer of
# the print files and the command-line tool.
targets=(dphost veldro devpick listout veldro-render veldro-cli)
note "run-sample: building in $dir/ (log: $log)"
# An existing tree is configured again first: a tree made before a program was added would not
# know its target.
configure=(-DCMAKE_BUILD_TYPE=RelWithDebInfo -DDP_TESTS=OFF)
[ -f "$dir/CMakeCache.txt" ] && configure=()
if ! { cmake -S . -B "$dir" "${configure[@]}" &&
       cmake --build "$dir" --target "${targets[@]}" -j"$(nproc)"; } >"$log" 2>&1; then
  note ""
  tail -n 30 "$log" >&2
  echo "run-sample: the build failed; the whole output is in $log" >&2
  exit 1
fi
note ""

sample=${SAMPLE_DIR:-$dir/sample}
mkdir -p "$sample"
sample=$(cd "$sample" && pwd)
if [ "$fresh" = 1 ] && [ -e "$sample/SAMPLE" ]; then
  rm -rf "$sample/SAMPLE"
  echo "run-sample: --fresh: the sample client starts over from examples/SAMPLE; what earlier runs did is gone"
fi
if [ ! -e "$sample/SAMPLE" ]; then
  cp -r examples/SAMPLE "$sample/SAMPLE"
  echo "run-sample: the sample client is $sample/SAMPLE, copied from examples/SAMPLE"
else
  echo "run-sample: the sample client is $sample/SAMPLE, as the last run left it (--fresh starts it over)"
fi
echo "run-sample: print-outs named without a directory go to $sample/"
echo "run-sample: the renderer of the print files is $dir/suite/render/veldro-render"
echo "run-sample: the command-line tool is $dir/tools/veldro/veldro (run it in $sample/, beside the rate tables)"
# Installation data, always the current ones: the rate tables and the help text.
cp "$root"/data/*.tbl "$root"/data/writeup.txt "$sample/"
cd "$sample"
# The build tree keeps the suite's printer libraries in folders of their own.
export DP_SUITE_LIBDIR="$dir/suite/devpick:$dir/suite/listout"
# A build with the sanitizers would report its leaks over the terminal when the program ends.
export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=0}"
exec "$dir/suite/dphost" SAMPLE
