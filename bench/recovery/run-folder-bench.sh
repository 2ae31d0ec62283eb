#!/usr/bin/env bash
# Decrypting a folder beside copying it: 10,000 .crypt files of 16 KiB and 64 of 4 MiB, each
# folder decrypted with rescindo-cli decrypt --auto and copied (CopyFileW of each file, a program
# of the benchmark's own) in the same run, on drive D: of the test prefix; the 64-bit build under
# wine64 (the target: decryption at 0.8 of the copy's speed or more), then the product build.
#   run-folder-bench.sh [RUNS]
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
runs=${1:-3}
export RESCINDO_WINEPREFIX=${RESCINDO_WINEPREFIX:-$root/build/wineprefix}
"$root/scripts/make-wine-prefix.sh" "$RESCINDO_WINEPREFIX"
# The product tree builds its benchmarks only when asked.
cmake --build "$root/build/win32" --target folder_bench -- --no-print-directory >/dev/null
work=$(mktemp -d "${TMPDIR:-/tmp}/rescindo-folder.XXXXXX")
trap 'rm -rf "$work"' EXIT

for shape in "10000 16k" "64 4"; do
    read -r files size <<<"$shape"
    rm -rf "$work/set"
    mkdir -p "$work/set"
    python3 "$root/bench/recovery/make_crypt_folder.py" "$root/recovery/builtin_des_keys.cpp" \
        "$work/set" "$files" "$size"
    rm -f "$work/set/KEYS"
    cat >"$work/setup.sh" <<SETUP
#!/bin/sh
cp -r "$work/set" "\$1/d/set"
SETUP
    chmod +x "$work/setup.sh"
    unit=$([ "${size%k}" != "$size" ] && echo "${size%k} KiB" || echo "$size MiB")
    for build in win64 win32; do
        loader=$([ $build = win64 ] && echo wine64 || echo wine)
        cp "$root/build/$build/cli/rescindo-cli.exe" "$work/rescindo-cli-$build.exe"
        result=$(RESCINDO_DRIVES="d" RESCINDO_DRIVE_SETUP=$work/setup.sh \
            "$root/tests/wine/run-wine.sh" $loader "$root/build/$build/bench/recovery/folder_bench.exe" \
            'D:\set' "\\\\?\\unix${work//\//\\}\\rescindo-cli-$build.exe" "$runs" | tr -d '\r')
        ratio=$(sed -n 's/^ratio //p' <<<"$result")
        echo "$files files of $unit, $build: copy $(sed -n 's/^copy //p' <<<"$result") s," \
            "decrypt --auto $(sed -n 's/^decrypt //p' <<<"$result") s: decryption at $ratio of the copy's speed" \
            "$([ $build = win64 ] && echo '(target >= 0.8)')"
    done
done
