#!/usr/bin/env bash
# Installs whatever is missing, builds every tree and runs every test:
#   native   portable code under AddressSanitizer and UndefinedBehaviorSanitizer, OpenSSL as oracle
#   win64    the Windows code as 64-bit programs under wine64 (real files, real controls, the GUI)
#   win32    the product build (PE32, i386); its tests run under 32-bit Wine
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${RESCINDO_BUILD:-$root/build}
jobs=$(nproc)

"$root/scripts/install-deps.sh"
# Whether 32-bit Wine, and so the product's tests, ran natively or through the emulator.
i386_code=$("$root/scripts/i386-code.sh" status)
echo "$i386_code"

configure() { # name, extra cmake arguments...
    local name=$1
    shift
    cmake -S "$root" -B "$build/$name" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >"$build/$name.configure.log" 2>&1 ||
        { cat "$build/$name.configure.log"; exit 1; }
    cmake --build "$build/$name" -j"$jobs" -- --no-print-directory >"$build/$name.build.log" 2>&1 ||
        { tail -n 60 "$build/$name.build.log"; exit 1; }
}
mkdir -p "$build"
# The Wine prefix boots while the trees build: booting waits on the disk more than on a processor.
"$root/scripts/make-wine-prefix.sh" "$build/wineprefix" >"$build/wineprefix.log" 2>&1 &
prefix_job=$!
# The sanitizers' tree: lightly optimised, with line tables for their reports.
configure native -DRESCINDO_SANITIZE=ON -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g1 -DNDEBUG" \
    -DCMAKE_C_FLAGS_RELWITHDEBINFO="-O1 -g1 -DNDEBUG"
# The 64-bit build is there for its tests alone: no debug information, which halves its build.
configure win64 -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-x86_64.cmake" \
    -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O2 -DNDEBUG" -DCMAKE_C_FLAGS_RELWITHDEBINFO="-O2 -DNDEBUG"
configure win32 -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake"
wait "$prefix_job" || { cat "$build/wineprefix.log"; exit 1; }

export RESCINDO_WINEPREFIX=$build/wineprefix
for name in native win64 win32; do
    ctest --test-dir "$build/$name" --output-on-failure --timeout 600 >"$build/$name.ctest.log" 2>&1 ||
        true
done

passed=0
failed=0
for name in native win64 win32; do
    echo "== $name"
    log=$build/$name.ctest.log
    cat "$log"
    summary=$(grep -E 'tests passed, [0-9]+ tests? failed out of [0-9]+' "$log" | tail -n 1)
    if [ -n "$summary" ]; then
        total=$(sed -E 's/.*out of ([0-9]+).*/\1/' <<<"$summary")
        bad=$(sed -E 's/.*passed, ([0-9]+) tests? failed.*/\1/' <<<"$summary")
        passed=$((passed + total - bad))
        failed=$((failed + bad))
    elif ! grep -q 'No tests were found' "$log"; then
        failed=$((failed + 1))
    fi
done
echo "$i386_code"
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
