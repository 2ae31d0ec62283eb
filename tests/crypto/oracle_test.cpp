// Every primitive against OpenSSL over random keys, IVs and lengths (native build only), the
// triple-DES decryption at each vector unit level this processor has.
#include <gtest/gtest.h>
#include <cstring>
#include <vector>
#include "crypto/blowfish.h"
#include "crypto/des.h"
#include "crypto/sha256.h"
#include "crypto/simd_level.h"
#include "tests/crypto/crypto_test_util.h"
#include "tests/crypto/openssl_oracle.h"

namespace {

BlowfishState State;

// Lengths 0..100 mostly, and now and then a large run with an odd tail.
uint32_t RandomLength(TestRandom* random, int round) {
    if (round % 50 == 49)
        return (1u << 20) + NextRandom(random) % 16;
    return NextRandom(random) % 101;
}

class Oracle : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(OracleInit()) << "OpenSSL providers did not load"; }
};

struct OracleEnvironment : ::testing::Environment {
    void TearDown() override { OracleShutdown(); }
};
const ::testing::Environment* const Registered =
    ::testing::AddGlobalTestEnvironment(new OracleEnvironment);

TEST_F(Oracle, BlowfishEcbAndTheRegisterWithoutIv) {
    TestRandom random = {41};
    for (int round = 0; round < 500; round++) {
        Bytes key = RandomBytes(&random, 4 * (1 + NextRandom(&random) % 14));
        Bytes blocks = RandomBytes(&random, 64), expected(64), zero(8), zeroCipher(8);
        ASSERT_TRUE(OracleCipher(EVP_bf_ecb(), key.data(), int(key.size()), nullptr, true,
                                 blocks.data(), 64, expected.data()));
        ASSERT_TRUE(OracleCipher(EVP_bf_ecb(), key.data(), int(key.size()), nullptr, true,
                                 zero.data(), 8, zeroCipher.data()));
        BlowfishSetKey(&State, key.data(), uint32_t(key.size()), nullptr);
        EXPECT_EQ(Hex(State.ivRegister, 8), Hex(zeroCipher)) << "key " << Hex(key);
        Bytes ours = blocks;
        for (int j = 0; j < 64; j += 8)
            EncryptBytes(&State, &ours[j]);
        EXPECT_EQ(Hex(ours), Hex(expected)) << "key " << Hex(key);
        for (int j = 0; j < 64; j += 8) {
            uint32_t left = LoadBig(&ours[j]), right = LoadBig(&ours[j + 4]);
            BlowfishDecryptBlock(&State, &left, &right);
            EXPECT_EQ(left, LoadBig(&blocks[j]));
            EXPECT_EQ(right, LoadBig(&blocks[j + 4]));
        }
    }
}

// Whole blocks against OpenSSL's CBC; the tail against OpenSSL's encryption of the register.
TEST_F(Oracle, BlowfishCbcBothDirections) {
    TestRandom random = {42};
    for (int round = 0; round < 400; round++) {
        Bytes key = RandomBytes(&random, 4 * (1 + NextRandom(&random) % 14));
        Bytes iv = RandomBytes(&random, 8);
        uint32_t n = RandomLength(&random, round), whole = n / 8 * 8;
        Bytes in = RandomBytes(&random, n), expected(n), ours(n);
        BlowfishSetKey(&State, key.data(), uint32_t(key.size()), iv.data());
        for (int encrypt = 0; encrypt < 2; encrypt++) {
            BlowfishReset(&State);
            ASSERT_TRUE(OracleCipher(EVP_bf_cbc(), key.data(), int(key.size()), iv.data(),
                                     encrypt != 0, in.data(), whole, expected.data()));
            Bytes reg = whole ? Bytes((encrypt ? expected : in).begin() + whole - 8,
                                      (encrypt ? expected : in).begin() + whole)
                              : iv;
            if (whole < n) {
                Bytes pad(8);
                ASSERT_TRUE(OracleCipher(EVP_bf_ecb(), key.data(), int(key.size()), nullptr, true,
                                         reg.data(), 8, pad.data()));
                for (uint32_t i = whole; i < n; i++)
                    expected[i] = in[i] ^ pad[i - whole];
                reg = pad;
            }
            if (encrypt)
                BlowfishCbcEncrypt(&State, in.data(), ours.data(), n);
            else
                BlowfishCbcDecrypt(&State, in.data(), ours.data(), n);
            ASSERT_EQ(Hex(ours), Hex(expected)) << "key " << Hex(key) << " length " << n;
            EXPECT_EQ(Hex(State.ivRegister, 8), Hex(reg));
        }
    }
}

