// The inner DES steps shared by single DES and triple-DES. Blocks are loaded as two little-endian
// words; after the initial permutation each half holds its 32 bits in DES order (bit 1 most
// significant) rotated left by 5, so that the eight 6-bit groups of the expansion sit at bits
// 0, 8, 16 and 24 of the half and of the half rotated left by 4. The round and key tables are
// built for exactly this layout.
#pragma once
#include <cstdint>
#include "crypto/des.h"
#include "crypto/des_tables.h"

static inline uint32_t DesRotateLeft(uint32_t word, unsigned count) {
    return (word << count) | (word >> (32 - count));
}

static inline uint32_t DesLoadWord(const uint8_t* bytes) {
    return uint32_t(bytes[0]) | uint32_t(bytes[1]) << 8 | uint32_t(bytes[2]) << 16 |
           uint32_t(bytes[3]) << 24;
}

static inline void DesStoreWord(uint8_t* bytes, uint32_t word) {
    bytes[0] = uint8_t(word);
    bytes[1] = uint8_t(word >> 8);
    bytes[2] = uint8_t(word >> 16);
    bytes[3] = uint8_t(word >> 24);
}

// Exchanges the bits of b selected by mask with the bits of a selected by mask << shift.
#define DES_SWAP_MASK(a, b, shift, mask)                                                           \
    do {                                                                                           \
        uint32_t swapped_ = (((a) >> (shift)) ^ (b)) & (mask);                                     \
        (b) ^= swapped_;                                                                           \
        (a) ^= swapped_ << (shift);                                                                \
    } while (0)

// The initial permutation as a transpose of the 8x8 bit matrix of the block.
static inline void DesInitialPermutation(uint32_t* left, uint32_t* right) {
    uint32_t l = *left, r = *right;
    DES_SWAP_MASK(l, r, 4, 0x0f0f0f0fu);
    DES_SWAP_MASK(l, r, 16, 0x0000ffffu);
    DES_SWAP_MASK(l, r, 2, 0x33333333u);
    DES_SWAP_MASK(l, r, 8, 0x00ff00ffu);
    DES_SWAP_MASK(l, r, 1, 0x55555555u);
    *left = DesRotateLeft(l, 5);
    *right = DesRotateLeft(r, 5);
}

// The final permutation: the same exchanges in reverse order undo the initial one.
static inline void DesFinalPermutation(uint32_t* left, uint32_t* right) {
    uint32_t l = DesRotateLeft(*left, 27), r = DesRotateLeft(*right, 27);
    DES_SWAP_MASK(l, r, 1, 0x55555555u);
    DES_SWAP_MASK(l, r, 8, 0x00ff00ffu);
    DES_SWAP_MASK(l, r, 2, 0x33333333u);
    DES_SWAP_MASK(l, r, 16, 0x0000ffffu);
    DES_SWAP_MASK(l, r, 4, 0x0f0f0f0fu);
    *left = l;
    *right = r;
}

// f(R, K): expansion and subkey xor by two masks, S-boxes and P by the eight combined tables.
static inline uint32_t DesRoundFunction(uint32_t right, const uint32_t subkey[2]) {
    uint32_t u = right ^ subkey[0];
    uint32_t t = DesRotateLeft(right, 4) ^ subkey[1];
    return DesSpTables[0][u & 63] ^ DesSpTables[6][(u >> 8) & 63] ^ DesSpTables[4][(u >> 16) & 63] ^
           DesSpTables[2][(u >> 24) & 63] ^ DesSpTables[1][t & 63] ^ DesSpTables[7][(t >> 8) & 63] ^
           DesSpTables[5][(t >> 16) & 63] ^ DesSpTables[3][(t >> 24) & 63];
}

// Two Feistel rounds without exchanging the halves: l takes round a, r takes round b.
#define DES_TWO_ROUNDS(l, r, k, a, b)                                                              \
    do {                                                                                           \
        (l) ^= DesRoundFunction((r), (k)[a]);                                                      \
        (r) ^= DesRoundFunction((l), (k)[b]);                                                      \
    } while (0)

// Sixteen rounds on permuted halves. The halves come back exchanged (R16, L16), which is both the
// input of the final permutation and the input of a following DES in triple-DES.
static inline void DesRounds(uint32_t* left, uint32_t* right, const DesKeySchedule* schedule,
                             int encrypt) {
    uint32_t l = *left, r = *right;
    const uint32_t(*k)[2] = schedule->subkeys;
    if (encrypt) {
        DES_TWO_ROUNDS(l, r, k, 0, 1);
        DES_TWO_ROUNDS(l, r, k, 2, 3);
        DES_TWO_ROUNDS(l, r, k, 4, 5);
        DES_TWO_ROUNDS(l, r, k, 6, 7);
        DES_TWO_ROUNDS(l, r, k, 8, 9);
        DES_TWO_ROUNDS(l, r, k, 10, 11);
        DES_TWO_ROUNDS(l, r, k, 12, 13);
        DES_TWO_ROUNDS(l, r, k, 14, 15);
    } else {
        DES_TWO_ROUNDS(l, r, k, 15, 14);
        DES_TWO_ROUNDS(l, r, k, 13, 12);
        DES_TWO_ROUNDS(l, r, k, 11, 10);
        DES_TWO_ROUNDS(l, r, k, 9, 8);
        DES_TWO_ROUNDS(l, r, k, 7, 6);
        DES_TWO_ROUNDS(l, r, k, 5, 4);
        DES_TWO_ROUNDS(l, r, k, 3, 2);
        DES_TWO_ROUNDS(l, r, k, 1, 0);
    }
    *left = r;
    *right = l;
}
