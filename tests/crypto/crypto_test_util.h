// Helpers shared by the crypto tests: hex conversion, a seeded generator, and block-level
// definitions of the short tail built from the block operations alone.
#pragma once
#include <cstdint>
#include <string>
#include <vector>
#include <cstring>
#include "crypto/blowfish.h"
#include "crypto/des.h"

#ifndef CRYPTO_TEST_ROUNDS
#define CRYPTO_TEST_ROUNDS 200 // random cases per property; smaller in the product build
#endif

typedef std::vector<uint8_t> Bytes;

inline Bytes FromHex(const std::string& hex) {
    Bytes out;
    for (size_t i = 0; i + 1 < hex.size(); i += 2)
        out.push_back(uint8_t(std::stoul(hex.substr(i, 2), nullptr, 16)));
    return out;
}

inline std::string ToHex(const uint8_t* data, size_t length) {
    static const char digits[] = "0123456789abcdef";
    std::string out;
    for (size_t i = 0; i < length; i++) {
        out += digits[data[i] >> 4];
        out += digits[data[i] & 15];
    }
    return out;
}

inline std::string ToHex(const Bytes& data) {
    return ToHex(data.data(), data.size());
}

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
