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
