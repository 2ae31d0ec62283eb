// Bitsliced triple-DES CBC decryption on AVX2: 256 blocks per pass. Only the functions of this
// file are compiled for AVX2; the program calls them after checking that the processor has it.
#include "crypto/des_bitslice.h"
#include <immintrin.h>
#include <cstring>

// Everything from here to the end, the included rounds and circuits too, is for AVX2 alone.
#if defined(__clang__)
#pragma clang attribute push(__attribute__((target("avx2"))), apply_to = function)
#else
#pragma GCC push_options
#pragma GCC target("avx2")
#endif

typedef __m256i Slice;

static inline Slice SliceLoad(const uint8_t* p) {
    return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
}

static inline void SliceStore(uint8_t* p, Slice v) {
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(p), v);
}

static inline Slice SliceShiftLeft64(Slice v, int n) {
    return _mm256_slli_epi64(v, n);
}

static inline Slice SliceShiftRight64(Slice v, int n) {
    return _mm256_srli_epi64(v, n);
}

static inline Slice SliceOfWord(uint64_t w) {
    return _mm256_set1_epi64x(int64_t(w));
}

static inline Slice KeySlice(const uint32_t* bit) {
    return _mm256_set1_epi32(int(*bit));
}

static inline Slice SliceFirstPrevious(const uint8_t* in, const uint8_t chain[8]) {
    int64_t words[4];
    memcpy(&words[0], chain, 8);
    memcpy(&words[1], in, 24);
    return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(words));
}

#include "crypto/des_bitslice_rounds.h"

// 32-bit Windows keeps the stack only 4-byte aligned: realign it for the vectors spilled there.
__attribute__((force_align_arg_pointer)) void
TripleDesCbcDecryptAvx2(const uint8_t* in, uint8_t* out, uint32_t batches, uint8_t chain[8],
                        const DesSlicedKeys* keys) {
    for (uint32_t b = 0; b < batches; b++)
        DesSlicedCbcBatch(in + b * BlocksPerBatch * 8, out + b * BlocksPerBatch * 8, chain, keys);
}

#if defined(__clang__)
#pragma clang attribute pop
#else
#pragma GCC pop_options
#endif
