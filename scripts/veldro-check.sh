#!/usr/bin/env bash
# Runs veldro on the sample client as a user would and compares what it writes byte for byte
# with the expected files of tests/golden/veldro (and the report with the menu's), so that each
# system's build is held to the same results.
#
#   scripts/veldro-check.sh WORKDIR VELDRO [ARGUMENTS...]
#     scripts/veldro-check.sh build-test/veldro-check build-test/tools/veldro/veldro
#     scripts/veldro-check.sh build-win-x86_64/veldro-check wine build-win-x86_64/bin/veldro.exe
#
# DP_UPDATE_GOLDEN=1 writes the expected files from this run instead of comparing.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
[ $# -ge 2 ] || { echo "usage: $0 WORKDIR VELDRO [ARGUMENTS...]" >&2; exit 2; }
work=$1
shift
veldro=()
for a in "$@"; do
    if [ -e "$a" ]; then veldro+=("$(cd "$(dirname "$a")" && pwd)/$(basename "$a")"); else veldro+=("$a"); fi
done
golden=$root/tests/golden/veldro
rm -rf "$work" && mkdir -p "$work" && cd "$work" || exit 2
cp "$root"/data/*.tbl . && cp -r "$root/examples/SAMPLE" SAMPLE && cp "$golden/faults.csv" .
failed=0
fail() { echo "FAIL $*"; failed=1; }

# veldro ARGS > NAME.out 2> NAME.err; the status must be STATUS. Standard error is compared
# without the CRs Windows puts at its line ends.
run() {
    local name=$1 status=$2
    shift 2
    "${veldro[@]}" "$@" >"$name.out" 2>"$name.err"
    local got=$?
    tr -d '\r' <"$name.err" >"$name.errors" && rm "$name.err"
    [ "$got" -eq "$status" ] || fail "veldro $*: status $got, not $status: $(head -c 300 "$name.errors")"
}

# The file must equal the expected one (or becomes it with DP_UPDATE_GOLDEN=1).
same() {
    local file=$1 expected=$2
    if [ "${DP_UPDATE_GOLDEN:-}" = 1 ] && [ "${expected#"$golden"/}" != "$expected" ]; then cp "$file" "$expected"; return; fi
    cmp -s "$file" "$expected" || fail "$file differs from $expected"
}

run export 0 export SAMPLE -o export.csv
same export.csv "$golden/SAMPLE-export.csv"
run json 0 export SAMPLE --format json
same json.out "$golden/SAMPLE-export.json"

mkdir NEW
run dry 0 import NEW export.csv --dry-run
same dry.out "$golden/SAMPLE-import-dry-run.txt"
# Only the lock file, which says who last had the client.
[ -z "$(ls NEW | grep -vx DEPR.LCK)" ] || fail "the dry run left files in NEW: $(ls NEW)"
run import 0 import NEW export.csv
run again 0 export NEW
same again.out "$golden/SAMPLE-export.csv"
same NEW/depr.fil SAMPLE/depr.fil
same NEW/depr.idx SAMPLE/depr.idx
run faults 1 import SAMPLE faults.csv
same faults.errors "$golden/faults-errors.txt"
same SAMPLE/depr.fil "$root/examples/SAMPLE/depr.fil"

run project 0 project SAMPLE --format csv -o projection.csv
same projection.csv "$golden/SAMPLE-projection-tax.csv"
run text 0 project SAMPLE --basis book --years 10
same text.out "$golden/SAMPLE-projection-book.txt"
# The same projection as a PDF on Letter paper: its lines read in order, every word inside the
# margins.
DP_PAPER=Letter run projpdf 0 project SAMPLE --basis book --years 10 --format pdf -o projection.pdf
bash "$root/tests/windows/check_outputs.sh" pdf projection.pdf text.out || fail "projection.pdf"

# The menu's report on the book basis in whole dollars (the scenario depreciation_report).
run report 0 report SAMPLE --date 12312004 --basis book --whole-dollars -o report.csv
menu=$root/tests/scenarios/depreciation_report/expected/CLIENT
same SAMPLE/report.txt "$menu/report.txt"
same SAMPLE/depr.fil "$menu/depr.fil"
same report.csv "$golden/SAMPLE-report-book.csv"
# The report again as a PDF on the paper DP_PAPER names: a page of A4 for each of report.txt's,
# its heading on each; the same figures stored; an existing PDF only written over when asked.
DP_PAPER=A4 run reportpdf 0 report SAMPLE --date 12312004 --basis book --whole-dollars -o report.pdf
# Where they went, as whole paths (C:\... under Windows).
tr -d '\r' <reportpdf.out | grep -Eq '^PDF written to ([A-Za-z]:\\|/).*report\.pdf$' ||
    fail "where report.pdf went: $(cat reportpdf.out)"
tr -d '\r' <reportpdf.out | grep -Eq '^Report written to ([A-Za-z]:\\|/).*SAMPLE[/\\]report\.txt$' ||
    fail "where report.txt went: $(cat reportpdf.out)"
same SAMPLE/depr.fil "$menu/depr.fil"
pages=$(LC_ALL=C grep -ac 'Page  *[0-9][0-9]*.$' "$menu/report.txt")
info=$(pdfinfo report.pdf 2>&1)
echo "$info" | grep -q "^Pages: *$pages\$" || fail "report.pdf: not $pages pages: $(echo "$info" | grep Pages)"
echo "$info" | grep -q "^Page size: .*(A4)" || fail "report.pdf: not on A4: $(echo "$info" | grep 'Page size')"
[ "$(pdftotext -layout report.pdf - | grep -c 'Riverside Hardware Inc\..*Page [0-9]')" -eq "$pages" ] ||
    fail "report.pdf: the heading is not on each of its $pages pages"
run again 1 report SAMPLE --date 12312004 -o report.pdf
grep -q "report.pdf already exists; --replace writes over it. Nothing was done." again.errors ||
    fail "an existing report.pdf: $(cat again.errors)"

[ "$failed" -eq 0 ] && echo "veldro-check: all passed" || { echo "veldro-check: failures above (in $work)"; exit 1; }
