// SHA-256 over a caller-owned context.
#pragma once
#include <cstdint>

struct Sha256Context {
    uint32_t state[8];
    uint32_t bitCountLow;
    uint32_t bitCountHigh;
    uint8_t buffer[128];
};

extern const uint8_t Sha256PadBlock[64];

void Sha256Init(Sha256Context* context);
void Sha256Update(Sha256Context* context, const uint8_t* data, uint32_t length);
void Sha256Final(Sha256Context* context, uint8_t digest[32]); // wipes the context
void Sha256Transform(Sha256Context* context, const uint8_t block[64]);
