#!/usr/bin/env bash
# Fuzzes the printer-file parser with libFuzzer for a while (not part of CI).
#   bash scripts/fuzz-render.sh [SECONDS]      default 600
# Builds with clang in build-fuzz/, seeds the corpus with the golden printer files, and leaves
# the corpus in build-fuzz/corpus and any crashing input in build-fuzz/.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
missing=()
for p in clang libclang-rt-dev; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  SUDO=""
  [ "$(id -u)" -eq 0 ] || SUDO="sudo"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
seconds=${1:-600}
CC=clang CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DDP_FUZZ=ON -DDP_TESTS=ON >/dev/null
cmake --build build-fuzz --target render_fuzz -j2
mkdir -p build-fuzz/corpus
cp tests/golden/report/*.txt tests/golden/amort/*.txt tests/golden/form4562/*.FRM build-fuzz/corpus/
cd build-fuzz
./tests/fuzz/render_fuzz -max_total_time="$seconds" -max_len=65536 -timeout=10 -rss_limit_mb=2048 corpus
