// libFuzzer target: the two CBC decryptions and SHA-256 against OpenSSL on arbitrary input; the
// triple-DES decryption once at each vector unit level this processor has (portable, SSE2, AVX2).
// Input: one selector byte, then key, IV and split point taken from the front, data after.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include "crypto/blowfish.h"
#include "crypto/des.h"
#include "crypto/sha256.h"
#include "crypto/simd_level.h"
#include "tests/crypto/openssl_oracle.h"

namespace {

BlowfishState State;
uint8_t Expected[1 << 16], Ours[1 << 16];
// Pinned back after each run, so that a crash report's input replays at every level again.
const SimdLevel Supported = SupportedSimdLevel();

void Check(bool condition) {
    if (!condition)
        abort();
}

// Whole blocks from OpenSSL's CBC decryption; a short tail as the ciphertext xor the OpenSSL
// encryption of the last chaining value.
bool OracleCbcDecrypt(const EVP_CIPHER* cbc, const EVP_CIPHER* ecb, const uint8_t* key,
                      int keyLength, const uint8_t* iv, const uint8_t* in, uint32_t n) {
    uint32_t whole = n / 8 * 8;
    if (!OracleCipher(cbc, key, keyLength, iv, false, in, whole, Expected))
        return false;
    if (whole < n) {
        uint8_t pad[8];
        const uint8_t* reg = whole ? in + whole - 8 : iv;
        if (!OracleCipher(ecb, key, keyLength, nullptr, true, reg, 8, pad))
            return false;
        for (uint32_t i = whole; i < n; i++)
            Expected[i] = in[i] ^ pad[i - whole];
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static bool ready = OracleInit();
    Check(ready);
    if (size < 1 + 16 + 8 + 1 || size > sizeof Expected)
        return 0;
    uint8_t selector = data[0];
    const uint8_t* key = data + 1;
    const uint8_t* iv = data + 17;
    uint8_t splitByte = data[25];
    const uint8_t* in = data + 26;
    uint32_t n = uint32_t(size - 26);
    uint32_t split = (n / 8) ? 8 * (splitByte % (n / 8 + 1)) : 0;

    switch (selector % 3) {
    case 0: {
        int keyLength = 4 * (1 + (selector >> 2) % 4); // 4..16 bytes, all from the key field
        if (!OracleCbcDecrypt(EVP_bf_cbc(), EVP_bf_ecb(), key, keyLength, iv, in, n))
            return 0;
        BlowfishSetKey(&State, key, uint32_t(keyLength), iv);
        if (selector & 2) { // in place, as the decryptor calls it
            memcpy(Ours, in, n);
            BlowfishCbcDecrypt(&State, Ours, Ours, split);
            BlowfishCbcDecrypt(&State, Ours + split, Ours + split, n - split);
        } else {
            BlowfishCbcDecrypt(&State, in, Ours, split);
            BlowfishCbcDecrypt(&State, in + split, Ours + split, n - split);
        }
        Check(memcmp(Ours, Expected, n) == 0);
        break;
    }
    case 1:
        if (!OracleCbcDecrypt(EVP_des_ede_cbc(), EVP_des_ede_ecb(), key, 16, iv, in, n))
            return 0;
        DesSetKey(key, &ProcessTripleDes.schedule1);
        DesSetKey(key + 8, &ProcessTripleDes.schedule2);
        ProcessTripleDes.schedule3 = ProcessTripleDes.schedule1;
        for (int level = SimdLevelPortable; level <= Supported; level++) {
            Check(PinSimdLevel(SimdLevel(level)) == 1);
            memcpy(ProcessTripleDes.ivRegister, iv, 8);
            memcpy(Ours, in, n);
            TripleDesCbcDecrypt(Ours, Ours, split); // in place, as the decryptor calls it
            TripleDesCbcDecrypt(Ours + split, Ours + split, n - split);
            Check(memcmp(Ours, Expected, n) == 0);
        }
        PinSimdLevel(Supported);
        break;
    default: {
        uint8_t expected[32], ours[32];
        OracleSha256(in, n, expected);
        Sha256Context context;
        Sha256Init(&context);
        uint32_t first = splitByte % (n + 1);
        Sha256Update(&context, in, first);
        Sha256Update(&context, in + first, n - first);
        Sha256Final(&context, ours);
        Check(memcmp(ours, expected, 32) == 0);
        break;
    }
    }
    return 0;
}