// OpenSSL has no 8-bit CFB for Blowfish: the oracle's stream is built from its ECB encryption.
TEST_F(Oracle, BlowfishCfb8) {
    TestRandom random = {43};
    for (int round = 0; round < 200; round++) {
        Bytes key = RandomBytes(&random, 4 * (1 + NextRandom(&random) % 14));
        Bytes iv = RandomBytes(&random, 8);
        uint32_t n = NextRandom(&random) % 101;
        Bytes in = RandomBytes(&random, n), expected(n), ours(n), reg = iv, pad(8);
        for (uint32_t i = 0; i < n; i++) {
            ASSERT_TRUE(OracleCipher(EVP_bf_ecb(), key.data(), int(key.size()), nullptr, true,
                                     reg.data(), 8, pad.data()));
            expected[i] = in[i] ^ pad[0];
            reg.erase(reg.begin());
            reg.push_back(expected[i]);
        }
        BlowfishSetKey(&State, key.data(), uint32_t(key.size()), iv.data());
        BlowfishCfb8Encrypt(&State, in.data(), ours.data(), n);
        ASSERT_EQ(Hex(ours), Hex(expected)) << "key " << Hex(key) << " length " << n;
        EXPECT_EQ(Hex(State.ivRegister, 8), Hex(reg));
    }
}

TEST_F(Oracle, DesEcb) {
    TestRandom random = {44};
    for (int round = 0; round < 2000; round++) {
        Bytes key = RandomBytes(&random, 8), in = RandomBytes(&random, 8), expected(8);
        ASSERT_TRUE(OracleCipher(EVP_des_ecb(), key.data(), 8, nullptr, true, in.data(), 8,
                                 expected.data()));
        DesKeySchedule schedule;
        DesSetKey(key.data(), &schedule);
        uint8_t out[8], back[8];
        DesCryptBlock(in.data(), out, &schedule, 1);
        ASSERT_EQ(Hex(out, 8), Hex(expected)) << "key " << Hex(key);
        DesCryptBlock(out, back, &schedule, 0);
        ASSERT_EQ(Hex(back, 8), Hex(in));
    }
}

// Every length 0..300, lengths around the bitsliced passes' widths, and 1 MiB with a tail.
std::vector<uint32_t> EveryPathLengths() {
    std::vector<uint32_t> lengths;
    for (uint32_t n = 0; n <= 300; n++)
        lengths.push_back(n);
    for (uint32_t n : {1024u, 2048u, 4096u})
        for (uint32_t delta : {8u, 13u, 120u, 133u})
            lengths.push_back(n + delta);
    lengths.push_back((1u << 20) + 5);
    return lengths;
}

