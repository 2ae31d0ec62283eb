#!/usr/bin/env bash
# Builds the crypto fuzzer with clang (libFuzzer, ASan, UBSan) into build/fuzz and, given a
# number of seconds, runs it that long:  fuzz/build.sh [SECONDS]
# Inputs go up to 12000 bytes, so that a triple-DES run spans several bitsliced passes and a tail.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out=$root/build/fuzz
mkdir -p "$out/corpus"
clang++ -std=c++17 -O1 -g -Wall -Wextra -Werror -fsanitize=fuzzer,address,undefined \
    -fno-sanitize-recover=all -I"$root" \
    "$root"/fuzz/crypto_fuzz.cpp $(ls "$root"/crypto/*.cpp | grep -v '/make_') \
    "$root"/tests/crypto/openssl_oracle.cpp \
    -lcrypto -o "$out/crypto_fuzz"
if [ $# -gt 0 ]; then
    cd "$out"
    ./crypto_fuzz -max_total_time="$1" -max_len=12000 -print_final_stats=1 corpus
fi
