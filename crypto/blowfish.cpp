// Blowfish: key schedule, the two block operations, CFB-8 and CBC over the state's register.
#include "crypto/blowfish.h"
#include "crypto/blowfish_tables.h"
#include <cstring>

uint32_t ByteSwap32(uint32_t word) {
    return (word >> 24) | ((word >> 8) & 0x0000ff00u) | ((word << 8) & 0x00ff0000u) | (word << 24);
}

// Blocks travel in memory as bytes; the cipher reads each half big-endian. The halves are loaded
// as native words and byte-swapped, which is right on the little-endian machines this runs on.
static inline uint32_t LoadHalf(const uint8_t* bytes) {
    uint32_t word;
    memcpy(&word, bytes, 4);
    return ByteSwap32(word);
}

static inline void StoreHalf(uint8_t* bytes, uint32_t half) {
    uint32_t word = ByteSwap32(half);
    memcpy(bytes, &word, 4);
}

static inline uint32_t BlowfishF(const uint32_t (*s)[256], uint32_t x) {
    return ((s[0][x >> 24] + s[1][(x >> 16) & 0xff]) ^ s[2][(x >> 8) & 0xff]) + s[3][x & 0xff];
}

// One round without the exchange of halves: the halves take turns as a and b.
#define BLOWFISH_ROUND(a, b, n) (a) ^= BlowfishF(s, (b)) ^ p[n]

static inline void EncryptHalves(const BlowfishState* state, uint32_t* left, uint32_t* right) {
    const uint32_t* p = state->pArray;
    const uint32_t(*s)[256] = state->sBoxes;
    uint32_t l = *left ^ p[0], r = *right;
    BLOWFISH_ROUND(r, l, 1);
    BLOWFISH_ROUND(l, r, 2);
    BLOWFISH_ROUND(r, l, 3);
    BLOWFISH_ROUND(l, r, 4);
    BLOWFISH_ROUND(r, l, 5);
    BLOWFISH_ROUND(l, r, 6);
    BLOWFISH_ROUND(r, l, 7);
    BLOWFISH_ROUND(l, r, 8);
    BLOWFISH_ROUND(r, l, 9);
    BLOWFISH_ROUND(l, r, 10);
    BLOWFISH_ROUND(r, l, 11);
    BLOWFISH_ROUND(l, r, 12);
    BLOWFISH_ROUND(r, l, 13);
    BLOWFISH_ROUND(l, r, 14);
    BLOWFISH_ROUND(r, l, 15);
    BLOWFISH_ROUND(l, r, 16);
    *left = r ^ p[17];
    *right = l;
}

static inline void DecryptHalves(const BlowfishState* state, uint32_t* left, uint32_t* right) {
    const uint32_t* p = state->pArray;
    const uint32_t(*s)[256] = state->sBoxes;
    uint32_t l = *left ^ p[17], r = *right;
    BLOWFISH_ROUND(r, l, 16);
    BLOWFISH_ROUND(l, r, 15);
    BLOWFISH_ROUND(r, l, 14);
    BLOWFISH_ROUND(l, r, 13);
    BLOWFISH_ROUND(r, l, 12);
    BLOWFISH_ROUND(l, r, 11);
    BLOWFISH_ROUND(r, l, 10);
    BLOWFISH_ROUND(l, r, 9);
    BLOWFISH_ROUND(r, l, 8);
    BLOWFISH_ROUND(l, r, 7);
    BLOWFISH_ROUND(r, l, 6);
    BLOWFISH_ROUND(l, r, 5);
    BLOWFISH_ROUND(r, l, 4);
    BLOWFISH_ROUND(l, r, 3);
    BLOWFISH_ROUND(r, l, 2);
    BLOWFISH_ROUND(l, r, 1);
    *left = r ^ p[0];
    *right = l;
}

void BlowfishEncryptBlock(const BlowfishState* state, uint32_t* left, uint32_t* right) {
    EncryptHalves(state, left, right);
}

void BlowfishDecryptBlock(const BlowfishState* state, uint32_t* left, uint32_t* right) {
    DecryptHalves(state, left, right);
}

