#!/usr/bin/env bash
# Decrypts one 256 MiB .crypt file with each cipher under wine64 (drive D: of the test prefix)
# and prints, beside OpenSSL's native figures from the same run: each cipher alone on buffers in
# memory (openssl speed), the file decryption (openssl enc -d), the file decryption against the
# cipher alone, and a copy of the file.
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
rate() { awk "BEGIN { printf \"%.1f\", $megabytes / $1 }"; }
best() { awk -v a="$1" -v b="${2:-0}" 'BEGIN { print (a > b ? a : b) }'; }
legacy=(-provider legacy -provider default)
key=(-K 00112233445566778899aabbccddeeff -iv 0001020304050607 -in "$work/data.crypt" -out "$work/out")
# OpenSSL's cipher alone on 2 MiB buffers (wall clock, like ours), and its decryption of the file.
speed() { # cipher [options]: MB/s
    openssl speed -mr -elapsed -seconds 1 -bytes 2097152 -decrypt "${@:2}" -evp "$1" 2>/dev/null |
        awk -F: '/^\+F:/ { printf "%.1f", $NF / 1e6 }'
}
openssl_rates() { # the best of this run and the ones before, as the machine may be busy
    des_speed=$(best "$(speed des-ede-cbc)" "${des_speed:-0}")
    bf_speed=$(best "$(speed bf-cbc "${legacy[@]}")" "${bf_speed:-0}")
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
ours() { awk -v name="$1" '$1 == name {print $2}' <<<"$wine_out"; }
openssl_rates
cp_native=$(rate "$(seconds cp "$work/data.crypt" "$work/copy")")

echo "$(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ *//'), $(nproc) cores"
echo "${mib} MiB .crypt file; MB/s (decimal megabytes), each the best of five runs;"
echo "ours: the win64 build under wine64; OpenSSL: native, in the same run"
printf '%-38s %10s %10s %8s\n' "" "ours" "OpenSSL" "ratio"
row() { printf '%-38s %10s %10s %8s\n' "$1" "$2" "$3" "$(calc "$2 / $3")"; }
row "triple-DES CBC decrypt, 2 MiB buffers" "$(ours cipher-des)" "$des_speed"
row "triple-DES file (openssl enc -d)" "$(ours file-des)" "$des"
row "Blowfish CBC decrypt, 2 MiB buffers" "$(ours cipher-bf)" "$bf_speed"
row "Blowfish file (openssl enc -d)" "$(ours file-bf)" "$bf"
echo
printf '%-38s %10s %10s %8s\n' "file beside the cipher alone" "file" "cipher" "ratio"
row "triple-DES" "$(ours file-des)" "$(ours cipher-des)"
row "Blowfish" "$(ours file-bf)" "$(ours cipher-bf)"
echo
printf '%-38s %10s\n' "copy, CopyFileW under wine64" "$(ours copy)" "copy, cp native" "$cp_native"
