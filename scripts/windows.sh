#!/usr/bin/env bash
# The Windows module: installs the cross compilers and Wine (Debian packages), builds VELDRO.dll
# for i686 (the real target) and x86_64, checks the i686 export table, and runs under Wine
# (x86_64): the scripted scenarios of every menu function against the same expected files as the
# Linux build, the unit tests rebuilt for Windows, and a smoke test of the real dialogs under
# Xvfb that leaves screenshots in build-win-x86_64/screenshots (DP_SCREENSHOTS=docs copies them
# to docs/ as PNG files).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
start=$(date +%s)
step() { echo "== $* ($(($(date +%s) - start)) s)"; }

step "packages"
bash scripts/setup.sh windows

step "build i686"
cmake --no-warn-unused-cli -S . -B build-win-i686 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake -DCMAKE_BUILD_TYPE=Release -DDP_TESTS=OFF -DDP_WERROR=ON >/dev/null
cmake --build build-win-i686 -j"$(nproc)" --target veldro devpick listout dphost veldro-render veldro-cli
step "build x86_64"
cmake --no-warn-unused-cli -S . -B build-win-x86_64 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-x86_64.cmake -DCMAKE_BUILD_TYPE=Release -DDP_TESTS=ON -DDP_WERROR=ON >/dev/null
cmake --build build-win-x86_64 -j"$(nproc)"

step "i686 export table"
dll=build-win-i686/bin/VELDRO.dll
dump=$(i686-w64-mingw32-objdump -p "$dll")
names=$(echo "$dump" | sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' | grep -E '^\s*\[ *[0-9]+\]' | awk '{print $NF}')
[ "$names" = "DPMENU" ] || { echo "FAIL the exports are [$names], not DPMENU alone"; exit 1; }
echo "ok   one export, undecorated: DPMENU"
base=$(echo "$dump" | awk '/^ImageBase/ {print $2}')
rva=$(echo "$dump" | sed -n '/Export Address Table/,/^$/p' | grep -E 'Export RVA' | awk '{print $(NF-2)}')
[ -n "$base" ] && [ -n "$rva" ] || { echo "FAIL cannot find DPMENU's address"; exit 1; }
at=$(printf '0x%x' $((0x$base + 0x$rva)))
firstret=$(i686-w64-mingw32-objdump -d --start-address="$at" --stop-address=$(printf '0x%x' $((at + 0x80))) "$dll" |
           grep -E '\sret' | head -1)
echo "$firstret" | grep -qE 'ret\s+\$0x4' || { echo "FAIL DPMENU does not return with ret \$0x4: $firstret"; exit 1; }
echo "ok   DPMENU is __stdcall: the callee pops its one argument ($(echo "$firstret" | sed 's/.*\t//'))"
# Every library here ships with Windows: GDI+ (the PNG pictures) and the common dialogs (Save As)
# since Windows XP.
for d in $dll build-win-i686/bin/DEVPICK.DLL build-win-i686/bin/LISTOUT.DLL build-win-i686/bin/dphost.exe \
         build-win-i686/bin/veldro-render.exe build-win-i686/bin/veldro.exe; do
    imports=$(i686-w64-mingw32-objdump -p "$d" | awk '/DLL Name:/ {print toupper($3)}' | sort -u | tr '\n' ' ')
    for i in $imports; do
        case "$i" in KERNEL32.DLL|USER32.DLL|GDI32.DLL|COMCTL32.DLL|MSVCRT.DLL|WINSPOOL.DRV|ADVAPI32.DLL|GDIPLUS.DLL|COMDLG32.DLL) ;;
            *) echo "FAIL $(basename "$d") needs $i, which Windows does not bring"; exit 1 ;;
        esac
    done
    echo "ok   $(basename "$d") needs only system libraries: $imports"
done
strings -el -n 2 "$dll" | grep -qx PROGRAM && strings -el -n 2 "$dll" | grep -qx B2 ||
    { echo "FAIL the resources PROGRAM and B2 are missing"; exit 1; }
echo "ok   resources PROGRAM (icon) and B2 (bitmap)"

step "Wine prefix"
export WINEPREFIX=$root/build-win-x86_64/wine WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" WINEARCH=win64
if [ ! -f "$WINEPREFIX/system.reg" ]; then
    wineboot -i >/dev/null 2>&1 || true
