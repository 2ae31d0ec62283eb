// Blowfish: the designer's published vectors, what callers of the engine rely on (checked against
// definitions built from the block operation alone), and the fast CBC decryption with its blocks
// in flight at every length, in place and in pieces.
#include <gtest/gtest.h>
#include <cstring>
#include <string>
#include "crypto/blowfish.h"
#include "tests/crypto/crypto_test_util.h"

namespace {

// The Blowfish designer's published ECB test vectors (vectors.txt, 8-byte keys).
const BlockVector BlowfishVectors[] = {
    {"0000000000000000", "0000000000000000", "4ef997456198dd78"},
    {"ffffffffffffffff", "ffffffffffffffff", "51866fd5b85ecb8a"},
    {"3000000000000000", "1000000000000001", "7d856f9a613063f2"},
    {"1111111111111111", "1111111111111111", "2466dd878b963c9d"},
    {"0123456789abcdef", "1111111111111111", "61f9c3802281b096"},
    {"1111111111111111", "0123456789abcdef", "7d0cc630afda1ec7"},
    {"fedcba9876543210", "0123456789abcdef", "0aceab0fc6a0a28d"},
    {"7ca110454a1a6e57", "01a1d6d039776742", "59c68245eb05282b"},
    {"0131d9619dc1376e", "5cd54ca83def57da", "b1b8cc0b250f09a0"},
    {"07a1133e4a0b2686", "0248d43806f67172", "1730e5778bea1da4"},
    {"3849674c2602319e", "51454b582ddf440a", "a25e7856cf2651eb"},
    {"04b915ba43feb5b6", "42fd443059577fa2", "353882b109ce8f1a"},
    {"0113b970fd34f2ce", "059b5e0851cf143a", "48f4d0884c379918"},
    {"0170f175468fb5e6", "0756d8e0774761d2", "432193b78951fc98"},
    {"43297fad38e373fe", "762514b829bf486a", "13f04154d69d1ae5"},
    {"07a7137045da2a16", "3bdd119049372802", "2eedda93ffd39c79"},
    {"04689104c2fd3b2f", "26955f6835af609a", "d887e0393c2da6e3"},
    {"37d06bb516cb7546", "164d5e404f275232", "5f99d04f5b163969"},
    {"1f08260d1ac2465e", "6b056e18759f5cca", "4a057a3b24d3977b"},
    {"584023641aba6176", "004bd6ef09176062", "452031c1e4fada8e"},
    {"025816164629b007", "480d39006ee762f2", "7555ae39f59b87bd"},
    {"49793ebc79b3258f", "437540c8698f3cfa", "53c55f9cb49fc019"},
    {"4fb05e1515ab73a7", "072d43a077075292", "7a8e7bfa937e89a3"},
    {"49e95d6d4ca229bf", "02fe55778117f12a", "cf9c5d7a4986adb5"},
    {"018310dc409b26d6", "1d9d5c5018f728c2", "d1abb290658bc778"},
    {"1c587f1c13924fef", "305532286d6f295a", "55cb3774d13ef201"},
    {"0101010101010101", "0123456789abcdef", "fa34ec4847b268b2"},
    {"1f1f1f1f0e0e0e0e", "0123456789abcdef", "a790795108ea3cae"},
    {"e0fee0fef1fef1fe", "0123456789abcdef", "c39e072d9fac631d"},
    {"0000000000000000", "ffffffffffffffff", "014933e0cdaff6e4"},
    {"ffffffffffffffff", "0000000000000000", "f21e9a77b71c49bc"},
    {"0123456789abcdef", "0000000000000000", "245946885754369a"},
    {"fedcba9876543210", "ffffffffffffffff", "6b5c5a9c5d9e0a5a"},
};

TEST(BlowfishVectors, EncryptAndDecryptEachBlock) {
    static BlowfishState state;
    for (const BlockVector& v : BlowfishVectors) {
        Bytes key = FromHex(v.key), plain = FromHex(v.plain);
        BlowfishSetKey(&state, key.data(), 8, nullptr);
        uint32_t left = LoadBig(plain.data()), right = LoadBig(plain.data() + 4);
        BlowfishEncryptBlock(&state, &left, &right);
        uint8_t out[8];
        StoreBig(out, left);
        StoreBig(out + 4, right);
        EXPECT_EQ(Hex(out, 8), v.cipher) << "key " << v.key;
        BlowfishDecryptBlock(&state, &left, &right);
        StoreBig(out, left);
        StoreBig(out + 4, right);
        EXPECT_EQ(Hex(out, 8), v.plain) << "key " << v.key;
    }
}

// With no IV the register starts as the zero block's encryption, in the vectors' byte order.
TEST(BlowfishVectors, RegisterWithoutIvIsTheZeroBlockCipher) {
    static BlowfishState state;
    for (const BlockVector& v : BlowfishVectors) {
        if (strcmp(v.plain, "0000000000000000") != 0)
            continue;
        Bytes key = FromHex(v.key);
        BlowfishSetKey(&state, key.data(), 8, nullptr);
        EXPECT_EQ(Hex(state.ivRegister, 8), v.cipher) << "key " << v.key;
        EXPECT_EQ(Hex(state.savedIv, 8), v.cipher) << "key " << v.key;
    }
    const uint8_t iv[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    BlowfishSetKey(&state, FromHex("0123456789abcdef").data(), 8, iv);
    EXPECT_EQ(Hex(state.ivRegister, 8), "0102030405060708");
}

BlowfishState State, Other; // 8 KB each: kept off the stack

void KeyRandomly(TestRandom* random, BlowfishState* state, bool withIv) {
    Bytes key = RandomBytes(random, 4 + 4 * (NextRandom(random) % 14));
    Bytes iv = RandomBytes(random, 8);
    BlowfishSetKey(state, key.data(), uint32_t(key.size()), withIv ? iv.data() : nullptr);
}

TEST(BlowfishProperties, ByteSwap32ReversesBytes) {
    EXPECT_EQ(ByteSwap32(0x01020304u), 0x04030201u);
    EXPECT_EQ(ByteSwap32(0xff000080u), 0x800000ffu);
}

TEST(BlowfishProperties, KeyBytesBeyondWholeWordsAndBeyond32DoNotCount) {
    TestRandom random = {11};
    Bytes key = RandomBytes(&random, 35);
    BlowfishSetKey(&Other, key.data(), 32, nullptr);
    for (uint32_t length = 33; length <= 35; length++) {
        BlowfishSetKey(&State, key.data(), length, nullptr);
        EXPECT_EQ(memcmp(&State, &Other, sizeof State), 0) << "key length " << length;
    }
    BlowfishSetKey(&State, key.data(), 7, nullptr);
    BlowfishSetKey(&Other, key.data(), 4, nullptr);
    EXPECT_EQ(memcmp(&State, &Other, sizeof State), 0) << "key length 7 against 4";
}

TEST(BlowfishProperties, CbcMatchesItsDefinitionAtEveryLength) {
    TestRandom random = {12};
    for (int round = 0; round < CRYPTO_TEST_ROUNDS; round++) {
        KeyRandomly(&random, &State, round % 2 == 0);
        Bytes in = RandomBytes(&random, NextRandom(&random) % 101);
        for (int encrypt = 0; encrypt < 2; encrypt++) {
            uint8_t reg[8];
            memcpy(reg, State.ivRegister, 8);
            Bytes expected = BlowfishCbcByDefinition(&State, in, encrypt != 0, reg);
            Bytes out(in.size() + 1, 0xa5);
            if (encrypt)
                BlowfishCbcEncrypt(&State, in.data(), out.data(), uint32_t(in.size()));
            else
                BlowfishCbcDecrypt(&State, in.data(), out.data(), uint32_t(in.size()));
            EXPECT_EQ(Hex(out.data(), in.size()), Hex(expected)) << "length " << in.size();
            EXPECT_EQ(out[in.size()], 0xa5) << "wrote past the end";
            EXPECT_EQ(Hex(State.ivRegister, 8), Hex(reg, 8)) << "register, length " << in.size();
        }
    }
}

TEST(BlowfishProperties, Cfb8MatchesItsDefinitionAndSplitsAnywhere) {
    TestRandom random = {13};
    for (int round = 0; round < CRYPTO_TEST_ROUNDS; round++) {
        KeyRandomly(&random, &State, round % 2 == 0);
        Bytes in = RandomBytes(&random, NextRandom(&random) % 101);
        uint8_t reg[8];
        memcpy(reg, State.ivRegister, 8);
        Bytes expected(in.size());
        for (size_t i = 0; i < in.size(); i++) {
            uint8_t block[8];
            memcpy(block, reg, 8);
            EncryptBytes(&State, block);
            expected[i] = in[i] ^ block[0];
            memmove(reg, reg + 1, 7);
            reg[7] = expected[i];
        }
        Bytes whole(in.size()), pieces(in.size());
        BlowfishCfb8Encrypt(&State, in.data(), whole.data(), uint32_t(in.size()));
        EXPECT_EQ(Hex(whole), Hex(expected));
        EXPECT_EQ(Hex(State.ivRegister, 8), Hex(reg, 8));
        BlowfishReset(&State);
        for (size_t i = 0; i < in.size(); i++)
            BlowfishCfb8Encrypt(&State, &in[i], &pieces[i], 1);
        EXPECT_EQ(Hex(pieces), Hex(expected));
    }
}

TEST(BlowfishProperties, CbcStreamsSplitAtBlockBoundaries) {
    TestRandom random = {14};
    for (int round = 0; round < CRYPTO_TEST_ROUNDS; round++) {
        KeyRandomly(&random, &State, true);
        Bytes in = RandomBytes(&random, 8 + NextRandom(&random) % 200);
        Bytes whole(in.size()), split(in.size());
        BlowfishCbcDecrypt(&State, in.data(), whole.data(), uint32_t(in.size()));
        BlowfishReset(&State);
        uint32_t first = 8 * (NextRandom(&random) % (in.size() / 8 + 1));
        BlowfishCbcDecrypt(&State, in.data(), split.data(), first);
        BlowfishCbcDecrypt(&State, in.data() + first, split.data() + first,
                           uint32_t(in.size() - first));
        EXPECT_EQ(Hex(split), Hex(whole)) << "split at " << first;
    }
}

TEST(BlowfishProperties, ResetInPlaceAndRoundTrip) {
    TestRandom random = {15};
    for (int round = 0; round < CRYPTO_TEST_ROUNDS; round++) {
        KeyRandomly(&random, &State, round % 2 == 0);
        Bytes in = RandomBytes(&random, NextRandom(&random) % 101);
        uint32_t n = uint32_t(in.size());
        Bytes cipher(n), again(n), plain(n);
        BlowfishCbcEncrypt(&State, in.data(), cipher.data(), n);
        uint8_t afterEncrypt[8];
        memcpy(afterEncrypt, State.ivRegister, 8);
        BlowfishReset(&State);
        BlowfishCbcEncrypt(&State, in.data(), again.data(), n);
        EXPECT_EQ(Hex(again), Hex(cipher)) << "reset did not reproduce";
        BlowfishReset(&State);
        BlowfishCbcDecrypt(&State, cipher.data(), plain.data(), n);
        EXPECT_EQ(Hex(plain), Hex(in)) << "round trip, length " << n;
        EXPECT_EQ(Hex(State.ivRegister, 8), Hex(afterEncrypt, 8));

        for (int mode = 0; mode < 3; mode++) {
            Bytes separate(n), inPlace = in;
            BlowfishReset(&State);
            if (mode == 0)
                BlowfishCbcEncrypt(&State, in.data(), separate.data(), n);
            else if (mode == 1)
                BlowfishCbcDecrypt(&State, in.data(), separate.data(), n);
            else
                BlowfishCfb8Encrypt(&State, in.data(), separate.data(), n);
            BlowfishReset(&State);
            if (mode == 0)
                BlowfishCbcEncrypt(&State, inPlace.data(), inPlace.data(), n);
            else if (mode == 1)
                BlowfishCbcDecrypt(&State, inPlace.data(), inPlace.data(), n);
            else
                BlowfishCfb8Encrypt(&State, inPlace.data(), inPlace.data(), n);
            EXPECT_EQ(Hex(inPlace), Hex(separate)) << "in place, mode " << mode;
        }
    }
}

TEST(BlowfishProperties, LengthZeroTouchesNothingAndClearZeroes) {
    TestRandom random = {16};
    KeyRandomly(&random, &State, false);
    uint8_t reg[8], out[4] = {9, 9, 9, 9};
    memcpy(reg, State.ivRegister, 8);
    BlowfishCbcEncrypt(&State, out, out, 0);
    BlowfishCbcDecrypt(&State, out, out, 0);
    BlowfishCfb8Encrypt(&State, out, out, 0);
    EXPECT_EQ(memcmp(reg, State.ivRegister, 8), 0);
    EXPECT_EQ(out[0], 9);
    BlowfishClear(&State);
    static const BlowfishState zero = {};
    EXPECT_EQ(memcmp(&State, &zero, sizeof State), 0);
}

TEST(CbcPaths, BlowfishMatchesItsDefinition) {
    TestRandom random = {33};
    for (uint32_t n : Lengths()) {
        Bytes key = RandomBytes(&random, 4 + 4 * (NextRandom(&random) % 14));
        Bytes iv = RandomBytes(&random, 8), in = RandomBytes(&random, n);
        BlowfishSetKey(&State, key.data(), uint32_t(key.size()), iv.data());
        uint8_t reg[8];
        memcpy(reg, iv.data(), 8);
        Bytes expected = BlowfishCbcByDefinition(&State, in, false, reg);
        std::string where = "length " + std::to_string(n);

        Bytes out(n + 1, 0x5a);
        BlowfishCbcDecrypt(&State, in.data(), out.data(), n);
        ASSERT_EQ(FirstDifference(out.data(), expected), "") << where;
        EXPECT_EQ(out[n], 0x5a) << where << ": wrote past the end";
        EXPECT_EQ(Hex(State.ivRegister, 8), Hex(reg, 8)) << where;

        Bytes inPlace = in;
        BlowfishReset(&State);
        BlowfishCbcDecrypt(&State, inPlace.data(), inPlace.data(), n);
        ASSERT_EQ(FirstDifference(inPlace.data(), expected), "") << where << ", in place";

        Bytes split(n);
        BlowfishReset(&State);
        uint32_t done = 0;
        for (uint32_t piece : Pieces(&random, n)) {
            BlowfishCbcDecrypt(&State, in.data() + done, split.data() + done, piece);
            done += piece;
        }
        ASSERT_EQ(FirstDifference(split.data(), expected), "") << where << ", in pieces";
        EXPECT_EQ(Hex(State.ivRegister, 8), Hex(reg, 8)) << where;
    }
}

} // namespace
