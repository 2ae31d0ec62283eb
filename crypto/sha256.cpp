// SHA-256 (FIPS 180-2) over a caller-owned context.
#include "crypto/sha256.h"
#include "crypto/wipe.h"
#include <cstring>

const uint8_t Sha256PadBlock[64] = {0x80};

// FIPS 180-2 initial hash value H(0): first 32 bits of the fractional parts of the square roots
// of the first eight primes, indexed H0..H7.
static const uint32_t Sha256InitialState[8] = {
    0x6a09e667u, 0xbb67ae85u, 0x3c6ef372u, 0xa54ff53au,
    0x510e527fu, 0x9b05688cu, 0x1f83d9abu, 0x5be0cd19u,
};

static inline uint32_t RotateRight(uint32_t x, unsigned n) {
    return (x >> n) | (x << (32 - n));
}

static inline uint32_t LoadBigEndian(const uint8_t* p) {
    return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | uint32_t(p[3]);
}

static inline void StoreBigEndian(uint8_t* p, uint32_t w) {
    p[0] = uint8_t(w >> 24);
    p[1] = uint8_t(w >> 16);
    p[2] = uint8_t(w >> 8);
    p[3] = uint8_t(w);
}

void Sha256Init(Sha256Context* context) {
    memcpy(context->state, Sha256InitialState, sizeof context->state);
    context->bitCountLow = 0;
    context->bitCountHigh = 0;
    memset(context->buffer, 0, sizeof context->buffer);
}

// One of the 64 steps; the caller rotates the roles of the eight working values instead of
// moving them. k is the FIPS 180-2 constant K(i): the first 32 bits of the fractional part of
// the cube root of the i-th prime.
#define SHA256_STEP(a, b, c, d, e, f, g, h, i, k)                                                  \
    do {                                                                                           \
        uint32_t t1_ = (h) + (RotateRight((e), 6) ^ RotateRight((e), 11) ^ RotateRight((e), 25)) + \
                       (((e) & (f)) ^ (~(e) & (g))) + (k) + w[i];                                  \
        uint32_t t2_ = (RotateRight((a), 2) ^ RotateRight((a), 13) ^ RotateRight((a), 22)) +       \
                       (((a) & (b)) ^ ((a) & (c)) ^ ((b) & (c)));                                  \
        (d) += t1_;                                                                                \
        (h) = t1_ + t2_;                                                                           \
    } while (0)

