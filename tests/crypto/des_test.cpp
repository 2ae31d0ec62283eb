// Single DES: the published vectors of SP 800-20 and FIPS 81, the fast tables against the
// bit-by-bit reference, and the parity bits.
#include <gtest/gtest.h>
#include <cstring>
#include "crypto/des.h"
#include "tests/crypto/crypto_test_util.h"
#include "tests/crypto/reference_des.h"

namespace {

// SP 800-20 Table A.1 (variable plaintext, key 0101010101010101, every tenth row), Table A.2
// (variable key), and the FIPS 81 Appendix B example.
const BlockVector DesVectors[] = {
    {"0101010101010101", "8000000000000000", "95f8a5e5dd31d900"},
    {"0101010101010101", "0020000000000000", "b8061b7ecd9a21e5"},
    {"0101010101010101", "0000080000000000", "e7fce22557d23c97"},
    {"0101010101010101", "0000000200000000", "e428581186ec8f46"},
    {"0101010101010101", "0000000000800000", "25eb5fc3f8cf0621"},
    {"0101010101010101", "0000000000002000", "1d1ca853ae7c0c5f"},
    {"0101010101010101", "0000000000000008", "cc083f1e6d9e85f6"},
    {"0101010101010101", "0000000000000001", "166b40b44aba4bd6"},
    {"8001010101010101", "0000000000000000", "95a8d72813daa94d"},
    {"4001010101010101", "0000000000000000", "0eec1487dd8c26d5"},
    {"0123456789abcdef", "4e6f772069732074", "3fa40e8a984d4815"},
    {"0123456789abcdef", "68652074696d6520", "6a271787ab8883f9"},
    {"0123456789abcdef", "666f7220616c6c20", "893d51ec4b563b53"},
    {"133457799bbcdff1", "0123456789abcdef", "85e813540f0ab405"},
};

TEST(DesVectors, EncryptAndDecryptEachBlock) {
    for (const BlockVector& v : DesVectors) {
        DesKeySchedule schedule;
        Bytes key = FromHex(v.key), plain = FromHex(v.plain);
        EXPECT_EQ(DesSetKey(key.data(), &schedule), 0);
        uint8_t out[8], back[8];
        EXPECT_EQ(DesCryptBlock(plain.data(), out, &schedule, 1), 0);
        EXPECT_EQ(Hex(out, 8), v.cipher) << "key " << v.key << " plain " << v.plain;
        EXPECT_EQ(DesCryptBlock(out, back, &schedule, 0), 0);
        EXPECT_EQ(Hex(back, 8), v.plain) << "key " << v.key;
    }
}

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
            ASSERT_EQ(Hex(fast, 8), Hex(slow, 8))
                << "key " << Hex(key) << " in " << Hex(in) << " encrypt " << encrypt;
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
        EXPECT_EQ(memcmp(&a, &b, sizeof a), 0) << Hex(key) << " " << Hex(flipped);
    }
}

} // namespace
