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

# Builds that run beside tests go at a lower priority and hold the machine's lock shared, so that
# a test that needs the machine to itself waits for them (tests/wine/run-wine.sh).
beside_tests="flock -s /tmp/rescindo-machine.lock nice -n 10"
configure() { # name, extra cmake arguments...
    local name=$1
    shift
    cmake -S "$root" -B "$build/$name" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >"$build/$name.configure.log" 2>&1 ||
        { cat "$build/$name.configure.log"; exit 1; }
    ${priority:-} cmake --build "$build/$name" -j"$jobs" -- --no-print-directory >"$build/$name.build.log" 2>&1 ||
        { tail -n 60 "$build/$name.build.log"; exit 1; }
}
# Each Windows tree tests in a prefix of its own, so that both trees' tests can run at once. The
# tests of one tree run under ctest -j: those under Wine take their prefix in turn, the others (the
# release's build) run beside them. A test that needs a quiet machine runs last, on its own.
run_tests() { # name [prefix]
    RESCINDO_WINEPREFIX=${2:-} ctest --test-dir "$build/$1" -j"$jobs" -LE quiet_machine \
        --output-on-failure --timeout 600 >"$build/$1.ctest.log" 2>&1 || true
}
run_quiet_tests() { # name prefix
    RESCINDO_WINEPREFIX=$2 ctest --test-dir "$build/$1" -L quiet_machine --output-on-failure \
        --timeout 600 >>"$build/$1.ctest.log" 2>&1 || true
}
mkdir -p "$build"
# The Wine prefixes boot while the first tree builds: booting waits on the disk more than on a
# processor. The product tree's is a copy of the other.
("$root/scripts/make-wine-prefix.sh" "$build/wineprefix" &&
    "$root/scripts/make-wine-prefix.sh" "$build/wineprefix-win32" --copy-of "$build/wineprefix") \
    >"$build/wineprefix.log" 2>&1 &
prefix_job=$!
# The 64-bit build is there for its tests alone: no debug information, which halves its build.
configure win64 -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-x86_64.cmake" \
    -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O2 -DNDEBUG" -DCMAKE_C_FLAGS_RELWITHDEBINFO="-O2 -DNDEBUG"
wait "$prefix_job" || { cat "$build/wineprefix.log"; exit 1; }

# Most of a Wine test is spent waiting: the 64-bit tree tests while the product tree builds, the
# product tree while the native tree builds, and both trees' tests overlap.
run_tests win64 "$build/wineprefix" &
tests_job=$!
(
    priority=$beside_tests
    configure win32 -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake"
    run_tests win32 "$build/wineprefix-win32" &
    # The sanitizers' tree: lightly optimised, with line tables for their reports.
    status=0
    (configure native -DRESCINDO_SANITIZE=ON -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g1 -DNDEBUG" \
        -DCMAKE_C_FLAGS_RELWITHDEBINFO="-O1 -g1 -DNDEBUG") || status=1
    [ $status -ne 0 ] || run_tests native
    wait
    exit $status
) || { kill "$tests_job" 2>/dev/null; exit 1; }
wait "$tests_job"
run_quiet_tests win64 "$build/wineprefix"

passed=0
failed=0
for name in native win64 win32; do
    echo "== $name"
    log=$build/$name.ctest.log
    cat "$log"
    # A log holds one summary for each ctest run that ended; a run without one counts as failed.
    runs=$(grep -c '^Test project ' "$log" || true)
    ended=$(grep -c 'No tests were found' "$log" || true)
    while read -r summary; do
        [ -n "$summary" ] || continue
        total=$(sed -E 's/.*out of ([0-9]+).*/\1/' <<<"$summary")
        bad=$(sed -E 's/.*passed, ([0-9]+) tests? failed.*/\1/' <<<"$summary")
        passed=$((passed + total - bad))
        failed=$((failed + bad))
        ended=$((ended + 1))
    done < <(grep -E 'tests passed, [0-9]+ tests? failed out of [0-9]+' "$log" || true)
    [ "$runs" -gt 0 ] && [ "$ended" -ge "$runs" ] || failed=$((failed + 1))
done
echo "$i386_code"
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
