// DES (standard bit numbering, no byte swap) and two-key triple-DES in EDE form with
// CBC decryption over the one process-wide TripleDesState.
#pragma once
#include <cstdint>

struct DesKeySchedule {
    uint32_t subkeys[16][2]; // one 48-bit subkey per round, in encryption order
};

struct TripleDesState {
    uint8_t ivRegister[8];
    uint8_t savedIv[8];
    DesKeySchedule schedule1;
    DesKeySchedule schedule2;
    DesKeySchedule schedule3;
};

extern TripleDesState ProcessTripleDes;

int DesSetKey(const uint8_t key[8], DesKeySchedule* schedule);
// encrypt != 0 runs the subkeys of rounds 1..16, encrypt == 0 runs them 16..1.
int DesCryptBlock(const uint8_t in[8], uint8_t out[8], const DesKeySchedule* schedule, int encrypt);
int TripleDesEncryptBlock(const uint8_t in[8], uint8_t out[8]);
int TripleDesDecryptBlock(const uint8_t in[8], uint8_t out[8]);
void XorBytes(uint8_t* first, const uint8_t* second, uint32_t count);
int TripleDesCbcDecrypt(const uint8_t* in, uint8_t* out, uint32_t length);

// Whole blocks of one CBC run with the chain register given (the ciphertext block before the
// first; it receives the last), so that two parts of a run can be decrypted on two threads at
// once: the part from its middle starts from the ciphertext block before it. Reads only the key
// schedules, which must not change meanwhile; call TripleDesPrepareDecryption after setting them
// and before running parts in parallel. in == out is allowed.
void TripleDesCbcDecryptBlocks(const uint8_t* in, uint8_t* out, uint32_t blocks, uint8_t chain[8]);
void TripleDesPrepareDecryption();
