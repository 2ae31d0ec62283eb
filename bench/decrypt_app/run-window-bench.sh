#!/usr/bin/env bash
# The decrypt window beside the console program, on drive D: of the test prefix, in one run:
# - speed: a folder of 2,000 .crypt files of 16 KiB (types that Automatic identifies, encrypted by
#   OpenSSL under the built-in keys) decrypted by rescindo-cli decrypt --auto, the whole process,
#   and by the window started with the folder, from the press of Decrypt until the run has ended,
#   in turn, the best of ROUNDS each (the target: the window at 0.95 of the console's speed or
#   more), then the window with its list and with all of it kept from redrawing;
# - the list: 100,000 .crypt files of 8 bytes in 100 folders listed by the window beside a plain
#   enumeration, paged through and sorted by each column, each step beside the 100 ms pause a
#   user notices.
# The 64-bit build runs under wine64. RESCINDO_BENCH_WIN32 naming a product build adds its window
# and console program, worked by the same 64-bit benchmark without reading the window's memory
# (where 32-bit code runs emulated, compare its ratios, not its times).
# The drive is a folder in memory (/dev/shm) unless RESCINDO_BENCH_TMPDIR names another place:
# every output is flushed to the disk, by both programs alike, and on a disk those flushes vary by
# more than the difference measured.
# RESCINDO_BENCH_BESIDE naming another 64-bit rescindo-decrypt.exe times it in the same rounds as
# the 64-bit build's, to try a change to the window on a machine that is busy with other work.
#   run-window-bench.sh [ROUNDS] [SPEED FILES] [LIST FOLDERS] [FILES A FOLDER]
# The 64-bit build is build/win64 unless RESCINDO_BENCH_WIN64 names another.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
rounds=${1:-5}
files=${2:-2000}
folders=${3:-100}
per_folder=${4:-1000}
win64=${RESCINDO_BENCH_WIN64:-$root/build/win64}
win32=${RESCINDO_BENCH_WIN32:-}
export RESCINDO_WINEPREFIX=${RESCINDO_WINEPREFIX:-$root/build/wineprefix}
"$root/scripts/make-wine-prefix.sh" "$RESCINDO_WINEPREFIX"

memory=/dev/shm
[ -d "$memory" ] && [ -w "$memory" ] || memory=${TMPDIR:-/tmp}
work=$(mktemp -d "${RESCINDO_BENCH_TMPDIR:-$memory}/rescindo-window.XXXXXX")
trap 'chmod -R u+rwX "$work" 2>/dev/null; rm -rf "$work"' EXIT
mkdir "$work/speed" "$work/list" "$work/bin"
python3 "$root/bench/recovery/make_crypt_folder.py" "$root/recovery/builtin_des_keys.cpp" \
    "$work/speed" "$files" 16k
rm -f "$work/speed/KEYS"
# Names whose order is not the order they are made in, so that a sort by name moves the rows;
# the bytes are never decrypted, only listed.
python3 - "$work/list" "$folders" "$per_folder" <<'MAKE'
import os
import sys

root, folders, per_folder = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
types = ["pdf", "zip", "png", "jpg", "docx", "xlsx", "txt"]
total = folders * per_folder
for folder in range(folders):
    path = os.path.join(root, "folder-%03d" % folder)
    os.mkdir(path)
    for number in range(per_folder):
        spread = (folder * per_folder + number) * 7919 % total
        name = "%06d-%s.%s.crypt" % (spread, "abcdefghij"[number % 10] * 3, types[number % 7])
        with open(os.path.join(path, name), "wb") as out:
            out.write(os.urandom(8))
MAKE

for build in win64 win32; do
    from=$([ $build = win64 ] && echo "$win64" || echo "$win32")
    [ -n "$from" ] || continue
    mkdir "$work/bin/$build"
    cp "$from/decrypt_app/rescindo-decrypt.exe" "$from/cli/rescindo-cli.exe" "$work/bin/$build/"
done
if [ -n "${RESCINDO_BENCH_BESIDE:-}" ]; then
    mkdir "$work/bin/beside"
    cp "$RESCINDO_BENCH_BESIDE" "$work/bin/beside/rescindo-decrypt.exe"
fi
# Hard links where the drive's folder allows them: 100,000 files are not copied for each run.
cat >"$work/setup.sh" <<SETUP
#!/bin/sh
for folder in speed list bin; do
    cp -al "$work/\$folder" "\$1/d/\$folder" 2>/dev/null || cp -r "$work/\$folder" "\$1/d/\$folder"
done
SETUP
chmod +x "$work/setup.sh"
# Bash reads a script as it goes: the runner is read from a copy, as the tree may be edited during
# the minutes this takes.
cp "$root/tests/wine/run-wine.sh" "$work/run-wine.sh"

status=0
# The speed and the list each in a Wine session of its own: the runner holds the machine's shared
# lock while it runs, and a test that wants the machine to itself waits for one, not for both.
run() {
    local build=$1 speed=$2 list=$3
    shift 3
    # Started in C:, the prefix's own folder: Wine cannot see the folder this script runs in. The
    # runner makes the drive below TMPDIR, where the hard links reach, and Wine its own folders,
    # which go with this one.
    (cd "$RESCINDO_WINEPREFIX/drive_c" && TMPDIR=$work LANG=C.UTF-8 LC_ALL= RESCINDO_DRIVES=d \
        RESCINDO_DRIVE_SETUP=$work/setup.sh "$work/run-wine.sh" wine64 \
        "$win64/bench/decrypt_app/window_bench.exe" \
        "D:\\bin\\$build\\rescindo-decrypt.exe" "D:\\bin\\$build\\rescindo-cli.exe" \
        "$speed" "$list" "$rounds" "$@") | tr -d '\r' || status=1
}
for build in win64 win32; do
    [ -d "$work/bin/$build" ] || continue
    remote=$([ $build = win32 ] && echo --no-remote || true)
    beside=()
    if [ $build = win64 ] && [ -d "$work/bin/beside" ]; then
        beside=(--beside 'D:\bin\beside\rescindo-decrypt.exe')
    fi
    if [ $build = win64 ]; then
        echo "== 64-bit build: rescindo-decrypt.exe beside rescindo-cli.exe, under wine64"
    else
        echo
        echo "== product build: rescindo-decrypt.exe beside rescindo-cli.exe, under 32-bit Wine"
    fi
    run $build 'D:\speed' - $remote "${beside[@]}"
    run $build - 'D:\list' $remote
done
exit $status
