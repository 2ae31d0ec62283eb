#!/usr/bin/env bash
# Screenshots of the decrypt window for checking its layout by eye: English and Russian, at 96
# and 144 DPI, each ready, searching every drive, with the files it found listed and after a
# finished run. Not part of the tests
# (it needs an X server: Xvfb, in Wine's virtual desktop). Run scripts/test.sh or build the
# win64 tree first.
#   decrypt-screenshots.sh [--docs]   --docs also copies the English 96 DPI finished run to
#                                     docs/decrypt-window.png for the README
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${RESCINDO_BUILD:-$root/build}
tree=$build/win64
out=$build/decrypt-shots
prefix=$out/prefix
drive=$out/drive-d

cmake --build "$tree" --target rescindo-decrypt decrypt_pilot gui_test_locale -- --no-print-directory >"$out.build.log" 2>&1 ||
    { tail -n 40 "$out.build.log"; exit 1; }
mkdir -p "$out"
"$root/scripts/make-wine-prefix.sh" "$prefix" --display
export WINEPREFIX=$prefix WINEDEBUG=-all
mkdir -p "$prefix/drive_c/Rescindo"
cp "$tree/decrypt_app/rescindo-decrypt.exe" "$tree/tests/decrypt_app/decrypt_pilot.exe" "$prefix/drive_c/Rescindo/"

display=:$((90 + RANDOM % 100))
Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp >"$out/xvfb.log" 2>&1 &
xvfb_pid=$!
cleanup() {
    wineserver -k 2>/dev/null || true
    rm -f "$prefix/dosdevices/d:"
    kill "$xvfb_pid" 2>/dev/null || true
}
trap cleanup EXIT
export DISPLAY=$display
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done

shoot() { # language (en|ru), dpi
    local language=$1 dpi=$2
    wineserver -k 2>/dev/null || true
    wineserver -w 2>/dev/null || true
    rm -rf "$drive" "$prefix/drive_c/rescindo-shots"
    mkdir -p "$drive" "$prefix/drive_c/rescindo-shots"
    # Folders enough for the search of every drive to be seen going.
    python3 -c 'import os, sys
for a in range(40):
    for b in range(100):
        os.makedirs(os.path.join(sys.argv[1], "Archive", "%02d" % a, "%03d" % b))' "$drive"
    for link in "$prefix"/dosdevices/*; do
        case $(basename "$link") in c:) ;; *) rm -f "$link" ;; esac
    done
    ln -s "$drive" "$prefix/dosdevices/d:"
    wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null 2>&1
    wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1280x1024 /f >/dev/null 2>&1
    wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1
    # The desktop and the resolution are taken when the server starts.
    wineserver -k 2>/dev/null || true
    wineserver -w 2>/dev/null || true
    local locale=(env LANG=C.UTF-8)
    [ "$language" = ru ] && locale=(env LOCPATH="$tree/tests/gui/locale" LANG=ru_RU.UTF-8)
    : >"$out/pilot.log"
    "${locale[@]}" wine 'C:\Rescindo\rescindo-decrypt.exe' >"$out/program.log" 2>&1 </dev/null &
    local program_pid=$!
    "${locale[@]}" /usr/lib/wine/wine64 'C:\Rescindo\decrypt_pilot.exe' >"$out/pilot.log" 2>"$out/pilot.err" </dev/null &
    local pilot_pid=$! seen=0 lines line name x y w h
    while kill -0 "$pilot_pid" 2>/dev/null || [ "$(wc -l <"$out/pilot.log")" -gt "$seen" ]; do
        lines=$(wc -l <"$out/pilot.log")
        while [ "$seen" -lt "$lines" ]; do
            seen=$((seen + 1))
            line=$(sed -n "${seen}p" "$out/pilot.log")
            case $line in
            screenshot*)
                read -r _ name x y w h <<<"$line"
                import -display "$DISPLAY" -window root -crop "${w}x${h}+${x}+${y}" +repage \
                    "$out/$language-$dpi-$name.png"
                touch "$prefix/drive_c/rescindo-shots/$name"
                ;;
            *) echo "   $language $dpi: $line" ;;
            esac
        done
        sleep 0.2
    done
    wait "$pilot_pid" || { echo "the pilot failed ($language, $dpi DPI)"; cat "$out/pilot.err"; exit 1; }
    wait "$program_pid" || true
}

for language in en ru; do
    for dpi in 96 144; do
        shoot "$language" "$dpi"
    done
done
wine reg delete 'HKCU\Control Panel\Desktop' /v LogPixels /f >/dev/null 2>&1 || true
wine reg delete 'HKCU\Software\Wine\Explorer' /v Desktop /f >/dev/null 2>&1 || true
if [ "${1:-}" = --docs ]; then
    cp "$out/en-96-finished.png" "$root/docs/decrypt-window.png"
fi
echo "screenshots in $out:"
ls "$out"/*.png
