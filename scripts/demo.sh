#!/usr/bin/env bash
# The program's main job on a built-in example. Installs what is missing, builds the product,
# makes a sandbox (an isolated Wine prefix without z:, whose only extra drive D: holds a sample
# tree of damaged names) and runs the real program there.
#   With a display: the dialog appears; press Continue, then OK and Exit.
#   Without one:   the demo runs it under Xvfb in Wine's virtual desktop, presses Continue
#                  itself, prints the "Done" message and saves screenshots in build/demo/.
# Either way the tree is printed before and after.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${RESCINDO_BUILD:-$root/build}
demo=$build/demo
prefix=$demo/prefix
drive=$demo/drive-d
jobs=$(nproc)

"$root/scripts/install-deps.sh"

build_target() { # tree, toolchain, target
    local tree=$build/$1
    mkdir -p "$build"
    cmake -S "$root" -B "$tree" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DCMAKE_TOOLCHAIN_FILE="$root/cmake/$2.cmake" >"$tree.configure.log" 2>&1 ||
        { cat "$tree.configure.log"; exit 1; }
    cmake --build "$tree" -j"$jobs" --target "$3" -- --no-print-directory >"$tree.$3.log" 2>&1 ||
        { tail -n 40 "$tree.$3.log"; exit 1; }
}

if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
    headless=0
else
    headless=1
fi

echo "== building the program (32-bit Windows, the product)"
build_target win32 mingw-i686 rescindo
if [ $headless = 1 ]; then
    # The pilot that presses the buttons is a Windows program too (64-bit: it starts at once).
    build_target win64 mingw-x86_64 demo_pilot
fi

echo "== making the sandbox in $prefix (the first time takes about two minutes)"
"$root/scripts/make-wine-prefix.sh" "$prefix" --display
export WINEPREFIX=$prefix WINEDEBUG=-all

# The sample: damaged files and folders, nested, beside names that must stay as they are.
rm -rf "$drive"
sample() { mkdir -p "$(dirname "$drive/$1")"; printf '%s\n' "sample file: $1" >"$drive/$1"; }
mkdir -p "$drive/Documents k7-21 /Scans k7-21 " "$drive/Music"
sample "Documents k7-21 /budget 2026.xlsx id-7F3A "
sample "Documents k7-21 /letter to bank.docx id-7F3A "
sample "Documents k7-21 /Scans k7-21 /passport.pdf id-7F3A "
sample "Documents k7-21 /Scans k7-21 /contract p1.jpg id-7F3A "
sample "Music/track 01.mp3 id-7F3A "
sample "Music/playlist.m3u"
sample "holiday photo.jpg id-7F3A "
sample "readme.txt"

show_tree() { # names in quotes, so a damaged name's final space shows
    (cd "$drive" && find . -mindepth 1 | LC_ALL=C sort | while IFS= read -r path; do
        path=${path#./}
        depth=$(($(tr -cd / <<<"$path" | wc -c)))
        printf '%*s%s\n' $((depth * 4 + 4)) '' "'${path##*/}'$([ -d "$path" ] && echo /)"
    done)
}
echo "== D: before"
show_tree

# Only c: and the sample drive: a drive link is seen by a new wineserver only.
wineserver -k 2>/dev/null || true
wineserver -w 2>/dev/null || true
for link in "$prefix"/dosdevices/*; do
    case $(basename "$link") in c:) ;; *) rm -f "$link" ;; esac
done
ln -s "$drive" "$prefix/dosdevices/d:"
mkdir -p "$prefix/drive_c/Rescindo"
cp "$build/win32/app/rescindo.exe" "$prefix/drive_c/Rescindo/rescindo.exe"

cleanup() {
    wineserver -k 2>/dev/null || true
    rm -f "$prefix/dosdevices/d:"
    [ -z "${xvfb_pid:-}" ] || kill "$xvfb_pid" 2>/dev/null || true
}
trap cleanup EXIT

desktop_key='HKCU\Software\Wine\Explorer'
if [ $headless = 0 ]; then
    wine reg delete "$desktop_key" /v Desktop /f >/dev/null 2>&1 || true
    echo "== running C:\\Rescindo\\rescindo.exe: press Continue, then OK and Exit"
    echo "   (the 32-bit program can take up to a minute to appear under emulation)"
    wine 'C:\Rescindo\rescindo.exe' >"$demo/wine.log" 2>&1 </dev/null || true
else
    # Wine's virtual desktop draws the caption bar that a bare X server without a window
    # manager would leave out.
    display=:$((90 + RANDOM % 100))
    Xvfb "$display" -screen 0 800x600x24 -nolisten tcp >"$demo/xvfb.log" 2>&1 &
    xvfb_pid=$!
    export DISPLAY=$display
    for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
    wine reg add "$desktop_key" /v Desktop /d Default /f >/dev/null 2>&1
    wine reg add "$desktop_key\\Desktops" /v Default /d 800x600 /f >/dev/null 2>&1
    # The desktop is made when the server starts: restart it to get the virtual one.
    wineserver -k 2>/dev/null || true
    wineserver -w 2>/dev/null || true
    cp "$build/win64/tests/gui/demo_pilot.exe" "$prefix/drive_c/Rescindo/demo_pilot.exe"
    rm -rf "$prefix/drive_c/rescindo-demo"
    mkdir -p "$prefix/drive_c/rescindo-demo"

    echo "== running C:\\Rescindo\\rescindo.exe headless (the 32-bit program can take up to a minute to appear)"
    start=$(date +%s)
    wine 'C:\Rescindo\rescindo.exe' >"$demo/wine.log" 2>&1 </dev/null &
    program_pid=$!
    /usr/lib/wine/wine64 'C:\Rescindo\demo_pilot.exe' >"$demo/pilot.log" 2>"$demo/pilot.err" </dev/null &
    pilot_pid=$!
    seen=0
    while kill -0 "$pilot_pid" 2>/dev/null || [ "$(wc -l <"$demo/pilot.log")" -gt "$seen" ]; do
        lines=$(wc -l <"$demo/pilot.log")
        while [ "$seen" -lt "$lines" ]; do
            seen=$((seen + 1))
            line=$(sed -n "${seen}p" "$demo/pilot.log")
            case $line in
            screenshot*)
                read -r _ name x y w h <<<"$line"
                [ "$name" = ready ] && echo "   the dialog appeared after $(($(date +%s) - start)) s"
                import -display "$DISPLAY" -window root -crop "${w}x${h}+${x}+${y}" +repage \
                    "$demo/$name.png"
                touch "$prefix/drive_c/rescindo-demo/$name"
                ;;
            *) echo "   $line" ;;
            esac
        done
        sleep 0.2
    done
    wait "$pilot_pid" || { echo "the demo pilot failed"; cat "$demo/pilot.err"; exit 1; }
    wait "$program_pid" || true
    wine reg delete "$desktop_key" /v Desktop /f >/dev/null 2>&1 || true
    echo "   screenshots: $demo/ready.png, $demo/done.png, $demo/finished.png"
fi

echo "== D: after"
show_tree
