#!/usr/bin/env bash
# Runs one Windows program under Wine for CTest (its cross-compiling emulator):
#   run-wine.sh wine|wine64|wine-emulated PROGRAM.exe [ARGS...]
# wine-emulated runs the 32-bit loader through qemu's user-mode emulator whatever this machine's
# kernel can run, as it runs on machines that cannot run 32-bit code. The program learns which
# way its 32-bit code runs from RESCINDO_I386_CODE ("native" or "emulated").
# The program runs in the project's own prefix (RESCINDO_WINEPREFIX), which has no z: drive.
# Each letter in RESCINDO_DRIVES (for example "d e") becomes a drive mapped to a new empty
# folder made for this run alone; the folders are deleted afterwards.
set -u
loader=$1
shift
prefix=${RESCINDO_WINEPREFIX:?RESCINDO_WINEPREFIX must name the test prefix}
[ -f "$prefix/.rescindo-ready" ] || { echo "no finished Wine prefix at $prefix" >&2; exit 2; }
here=$(cd "$(dirname "$0")" && pwd)
case $loader in
wine64) loader_path=(/usr/lib/wine/wine64) ;;
wine-emulated)
    loader_path=(env WINELOADERNOEXEC=1 qemu-i386-static /usr/lib/wine/wine-preloader /usr/lib/wine/wine)
    export RESCINDO_I386_CODE=emulated
    ;;
*)
    loader_path=(wine)
    case $("$here/../../scripts/i386-code.sh" status) in
    *emulated) export RESCINDO_I386_CODE=emulated ;;
    *) export RESCINDO_I386_CODE=native ;;
    esac
    ;;
esac

# The two Windows trees run their tests side by side. A test that needs the machine to itself
# (Wine's file manager drops the selection it is sent on a busy machine) sets
# RESCINDO_QUIET_MACHINE: it waits for the test going in the other tree, and the next waits for it.
exec 8>/tmp/rescindo-machine.lock
if [ -n "${RESCINDO_QUIET_MACHINE:-}" ]; then flock 8; else flock -s 8; fi

scratch=$(mktemp -d "${TMPDIR:-/tmp}/rescindo-run.XXXXXX")
out=$scratch/stdout
err=$scratch/stderr
export WINEPREFIX=$prefix WINEDEBUG=${WINEDEBUG:--all}
# Wine's Recycle Bin is the desktop's trash below XDG_DATA_HOME: a folder of this run, never the
# user's own (RESCINDO_NO_TRASH: one Wine cannot make, so that it has no bin at all).
export XDG_DATA_HOME=${RESCINDO_NO_TRASH:+/proc/rescindo-no-trash}
[ -n "$XDG_DATA_HOME" ] || { XDG_DATA_HOME=$scratch/data; mkdir -p "$XDG_DATA_HOME"; }

# A new drive link is seen only by a new wineserver, so stop the old one first.
wineserver -k 2>/dev/null
wineserver -w 2>/dev/null
for link in "$prefix"/dosdevices/*; do
    case $(basename "$link") in c:) ;; *) rm -f "$link" ;; esac
done
for letter in ${RESCINDO_DRIVES:-}; do
    mkdir -p "$scratch/drives/$letter"
    ln -s "$scratch/drives/$letter" "$prefix/dosdevices/$letter:"
done
# Wine cannot make symbolic links from the Windows side: a test that needs some names a script
# in RESCINDO_DRIVE_SETUP, run with the folder holding the drive folders (one per letter) and
# "setup". One that looks at the drives afterwards names a script in RESCINDO_DRIVE_CHECK, run with
# that folder and "check": the run fails when it does.
if [ -n "${RESCINDO_DRIVE_SETUP:-}" ]; then
    "$RESCINDO_DRIVE_SETUP" "$scratch/drives" setup || { rm -rf "$scratch"; exit 2; }
fi

# Wine's helper processes inherit our output handles; writing to files keeps CTest from
# waiting on them.
"${loader_path[@]}" "$@" >"$out" 2>"$err" </dev/null
status=$?
cat "$out"
grep -v -E '^(fixme|err:(ole|winediag)|[0-9a-f]+:fixme)' "$err" >&2
if [ $status -eq 0 ] && [ -n "${RESCINDO_DRIVE_CHECK:-}" ]; then
    "$RESCINDO_DRIVE_CHECK" "$scratch/drives" check || status=1
fi
wineserver -k 2>/dev/null
wineserver -w 2>/dev/null
for letter in ${RESCINDO_DRIVES:-}; do rm -f "$prefix/dosdevices/$letter:"; done
chmod -R u+rwX "$scratch" 2>/dev/null
rm -rf "$scratch"
exit $status
