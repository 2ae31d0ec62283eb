#!/usr/bin/env bash
# Identifies the keys of a folder of .crypt files (64 files, 256 MiB by default: each begins like a
# real file of a known type and was encrypted by OpenSSL under one of the built-in keys) and
# decrypts them all, under wine64 (drive D: of the test prefix); compares with `openssl enc -d` of
# the same files with the right keys here.
#   run-identify-bench.sh [BUILD_DIR] [FILES] [MiB per file]
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${1:-$root/build/win64}
files=${2:-64}
mib=${3:-4}
export RESCINDO_WINEPREFIX=${RESCINDO_WINEPREFIX:-$root/build/wineprefix}
"$root/scripts/make-wine-prefix.sh" "$RESCINDO_WINEPREFIX"

work=$(mktemp -d "${TMPDIR:-/tmp}/rescindo-identify.XXXXXX")
trap 'rm -rf "$work"' EXIT
source "$root/bench/recovery/crypt_folder.sh"
openssl_first=$(openssl_seconds)

cat >"$work/setup.sh" <<SETUP
#!/bin/sh
for f in "$work/set/"*.crypt; do ln "\$f" "\$1/d/" 2>/dev/null || cp "\$f" "\$1/d/"; done
SETUP
chmod +x "$work/setup.sh"
out=$(RESCINDO_DRIVES=d RESCINDO_DRIVE_SETUP=$work/setup.sh \
    "$root/tests/wine/run-wine.sh" wine64 "$build/bench/recovery/identify_bench.exe" 'd:' | tr -d '\r')
openssl_second=$(openssl_seconds)
openssl=$(awk -v a="$openssl_first" -v b="$openssl_second" 'BEGIN { print (a < b ? a : b) }')

value() { awk -v k="$1" '$1 == k { print $2 }' <<<"$out"; }
wrong=$(awk 'NR == FNR { want[$1] = $2; next } $1 == "key" && want[$2] != $3 { n++ } END { print n + 0 }' \
    "$work/set/KEYS" <(echo "$out"))
identify=$(value identify)
decrypt=$(value decrypt)
echo "$(value files) files, $((files * mib)) MiB: $(value identified) keys identified ($wrong wrong), $(value decrypted) decrypted"
awk -v i="$identify" -v d="$decrypt" -v o="$openssl" 'BEGIN {
    printf "identify keys (Wine)    %8.3f s\n", i
    printf "decrypt (Wine)          %8.3f s\n", d
    printf "openssl enc -d          %8.3f s\n", o
    printf "identify / (identify + decrypt)   %6.2f %%\n", 100 * i / (i + d)
    printf "identify / openssl enc -d         %6.2f %%\n", 100 * i / o
}'
