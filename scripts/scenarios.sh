#!/usr/bin/env bash
# Runs every scripted scenario under tests/scenarios through a host program and compares the
# transcript and every file of the client's directory byte for byte with the expected ones, so
# that each system's build is held to the same results.
#
#   scripts/scenarios.sh WORKDIR HOST [ARGUMENTS...]
#     scripts/scenarios.sh build-dev/scenarios build-dev/suite/dphost
#     scripts/scenarios.sh build-win-x86_64/scenarios wine build-win-x86_64/bin/dphost.exe
#
# A scenario folder holds "script" (the host's --script file), optionally "client/" (the client's
# files before the run; the sample client otherwise), "expected/" (transcript.txt and CLIENT/,
# the client's files after the run) and optionally "same-as" (lines "FILE PATH": the client's
# FILE after the run equals PATH of the repository, a golden file shared with the unit tests).
# DP_UPDATE_GOLDEN=1 writes expected/ from this run instead of comparing.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
[ $# -ge 2 ] || { echo "usage: $0 WORKDIR HOST [ARGUMENTS...]" >&2; exit 2; }
work=$1
shift
mkdir -p "$work"
work=$(cd "$work" && pwd)
# The host runs inside each scenario's folder: arguments that name files become absolute.
host=()
for a in "$@"; do
    if [ -e "$a" ]; then host+=("$(cd "$(dirname "$a")" && pwd)/$(basename "$a")"); else host+=("$a"); fi
done
passed=0
failed=0

fail() {
    echo "FAIL $name: $*"
    ok=0
}

for dir in "$root"/tests/scenarios/*/; do
    name=$(basename "$dir")
    run="$work/$name"
    rm -rf "$run"
    mkdir -p "$run"
    cp "$root"/data/*.tbl "$run"/
    if [ -d "$dir/client" ]; then cp -r "$dir/client" "$run/CLIENT"; else cp -r "$root/examples/SAMPLE" "$run/CLIENT"; fi
    cp "$dir/script" "$run/script.txt"
    (cd "$run" && "${host[@]}" --script script.txt --transcript transcript.txt CLIENT >stdout.txt 2>stderr.txt)
    status=$?
    ok=1
    [ "$status" -eq 0 ] || fail "the host ended with status $status: $(head -c 400 "$run/stderr.txt")"
    if [ "${DP_UPDATE_GOLDEN:-}" = 1 ]; then
        rm -rf "$dir/expected"
        mkdir -p "$dir/expected"
        cp "$run/transcript.txt" "$dir/expected/"
        cp -r "$run/CLIENT" "$dir/expected/CLIENT"
        rm -f "$dir/expected/CLIENT/DEPR.LCK"
    else
        cmp -s "$run/transcript.txt" "$dir/expected/transcript.txt" ||
            fail "the transcript differs: diff $run/transcript.txt $dir/expected/transcript.txt"
        # The lock file holds who ran the program, which differs from machine to machine.
        got=$(cd "$run/CLIENT" && find . -type f ! -name DEPR.LCK | sort)
        want=$(cd "$dir/expected/CLIENT" && find . -type f | sort)
        [ "$got" = "$want" ] || fail "the client's files differ: [$(echo $got)] instead of [$(echo $want)]"
        for f in $want; do
            [ -f "$run/CLIENT/$f" ] && ! cmp -s "$run/CLIENT/$f" "$dir/expected/CLIENT/$f" && fail "$f differs"
        done
    fi
    if [ -f "$dir/same-as" ]; then
        while read -r file golden; do
            [ -n "$file" ] || continue
            cmp -s "$run/CLIENT/$file" "$root/$golden" || fail "$file differs from $golden"
        done < "$dir/same-as"
    fi
    if [ "$ok" = 1 ]; then
        echo "ok   $name"
        passed=$((passed + 1))
    else
        failed=$((failed + 1))
    fi
done
echo "scenarios: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
