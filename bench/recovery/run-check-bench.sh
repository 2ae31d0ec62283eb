#!/usr/bin/env bash
# What checking decrypted outputs costs: a folder of .crypt files (64 of 4 MiB by default: ZIPs of
# deflated and of stored entries, PNG, gzip, JPEG and PDF files the check takes as sound, each
# encrypted by OpenSSL under one of the built-in keys) is decrypted on drive D: of the test prefix,
# every file with its format's check and without, the best of ROUNDS rounds; prints the speed of a
# checked run beside an unchecked one for each type and overall (the target: 0.9 or more). The
# 64-bit build runs under wine64; the product build at RESCINDO_BENCH_WIN32, when it is named, runs
# under 32-bit Wine as well (its target check_bench is built first).
#   run-check-bench.sh [BUILD_DIR] [ROUNDS] [FILES] [MiB per file]
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${1:-$root/build/win64}
rounds=${2:-3}
files=${3:-64}
mib=${4:-4}
export RESCINDO_WINEPREFIX=${RESCINDO_WINEPREFIX:-$root/build/wineprefix}
"$root/scripts/make-wine-prefix.sh" "$RESCINDO_WINEPREFIX"

work=$(mktemp -d "${TMPDIR:-/tmp}/rescindo-check.XXXXXX")
trap 'rm -rf "$work"' EXIT
mkdir "$work/set"
python3 "$root/bench/recovery/make_check_folder.py" "$root/recovery/builtin_des_keys.cpp" \
    "$work/set" "$files" "$mib"

cat >"$work/setup.sh" <<SETUP
#!/bin/sh
for f in "$work/set/"*.crypt "$work/set/KEYS"; do ln "\$f" "\$1/d/" 2>/dev/null || cp "\$f" "\$1/d/"; done
SETUP
chmod +x "$work/setup.sh"

status=0
run() {
    local loader=$1 program=$2 out
    echo "== $loader $program"
    out=$(RESCINDO_DRIVES=d RESCINDO_DRIVE_SETUP=$work/setup.sh \
        "$root/tests/wine/run-wine.sh" "$loader" "$program" 'd:' "$rounds" | tr -d '\r') || status=1
    echo "$out"
}
run wine64 "$build/bench/recovery/check_bench.exe"
if [ -n "${RESCINDO_BENCH_WIN32:-}" ]; then
    # The product tree builds its benchmarks only when asked.
    cmake --build "$RESCINDO_BENCH_WIN32" --target check_bench -- --no-print-directory >/dev/null
    run wine "$RESCINDO_BENCH_WIN32/bench/recovery/check_bench.exe"
fi
exit $status
