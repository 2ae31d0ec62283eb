#!/usr/bin/env bash
# Runs the unlock walk benchmark under wine64 on a fresh scratch drive D: of the test prefix.
#   run-bench.sh [BUILD_DIR] [directories-per-level] [files-per-directory]
# The default tree is 10 x 10 directories of 1000 files: 100,000 files.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${1:-$root/build/win64}
export RESCINDO_WINEPREFIX=${RESCINDO_WINEPREFIX:-$root/build/wineprefix}
"$root/scripts/make-wine-prefix.sh" "$RESCINDO_WINEPREFIX"
RESCINDO_DRIVES=d "$root/tests/wine/run-wine.sh" wine64 "$build/bench/unlock/unlock_bench.exe" \
    "${2:-10}" "${3:-1000}"
