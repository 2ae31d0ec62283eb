#!/usr/bin/env bash
# How this machine runs 32-bit Linux code, which 32-bit Wine is: natively, or through qemu's
# user-mode emulator registered for 32-bit ELF files. Some machines of the project's kind cannot
# run it natively; on one that can, `emulate` makes it run as it runs there, so that the tests
# can be run both ways on one machine.
#   i386-code.sh status    prints "32-bit code: native" or "32-bit code: emulated"
#   i386-code.sh needed    registers the emulator only where the kernel cannot run 32-bit code
#   i386-code.sh emulate   registers the emulator (it then runs all 32-bit code, whatever the kernel can)
#   i386-code.sh native    removes this project's registration where the kernel runs 32-bit code
set -euo pipefail
misc=/proc/sys/fs/binfmt_misc
sudo_cmd=()
[ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)

# The ELF header of 32-bit x86 executables and shared objects, as binfmt_misc matches it.
magic='\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00'
mask='\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff'
entries=(rescindo-i386 rescindo-i386-so)

kernel_runs_i386() {
    # With an emulator registered, this would run through it: ask only when none is.
    /lib/ld-linux.so.2 --version >/dev/null 2>&1
}

# Any enabled registration that catches 32-bit x86 executables, ours or another package's.
emulator_registered() {
    [ -e $misc/status ] && grep -qx enabled $misc/status || return 1
    local entry
    for entry in "$misc"/*; do
        case $(basename "$entry") in register | status) continue ;; esac
        grep -qx enabled "$entry" 2>/dev/null || continue
        grep -q '^magic 7f454c46010101000000000000000000020003' "$entry" && return 0
    done
    return 1
}

register() {
    [ -e $misc/register ] || "${sudo_cmd[@]}" mount -t binfmt_misc binfmt_misc $misc
    [ -e $misc/rescindo-i386 ] || echo ":rescindo-i386:M::${magic}\x02\x00\x03\x00:${mask}:/usr/bin/qemu-i386-static:FOC" |
        "${sudo_cmd[@]}" tee $misc/register >/dev/null
    [ -e $misc/rescindo-i386-so ] || echo ":rescindo-i386-so:M::${magic}\x03\x00\x03\x00:${mask}:/usr/bin/qemu-i386-static:FOC" |
        "${sudo_cmd[@]}" tee $misc/register >/dev/null
}

unregister() {
    local entry
    for entry in "${entries[@]}"; do
        [ -e "$misc/$entry" ] && echo -1 | "${sudo_cmd[@]}" tee "$misc/$entry" >/dev/null
    done
    return 0
}

case ${1:-status} in
status)
    if emulator_registered; then
        echo "32-bit code: emulated"
    elif kernel_runs_i386; then
        echo "32-bit code: native"
    else
        echo "32-bit code: cannot run (run scripts/install-deps.sh)"
    fi
    ;;
needed)
    emulator_registered || kernel_runs_i386 || register
    ;;
emulate)
    register
    ;;
native)
    unregister
    if ! emulator_registered && ! kernel_runs_i386; then
        echo "this machine cannot run 32-bit code natively: the emulator stays registered" >&2
        register
        exit 1
    fi
    ;;
*)
    echo "usage: $0 status|needed|emulate|native" >&2
    exit 2
    ;;
esac
