// Bitsliced triple-DES CBC decryption on SSE2: 128 blocks per pass. Only the functions of this
// file are compiled for SSE2; the program calls them after checking that the processor has it
// (every processor that runs 64-bit Windows does).
#include "crypto/des_bitslice.h"
#include <immintrin.h>
#include <cstring>

// Everything from here to the end, the included rounds and circuits too, is for SSE2 alone.
#if defined(__clang__)
#pragma clang attribute push(__attribute__((target("sse2"))), apply_to = function)
#else
#pragma GCC push_options
#pragma GCC target("sse2")
#endif

typedef __m128i Slice;

static inline Slice SliceLoad(const uint8_t* p) {
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
}

static inline void SliceStore(uint8_t* p, Slice v) {
    _mm_storeu_si128(reinterpret_cast<__m128i*>(p), v);
}

static inline Slice SliceShiftLeft64(Slice v, int n) {
    return _mm_slli_epi64(v, n);
}

static inline Slice SliceShiftRight64(Slice v, int n) {
    return _mm_srli_epi64(v, n);
}

static inline Slice SliceOfWord(uint64_t w) {
    return _mm_set1_epi64x(int64_t(w));
}

static inline Slice KeySlice(const uint32_t* bit) {
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(bit));
}

static inline Slice SliceFirstPrevious(const uint8_t* in, const uint8_t chain[8]) {
    int64_t words[2];
    memcpy(&words[0], chain, 8);
    memcpy(&words[1], in, 8);
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(words));
}

#include "crypto/des_bitslice_rounds.h"

// 32-bit Windows keeps the stack only 4-byte aligned: realign it for the vectors spilled there.
__attribute__((force_align_arg_pointer)) void
TripleDesCbcDecryptSse2(const uint8_t* in, uint8_t* out, uint32_t batches, uint8_t chain[8],
                        const DesSlicedKeys* keys) {
    for (uint32_t b = 0; b < batches; b++)
        DesSlicedCbcBatch(in + b * BlocksPerBatch * 8, out + b * BlocksPerBatch * 8, chain, keys);
}

#if defined(__clang__)
#pragma clang attribute pop
#else
#pragma GCC pop_options
#endif