void Sha256Transform(Sha256Context* context, const uint8_t block[64]) {
    uint32_t w[64];
    for (int i = 0; i < 16; i++)
        w[i] = LoadBigEndian(block + 4 * i);
    for (int i = 16; i < 64; i++) {
        uint32_t s0 = RotateRight(w[i - 15], 7) ^ RotateRight(w[i - 15], 18) ^ (w[i - 15] >> 3);
        uint32_t s1 = RotateRight(w[i - 2], 17) ^ RotateRight(w[i - 2], 19) ^ (w[i - 2] >> 10);
        w[i] = w[i - 16] + s0 + w[i - 7] + s1;
    }
    uint32_t a = context->state[0], b = context->state[1], c = context->state[2];
    uint32_t d = context->state[3], e = context->state[4], f = context->state[5];
    uint32_t g = context->state[6], h = context->state[7];
    SHA256_STEP(a, b, c, d, e, f, g, h, 0, 0x428a2f98u);
    SHA256_STEP(h, a, b, c, d, e, f, g, 1, 0x71374491u);
    SHA256_STEP(g, h, a, b, c, d, e, f, 2, 0xb5c0fbcfu);
    SHA256_STEP(f, g, h, a, b, c, d, e, 3, 0xe9b5dba5u);
    SHA256_STEP(e, f, g, h, a, b, c, d, 4, 0x3956c25bu);
    SHA256_STEP(d, e, f, g, h, a, b, c, 5, 0x59f111f1u);
    SHA256_STEP(c, d, e, f, g, h, a, b, 6, 0x923f82a4u);
    SHA256_STEP(b, c, d, e, f, g, h, a, 7, 0xab1c5ed5u);
    SHA256_STEP(a, b, c, d, e, f, g, h, 8, 0xd807aa98u);
    SHA256_STEP(h, a, b, c, d, e, f, g, 9, 0x12835b01u);
    SHA256_STEP(g, h, a, b, c, d, e, f, 10, 0x243185beu);
    SHA256_STEP(f, g, h, a, b, c, d, e, 11, 0x550c7dc3u);
    SHA256_STEP(e, f, g, h, a, b, c, d, 12, 0x72be5d74u);
    SHA256_STEP(d, e, f, g, h, a, b, c, 13, 0x80deb1feu);
    SHA256_STEP(c, d, e, f, g, h, a, b, 14, 0x9bdc06a7u);
    SHA256_STEP(b, c, d, e, f, g, h, a, 15, 0xc19bf174u);
    SHA256_STEP(a, b, c, d, e, f, g, h, 16, 0xe49b69c1u);
    SHA256_STEP(h, a, b, c, d, e, f, g, 17, 0xefbe4786u);
    SHA256_STEP(g, h, a, b, c, d, e, f, 18, 0x0fc19dc6u);
    SHA256_STEP(f, g, h, a, b, c, d, e, 19, 0x240ca1ccu);
    SHA256_STEP(e, f, g, h, a, b, c, d, 20, 0x2de92c6fu);
    SHA256_STEP(d, e, f, g, h, a, b, c, 21, 0x4a7484aau);
    SHA256_STEP(c, d, e, f, g, h, a, b, 22, 0x5cb0a9dcu);
    SHA256_STEP(b, c, d, e, f, g, h, a, 23, 0x76f988dau);
    SHA256_STEP(a, b, c, d, e, f, g, h, 24, 0x983e5152u);
    SHA256_STEP(h, a, b, c, d, e, f, g, 25, 0xa831c66du);
    SHA256_STEP(g, h, a, b, c, d, e, f, 26, 0xb00327c8u);
    SHA256_STEP(f, g, h, a, b, c, d, e, 27, 0xbf597fc7u);
    SHA256_STEP(e, f, g, h, a, b, c, d, 28, 0xc6e00bf3u);
    SHA256_STEP(d, e, f, g, h, a, b, c, 29, 0xd5a79147u);
    SHA256_STEP(c, d, e, f, g, h, a, b, 30, 0x06ca6351u);
    SHA256_STEP(b, c, d, e, f, g, h, a, 31, 0x14292967u);
    SHA256_STEP(a, b, c, d, e, f, g, h, 32, 0x27b70a85u);
    SHA256_STEP(h, a, b, c, d, e, f, g, 33, 0x2e1b2138u);
    SHA256_STEP(g, h, a, b, c, d, e, f, 34, 0x4d2c6dfcu);
    SHA256_STEP(f, g, h, a, b, c, d, e, 35, 0x53380d13u);
    SHA256_STEP(e, f, g, h, a, b, c, d, 36, 0x650a7354u);
    SHA256_STEP(d, e, f, g, h, a, b, c, 37, 0x766a0abbu);
    SHA256_STEP(c, d, e, f, g, h, a, b, 38, 0x81c2c92eu);
    SHA256_STEP(b, c, d, e, f, g, h, a, 39, 0x92722c85u);
    SHA256_STEP(a, b, c, d, e, f, g, h, 40, 0xa2bfe8a1u);
    SHA256_STEP(h, a, b, c, d, e, f, g, 41, 0xa81a664bu);
    SHA256_STEP(g, h, a, b, c, d, e, f, 42, 0xc24b8b70u);
    SHA256_STEP(f, g, h, a, b, c, d, e, 43, 0xc76c51a3u);
    SHA256_STEP(e, f, g, h, a, b, c, d, 44, 0xd192e819u);
    SHA256_STEP(d, e, f, g, h, a, b, c, 45, 0xd6990624u);
    SHA256_STEP(c, d, e, f, g, h, a, b, 46, 0xf40e3585u);
    SHA256_STEP(b, c, d, e, f, g, h, a, 47, 0x106aa070u);
    SHA256_STEP(a, b, c, d, e, f, g, h, 48, 0x19a4c116u);
    SHA256_STEP(h, a, b, c, d, e, f, g, 49, 0x1e376c08u);
    SHA256_STEP(g, h, a, b, c, d, e, f, 50, 0x2748774cu);
    SHA256_STEP(f, g, h, a, b, c, d, e, 51, 0x34b0bcb5u);
    SHA256_STEP(e, f, g, h, a, b, c, d, 52, 0x391c0cb3u);
    SHA256_STEP(d, e, f, g, h, a, b, c, 53, 0x4ed8aa4au);
    SHA256_STEP(c, d, e, f, g, h, a, b, 54, 0x5b9cca4fu);
    SHA256_STEP(b, c, d, e, f, g, h, a, 55, 0x682e6ff3u);
    SHA256_STEP(a, b, c, d, e, f, g, h, 56, 0x748f82eeu);
    SHA256_STEP(h, a, b, c, d, e, f, g, 57, 0x78a5636fu);
    SHA256_STEP(g, h, a, b, c, d, e, f, 58, 0x84c87814u);
    SHA256_STEP(f, g, h, a, b, c, d, e, 59, 0x8cc70208u);
    SHA256_STEP(e, f, g, h, a, b, c, d, 60, 0x90befffau);
    SHA256_STEP(d, e, f, g, h, a, b, c, 61, 0xa4506cebu);
    SHA256_STEP(c, d, e, f, g, h, a, b, 62, 0xbef9a3f7u);
    SHA256_STEP(b, c, d, e, f, g, h, a, 63, 0xc67178f2u);
    context->state[0] += a;
    context->state[1] += b;
    context->state[2] += c;
    context->state[3] += d;
    context->state[4] += e;
    context->state[5] += f;
    context->state[6] += g;
    context->state[7] += h;
    // The schedule begins with the message itself, which may be a password.
    WipeBytes(w, sizeof w);
}