// Only whole 4-byte key words take part, and their count is taken modulo 64 before they cycle
// over the P-array; a key of 33 bytes therefore keys like its first 32. A key with no whole word
// (which no caller passes) leaves the P-array as the initial tables give it, so the result is still
// fixed and defined.
void BlowfishSetKey(BlowfishState* state, const uint8_t* key, uint32_t keyLength,
                    const uint8_t* iv) {
    memcpy(state->pArray, BlowfishInitialPArray, sizeof state->pArray);
    memcpy(state->sBoxes, BlowfishInitialSBoxes, sizeof state->sBoxes);
    uint32_t words = (keyLength / 4) % 64;
    if (words > 0) {
        for (uint32_t i = 0; i < 18; i++)
            state->pArray[i] ^= LoadHalf(key + 4 * (i % words));
    }
    uint32_t left = 0, right = 0;
    for (uint32_t i = 0; i < 18; i += 2) {
        EncryptHalves(state, &left, &right);
        state->pArray[i] = left;
        state->pArray[i + 1] = right;
    }
    for (uint32_t box = 0; box < 4; box++) {
        for (uint32_t i = 0; i < 256; i += 2) {
            EncryptHalves(state, &left, &right);
            state->sBoxes[box][i] = left;
            state->sBoxes[box][i + 1] = right;
        }
    }
    if (iv) {
        memcpy(state->ivRegister, iv, 8);
    } else {
        left = 0;
        right = 0;
        EncryptHalves(state, &left, &right);
        StoreHalf(state->ivRegister, left);
        StoreHalf(state->ivRegister + 4, right);
    }
    memcpy(state->savedPArray, state->pArray, sizeof state->pArray);
    memcpy(state->savedSBoxes, state->sBoxes, sizeof state->sBoxes);
    memcpy(state->savedIv, state->ivRegister, 8);
}

void BlowfishReset(BlowfishState* state) {
    memcpy(state->pArray, state->savedPArray, sizeof state->pArray);
    memcpy(state->sBoxes, state->savedSBoxes, sizeof state->sBoxes);
    memcpy(state->ivRegister, state->savedIv, 8);
}

// The register shifts one byte to the front per byte and takes in the ciphertext byte; in cipher
// order that is a 64-bit shift across the two halves.
void BlowfishCfb8Encrypt(BlowfishState* state, const uint8_t* in, uint8_t* out, uint32_t length) {
    if (length == 0)
        return;
    uint32_t regLeft = LoadHalf(state->ivRegister), regRight = LoadHalf(state->ivRegister + 4);
    for (uint32_t i = 0; i < length; i++) {
        uint32_t left = regLeft, right = regRight;
        EncryptHalves(state, &left, &right);
        uint8_t c = uint8_t(in[i] ^ (left >> 24));
        out[i] = c;
        regLeft = (regLeft << 8) | (regRight >> 24);
        regRight = (regRight << 8) | c;
    }
    StoreHalf(state->ivRegister, regLeft);
    StoreHalf(state->ivRegister + 4, regRight);
}

// Short tail of both CBC directions: the register is encrypted in place and its leading bytes
// are xored onto the last length % 8 bytes, so output is always as long as input.
static void CbcTail(BlowfishState* state, const uint8_t* in, uint8_t* out, uint32_t tail) {
    uint32_t left = LoadHalf(state->ivRegister), right = LoadHalf(state->ivRegister + 4);
    EncryptHalves(state, &left, &right);
    StoreHalf(state->ivRegister, left);
    StoreHalf(state->ivRegister + 4, right);
    for (uint32_t i = 0; i < tail; i++)
        out[i] = uint8_t(in[i] ^ state->ivRegister[i]);
}

void BlowfishCbcEncrypt(BlowfishState* state, const uint8_t* in, uint8_t* out, uint32_t length) {
    uint32_t blocks = length / 8, tail = length % 8;
    uint32_t regLeft = LoadHalf(state->ivRegister), regRight = LoadHalf(state->ivRegister + 4);
    for (uint32_t j = 0; j < blocks; j++, in += 8, out += 8) {
        regLeft ^= LoadHalf(in);
        regRight ^= LoadHalf(in + 4);
        EncryptHalves(state, &regLeft, &regRight);
        StoreHalf(out, regLeft);
        StoreHalf(out + 4, regRight);
    }
    StoreHalf(state->ivRegister, regLeft);
    StoreHalf(state->ivRegister + 4, regRight);
    if (tail > 0)
        CbcTail(state, in, out, tail);
}

