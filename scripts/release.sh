#!/usr/bin/env bash
# Builds a release from a clean checkout: the product build (PE32, i386) of every program that
# ships, packed with README.txt, LICENSE.txt and the programs' checksums into
# dist/rescindo-VERSION.zip, and dist/SHA256SUMS, the checksum of the zip.
#
# Two runs on the same commit give the same bytes, in any folder, at any time, as any user:
# the build leaves out time stamps and folder names, and every entry of the zip gets the
# commit's time. The programs are the very bytes that build/win32 of scripts/test.sh tests.
#
#   RESCINDO_BUILD     build folder (default: build/release in the checkout)
#   RESCINDO_DIST      output folder (default: dist in the checkout)
#   SOURCE_DATE_EPOCH  the commit's time, needed only for a source tree outside git
set -euo pipefail
export LC_ALL=C TZ=UTC
umask 022
root=$(cd "$(dirname "$0")/.." && pwd)
build=${RESCINDO_BUILD:-$root/build/release}
dist=${RESCINDO_DIST:-$root/dist}

fail() {
    echo "release.sh: $*" >&2
    exit 1
}

if [ "$(git -C "$root" rev-parse --show-toplevel 2>/dev/null)" = "$root" ]; then
    [ -z "$(git -C "$root" status --porcelain)" ] ||
        fail "the checkout has uncommitted changes; a release is built from a commit: commit or stash them first"
    epoch=$(git -C "$root" log -1 --format=%ct)
    commit=$(git -C "$root" rev-parse HEAD)
else
    epoch=${SOURCE_DATE_EPOCH:?"$root is not a git checkout: set SOURCE_DATE_EPOCH to the commit's time"}
    commit="(source tree outside git)"
fi
# The time goes into the zip alone. The build must not need it (the linker would take it for the
# PE header), as the tested build/win32 is built without it.
unset SOURCE_DATE_EPOCH

"$root/scripts/install-deps.sh"

# The version as the programs' own compiler reads it from res/version.h.
compiler=i686-w64-mingw32-g++-posix
version=$(printf '#include "res/version.h"\nRESCINDO_VERSION_TEXT\n' |
    "$compiler" -E -P -x c++ -I "$root" - | tr -d '"[:space:]')
[[ $version =~ ^[0-9]+\.[0-9]+\.[0-9]+$ ]] || fail "res/version.h gives no version (read: '$version')"

# The build type and toolchain of build/win32 in scripts/test.sh, so that what ships is what was
# tested; only the programs that ship are built, from scratch.
mkdir -p "$build"
cmake --fresh -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DRESCINDO_TESTS=OFF \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" >"$build/configure.log" 2>&1 ||
    { cat "$build/configure.log"; fail "configuring failed"; }
cmake --build "$build" --clean-first --target shipped_programs -j"$(nproc)" -- --no-print-directory \
    >"$build/build.log" 2>&1 || { tail -n 40 "$build/build.log"; fail "building failed"; }
mapfile -t programs <"$build/shipped-programs.txt"

zip=$(python3 "$root/scripts/pack-release.py" "$dist" "$version" "$epoch" \
    "$root/docs/README.txt" "$root/LICENSE" "${programs[@]}")

echo "commit:    $commit"
echo "toolchain: $("$compiler" --version | head -n 1); $(i686-w64-mingw32-ld --version | head -n 1)"
echo "programs:  ${programs[*]##*/}"
echo "zip:       $zip"
cat "$dist/SHA256SUMS"
