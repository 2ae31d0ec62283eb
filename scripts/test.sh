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
wait "$prefix_job" || { cat "$build/wineprefix.log"; exit 1; }

export RESCINDO_WINEPREFIX=$build/wineprefix
run_tests() { # name
    ctest --test-dir "$build/$1" --output-on-failure --timeout 600 >"$build/$1.ctest.log" 2>&1 ||
        true
}
# The first two trees test while the product builds: most of a Wine test is spent waiting, and
# the build, at a lower priority, takes what the tests leave. It holds the machine's lock shared,
# so that a test that needs the machine to itself waits for it.
(run_tests native && run_tests win64) &
tests_job=$!
(
    exec 9>/tmp/rescindo-machine.lock
    flock -s 9
    renice -n 10 $BASHPID >/dev/null
    configure win32 -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake"
) || { kill "$tests_job" 2>/dev/null; exit 1; }
wait "$tests_job"
run_tests win32

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