// CBC decryption does not chain through the cipher: each block is the decryption of its own
// ciphertext xored with the one before, so several blocks go through the rounds together. Their
// rounds are independent chains of table lookups, and interleaving them keeps the processor's
// load ports busy where one block alone would wait on each lookup in turn.
const uint32_t BlowfishBlocksInFlight = 8;

static inline void DecryptHalvesInFlight(const BlowfishState* state, uint32_t* left,
                                         uint32_t* right) {
    const uint32_t* p = state->pArray;
    const uint32_t(*s)[256] = state->sBoxes;
    uint32_t l[BlowfishBlocksInFlight], r[BlowfishBlocksInFlight];
    for (uint32_t k = 0; k < BlowfishBlocksInFlight; k++) {
        l[k] = left[k] ^ p[17];
        r[k] = right[k];
    }
    // Written out in full, as the single-block rounds are, so that each block's halves stay in
    // registers at any optimisation level.
#pragma GCC unroll 8
    for (uint32_t n = 16; n > 0; n -= 2) {
#pragma GCC unroll 8
        for (uint32_t k = 0; k < BlowfishBlocksInFlight; k++)
            BLOWFISH_ROUND(r[k], l[k], n);
#pragma GCC unroll 8
        for (uint32_t k = 0; k < BlowfishBlocksInFlight; k++)
            BLOWFISH_ROUND(l[k], r[k], n - 1);
    }
    for (uint32_t k = 0; k < BlowfishBlocksInFlight; k++) {
        left[k] = r[k] ^ p[0];
        right[k] = l[k];
    }
}

void BlowfishCbcDecrypt(BlowfishState* state, const uint8_t* in, uint8_t* out, uint32_t length) {
    uint32_t blocks = length / 8, tail = length % 8;
    uint32_t regLeft = LoadHalf(state->ivRegister), regRight = LoadHalf(state->ivRegister + 4);
    for (; blocks >= BlowfishBlocksInFlight; blocks -= BlowfishBlocksInFlight) {
        uint32_t left[BlowfishBlocksInFlight], right[BlowfishBlocksInFlight];
        uint32_t cipherLeft[BlowfishBlocksInFlight], cipherRight[BlowfishBlocksInFlight];
        // All ciphertext is read before any plaintext is written, so in == out works.
        for (uint32_t k = 0; k < BlowfishBlocksInFlight; k++) {
            left[k] = cipherLeft[k] = LoadHalf(in + 8 * k);
            right[k] = cipherRight[k] = LoadHalf(in + 8 * k + 4);
        }
        DecryptHalvesInFlight(state, left, right);
        for (uint32_t k = 0; k < BlowfishBlocksInFlight; k++) {
            StoreHalf(out + 8 * k, left[k] ^ regLeft);
            StoreHalf(out + 8 * k + 4, right[k] ^ regRight);
            regLeft = cipherLeft[k];
            regRight = cipherRight[k];
        }
        in += 8 * BlowfishBlocksInFlight;
        out += 8 * BlowfishBlocksInFlight;
    }
    for (; blocks > 0; blocks--, in += 8, out += 8) {
        uint32_t cipherLeft = LoadHalf(in), cipherRight = LoadHalf(in + 4);
        uint32_t left = cipherLeft, right = cipherRight;
        DecryptHalves(state, &left, &right);
        StoreHalf(out, left ^ regLeft);
        StoreHalf(out + 4, right ^ regRight);
        regLeft = cipherLeft;
        regRight = cipherRight;
    }
    StoreHalf(state->ivRegister, regLeft);
    StoreHalf(state->ivRegister + 4, regRight);
    if (tail > 0)
        CbcTail(state, in, out, tail);
}

// volatile keeps the compiler from dropping the wipe of a state that is not read again.
void BlowfishClear(BlowfishState* state) {
    volatile uint8_t* bytes = reinterpret_cast<volatile uint8_t*>(state);
    for (size_t i = 0; i < sizeof *state; i++)
        bytes[i] = 0;
}