// At each vector unit level in turn, and against OpenSSL's ECB for the register after a tail.
TEST_F(Oracle, TwoKeyEdeCbcDecryptAtEachLevel) {
    TestRandom random = {45};
    for (uint32_t n : EveryPathLengths()) {
        Bytes key = RandomBytes(&random, 16), iv = RandomBytes(&random, 8);
        uint32_t whole = n / 8 * 8;
        Bytes in = RandomBytes(&random, n), expected(n), ours(n);
        ASSERT_TRUE(OracleCipher(EVP_des_ede_cbc(), key.data(), 16, iv.data(), false, in.data(),
                                 whole, expected.data()));
        Bytes reg = whole ? Bytes(in.begin() + whole - 8, in.begin() + whole) : iv;
        if (whole < n) {
            Bytes pad(8);
            ASSERT_TRUE(OracleCipher(EVP_des_ede_ecb(), key.data(), 16, nullptr, true, reg.data(),
                                     8, pad.data()));
            for (uint32_t i = whole; i < n; i++)
                expected[i] = in[i] ^ pad[i - whole];
            reg = pad;
        }
        DesSetKey(key.data(), &ProcessTripleDes.schedule1);
        DesSetKey(key.data() + 8, &ProcessTripleDes.schedule2);
        ProcessTripleDes.schedule3 = ProcessTripleDes.schedule1;
        for (int level = SimdLevelPortable; level <= SupportedSimdLevel(); level++) {
            ASSERT_EQ(PinSimdLevel(SimdLevel(level)), 1);
            memcpy(ProcessTripleDes.ivRegister, iv.data(), 8);
            TripleDesCbcDecrypt(in.data(), ours.data(), n);
            ASSERT_TRUE(ours == expected)
                << "level " << level << " key " << Hex(key) << " length " << n;
            EXPECT_EQ(Hex(ProcessTripleDes.ivRegister, 8), Hex(reg));
            // In place, in two calls split at a random whole block.
            uint32_t split = 8 * (NextRandom(&random) % (n / 8 + 1));
            Bytes inPlace = in;
            memcpy(ProcessTripleDes.ivRegister, iv.data(), 8);
            TripleDesCbcDecrypt(inPlace.data(), inPlace.data(), split);
            TripleDesCbcDecrypt(inPlace.data() + split, inPlace.data() + split, n - split);
            ASSERT_TRUE(inPlace == expected)
                << "level " << level << " in place, split at " << split << " of " << n;
        }
        PinSimdLevel(SupportedSimdLevel());
        uint8_t block[8], expectedBlock[8];
        TripleDesEncryptBlock(iv.data(), block);
        ASSERT_TRUE(OracleCipher(EVP_des_ede_ecb(), key.data(), 16, nullptr, true, iv.data(), 8,
                                 expectedBlock));
        EXPECT_EQ(Hex(block, 8), Hex(expectedBlock, 8));
    }
}

// The blocks-in-flight path and the single blocks after it, at every length.
TEST_F(Oracle, BlowfishCbcDecryptAtEveryLength) {
    TestRandom random = {47};
    for (uint32_t n : EveryPathLengths()) {
        Bytes key = RandomBytes(&random, 4 * (1 + NextRandom(&random) % 14));
        Bytes iv = RandomBytes(&random, 8), in = RandomBytes(&random, n);
        uint32_t whole = n / 8 * 8;
        Bytes expected(n), ours(n);
        ASSERT_TRUE(OracleCipher(EVP_bf_cbc(), key.data(), int(key.size()), iv.data(), false,
                                 in.data(), whole, expected.data()));
        Bytes reg = whole ? Bytes(in.begin() + whole - 8, in.begin() + whole) : iv;
        if (whole < n) {
            Bytes pad(8);
            ASSERT_TRUE(OracleCipher(EVP_bf_ecb(), key.data(), int(key.size()), nullptr, true,
                                     reg.data(), 8, pad.data()));
            for (uint32_t i = whole; i < n; i++)
                expected[i] = in[i] ^ pad[i - whole];
            reg = pad;
        }
        BlowfishSetKey(&State, key.data(), uint32_t(key.size()), iv.data());
        BlowfishCbcDecrypt(&State, in.data(), ours.data(), n);
        ASSERT_TRUE(ours == expected) << "key " << Hex(key) << " length " << n;
        EXPECT_EQ(Hex(State.ivRegister, 8), Hex(reg));
        uint32_t split = 8 * (NextRandom(&random) % (n / 8 + 1));
        Bytes inPlace = in;
        BlowfishReset(&State);
        BlowfishCbcDecrypt(&State, inPlace.data(), inPlace.data(), split);
        BlowfishCbcDecrypt(&State, inPlace.data() + split, inPlace.data() + split, n - split);
        ASSERT_TRUE(inPlace == expected) << "in place, split at " << split << " of " << n;
    }
}

TEST_F(Oracle, Sha256InRandomPieces) {
    TestRandom random = {46};
    for (int round = 0; round < 500; round++) {
        uint32_t n = RandomLength(&random, round);
        Bytes data = RandomBytes(&random, n);
        uint8_t expected[32], ours[32];
        OracleSha256(data.data(), n, expected);
        Sha256Context context;
        Sha256Init(&context);
        for (uint32_t done = 0; done < n;) {
            uint32_t piece = NextRandom(&random) % (n - done + 1);
            if (n > 1000 && round % 2)
                piece = n - done;
            Sha256Update(&context, data.data() + done, piece);
            done += piece;
        }
        Sha256Final(&context, ours);
        ASSERT_EQ(Hex(ours, 32), Hex(expected, 32)) << "length " << n;
    }
}

} // namespace