fi
# Debian's Wine leaves the prefix without fonts: the dialogs' MS Sans Serif comes from here.
mkdir -p "$WINEPREFIX/drive_c/windows/Fonts"
cp -n /usr/share/wine/fonts/* "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
# Windows draws the printed pages in Courier New (or Consolas) and Arial; Wine lacks them, so its
# font replacements name the metric-compatible Liberation faces (Debian's fonts-liberation).
wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "Courier New" /d "Liberation Mono" /f >/dev/null 2>&1 &&
    wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v Arial /d "Liberation Sans" /f >/dev/null 2>&1 ||
    { echo "FAIL the Wine prefix $WINEPREFIX cannot be set up"; exit 1; }
# A printer for the printing test: Wine's PostScript driver with a PPD of A4 paper, on a port
# whose jobs land in a file.
spool=$root/build-win-x86_64/spool
mkdir -p "$spool" "$WINEPREFIX/drive_c/windows/system32/spool/drivers/x64/3"
cp tests/windows/a4-test-printer.ppd "$WINEPREFIX/drive_c/windows/system32/spool/drivers/x64/3/"
wine reg add 'HKCU\Software\Wine\Printing\Spooler' /v LPT3: /d "$spool/a4-queue.out" /f >/dev/null 2>&1 ||
    { echo "FAIL the Wine prefix $WINEPREFIX cannot be set up"; exit 1; }
# Every window on one virtual desktop: bare Xvfb has no window manager.
wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null 2>&1 &&
    wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1024x768 /f >/dev/null 2>&1 ||
    { echo "FAIL the Wine prefix $WINEPREFIX cannot be set up"; exit 1; }
wineserver -w

failed=0
step "scenarios under Wine"
bash scripts/scenarios.sh build-win-x86_64/scenarios wine build-win-x86_64/bin/dphost.exe || failed=1

step "veldro under Wine"
bash scripts/veldro-check.sh build-win-x86_64/veldro-check wine build-win-x86_64/bin/veldro.exe || failed=1

step "unit tests under Wine"
# Without a display: a test that opened a real dialog would fail rather than wait for a user.
# The printing test prints on the queue of Wine's PostScript driver prepared above.
rm -f "$spool"/a4-queue.out*
export DP_SPOOL_FILE=$(winepath -w "$spool/a4-queue.out")
for t in build-win-x86_64/bin/wintest_*.exe; do
    [ -e "$t" ] || continue
    if (cd data && env -u DISPLAY wine "$root/$t" --gtest_brief=1 > "$root/$t.log" 2>&1); then
        echo "ok   $(basename "$t") $(grep -E '^\[  PASSED  \]' "$t.log" | head -1)"
    else
        echo "FAIL $(basename "$t")"; tr -d '\r' < "$t.log" | grep -E 'FAILED|Failure|error' | head -20; failed=1
    fi
done

step "printed under Wine, read on Linux"
# A PDF veldro-render.exe writes, and the print job of the driver's queue, with pdftotext and
# ghostscript: the report's text in order, its 132 columns inside the page, A4 printed whole.
out=$root/build-win-x86_64/printed
rm -rf "$out" && mkdir -p "$out"
if (cd "$out" && wine "$root/build-win-x86_64/bin/veldro-render.exe" "$(winepath -w "$root/tests/golden/report/full_register.txt")" \
        -o report.pdf && wine "$root/build-win-x86_64/bin/veldro-render.exe" \
        "$(winepath -w "$root/tests/golden/report/full_register.txt")" --text >report.txt); then
    bash tests/windows/check_outputs.sh pdf "$out/report.pdf" "$out/report.txt" || failed=1
else
    echo "FAIL veldro-render.exe does not write the report's PDF"; failed=1
fi
if [ -s "$spool/a4-queue.out.ps" ]; then
    bash tests/windows/check_outputs.sh job "$spool/a4-queue.out.ps" 4 || failed=1
else
    echo "FAIL the driver's print job was not kept"; failed=1
fi

step "dialogs under Xvfb"
# The Wine session of the steps above has no display, and its desktop would refuse every window:
# end it, so that the session of this step (its desktop, winepath, the programs) has one.
wineserver -k 2>/dev/null || true
wineserver -w
# Xvfb picks a display no one else uses and says which (the machine may be shared).
displayfile=$(mktemp)
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$displayfile" >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null || true; rm -f "$displayfile"' EXIT
for _ in $(seq 100); do [ -s "$displayfile" ] && break; sleep 0.1; done
[ -s "$displayfile" ] || { echo "FAIL Xvfb did not start"; exit 1; }
export DISPLAY=:$(head -1 "$displayfile")
shots=$root/build-win-x86_64/screenshots
rm -rf build-win-x86_64/smoke "$shots" && mkdir -p build-win-x86_64/smoke "$shots"
cp -r examples/SAMPLE build-win-x86_64/smoke/SAMPLE && cp data/*.tbl build-win-x86_64/smoke/
# Into a file, not a pipe: a Wine service that outlives the test would hold a pipe open.
smokelog=$root/build-win-x86_64/gui_smoke.log
if (cd build-win-x86_64/smoke && timeout 300 wine "$root/build-win-x86_64/bin/gui_smoke.exe" \
        "$(winepath -w "$root/build-win-x86_64/bin")" SAMPLE "$(winepath -w "$shots")" >"$smokelog" 2>&1); then
    tr -d '\r' <"$smokelog"
    echo "ok   gui smoke"
else
    tr -d '\r' <"$smokelog"
    echo "FAIL gui smoke"; failed=1
fi
wineserver -k 2>/dev/null || true
kill $xvfb 2>/dev/null || true
unset DISPLAY
for b in "$shots"/*.bmp; do
    [ -e "$b" ] && convert "$b" "${b%.bmp}.png" && rm "$b"
done
if [ "${DP_SCREENSHOTS:-}" = docs ]; then
    cp "$shots/menu.png" docs/wine-menu.png
    cp "$shots/maintenance.png" docs/wine-asset-maintenance.png
    cp "$shots/help.png" docs/wine-help.png
    cp "$shots/select-printer.png" docs/wine-select-printer.png
    cp "$shots/screen.png" docs/wine-screen.png
fi

step "done"
[ "$failed" -eq 0 ] && echo "windows: all passed" || { echo "windows: failures above"; exit 1; }
