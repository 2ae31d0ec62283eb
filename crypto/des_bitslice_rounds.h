// One bitsliced pass of triple-DES CBC decryption, for any vector width. Include it where these
// are defined, inside the vector unit's target region (each vector unit's file does so):
//   Slice                           a vector type with the bitwise operators
//   SliceLoad(p), SliceStore(p, v)  unaligned load and store of a vector's worth of blocks
//   SliceShiftLeft64(v, n), SliceShiftRight64(v, n)   shifts of each 64-bit lane
//   SliceOfWord(w)                  w in every 64-bit lane
//   KeySlice(bit)                   a subkey bit of DesSlicedKeys in every lane
//   SliceFirstPrevious(in, chain)   the chaining register followed by the first blocks but one
#include "crypto/des_bitslice.h"
#include "crypto/des_sbox_circuits.h"

constexpr uint32_t BlocksPerSlice = sizeof(Slice) / 8;
constexpr uint32_t BlocksPerBatch = 64 * BlocksPerSlice;

// One Feistel round, l ^= P(S(E(r) ^ k)), with E and P of FIPS 46-3 folded into the indices.
static inline void DesSlicedRound(Slice* l, const Slice* r, const uint32_t (*k)[4]) {
    DesSbox1(r[31] ^ KeySlice(k[0]), r[0] ^ KeySlice(k[1]), r[1] ^ KeySlice(k[2]),
             r[2] ^ KeySlice(k[3]), r[3] ^ KeySlice(k[4]), r[4] ^ KeySlice(k[5]), &l[8], &l[16],
             &l[22], &l[30]);
    DesSbox2(r[3] ^ KeySlice(k[6]), r[4] ^ KeySlice(k[7]), r[5] ^ KeySlice(k[8]),
             r[6] ^ KeySlice(k[9]), r[7] ^ KeySlice(k[10]), r[8] ^ KeySlice(k[11]), &l[12], &l[27],
             &l[1], &l[17]);
    DesSbox3(r[7] ^ KeySlice(k[12]), r[8] ^ KeySlice(k[13]), r[9] ^ KeySlice(k[14]),
             r[10] ^ KeySlice(k[15]), r[11] ^ KeySlice(k[16]), r[12] ^ KeySlice(k[17]), &l[23],
             &l[15], &l[29], &l[5]);
    DesSbox4(r[11] ^ KeySlice(k[18]), r[12] ^ KeySlice(k[19]), r[13] ^ KeySlice(k[20]),
             r[14] ^ KeySlice(k[21]), r[15] ^ KeySlice(k[22]), r[16] ^ KeySlice(k[23]), &l[25],
             &l[19], &l[9], &l[0]);
    DesSbox5(r[15] ^ KeySlice(k[24]), r[16] ^ KeySlice(k[25]), r[17] ^ KeySlice(k[26]),
             r[18] ^ KeySlice(k[27]), r[19] ^ KeySlice(k[28]), r[20] ^ KeySlice(k[29]), &l[7],
             &l[13], &l[24], &l[2]);
    DesSbox6(r[19] ^ KeySlice(k[30]), r[20] ^ KeySlice(k[31]), r[21] ^ KeySlice(k[32]),
             r[22] ^ KeySlice(k[33]), r[23] ^ KeySlice(k[34]), r[24] ^ KeySlice(k[35]), &l[3],
             &l[28], &l[10], &l[18]);
    DesSbox7(r[23] ^ KeySlice(k[36]), r[24] ^ KeySlice(k[37]), r[25] ^ KeySlice(k[38]),
             r[26] ^ KeySlice(k[39]), r[27] ^ KeySlice(k[40]), r[28] ^ KeySlice(k[41]), &l[31],
             &l[11], &l[21], &l[6]);
    DesSbox8(r[27] ^ KeySlice(k[42]), r[28] ^ KeySlice(k[43]), r[29] ^ KeySlice(k[44]),
             r[30] ^ KeySlice(k[45]), r[31] ^ KeySlice(k[46]), r[0] ^ KeySlice(k[47]), &l[4],
             &l[26], &l[14], &l[20]);
}

