#!/usr/bin/env bash
# Installs everything the build, the tests, the demo and the benchmarks need
# on a fresh Debian 12 machine. Safe to run again: it does nothing when all is
# already there.
set -euo pipefail

packages=(
  cmake make g++ clang clang-format libclang-rt-14-dev
  googletest libgtest-dev libbenchmark-dev libssl-dev openssl nlohmann-json3-dev
  g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix mingw-w64-tools
  wine wine32:i386 wine64 fonts-wine wine32-preloader:i386 wine64-preloader
  xvfb xauth xfonts-base x11-utils imagemagick
  locales python3 qemu-user-static
)

sudo_cmd=()
[ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}\n' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

# Some virtual machines run no 32-bit Linux code natively; 32-bit Wine then runs through
# qemu's user-mode emulator, registered for 32-bit ELF files.
enable_i386_emulation() {
    /lib/ld-linux.so.2 --version >/dev/null 2>&1 && return 0
    local misc=/proc/sys/fs/binfmt_misc
    [ -e $misc/register ] || "${sudo_cmd[@]}" mount -t binfmt_misc binfmt_misc $misc
    local magic='\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00'
    local mask='\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff'
    [ -e $misc/rescindo-i386 ] || echo ":rescindo-i386:M::${magic}\x02\x00\x03\x00:${mask}:/usr/bin/qemu-i386-static:FOC" |
        "${sudo_cmd[@]}" tee $misc/register >/dev/null
    [ -e $misc/rescindo-i386-so ] || echo ":rescindo-i386-so:M::${magic}\x03\x00\x03\x00:${mask}:/usr/bin/qemu-i386-static:FOC" |
        "${sudo_cmd[@]}" tee $misc/register >/dev/null
}

if [ ${#missing[@]} -eq 0 ]; then
    enable_i386_emulation
    exit 0
fi


if ! dpkg --print-foreign-architectures | grep -qx i386; then
  "${sudo_cmd[@]}" dpkg --add-architecture i386
fi
echo "installing: ${missing[*]}" >&2
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq >/dev/null
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
enable_i386_emulation
