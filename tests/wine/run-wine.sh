#!/usr/bin/env bash
# Runs one Windows program under Wine for CTest (its cross-compiling emulator):
#   run-wine.sh wine|wine64|wine-emulated PROGRAM.exe [ARGS...]
# wine-emulated runs the 32-bit loader through qemu's user-mode emulator whatever this machine's
# kernel can run, as it runs on machines that cannot run 32-bit code. The program learns which
# way its 32-bit code runs from RESCINDO_I386_CODE ("native" or "emulated").
# The program runs in the project's own prefix (RESCINDO_WINEPREFIX), which has no z: drive.
# Each letter in RESCINDO_DRIVES (for example "d e") becomes a drive mapped to an empty folder,
# emptied again afterwards.
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
    case $("$here/../../scripts/i386-code.sh" status 2>/dev/null) in
    *emulated) export RESCINDO_I386_CODE=emulated ;;
    *) export RESCINDO_I386_CODE=native ;;
    esac
    ;;
esac

# Builds and other runs may go on beside this one, holding the machine's lock shared. A test that
# needs the machine to itself (Wine's file manager drops the selection it is sent on a busy
# machine) sets RESCINDO_QUIET_MACHINE: it waits for them, and the next waits for it. Nothing
# Wine starts keeps either lock.
exec 8>/tmp/rescindo-machine.lock
if [ -n "${RESCINDO_QUIET_MACHINE:-}" ]; then flock 8; else flock -s 8; fi
# One run at a time in a prefix: its drives and its wineserver's settings are the run's. Tests that
# need no Wine run beside (ctest -j). Taken after the machine's lock, so that a run waiting for a
# quiet machine keeps no other run of the prefix waiting.
exec 7>"$prefix.lock"
flock 7

export WINEPREFIX=$prefix WINEDEBUG=${WINEDEBUG:--all}
# The drives live in one folder per prefix below TMPDIR, emptied before and after every run, so
# that their links stay the same from run to run: a new drive link is seen only by a new
# wineserver, and starting one (with Wine's services) costs more than most tests take.
base=${TMPDIR:-/tmp}/rescindo-drives.$(id -u).$(printf '%s' "$prefix" | md5sum | cut -c1-12)
# Made by this user alone, never a link: everything below it is deleted.
mkdir -m 700 "$base" 2>/dev/null
[ -d "$base" ] && [ ! -L "$base" ] && [ -O "$base" ] ||
    { echo "$base is not a folder of this user's own: remove it" >&2; exit 2; }
drives=$base/drives
out=$base/stdout
err=$base/stderr
# Wine's Recycle Bin is the desktop's trash below XDG_DATA_HOME: a folder of the run, never the
# user's own (RESCINDO_NO_TRASH: one Wine cannot make, so that it has no bin at all).
export XDG_DATA_HOME=${RESCINDO_NO_TRASH:+/proc/rescindo-no-trash}
XDG_DATA_HOME=${XDG_DATA_HOME:-$base/data}
# What the running wineserver and its services were started with: the drives, and what they took
# from this script's environment.
settings="$base ${RESCINDO_DRIVES:-} ${LANG:-}:${LC_ALL:-}:$XDG_DATA_HOME"
settings_file=$prefix/.rescindo-server

empty_drives() {
    chmod -R u+rwX "$drives" "$base/data" 2>/dev/null
    rm -rf "$drives" "$base/data" "$out" "$err"
    mkdir -p "$drives" "$base/data"
    for letter in ${RESCINDO_DRIVES:-}; do mkdir -p "$drives/$letter"; done
}

stop_server() {
    wineserver -k 2>/dev/null
    wineserver -w 2>/dev/null
    rm -f "$settings_file"
}

# Processes of this prefix other than Wine's own services, which a run may have left behind.
left_behind() {
    local proc command
    for proc in /proc/[0-9]*; do
        grep -qzx "WINEPREFIX=$prefix" "$proc/environ" 2>/dev/null || continue
        command=$(tr '\0' ' ' <"$proc/cmdline" 2>/dev/null)
        case $command in
        "" | *wineserver* | *'\services.exe'* | *'\winedevice.exe'* | *'\plugplay.exe'* | \
            *'\svchost.exe'* | *'\rpcss.exe'* | *'\explorer.exe /desktop'* | *'\conhost.exe'*) ;;
        *) return 0 ;;
        esac
    done
    return 1
}

if [ "$(cat "$settings_file" 2>/dev/null)" != "$settings" ]; then
    stop_server
    for link in "$prefix"/dosdevices/*; do
        case $(basename "$link") in c:) ;; *) rm -f "$link" ;; esac
    done
    mkdir -p "$drives"
    for letter in ${RESCINDO_DRIVES:-}; do ln -s "$drives/$letter" "$prefix/dosdevices/$letter:"; done
    # It stays a while after its last process, for the next run with the same settings.
    wineserver -p 20 </dev/null >/dev/null 2>&1 7>&- 8>&-
    printf '%s' "$settings" >"$settings_file"
fi
empty_drives
# Wine cannot make symbolic links from the Windows side: a test that needs some names a script
# in RESCINDO_DRIVE_SETUP, run with the folder holding the drive folders (one per letter) and
# "setup". One that looks at the drives afterwards names a script in RESCINDO_DRIVE_CHECK, run with
# that folder and "check": the run fails when it does.
if [ -n "${RESCINDO_DRIVE_SETUP:-}" ]; then
    "$RESCINDO_DRIVE_SETUP" "$drives" setup || { empty_drives; exit 2; }
fi

# Wine's helper processes inherit our output handles; writing to files keeps CTest from
# waiting on them.
"${loader_path[@]}" "$@" >"$out" 2>"$err" </dev/null 7>&- 8>&-
status=$?
cat "$out"
grep -v -E '^(fixme|err:(ole|winediag)|[0-9a-f]+:fixme)' "$err" >&2
if [ $status -eq 0 ] && [ -n "${RESCINDO_DRIVE_CHECK:-}" ]; then
    "$RESCINDO_DRIVE_CHECK" "$drives" check || status=1
fi
# A program the run left behind goes with its wineserver, so that the next run starts clean.
if left_behind; then stop_server; fi
empty_drives
exit $status
