#!/usr/bin/env bash
# Makes an isolated Wine prefix in DIR for the tests and the demo: no z: drive (the host's
# root is never visible), headless graphics unless a display is asked for, no crash dialog,
# the classic look. Does nothing when DIR already holds a finished prefix.
#   make-wine-prefix.sh DIR [--display]
#   make-wine-prefix.sh DIR --copy-of PREFIX   DIR as a copy of the finished PREFIX, which no Wine
#                                               program may be using
set -euo pipefail
dir=$(realpath -m "$1")
mode=${2:-}
# Wine links the user's folders (Desktop, Documents, Templates, ...) to the host's home; each
# becomes an empty folder of the prefix, so a walk of C: never leaves the prefix.
unlink_home() {
    find "$1/drive_c/users" -type l 2>/dev/null | while read -r link; do
        rm -f "$link"
        mkdir -p "$link"
    done
}
if [ -f "$dir/.rescindo-ready" ]; then
    unlink_home "$dir"
    exit 0
fi

# Two callers at once would delete each other's half-made prefix: the second waits.
mkdir -p "$(dirname "$dir")"
exec 9>"$dir.lock"
flock 9
if [ -f "$dir/.rescindo-ready" ]; then
    unlink_home "$dir"
    exit 0
fi

rm -rf "$dir"
if [ "$mode" = --copy-of ]; then
    original=$(realpath -m "${3:?--copy-of needs the prefix to copy}")
    [ -f "$original/.rescindo-ready" ] || { echo "no finished Wine prefix at $original" >&2; exit 1; }
    cp -a "$original" "$dir"
    # The copy gets a wineserver of its own, started with its own drives (tests/wine/run-wine.sh).
    rm -f "$dir/.rescindo-ready" "$dir/.rescindo-server" "$dir/wineserver"
    for link in "$dir"/dosdevices/*; do
        case $(basename "$link") in c:) ;; *) rm -f "$link" ;; esac
    done
    unlink_home "$dir"
    touch "$dir/.rescindo-ready"
    exit 0
fi
mkdir -p "$dir/dosdevices" "$dir/drive_c"
# With dosdevices holding only c: before the first boot, Wine never creates z:.
ln -s ../drive_c "$dir/dosdevices/c:"

export WINEPREFIX=$dir WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
/usr/lib/wine/wine64 wineboot -i >"$dir/boot.log" 2>&1
wineserver -w

graphics='"Graphics"="null"'
[ "$mode" = --display ] && graphics='"Graphics"="x11"'
cat >"$dir/drive_c/rescindo.reg" <<REG
REGEDIT4

[HKEY_CURRENT_USER\\Software\\Wine\\Drivers]
$graphics

[HKEY_CURRENT_USER\\Software\\Wine\\WineDbg]
"ShowCrashDialog"=dword:00000000

[HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\ThemeManager]
"ThemeActive"="0"
REG
/usr/lib/wine/wine64 regedit /S 'C:\rescindo.reg' >/dev/null 2>&1
rm -f "$dir/drive_c/rescindo.reg"
wineserver -w

for link in "$dir"/dosdevices/*; do
    case $(basename "$link") in c:) ;; *) rm -f "$link" ;; esac
done
unlink_home "$dir"
touch "$dir/.rescindo-ready"
