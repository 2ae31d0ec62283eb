// Two-key triple-DES (EDE) over the process-wide state, and its CBC decryption.
#include "crypto/des.h"
#include "crypto/des_bitslice.h"
#include "crypto/des_core.h"

TripleDesState ProcessTripleDes;

// The three DES operations of one triple-DES block share one initial and one final permutation:
// the final permutation of one step and the initial permutation of the next cancel, so leaving
// both out gives the same bytes as three whole DES block operations, for a fifth less work.
static inline void TripleDesEncryptWords(uint32_t* left, uint32_t* right) {
    DesInitialPermutation(left, right);
    DesRounds(left, right, &ProcessTripleDes.schedule1, 1);
    DesRounds(left, right, &ProcessTripleDes.schedule2, 0);
    DesRounds(left, right, &ProcessTripleDes.schedule3, 1);
    DesFinalPermutation(left, right);
}

// schedule1 first here too: with schedule3 a copy of schedule1 this inverts the encryption.
static inline void TripleDesDecryptWords(uint32_t* left, uint32_t* right) {
    DesInitialPermutation(left, right);
    DesRounds(left, right, &ProcessTripleDes.schedule1, 0);
    DesRounds(left, right, &ProcessTripleDes.schedule2, 1);
    DesRounds(left, right, &ProcessTripleDes.schedule3, 0);
    DesFinalPermutation(left, right);
}

int TripleDesEncryptBlock(const uint8_t in[8], uint8_t out[8]) {
    uint32_t left = DesLoadWord(in), right = DesLoadWord(in + 4);
    TripleDesEncryptWords(&left, &right);
    DesStoreWord(out, left);
    DesStoreWord(out + 4, right);
    return 0;
}

int TripleDesDecryptBlock(const uint8_t in[8], uint8_t out[8]) {
    uint32_t left = DesLoadWord(in), right = DesLoadWord(in + 4);
    TripleDesDecryptWords(&left, &right);
    DesStoreWord(out, left);
    DesStoreWord(out + 4, right);
    return 0;
}

void XorBytes(uint8_t* first, const uint8_t* second, uint32_t count) {
    for (uint32_t i = 0; i < count; i++)
        first[i] ^= second[i];
}

void TripleDesPrepareDecryption() {
    PrepareSlicedKeys();
}

// Long runs go mostly through the bitsliced passes, which chain through the register as well.
// The register is kept in two little-endian words for the rest of the run; xor on those words is
// xor on the bytes.
void TripleDesCbcDecryptBlocks(const uint8_t* in, uint8_t* out, uint32_t blocks, uint8_t chain[8]) {
    uint32_t sliced = TripleDesCbcDecryptSliced(in, out, blocks, chain);
    in += 8 * sliced;
    out += 8 * sliced;
    blocks -= sliced;
    uint32_t ivLeft = DesLoadWord(chain);
    uint32_t ivRight = DesLoadWord(chain + 4);
    for (uint32_t j = 0; j < blocks; j++, in += 8, out += 8) {
        uint32_t cipherLeft = DesLoadWord(in), cipherRight = DesLoadWord(in + 4);
        uint32_t left = cipherLeft, right = cipherRight;
        TripleDesDecryptWords(&left, &right);
        DesStoreWord(out, left ^ ivLeft);
        DesStoreWord(out + 4, right ^ ivRight);
        ivLeft = cipherLeft;
        ivRight = cipherRight;
    }
    DesStoreWord(chain, ivLeft);
    DesStoreWord(chain + 4, ivRight);
}

// A length that is not a multiple of 8 ends with the short tail: the register is encrypted in
// place and its leading bytes are xored onto the remaining input.
int TripleDesCbcDecrypt(const uint8_t* in, uint8_t* out, uint32_t length) {
    uint32_t blocks = length / 8, tail = length % 8;
    TripleDesCbcDecryptBlocks(in, out, blocks, ProcessTripleDes.ivRegister);
    in += 8 * blocks;
    out += 8 * blocks;
    if (tail > 0) {
        TripleDesEncryptBlock(ProcessTripleDes.ivRegister, ProcessTripleDes.ivRegister);
        for (uint32_t i = 0; i < tail; i++)
            out[i] = in[i];
        XorBytes(out, ProcessTripleDes.ivRegister, tail);
    }
    return 0;
}
