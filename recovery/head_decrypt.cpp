// Random access to the plaintext of a ".crypt" file's first bytes under one candidate key.
#include "recovery/head_decrypt.h"

#include <cstring>

#include "recovery/key_select.h"

static uint32_t LoadBigEndian(const uint8_t* bytes) {
    return static_cast<uint32_t>(bytes[0]) << 24 | static_cast<uint32_t>(bytes[1]) << 16 |
           static_cast<uint32_t>(bytes[2]) << 8 | bytes[3];
}

static void StoreBigEndian(uint32_t word, uint8_t* bytes) {
    bytes[0] = static_cast<uint8_t>(word >> 24);
    bytes[1] = static_cast<uint8_t>(word >> 16);
    bytes[2] = static_cast<uint8_t>(word >> 8);
    bytes[3] = static_cast<uint8_t>(word);
}

// The candidate's block cipher, encrypting or decrypting one block; in and out may be the same.
static void CryptBlock(const HeadKey* key, const uint8_t in[8], uint8_t out[8], bool encrypt) {
    if (key->selector == KeySelectorPassword) {
        uint32_t left = LoadBigEndian(in);
        uint32_t right = LoadBigEndian(in + 4);
        if (encrypt) {
            BlowfishEncryptBlock(&ProcessBlowfish, &left, &right);
        } else {
            BlowfishDecryptBlock(&ProcessBlowfish, &left, &right);
        }
        StoreBigEndian(left, out);
        StoreBigEndian(right, out + 4);
        return;
    }
    // Two-key EDE: K1, K2, K1; decryption runs the same schedules with each step inverted.
    int outer = encrypt ? 1 : 0;
    DesCryptBlock(in, out, &key->schedule1, outer);
    DesCryptBlock(out, out, &key->schedule2, 1 - outer);
    DesCryptBlock(out, out, &key->schedule1, outer);
}

void PrepareHeadKey(HeadKey* key, int32_t selector) {
    std::memset(key, 0, sizeof *key);
    key->selector = selector;
    if (selector == KeySelectorPassword) {
        std::memcpy(key->chainStart, ProcessBlowfish.savedIv, 8);
        return;
    }
    DesSetKey(BuiltInDesKeys[selector], &key->schedule1);
    DesSetKey(BuiltInDesKeys[selector] + 8, &key->schedule2);
    CryptBlock(key, key->chainStart, key->chainStart, true);
}

bool DecryptHeadBytes(const HeadKey* key, const CipherHead* head, uint32_t offset, uint32_t count,
                      uint8_t* out) {
    uint64_t readable = head->length < head->fileSize ? head->length : head->fileSize;
    uint64_t end = static_cast<uint64_t>(offset) + count;
    if (end > readable) {
        return false;
    }
    for (uint64_t start = offset - offset % 8; start < end; start += 8) {
        const uint8_t* cipher = head->bytes + start;
        const uint8_t* previous = start == 0 ? key->chainStart : cipher - 8;
        uint8_t plain[8];
        if (start + 8 <= head->fileSize) {
            if (start + 8 > readable) {
                return false; // the block was not read whole
            }
            CryptBlock(key, cipher, plain, false);
            for (int i = 0; i < 8; ++i) {
                plain[i] ^= previous[i];
            }
        } else {
            // The file's short tail: xored with the encryption of the block before it.
            CryptBlock(key, previous, plain, true);
            for (uint64_t i = 0; start + i < readable; ++i) {
                plain[i] ^= cipher[i];
            }
        }
        uint64_t from = start < offset ? offset : start;
        uint64_t to = start + 8 < end ? start + 8 : end;
        std::memcpy(out + (from - offset), plain + (from - start), to - from);
    }
    return true;
}
