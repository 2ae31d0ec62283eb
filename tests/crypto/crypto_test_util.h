// Helpers shared by the crypto tests: a seeded generator, block-level definitions of CBC and its
// short tail built from the block operations alone, and the lengths, pieces and vector units the
// fast paths are tried at.
#pragma once
#include <gtest/gtest.h>
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>
#include "crypto/blowfish.h"
#include "crypto/des.h"
#include "crypto/des_bitslice.h"
#include "crypto/simd_level.h"
#include "tests/support/hex.h"

#ifndef CRYPTO_TEST_ROUNDS
#define CRYPTO_TEST_ROUNDS 200 // random cases per property; smaller in the product build
#endif

typedef std::vector<uint8_t> Bytes;

// A block cipher's published vector, in hex.
struct BlockVector {
    const char* key;
    const char* plain;
    const char* cipher;
};

// xorshift64*: reproducible from its seed on every platform, unlike std::rand.
struct TestRandom {
    uint64_t state;
};

inline uint32_t NextRandom(TestRandom* random) {
    random->state ^= random->state >> 12;
    random->state ^= random->state << 25;
    random->state ^= random->state >> 27;
    return uint32_t((random->state * 0x2545F4914F6CDD1DULL) >> 32);
}

inline Bytes RandomBytes(TestRandom* random, size_t length) {
    Bytes out(length);
    for (size_t i = 0; i < length; i++)
        out[i] = uint8_t(NextRandom(random));
    return out;
}

inline uint32_t LoadBig(const uint8_t* p) {
    return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3];
}

inline void StoreBig(uint8_t* p, uint32_t w) {
    p[0] = uint8_t(w >> 24);
    p[1] = uint8_t(w >> 16);
    p[2] = uint8_t(w >> 8);
    p[3] = uint8_t(w);
}

// Blowfish encryption of one block held in memory order.
inline void EncryptBytes(const BlowfishState* state, uint8_t block[8]) {
    uint32_t left = LoadBig(block), right = LoadBig(block + 4);
    BlowfishEncryptBlock(state, &left, &right);
    StoreBig(block, left);
    StoreBig(block + 4, right);
}

// Blowfish CBC by its definition: whole blocks chain through the register, a short tail is xored
// with the encrypted register.
inline Bytes BlowfishCbcByDefinition(const BlowfishState* state, const Bytes& in, bool encrypt,
                                     uint8_t reg[8]) {
    Bytes out(in.size());
    size_t whole = in.size() / 8 * 8;
    for (size_t j = 0; j < whole; j += 8) {
        uint8_t block[8];
        if (encrypt) {
            for (int i = 0; i < 8; i++)
                block[i] = in[j + i] ^ reg[i];
            EncryptBytes(state, block);
            memcpy(reg, block, 8);
            memcpy(&out[j], block, 8);
        } else {
            uint32_t left = LoadBig(&in[j]), right = LoadBig(&in[j + 4]);
            BlowfishDecryptBlock(state, &left, &right);
            StoreBig(block, left);
            StoreBig(block + 4, right);
            for (int i = 0; i < 8; i++)
                out[j + i] = block[i] ^ reg[i];
            memcpy(reg, &in[j], 8);
        }
    }
    if (whole < in.size()) {
        EncryptBytes(state, reg);
        for (size_t i = whole; i < in.size(); i++)
            out[i] = in[i] ^ reg[i - whole];
    }
    return out;
}

// Triple-DES CBC decryption by its definition from the block operations.
inline Bytes TripleDesCbcByDefinition(const Bytes& in, uint8_t reg[8]) {
    Bytes out(in.size());
    size_t whole = in.size() / 8 * 8;
    for (size_t j = 0; j < whole; j += 8) {
        TripleDesDecryptBlock(&in[j], &out[j]);
        for (int i = 0; i < 8; i++)
            out[j + i] ^= reg[i];
        memcpy(reg, &in[j], 8);
    }
    if (whole < in.size()) {
        TripleDesEncryptBlock(reg, reg);
        for (size_t i = whole; i < in.size(); i++)
            out[i] = in[i] ^ reg[i - whole];
    }
    return out;
}

inline std::vector<SimdLevel> LevelsHere() {
    std::vector<SimdLevel> levels;
    for (int level = SimdLevelPortable; level <= SupportedSimdLevel(); level++)
        levels.push_back(SimdLevel(level));
    return levels;
}

inline const char* LevelName(SimdLevel level) {
    return level == SimdLevelAvx2 ? "AVX2" : level == SimdLevelSse2 ? "SSE2" : "portable";
}

// Each test pins levels in turn; the processor's own is back afterwards.
struct PinnedLevels : ::testing::Test {
    void TearDown() override { PinSimdLevel(SupportedSimdLevel()); }
};

// Every length up to 300, the lengths around one and two passes of each width, and a long run
// with a tail (shorter in the product build, whose tests run emulated).
inline std::vector<uint32_t> Lengths() {
    std::vector<uint32_t> lengths;
    for (uint32_t n = 0; n <= 300; n++)
        lengths.push_back(n);
    for (uint32_t batch : {DesSse2Batch, DesAvx2Batch})
        for (uint32_t passes = 1; passes <= 2; passes++)
            for (int delta = -17; delta <= 17; delta += 2)
                lengths.push_back(uint32_t(int(passes * batch * 8) + delta));
    lengths.push_back(CRYPTO_TEST_ROUNDS >= 200 ? (1u << 20) + 13 : (1u << 16) + 13);
    return lengths;
}

// Empty when equal, else where the first difference is, with the 16 bytes from there.
inline std::string FirstDifference(const uint8_t* ours, const Bytes& expected) {
    for (size_t i = 0; i < expected.size(); i++) {
        if (ours[i] != expected[i]) {
            size_t count = std::min<size_t>(16, expected.size() - i);
            return "at byte " + std::to_string(i) + ": " + Hex(ours + i, count) + " instead of " +
                   Hex(&expected[i], count);
        }
    }
    return "";
}

// Random whole-block pieces, the last one taking the rest.
inline std::vector<uint32_t> Pieces(TestRandom* random, uint32_t length) {
    std::vector<uint32_t> pieces;
    for (uint32_t left = length; left > 0;) {
        uint32_t piece = left < 8 ? left : 8 * (NextRandom(random) % (left / 8 + 1));
        if (piece == 0 && NextRandom(random) % 4 != 0)
            continue;
        pieces.push_back(piece);
        left -= piece;
    }
    return pieces;
}
