#!/usr/bin/env bash
# Runs the unlock walk benchmark on a fresh scratch drive D: of the test prefix: the 64-bit build
# under wine64, then the product build under 32-bit Wine; each also times its build's
# rescindo-cli scan beside a plain enumeration, of a clean tree and of a damaged one.
#   run-bench.sh [repeats]
# The builds are build/win64 and build/win32 unless RESCINDO_BENCH_WIN64 and RESCINDO_BENCH_WIN32
# name others; RESCINDO_BENCH_WIN32=none leaves the product build out.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
export RESCINDO_WINEPREFIX=${RESCINDO_WINEPREFIX:-$root/build/wineprefix}
"$root/scripts/make-wine-prefix.sh" "$RESCINDO_WINEPREFIX"
win64=${RESCINDO_BENCH_WIN64:-$root/build/win64}
win32=${RESCINDO_BENCH_WIN32:-$root/build/win32}
echo "== 64-bit build under wine64"
unix_path() { local path=$1; echo "\\\\?\\unix${path//\//\\}"; }
RESCINDO_DRIVES=d "$root/tests/wine/run-wine.sh" wine64 \
    "$win64/bench/unlock/unlock_bench.exe" "${1:-3}" \
    "$(unix_path "$win64/cli/rescindo-cli.exe")"
[ "$win32" = none ] && exit 0
echo
# The product tree builds its benchmarks only when asked.
cmake --build "$win32" --target unlock_bench -- --no-print-directory >/dev/null
echo "== product build (32-bit) under 32-bit Wine (where 32-bit code runs emulated, compare its"
echo "   ratios, not its rates)"
RESCINDO_DRIVES=d "$root/tests/wine/run-wine.sh" wine \
    "$win32/bench/unlock/unlock_bench.exe" "${1:-3}" \
    "$(unix_path "$win32/cli/rescindo-cli.exe")"
