#!/usr/bin/env bash
# Installs everything the build, the tests, the demo and the benchmarks need
# on a fresh Debian 12 machine. Safe to run again: it does nothing when all is
# already there.
set -euo pipefail

packages=(
  cmake make g++ clang clang-format libclang-rt-14-dev
  googletest libgtest-dev libbenchmark-dev libssl-dev openssl osslsigncode nlohmann-json3-dev
  g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix mingw-w64-tools
  zlib1g-dev libz-mingw-w64-dev
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
    "$(dirname "$0")/i386-code.sh" needed
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
# A mirror in the middle of a sync serves index files of the wrong size for a
# while: try again, and go on with whatever lists came down if it never settles
# (the install then says plainly which package it cannot find).
for attempt in 1 2 3 4 5; do
  "${sudo_cmd[@]}" apt-get update -qq >/dev/null && break
  echo "apt-get update failed (attempt $attempt of 5); trying again in 15 s" >&2
  sleep 15
done
install=("${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends)
if ! "${install[@]}" "${missing[@]}" >/dev/null; then
  # With one architecture's update index missing, 32-bit and 64-bit copies of a
  # library no longer come in the same version. The release's own suite has
  # both: take its versions where they differ.
  codename=$(. /etc/os-release && echo "$VERSION_CODENAME")
  echo "install failed; trying again with the versions of $codename itself" >&2
  "${install[@]}" -t "$codename" "${missing[@]}" >/dev/null
fi
enable_i386_emulation
