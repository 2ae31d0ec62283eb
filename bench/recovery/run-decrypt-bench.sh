#!/usr/bin/env bash
# rescindo-cli decrypt --auto on a folder of .crypt files (64 files, 256 MiB by default: each
# begins like a real file of a known type and was encrypted by OpenSSL under one of the built-in
# keys), under wine64 on drive D: of the test prefix, beside `openssl enc -d` of the same files
# with the right keys here. Prints the share of the program's time spent finding keys and the
# ratio to OpenSSL.
#   run-decrypt-bench.sh [BUILD_DIR] [FILES] [MiB per file]
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${1:-$root/build/win64}
files=${2:-64}
mib=${3:-4}
export RESCINDO_WINEPREFIX=${RESCINDO_WINEPREFIX:-$root/build/wineprefix}
"$root/scripts/make-wine-prefix.sh" "$RESCINDO_WINEPREFIX"

work=$(mktemp -d "${TMPDIR:-/tmp}/rescindo-decrypt.XXXXXX")
trap 'rm -rf "$work"' EXIT
source "$root/bench/recovery/crypt_folder.sh"
openssl_first=$(openssl_seconds)

cat >"$work/setup.sh" <<SETUP
#!/bin/sh
mkdir "\$1/d/set"
for f in "$work/set/"*.crypt; do ln "\$f" "\$1/d/set/" 2>/dev/null || cp "\$f" "\$1/d/set/"; done
SETUP
chmod +x "$work/setup.sh"
start=$(date +%s.%N)
out=$(RESCINDO_DRIVES=d RESCINDO_DRIVE_SETUP=$work/setup.sh \
    "$root/tests/wine/run-wine.sh" wine64 "$build/cli/rescindo-cli.exe" decrypt --auto --json 'D:\set' |
    tr -d '\r')
end=$(date +%s.%N)
openssl_second=$(openssl_seconds)
openssl=$(awk -v a="$openssl_first" -v b="$openssl_second" 'BEGIN { print (a < b ? a : b) }')

summary=$(grep '"kind":"summary"' <<<"$out")
field() { sed -E "s/.*\"$1\":([0-9]+).*/\1/" <<<"$summary"; }
# Every key the program found against the key each file was made under.
echo "$out" >"$work/out.jsonl"
wrong=$(python3 - "$work/set/KEYS" "$work/out.jsonl" <<'PY'
import json, sys
want = dict(line.split() for line in open(sys.argv[1]))
wrong = 0
for line in open(sys.argv[2]):
    entry = json.loads(line)
    if entry["kind"] == "file":
        name = entry["path"].rsplit("\\", 1)[1]
        wrong += entry.get("key") != int(want[name])
print(wrong)
PY
)
elapsed=$(field elapsed_ms)
identify=$(field identify_ms)
echo "$(field files) files, $((files * mib)) MiB: $(field decrypted) decrypted, $wrong keys wrong, exit code $(field exit_code)"
awk -v i="$identify" -v e="$elapsed" -v w="$start" -v x="$end" -v o="$openssl" 'BEGIN {
    printf "rescindo-cli decrypt --auto, in the program (Wine) %8.3f s\n", e / 1000
    printf "  of which finding keys                         %8.3f s\n", i / 1000
    printf "rescindo-cli decrypt --auto, whole run with Wine  %8.3f s\n", x - w
    printf "openssl enc -d, right keys given                  %8.3f s\n", o
    printf "finding keys / the program'"'"'s time          %6.2f %% (at most 5 %%)\n", 100 * i / e
    printf "the program'"'"'s time / openssl enc -d        %6.2f\n", e / 1000 / o
}'