// Exchanges the bits of b selected by mask with the bits of a selected by mask << shift, in each
// 64-bit lane.
static inline void SwapSliceBits(Slice* a, Slice* b, int shift, Slice mask) {
    Slice t = (SliceShiftRight64(*a, shift) ^ *b) & mask;
    *b ^= t;
    *a ^= SliceShiftLeft64(t, shift);
}

// Transposes, in each 64-bit lane, the 64 x 64 bit matrix whose row i is lane word i: afterwards
// word b holds bit b of every row. It is its own inverse.
static inline void TransposeSlices(Slice* v) {
    static const uint64_t masks[6] = {0x00000000ffffffffull, 0x0000ffff0000ffffull,
                                      0x00ff00ff00ff00ffull, 0x0f0f0f0f0f0f0f0full,
                                      0x3333333333333333ull, 0x5555555555555555ull};
    for (int stage = 0, shift = 32; stage < 6; stage++, shift >>= 1) {
        Slice mask = SliceOfWord(masks[stage]);
        for (int i = 0; i < 64; i++)
            if (!(i & shift))
                SwapSliceBits(&v[i], &v[i + shift], shift, mask);
    }
}

// FIPS 46-3 initial permutation: entry i is where DES bit IP[i] of a block sits in the block
// loaded as a little-endian 64-bit word (DES bit 1 is the top bit of the first byte).
static const uint8_t DesInitialSlices[64] = {
    62, 54, 46, 38, 30, 22, 14, 6,  60, 52, 44, 36, 28, 20, 12, 4,  58, 50, 42, 34, 26, 18,
    10, 2,  56, 48, 40, 32, 24, 16, 8,  0,  63, 55, 47, 39, 31, 23, 15, 7,  61, 53, 45, 37,
    29, 21, 13, 5,  59, 51, 43, 35, 27, 19, 11, 3,  57, 49, 41, 33, 25, 17, 9,  1};

// Decrypts BlocksPerBatch blocks in CBC from chain and leaves the last ciphertext block in it.
// Vector i carries blocks BlocksPerSlice * i onward; a block's place in the slices is immaterial,
// since every block goes through the same gates.
static void DesSlicedCbcBatch(const uint8_t* in, uint8_t* out, uint8_t chain[8],
                              const DesSlicedKeys* keys) {
    Slice blocks[64], halves[64];
    for (int i = 0; i < 64; i++)
        blocks[i] = SliceLoad(in + sizeof(Slice) * i);
    TransposeSlices(blocks);
    // The initial permutation only renames slices; halves[0..31] is L, halves[32..63] is R.
    for (int i = 0; i < 64; i++)
        halves[i] = blocks[DesInitialSlices[i]];

    // Three DES operations back to back. Between two of them the final permutation of the one
    // and the initial permutation of the next cancel, leaving only the halves exchanged.
    Slice* l = halves;
    Slice* r = halves + 32;
    const uint32_t(*k)[4] = keys->bits[0];
    for (int des = 0; des < 3; des++) {
        for (int round = 0; round < 16; round += 2, k += 2 * 48) {
            DesSlicedRound(l, r, k);
            DesSlicedRound(r, l, k + 48);
        }
        Slice* exchanged = l;
        l = r;
        r = exchanged;
    }
    // The output before the final permutation is R16 L16, halves[32..63] then halves[0..31]:
    // bit p of it lands where the initial permutation took bit p from.
    for (int i = 0; i < 64; i++)
        blocks[DesInitialSlices[i]] = halves[(i + 32) % 64];
    TransposeSlices(blocks);

    // Each plaintext block is the decryption xor the ciphertext block before it. Written from
    // the end backwards, no store reaches a ciphertext block still to be read when in == out.
    uint8_t last[8];
    for (int i = 0; i < 8; i++)
        last[i] = in[BlocksPerBatch * 8 - 8 + i];
    for (int i = 63; i > 0; i--)
        SliceStore(out + sizeof(Slice) * i, blocks[i] ^ SliceLoad(in + sizeof(Slice) * i - 8));
    SliceStore(out, blocks[0] ^ SliceFirstPrevious(in, chain));
    for (int i = 0; i < 8; i++)
        chain[i] = last[i];
}