// Whole blocks are compressed straight from the caller's data; only the partial blocks at
// either end pass through the buffer. The bytes waiting there are (bitCountLow / 8) % 64.
void Sha256Update(Sha256Context* context, const uint8_t* data, uint32_t length) {
    uint32_t index = (context->bitCountLow >> 3) & 63;
    uint64_t bits =
        (uint64_t(context->bitCountHigh) << 32 | context->bitCountLow) + uint64_t(length) * 8;
    context->bitCountLow = uint32_t(bits);
    context->bitCountHigh = uint32_t(bits >> 32);
    uint32_t fill = 64 - index;
    if (length < fill) {
        if (length > 0)
            memcpy(context->buffer + index, data, length);
        return;
    }
    memcpy(context->buffer + index, data, fill);
    Sha256Transform(context, context->buffer);
    uint32_t done = fill;
    for (; length - done >= 64; done += 64)
        Sha256Transform(context, data + done);
    if (length > done)
        memcpy(context->buffer, data + done, length - done);
}

void Sha256Final(Sha256Context* context, uint8_t digest[32]) {
    uint8_t lengthField[8];
    StoreBigEndian(lengthField, context->bitCountHigh);
    StoreBigEndian(lengthField + 4, context->bitCountLow);
    uint32_t index = (context->bitCountLow >> 3) & 63;
    uint32_t padLength = index < 56 ? 56 - index : 120 - index;
    Sha256Update(context, Sha256PadBlock, padLength);
    Sha256Update(context, lengthField, 8);
    for (int i = 0; i < 8; i++)
        StoreBigEndian(digest + 4 * i, context->state[i]);
    WipeBytes(context, sizeof *context);
}
