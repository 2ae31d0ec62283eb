# Sourced by the .crypt folder benchmarks, with root, work, files and mib set: makes the folder
# $work/set (FILES .crypt files of MiB each, each beginning like a real file of a known type and
# encrypted by OpenSSL under one of the built-in keys, listed with its key in $work/set/KEYS) and
# defines openssl_seconds, the time `openssl enc -d` takes for the same files with the right keys.
mkdir "$work/set"
python3 "$root/bench/recovery/make_crypt_folder.py" "$root/recovery/builtin_des_keys.cpp" \
    "$work/set" "$files" "$mib"

# Two-key triple-DES CBC from the encryption of the zero block, as the decryptor keys it.
keys=$(python3 - "$root/tests/recovery" "$root/recovery/builtin_des_keys.cpp" <<'PY'
import sys
sys.path.insert(0, sys.argv[1])
from openssl_oracle import TwoKeyTripleDes, read_built_in_keys
for key in read_built_in_keys(sys.argv[2]):
    print(key.hex(), TwoKeyTripleDes(key).encrypt_block(bytes(8)).hex())
PY
)
openssl_seconds() {
    local start end name index key iv
    start=$(date +%s.%N)
    while read -r name index; do
        read -r key iv < <(sed -n "$((index + 1))p" <<<"$keys")
        openssl enc -d -des-ede-cbc -nopad -K "$key" -iv "$iv" -in "$work/set/$name" -out "$work/out"
    done <"$work/set/KEYS"
    end=$(date +%s.%N)
    rm -f "$work/out"
    awk -v a="$start" -v b="$end" 'BEGIN { print b - a }'
}
