#!/usr/bin/env bash
# Decrypts one 256 MiB .crypt file with each cipher under wine64 (drive D: of the test prefix)
# and compares with copying the same file there and with `openssl enc -d` of the same data here.
#   run-bench.sh [BUILD_DIR] [MiB]
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${1:-$root/build/win64}
mib=${2:-256}
export RESCINDO_WINEPREFIX=${RESCINDO_WINEPREFIX:-$root/build/wineprefix}
"$root/scripts/make-wine-prefix.sh" "$RESCINDO_WINEPREFIX"

work=$(mktemp -d "${TMPDIR:-/tmp}/rescindo-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT
# Any bytes are a valid .crypt file: it is raw CBC ciphertext without a header.
head -c $((mib * 1048576)) /dev/urandom >"$work/data.crypt"

seconds() { # command...: wall time of one run
    local start end
    start=$(date +%s.%N)
    "$@" >/dev/null
    end=$(date +%s.%N)
    awk -v a="$start" -v b="$end" 'BEGIN { print b - a }'
}
calc() { awk "BEGIN { printf \"%.2f\", $1 }"; }
megabytes=$(calc "$mib * 1.048576")
rate() { calc "$megabytes / $1"; }
legacy=(-provider legacy -provider default)
key=(-K 00112233445566778899aabbccddeeff -iv 0001020304050607 -in "$work/data.crypt" -out "$work/out")
best() { awk -v a="$1" -v b="${2:-0}" 'BEGIN { print (a > b ? a : b) }'; }
openssl_rates() { # the better of this run and the one before, as the machine may be busy
    des=$(best "$(rate "$(seconds openssl enc -d -des-ede-cbc -nopad "${key[@]}")")" "${des:-0}")
    bf=$(best "$(rate "$(seconds openssl enc -d -bf-cbc -nopad "${legacy[@]}" "${key[@]}")")" "${bf:-0}")
    rm -f "$work/out"
}
openssl_rates

cat >"$work/setup.sh" <<SETUP
#!/bin/sh
ln "$work/data.crypt" "\$1/d/data.crypt" 2>/dev/null || cp "$work/data.crypt" "\$1/d/data.crypt"
SETUP
chmod +x "$work/setup.sh"
wine_out=$(RESCINDO_DRIVES=d RESCINDO_DRIVE_SETUP=$work/setup.sh \
    "$root/tests/wine/run-wine.sh" wine64 "$build/bench/recovery/recovery_bench.exe" 'd:\data.crypt')
copy=$(awk '$1 == "copy" {print $2}' <<<"$wine_out")
ours_des=$(awk '$1 == "des" {print $2}' <<<"$wine_out")
ours_bf=$(awk '$1 == "bf" {print $2}' <<<"$wine_out")
openssl_rates

echo "${mib} MiB .crypt file, MB/s (decimal megabytes)"
printf '%-24s %10s %14s %16s\n' "" "MB/s" "vs copy (Wine)" "vs openssl enc -d"
printf '%-24s %10s\n' "copy, CopyFileW (Wine)" "$copy"
printf '%-24s %10s %14.2f %16.2f\n' "decrypt triple-DES" "$ours_des" "$(calc "$ours_des / $copy")" \
    "$(calc "$ours_des / $des")"
printf '%-24s %10s %14.2f %16.2f\n' "decrypt Blowfish" "$ours_bf" "$(calc "$ours_bf / $copy")" \
    "$(calc "$ours_bf / $bf")"
printf '%-24s %10s\n' "openssl des-ede-cbc -d" "$des" "openssl bf-cbc -d" "$bf" \
    "copy, cp (native)" "$(rate "$(seconds cp "$work/data.crypt" "$work/copy")")"
