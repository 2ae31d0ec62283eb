// Triple-DES CBC decryption of many blocks at once, bitsliced: a vector register holds one bit
// position of 128 blocks (SSE2) or 256 (AVX2), and the S-boxes become gate circuits run on all of
// them together. TripleDesCbcDecrypt hands runs that are long enough to it; the portable code
// does the rest.
#pragma once
#include <cstdint>

// The subkey bits of the 48 rounds of one triple-DES decryption in the order they run (schedule1
// decrypting, schedule2 encrypting, schedule3 decrypting), six per S-box in the order of the box's
// inputs, S1 first. Each bit fills four words with 0 or all ones: an SSE2 register's worth, which
// the SSE2 pass loads whole and the AVX2 pass broadcasts from its first word.
struct DesSlicedKeys {
    uint32_t bits[48][48][4];
};

constexpr uint32_t DesSse2Batch = 128; // blocks per bitsliced pass
constexpr uint32_t DesAvx2Batch = 256;

// Each decrypts `batches` whole batches in CBC from `chain` (the register, in memory order) and
// leaves in it the last ciphertext block. in == out is allowed. Both belong to files compiled for
// their own vector unit: call them only at a level the processor supports.
void TripleDesCbcDecryptSse2(const uint8_t* in, uint8_t* out, uint32_t batches, uint8_t chain[8],
                             const DesSlicedKeys* keys);
void TripleDesCbcDecryptAvx2(const uint8_t* in, uint8_t* out, uint32_t batches, uint8_t chain[8],
                             const DesSlicedKeys* keys);

// Decrypts the leading whole blocks that the active level takes in bitsliced passes, chaining
// through `chain`, and returns how many: none at the portable level or for a run too short to pay
// for a pass. Reads the process-wide sliced subkeys, remaking them first if the schedules changed.
uint32_t TripleDesCbcDecryptSliced(const uint8_t* in, uint8_t* out, uint32_t blocks,
                                   uint8_t chain[8]);

// Makes the sliced subkeys match the process-wide schedules now, so that the passes that follow
// only read them and may run on several threads at once.
void PrepareSlicedKeys();
