// Two-key triple-DES in EDE form: the FIPS 81 blocks through every decryption path this
// processor has, and what callers rely on, checked against definitions built from the block
// operations.
#include <gtest/gtest.h>
#include <cstring>
#include "crypto/des.h"
#include "crypto/simd_level.h"
#include "tests/crypto/crypto_test_util.h"

namespace {

// The FIPS 81 Appendix B example: three blocks under key 0123456789abcdef.
const BlockVector Fips81Blocks[] = {
    {"0123456789abcdef", "4e6f772069732074", "3fa40e8a984d4815"},
    {"0123456789abcdef", "68652074696d6520", "6a271787ab8883f9"},
    {"0123456789abcdef", "666f7220616c6c20", "893d51ec4b563b53"},
};

// The same three blocks under two-key EDE with equal keys are single DES (FIPS 81 Appendix B).
TEST(TripleDesVectors, EdeWithOneKeyIsSingleDes) {
    Bytes key = FromHex("0123456789abcdef");
    DesSetKey(key.data(), &ProcessTripleDes.schedule1);
    DesSetKey(key.data(), &ProcessTripleDes.schedule2);
    DesSetKey(key.data(), &ProcessTripleDes.schedule3);
    for (int i = 10; i < 13; i++) {
        Bytes plain = FromHex(Fips81Blocks[i - 10].plain);
        uint8_t out[8], back[8];
        TripleDesEncryptBlock(plain.data(), out);
        EXPECT_EQ(Hex(out, 8), Fips81Blocks[i - 10].cipher);
        TripleDesDecryptBlock(out, back);
        EXPECT_EQ(Hex(back, 8), Fips81Blocks[i - 10].plain);
    }
}

// The three FIPS 81 blocks under one key, repeated in turn as one long CBC run, through every
// triple-DES path this processor has (with all three keys equal, EDE is single DES): each
// plaintext block is the published plaintext of its ciphertext xor the ciphertext before it.
TEST(TripleDesVectors, EveryLevelDecryptsARunOfPublishedBlocks) {
    Bytes key = FromHex("0123456789abcdef");
    DesSetKey(key.data(), &ProcessTripleDes.schedule1);
    DesSetKey(key.data(), &ProcessTripleDes.schedule2);
    DesSetKey(key.data(), &ProcessTripleDes.schedule3);
    const uint32_t blocks = 600; // two whole AVX2 passes and a partial one
    const Bytes iv = FromHex("1234567890abcdef");
    Bytes cipher, expected;
    for (uint32_t j = 0; j < blocks; j++) {
        Bytes c = FromHex(Fips81Blocks[j % 3].cipher), p = FromHex(Fips81Blocks[j % 3].plain);
        const uint8_t* previous = j == 0 ? iv.data() : &cipher[8 * (j - 1)];
        for (int i = 0; i < 8; i++)
            expected.push_back(uint8_t(p[i] ^ previous[i]));
        cipher.insert(cipher.end(), c.begin(), c.end());
    }
    for (int level = SimdLevelPortable; level <= SupportedSimdLevel(); level++) {
        ASSERT_EQ(PinSimdLevel(SimdLevel(level)), 1);
        memcpy(ProcessTripleDes.ivRegister, iv.data(), 8);
        Bytes out(cipher.size());
        TripleDesCbcDecrypt(cipher.data(), out.data(), uint32_t(cipher.size()));
        EXPECT_EQ(Hex(out), Hex(expected)) << "level " << level;
        EXPECT_EQ(Hex(ProcessTripleDes.ivRegister, 8), Fips81Blocks[(blocks - 1) % 3].cipher);
    }
    PinSimdLevel(SupportedSimdLevel());
}

void KeyTwoKeyEde(TestRandom* random) {
    Bytes key = RandomBytes(random, 16);
    DesSetKey(key.data(), &ProcessTripleDes.schedule1);
    DesSetKey(key.data() + 8, &ProcessTripleDes.schedule2);
    ProcessTripleDes.schedule3 = ProcessTripleDes.schedule1;
    memset(ProcessTripleDes.savedIv, 0, 8);
    TripleDesEncryptBlock(ProcessTripleDes.savedIv, ProcessTripleDes.savedIv);
    memcpy(ProcessTripleDes.ivRegister, ProcessTripleDes.savedIv, 8);
}

TEST(TripleDesProperties, EdeIsThreeDesOperationsAndItsInverse) {
    TestRandom random = {23};
    for (int round = 0; round < CRYPTO_TEST_ROUNDS; round++) {
        KeyTwoKeyEde(&random);
        Bytes in = RandomBytes(&random, 8);
        uint8_t expected[8], out[8], back[8];
        DesCryptBlock(in.data(), expected, &ProcessTripleDes.schedule1, 1);
        DesCryptBlock(expected, expected, &ProcessTripleDes.schedule2, 0);
        DesCryptBlock(expected, expected, &ProcessTripleDes.schedule3, 1);
        TripleDesEncryptBlock(in.data(), out);
        EXPECT_EQ(Hex(out, 8), Hex(expected, 8));
        TripleDesDecryptBlock(out, back);
        EXPECT_EQ(Hex(back, 8), Hex(in));
        memcpy(back, out, 8);
        TripleDesDecryptBlock(back, back);
        EXPECT_EQ(Hex(back, 8), Hex(in)) << "in place";
    }
}

TEST(TripleDesProperties, CbcDecryptMatchesDefinitionSplitsAndInPlace) {
    TestRandom random = {24};
    for (int round = 0; round < CRYPTO_TEST_ROUNDS; round++) {
        KeyTwoKeyEde(&random);
        Bytes in = RandomBytes(&random, NextRandom(&random) % 101);
        uint32_t n = uint32_t(in.size());
        uint8_t reg[8];
        memcpy(reg, ProcessTripleDes.ivRegister, 8);
        Bytes expected = TripleDesCbcByDefinition(in, reg);
        Bytes out(n + 1, 0x5a);
        EXPECT_EQ(TripleDesCbcDecrypt(in.data(), out.data(), n), 0);
        EXPECT_EQ(Hex(out.data(), n), Hex(expected)) << "length " << n;
        EXPECT_EQ(out[n], 0x5a) << "wrote past the end";
        EXPECT_EQ(Hex(ProcessTripleDes.ivRegister, 8), Hex(reg, 8));

        memcpy(ProcessTripleDes.ivRegister, ProcessTripleDes.savedIv, 8);
        uint32_t first = 8 * (NextRandom(&random) % (n / 8 + 1));
        Bytes inPlace = in;
        TripleDesCbcDecrypt(inPlace.data(), inPlace.data(), first);
        TripleDesCbcDecrypt(inPlace.data() + first, inPlace.data() + first, n - first);
        EXPECT_EQ(Hex(inPlace), Hex(expected)) << "in place, split at " << first;
    }
}

TEST(TripleDesProperties, TailAloneAndLengthZero) {
    TestRandom random = {25};
    KeyTwoKeyEde(&random);
    uint8_t reg[8], out[5] = {1, 2, 3, 4, 5};
    memcpy(reg, ProcessTripleDes.ivRegister, 8);
    TripleDesCbcDecrypt(out, out, 0);
    EXPECT_EQ(memcmp(reg, ProcessTripleDes.ivRegister, 8), 0);
    EXPECT_EQ(out[0], 1);
    uint8_t encrypted[8];
    TripleDesEncryptBlock(reg, encrypted);
    TripleDesCbcDecrypt(out, out, 5);
    for (int i = 0; i < 5; i++)
        EXPECT_EQ(out[i], uint8_t((i + 1) ^ encrypted[i])) << "byte " << i;
    EXPECT_EQ(Hex(ProcessTripleDes.ivRegister, 8), Hex(encrypted, 8));
    uint8_t first[3] = {0xff, 0, 0x0f}, second[3] = {0x0f, 0xff, 0x0f};
    XorBytes(first, second, 2);
    EXPECT_EQ(Hex(first, 3), "f0ff0f");
}

} // namespace
