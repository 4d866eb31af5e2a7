#!/usr/bin/env bash
# What the Windows build printed, read back on Linux with the poppler tools and ghostscript:
#
#   check_outputs.sh pdf REPORT.pdf REPORT.txt
#       a PDF veldro-render.exe wrote: its lines read in the order of the text view (REPORT.txt,
#       veldro-render.exe --text of the same file; rules and blocks left out, blanks squeezed),
#       and every word of every page inside the sheet's margins (the 132 columns fit)
#   check_outputs.sh job JOB.ps PAGES
#       a print job of Wine's PostScript driver (A4, printable 12 12 583 830 points): PAGES pages
#       of A4, the report's heading on each, and every page's ink inside the printable area
#
# Prints "ok ..." lines, or "FAIL ..." and ends with status 1.
set -uo pipefail
export LC_ALL=C  # bytes: the rules' UTF-8 sequences are taken out byte by byte
fail() { echo "FAIL $*"; exit 1; }

# Lines without blanks at either end, runs of blanks as one, empty lines left out.
squeeze() { sed -e 's/[[:space:]]\+/ /g' -e 's/^ //' -e 's/ $//' | grep -v '^$'; }

check_pdf() {
    local pdf=$1 text=$2 work
    work=$(mktemp -d)
    # U+2500 to U+259F (rules, blocks) are drawn in the PDF, not written.
    tr -d '\r\f' <"$text" | sed 's/\xe2\x94.\|\xe2\x95.\|\xe2\x96./ /g' | squeeze >"$work/want"
    pdftotext -layout "$pdf" - | tr -d '\f' | squeeze >"$work/got"
    if ! cmp -s "$work/want" "$work/got"; then
        diff "$work/want" "$work/got" | head -10
        rm -rf "$work"
        fail "$(basename "$pdf"): the text does not read as the report's lines in order"
    fi
    echo "ok   $(basename "$pdf"): $(wc -l <"$work/got") lines read in the report's order"
    local outside
    outside=$(pdftotext -bbox "$pdf" - | awk -F'"' '/<word / { if ($2 < 18 || $6 > 594 || $8 > 774) n++ } END { print n + 0 }')
    rm -rf "$work"
    [ "$outside" -eq 0 ] || fail "$(basename "$pdf"): $outside words outside the page's margins"
    echo "ok   $(basename "$pdf"): every word inside the margins (18 to 594 points across)"
}

check_job() {
    local job=$1 pages=$2 work
    work=$(mktemp -d)
    ps2pdf "$job" "$work/job.pdf" || fail "$(basename "$job"): ghostscript cannot read the job"
    local info
    info=$(pdfinfo "$work/job.pdf")
    echo "$info" | grep -q "^Pages: *$pages\$" || fail "$(basename "$job"): not $pages pages: $(echo "$info" | grep Pages)"
    echo "$info" | grep -q "^Page size: *595 x 842" || fail "$(basename "$job"): not on A4: $(echo "$info" | grep 'Page size')"
    local headings
    headings=$(pdftotext -layout "$work/job.pdf" - | grep -c "Riverside Hardware and Supply Co.")
    [ "$headings" -eq "$pages" ] || fail "$(basename "$job"): the heading on $headings of $pages pages"
    echo "ok   $(basename "$job"): $pages pages of A4, the heading readable on each"
    local outside
    outside=$(gs -q -dBATCH -dNOPAUSE -sDEVICE=bbox "$job" 2>&1 |
              awk '/%%HiResBoundingBox/ { if ($2 < 11.5 || $3 < 11.5 || $4 > 583.5 || $5 > 830.5) n++ } END { print n + 0 }')
    rm -rf "$work"
    [ "$outside" -eq 0 ] || fail "$(basename "$job"): $outside pages print beyond the printable area"
    echo "ok   $(basename "$job"): every page's ink inside the printable area"
}

case "${1:-}" in
    pdf) check_pdf "$2" "$3" ;;
    job) check_job "$2" "$3" ;;
    *) echo "usage: $0 pdf REPORT.pdf REPORT.txt | job JOB.ps PAGES" >&2; exit 2 ;;
esac
