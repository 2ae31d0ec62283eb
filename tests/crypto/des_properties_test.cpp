// The fast DES against the bit-by-bit reference, and what callers of triple-DES rely on.
#include <gtest/gtest.h>
#include <cstring>
#include "crypto/des.h"
#include "tests/crypto/crypto_test_util.h"
#include "tests/crypto/reference_des.h"

namespace {

TEST(DesProperties, FastTablesAgreeWithTheReference) {
    TestRandom random = {21};
    for (int round = 0; round < 8 * CRYPTO_TEST_ROUNDS; round++) {
        Bytes key = RandomBytes(&random, 8), in = RandomBytes(&random, 8);
        DesKeySchedule schedule;
        DesSetKey(key.data(), &schedule);
        for (int encrypt = 0; encrypt < 2; encrypt++) {
            uint8_t fast[8], slow[8];
            DesCryptBlock(in.data(), fast, &schedule, encrypt);
            ReferenceDes(key.data(), in.data(), slow, encrypt != 0);
            ASSERT_EQ(ToHex(fast, 8), ToHex(slow, 8))
                << "key " << ToHex(key) << " in " << ToHex(in) << " encrypt " << encrypt;
        }
    }
}

TEST(DesProperties, ParityBitsTakeNoPart) {
    TestRandom random = {22};
    for (int round = 0; round < CRYPTO_TEST_ROUNDS; round++) {
        Bytes key = RandomBytes(&random, 8), flipped = key;
        for (int i = 0; i < 8; i++)
            flipped[i] ^= uint8_t(NextRandom(&random) & 1);
        DesKeySchedule a, b;
        DesSetKey(key.data(), &a);
        DesSetKey(flipped.data(), &b);
        EXPECT_EQ(memcmp(&a, &b, sizeof a), 0) << ToHex(key) << " " << ToHex(flipped);
    }
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

TEST(DesProperties, EdeIsThreeDesOperationsAndItsInverse) {
    TestRandom random = {23};
    for (int round = 0; round < CRYPTO_TEST_ROUNDS; round++) {
        KeyTwoKeyEde(&random);
        Bytes in = RandomBytes(&random, 8);
        uint8_t expected[8], out[8], back[8];
        DesCryptBlock(in.data(), expected, &ProcessTripleDes.schedule1, 1);
        DesCryptBlock(expected, expected, &ProcessTripleDes.schedule2, 0);
        DesCryptBlock(expected, expected, &ProcessTripleDes.schedule3, 1);
        TripleDesEncryptBlock(in.data(), out);
        EXPECT_EQ(ToHex(out, 8), ToHex(expected, 8));
        TripleDesDecryptBlock(out, back);
        EXPECT_EQ(ToHex(back, 8), ToHex(in));
        memcpy(back, out, 8);
        TripleDesDecryptBlock(back, back);
        EXPECT_EQ(ToHex(back, 8), ToHex(in)) << "in place";
    }
}

TEST(DesProperties, CbcDecryptMatchesDefinitionSplitsAndInPlace) {
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
        EXPECT_EQ(ToHex(out.data(), n), ToHex(expected)) << "length " << n;
        EXPECT_EQ(out[n], 0x5a) << "wrote past the end";
        EXPECT_EQ(ToHex(ProcessTripleDes.ivRegister, 8), ToHex(reg, 8));

        memcpy(ProcessTripleDes.ivRegister, ProcessTripleDes.savedIv, 8);
        uint32_t first = 8 * (NextRandom(&random) % (n / 8 + 1));
        Bytes inPlace = in;
        TripleDesCbcDecrypt(inPlace.data(), inPlace.data(), first);
        TripleDesCbcDecrypt(inPlace.data() + first, inPlace.data() + first, n - first);
        EXPECT_EQ(ToHex(inPlace), ToHex(expected)) << "in place, split at " << first;
    }
}

TEST(DesProperties, TailAloneAndLengthZero) {
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
    EXPECT_EQ(ToHex(ProcessTripleDes.ivRegister, 8), ToHex(encrypted, 8));
    uint8_t first[3] = {0xff, 0, 0x0f}, second[3] = {0x0f, 0xff, 0x0f};
    XorBytes(first, second, 2);
    EXPECT_EQ(ToHex(first, 3), "f0ff0f");
}

} // namespace
