// Blowfish block cipher with CFB-8 and CBC modes over one state record that also
// keeps a snapshot of itself, so a stream can be restarted without re-keying.
#pragma once
#include <cstdint>

struct BlowfishState {
    uint32_t pArray[18];
    uint32_t sBoxes[4][256];
    uint8_t ivRegister[8];
    uint32_t savedPArray[18];
    uint32_t savedSBoxes[4][256];
    uint8_t savedIv[8];
};
static_assert(sizeof(BlowfishState) == 2088 * 4, "BlowfishState is 2088 words");

uint32_t ByteSwap32(uint32_t word);

// iv may be null: the register then starts as the encryption of the zero block.
void BlowfishSetKey(BlowfishState* state, const uint8_t* key, uint32_t keyLength,
                    const uint8_t* iv);
void BlowfishReset(BlowfishState* state);
void BlowfishEncryptBlock(const BlowfishState* state, uint32_t* left, uint32_t* right);
void BlowfishDecryptBlock(const BlowfishState* state, uint32_t* left, uint32_t* right);
void BlowfishCfb8Encrypt(BlowfishState* state, const uint8_t* in, uint8_t* out, uint32_t length);
void BlowfishCbcEncrypt(BlowfishState* state, const uint8_t* in, uint8_t* out, uint32_t length);
void BlowfishCbcDecrypt(BlowfishState* state, const uint8_t* in, uint8_t* out, uint32_t length);
void BlowfishClear(BlowfishState* state);
