#!/usr/bin/env bash
# Builds the fuzzers with clang (libFuzzer, ASan, UBSan) into build/fuzz and, given a number of
# seconds, runs each named one (all by default) that long:
#   fuzz/build.sh [SECONDS [crypto_fuzz|journal_fuzz|name_rule_fuzz|output_check_fuzz ...]]
#   crypto_fuzz     CBC decryptions at every vector unit level and SHA-256 against OpenSSL; inputs
#                   up to 12000 bytes, so a triple-DES run spans several bitsliced passes and a tail
#   journal_fuzz    the journal reader: no input yields a rename its lines do not name
#   name_rule_fuzz  the name rule against a plain reading of it, at every buffer size
#   output_check_fuzz  the check of a decrypted file in every format: a verdict for any bytes, the
#                   same in any split; seeded with the output check tests' sample files
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out=$root/build/fuzz
mkdir -p "$out"
flags=(-std=c++17 -O1 -g -Wall -Wextra -Werror -fsanitize=fuzzer,address,undefined
    -fno-sanitize-recover=all -I"$root")
clang++ "${flags[@]}" "$root"/fuzz/crypto_fuzz.cpp $(ls "$root"/crypto/*.cpp | grep -v '/make_') \
    "$root"/tests/crypto/openssl_oracle.cpp -lcrypto -o "$out/crypto_fuzz"
clang++ "${flags[@]}" "$root"/fuzz/journal_fuzz.cpp "$root"/cli/journal_format.cpp \
    "$root"/report/text_encoding.cpp "$root"/unlock/name_rule.cpp -o "$out/journal_fuzz"
clang++ "${flags[@]}" "$root"/fuzz/name_rule_fuzz.cpp "$root"/unlock/name_rule.cpp \
    -o "$out/name_rule_fuzz"
clang++ "${flags[@]}" "$root"/fuzz/output_check_fuzz.cpp "$root"/recovery/output_check.cpp \
    "$root"/recovery/check_*.cpp -lz -o "$out/output_check_fuzz"
python3 "$root"/tests/recovery/check_samples.py --seeds "$out/seeds-output_check"
[ $# -gt 0 ] || exit 0
seconds=$1
shift
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(crypto_fuzz journal_fuzz name_rule_fuzz output_check_fuzz)
declare -A max_len=([crypto_fuzz]=12000 [journal_fuzz]=8192 [name_rule_fuzz]=2600
    [output_check_fuzz]=20000)
for target in "${targets[@]}"; do
    corpus=$out/corpus-$target
    mkdir -p "$corpus"
    seeds=()
    [ -d "$root/fuzz/seeds/${target%_fuzz}" ] && seeds=("$root/fuzz/seeds/${target%_fuzz}")
    [ -d "$out/seeds-${target%_fuzz}" ] && seeds=("$out/seeds-${target%_fuzz}")
    (cd "$out" && "./$target" -max_total_time="$seconds" -max_len="${max_len[$target]}" \
        -print_final_stats=1 "$corpus" "${seeds[@]}")
done
